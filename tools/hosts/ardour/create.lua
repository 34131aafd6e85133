-- First Ardour run: a new session with one stereo track carrying the impulse probe and the
-- plug-in, parameters set as asked, saved. Export happens in a second run because Debian's
-- Ardour 7.3 sometimes crashes when one run both saves and exports.
local dir, id, settings = os.getenv ("SESSION_DIR"), os.getenv ("PLUGIN_ID"), os.getenv ("SETTINGS")
local kinds = { LV2 = ARDOUR.PluginType.LV2, VST3 = ARDOUR.PluginType.VST3 }
local kind = kinds[os.getenv ("PLUGIN_TYPE")] or ARDOUR.PluginType.LXVST
local rate = tonumber (os.getenv ("SESSION_RATE") or "44100")

assert (create_session (dir, "render", rate), "could not create the session")
-- The session's tempo, where TEMPO asks for one (a synced delay follows it).
local tempo = tonumber (os.getenv ("TEMPO") or "")
if tempo then
	local map = Temporal.TempoMap.write_copy ()
	map:set_tempo (Temporal.Tempo (tempo, tempo, 4), Temporal.timepos_t (0))
	Temporal.TempoMap.update (map)
	print ("REPORT session tempo " .. tempo .. " BPM")
end

local track = Session:new_audio_track (2, 2, nil, 1, "Probe", ARDOUR.PresentationInfo.max_order,
                                       ARDOUR.TrackMode.Normal, true):front ()

local probe = ARDOUR.LuaAPI.new_luaproc (Session, "Impulse Probe")
assert (not probe:isnil (), "the impulse probe script was not found")
track:add_processor_by_index (probe, 0, nil, true)

local plugin = ARDOUR.LuaAPI.new_plugin (Session, id, kind, "")
assert (not plugin:isnil (), "Ardour could not instantiate plug-in " .. id)
track:add_processor_by_index (plugin, 1, nil, true)

-- A preset by its name, as a user picks it from the plug-in's preset menu.
local preset = os.getenv ("PRESET") or ""
if preset ~= "" then
	local plug = plugin:to_insert ():plugin (0)
	local record = plug:preset_by_label (preset)
	assert (record, "Ardour lists no preset called " .. preset)
	assert (plug:load_preset (record), "Ardour could not load the preset " .. preset)
	print ("REPORT loaded preset \"" .. record.label .. "\" (" .. record.uri .. ")")
end

local plug = plugin:to_insert ():plugin (0)
local count = plug:parameter_count ()
-- An LV2 plug-in's settings name ports, but Ardour's Lua API numbers its control ports among
-- themselves (audio and atom ports not counted): Vellumine's port 29 is control 24.
local function control_number (port)
	local n = 0
	for p = 0, port - 1 do
		if plug:parameter_is_control (p) then n = n + 1 end
	end
	return n
end
for index, value in settings:gmatch ("(%d+)=([^%s]+)") do
	local which = tonumber (index)
	-- Some plug-ins crash the host when asked for a parameter they do not have.
	if which >= count then
		print ("REPORT skipped " .. index .. "=" .. value .. ": the plug-in has " .. count .. " parameters")
	elseif lv2 and not plug:parameter_is_control (which) then
		print ("REPORT skipped " .. index .. "=" .. value .. ": port " .. index .. " is not a control port")
	elseif not ARDOUR.LuaAPI.set_processor_param (plugin, lv2 and control_number (which) or which, tonumber (value)) then
		print ("REPORT could not set parameter " .. index .. " to " .. value)
	end
end

assert (Session:save_state ("", false, false, false, false, false) == 0, "save failed")
print ("SAVED")
-- Leave before Ardour's own shutdown, where the crashes happen.
os.exit (0)

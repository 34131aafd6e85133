-- Second Ardour run: reload the saved session, report what Ardour makes of the plug-in (its
-- listing, parameters as restored from the session, presets), then export the master bus.
local dir, out, seconds = os.getenv ("SESSION_DIR"), os.getenv ("OUT_DIR"), tonumber (os.getenv ("SECONDS_OUT"))

local function say (fmt, ...) print ("REPORT " .. string.format (fmt, ...)) end

-- 0x5176526b -> "QvRk": VST ids are four characters, most significant byte first.
local function fourcc (n)
	local s = ""
	for shift = 24, 0, -8 do
		local b = (n >> shift) & 0xff
		s = s .. ((b >= 32 and b < 127) and string.char (b) or "?")
	end
	return s
end

assert (load_session (dir, "render"), "could not load the session")
local track = Session:route_by_name ("Probe")
local proc = track:nth_plugin (1)  -- 0 is the impulse probe
assert (not proc:isnil (), "the plug-in did not come back with the session")
local plug = proc:to_insert ():plugin (0)
local info = plug:get_info ()
local id = tonumber (info.unique_id)
-- VST ids are numbers; an LV2 plug-in's unique id is its URI.
local shown = id and string.format ("unique id %d (0x%08x '%s')", id, id, fourcc (id)) or ("URI " .. info.unique_id)

say ("plug-in: \"%s\" by \"%s\", category %s, %s, %d in / %d out, file %s, session at %d Hz",
     info.name, info.creator, info.category, shown,
     info.n_inputs:n_audio (), info.n_outputs:n_audio (), info.path, Session:nominal_sample_rate ())

-- Ardour creates a control for every declared parameter; list the named ones.
local count, named, unnamed_as = plug:parameter_count (), 0, nil
local rows = {}
-- Ardour's Lua API reads values by control number, which for an LV2 plug-in skips the audio
-- and atom ports that the index i counts (a VST 2 plug-in has only controls).
local nth = -1
for i = 0, count - 1 do
	local name = plug:parameter_label (i)
	local is_control = plug:parameter_is_control (i)
	if is_control then nth = nth + 1 end
	local control = proc:to_automatable ():automation_control (
		Evoral.Parameter (ARDOUR.AutomationType.PluginAutomation, 0, i), false)
	if name ~= "" then
		named = named + 1
		if named <= 64 then
			local _, pd = plug:get_parameter_descriptor (i, ARDOUR.ParameterDescriptor ())
			rows[#rows + 1] = string.format ("  %4d  %-16s  %-16s  %g..%g  default %-8.6g  value %s",
				i, name, pd[2].label, pd[2].lower, pd[2].upper, pd[2].normal,
				is_control and string.format ("%.6g", ARDOUR.LuaAPI.get_processor_param (proc, nth, true)) or "-")
		end
	elseif unnamed_as == nil and not control:isnil () then
		unnamed_as = control:name ()
	end
end
say ("parameters: %d declared, %d named, %d without a name (Ardour's control name for those: \"%s\")",
     count, named, count - named, unnamed_as or "")
-- Ardour offers automation only for the parameters it deems automatable; say which.
local automatable, low, high = 0, nil, nil
for p in proc:to_automatable ():all_automatable_params ():iter () do
	if p:type () == ARDOUR.AutomationType.PluginAutomation then
		automatable = automatable + 1
		low, high = math.min (low or p:id (), p:id ()), math.max (high or p:id (), p:id ())
	end
end
say ("automatable in Ardour: %d parameters, indices %s..%s", automatable, tostring (low), tostring (high))
say ("  index name              descriptor label  range  default  value (as restored from the session)")
for _, row in ipairs (rows) do say ("%s", row) end
if named > 64 then say ("  ... %d more named parameters", named - 64) end

local presets, factory, labels = {}, 0, {}
for p in info:get_presets (false):iter () do
	presets[#presets + 1] = p
	labels[#labels + 1] = p.label
	if not p.user then factory = factory + 1 end
end
local current = plug:last_preset ()
say ("presets: %d (%d factory, %d user), last loaded: %s", #presets, factory, #presets - factory,
     current.valid and current.label or "none")
for i, p in ipairs (presets) do
	if i <= 4 or i == #presets then
		say ("  %s  \"%s\"", p.uri, p.label)
	elseif i == 5 then
		say ("  ... %d more", #presets - 5)
	end
end
-- Ardour's Lua lists a VST 3 plug-in's user presets only: its factory programs are looked up
-- one by one, by the names the caller gives, as the preset menu finds them.
local names = os.getenv ("PRESET_NAMES") or ""
if names ~= "" then
	local found, missing = 0, {}
	for name in io.lines (names) do
		local record = plug:preset_by_label (name)
		if record then found = found + 1 else missing[#missing + 1] = name end
		if record and found <= 3 then say ("  %s  \"%s\"", record.uri, record.label) end
	end
	say ("presets found by name: %d, not found: %d%s", found, #missing,
	     #missing > 0 and (" (" .. table.concat (missing, ", ") .. ")") or "")
end
-- Every name, as the preset menu shows them, so that a new preset can be found in the list.
if #labels > 0 then say ("preset names: %s", table.concat (labels, ", ")) end

local export = Session:simple_export ()
export:set_name ("render")
export:set_folder (out)
export:set_range (0, math.floor (seconds * Session:nominal_sample_rate ()))
assert (export:set_preset ("6f0e7c1a-5d1b-4b0e-9c51-7a1e2b3c4d02"), "float WAV export preset not found")
assert (export:run_export (), "export failed")
print ("EXPORTED")
os.exit (0)

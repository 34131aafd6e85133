-- A session for the GUI test: one stereo track named "Delay" with the plug-in as its first
-- processor, saved. Ardour's GUI then opens it; building it headless spares driving the
-- new-session dialogs and the plug-in selector.
-- PLUGIN_ID is a VST 2 module's unique id, or with PLUGIN_TYPE=VST3 a VST 3 class's name.
local dir, name, id = os.getenv ("SESSION_DIR"), os.getenv ("SESSION_NAME"), os.getenv ("PLUGIN_ID")
local kind = os.getenv ("PLUGIN_TYPE") == "VST3" and ARDOUR.PluginType.VST3 or ARDOUR.PluginType.LXVST

assert (create_session (dir, name, 44100), "could not create the session")
local track = Session:new_audio_track (2, 2, nil, 1, "Delay", ARDOUR.PresentationInfo.max_order,
                                       ARDOUR.TrackMode.Normal, true):front ()
local plugin = ARDOUR.LuaAPI.new_plugin (Session, id, kind, "")
assert (not plugin:isnil (), "Ardour could not instantiate plug-in " .. id)
track:add_processor_by_index (plugin, 0, nil, true)

assert (Session:save_state ("", false, false, false, false, false) == 0, "save failed")
print ("SAVED")
-- Leave before Ardour's own shutdown, where Debian's 7.3 sometimes crashes.
os.exit (0)

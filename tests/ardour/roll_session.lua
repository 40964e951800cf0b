-- Rolls Tintinna and the test MIDI logger after it in a new Ardour session, headless, on the
-- Dummy backend (ten times faster than real time; the cycles are the same).
-- usage: ardour7-lua roll_session.lua SESSION_DIR BLOCK SECONDS WSPEED CLAPSIZE [FORMAT]
-- WSPEED and CLAPSIZE are the values of Tintinna's parameters 0 and 12 as the format takes them
-- (VST 2: raw, 0 to 1; LV2: plain). FORMAT is vst2 (the default) or lv2; the logger is VST 2.
-- An LV2 session is saved at the end, for reload_session.lua.
local session_dir, block, seconds = arg[1], tonumber(arg[2]), tonumber(arg[3])
local wspeed, clapsize = tonumber(arg[4]), tonumber(arg[5])
local format = arg[6] or "vst2"
local rate = 48000
local wall_limit_us = 35e6

local function fail(message)
  print("roll_session: " .. message)
  os.exit(1)
end

local backend = AudioEngine:set_backend("None (Dummy)", "", "")
if not backend then fail("no Dummy backend") end
backend:set_driver("10x Speed")
backend:set_device_name("Silence")
backend:set_sample_rate(rate)
backend:set_buffer_size(block)
if AudioEngine:start(false) ~= 0 then fail("the engine did not start") end
if not create_session(session_dir, "roll", rate) then fail("no session") end

local function plugin(name, type)
  local p = ARDOUR.LuaAPI.new_plugin(Session, name, type or ARDOUR.PluginType.LXVST, "")
  if p:isnil() then fail("plug-in not found: " .. name) end
  return p
end

local midi = ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1)
local stereo = ARDOUR.ChanCount(ARDOUR.DataType("audio"), 2)
local track = Session:new_midi_track(midi, stereo, true, ARDOUR.PluginInfo(), nil, nil, 1,
    "Chimes", ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true):front()
if not track then fail("no MIDI track") end
local chimes = plugin("Tintinna", format == "lv2" and ARDOUR.PluginType.LV2 or nil)
local logger = plugin("Tintinna Test MIDI Logger")
track:add_processor_by_index(chimes, 0, nil, true)
track:add_processor_by_index(logger, 1, nil, true)
if not (ARDOUR.LuaAPI.set_processor_param(chimes, 0, wspeed) and
        ARDOUR.LuaAPI.set_processor_param(chimes, 12, clapsize)) then
  fail("the parameters were refused")
end
if track:nth_plugin(0):name() ~= "Tintinna" or track:nth_plugin(1):isnil() then
  fail("the plug-ins are not in order on the track")
end

local target = math.floor(seconds * rate)
Session:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
local started = ARDOUR.LuaAPI.monotonic_time()
while Session:transport_sample() < target do
  if ARDOUR.LuaAPI.monotonic_time() - started > wall_limit_us then
    fail("the transport reached only sample " .. Session:transport_sample())
  end
  ARDOUR.LuaAPI.usleep(2000)
end
Session:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
-- Some stopped cycles, in which messages held over past the stop still come out.
ARDOUR.LuaAPI.usleep(100000)
print("roll_session: stopped at sample " .. Session:transport_sample())
if format == "lv2" then Session:save_state("", false, false, false, false, false) end
close_session()

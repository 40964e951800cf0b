-- Rolls Tintinna and the test MIDI logger after it in a new Ardour session, headless, on the
-- Dummy backend (ten times faster than real time; the cycles are the same), and saves it; or
-- loads that session again. Both print Tintinna's parameter values.
-- usage: ardour7-lua roll_session.lua roll SESSION_DIR BLOCK TYPE SECONDS WSPEED CLAPSIZE
--        ardour7-lua roll_session.lua reload SESSION_DIR BLOCK TYPE
-- TYPE is the ARDOUR.PluginType of the Tintinna build (LXVST, VST3 or LV2); WSPEED and CLAPSIZE
-- are the values of Tintinna's parameters 0 and 12 as Ardour's Lua API takes them for that type.
local mode, session_dir, block, type = arg[1], arg[2], tonumber(arg[3]), arg[4]
local seconds, wspeed, clapsize = tonumber(arg[5]), tonumber(arg[6]), tonumber(arg[7])
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

local function print_parameters(chimes, when)
  for i = 0, 27 do
    local value = ARDOUR.LuaAPI.get_processor_param(chimes, i, true)
    print(string.format("roll_session: %s parameter %d = %.9g", when, i, value))
  end
end

if mode == "reload" then
  if not load_session(session_dir, "roll") then fail("the saved session did not load") end
  local track = Session:route_by_name("Chimes")
  if track:isnil() or track:nth_plugin(0):isnil() then fail("no Tintinna in the loaded session") end
  print_parameters(track:nth_plugin(0), "loaded")
  -- An LV2 state is saved again only when it differs from the one loaded.
  if type == "LV2" then Session:save_state("", false, false, false, false, false) end
  close_session()
  return
end

if not create_session(session_dir, "roll", rate) then fail("no session") end

local function plugin(name, plugin_type)
  local p = ARDOUR.LuaAPI.new_plugin(Session, name, plugin_type, "")
  if p:isnil() then fail("plug-in not found: " .. name) end
  return p
end

local midi = ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1)
local stereo = ARDOUR.ChanCount(ARDOUR.DataType("audio"), 2)
local track = Session:new_midi_track(midi, stereo, true, ARDOUR.PluginInfo(), nil, nil, 1,
    "Chimes", ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true):front()
if not track then fail("no MIDI track") end
local chimes = plugin("Tintinna", ARDOUR.PluginType[type])
local logger = plugin("Tintinna Test MIDI Logger", ARDOUR.PluginType.LXVST)
track:add_processor_by_index(chimes, 0, nil, true)
track:add_processor_by_index(logger, 1, nil, true)
ARDOUR.LuaAPI.set_processor_param(chimes, 0, wspeed)
ARDOUR.LuaAPI.set_processor_param(chimes, 12, clapsize)
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
print_parameters(chimes, "saved")
Session:save_state("", false, false, false, false, false)
close_session()

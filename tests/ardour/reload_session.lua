-- Reloads the session roll_session.lua saved, prints the first plug-in's parameters 0 and 12 as
-- "reload_session: values V0 V12", and saves the session again (a new state of the plug-in).
-- usage: ardour7-lua reload_session.lua SESSION_DIR
local backend = AudioEngine:set_backend("None (Dummy)", "", "")
if not backend then print("reload_session: no Dummy backend") os.exit(1) end
backend:set_sample_rate(48000)
if AudioEngine:start(false) ~= 0 then print("reload_session: no engine") os.exit(1) end
if not load_session(arg[1], "roll") then print("reload_session: not loaded") os.exit(1) end
local track = Session:route_by_name("Chimes")
if track:isnil() then print("reload_session: no track") os.exit(1) end
local chimes = track:nth_plugin(0)
local values = {}
for _, index in ipairs({0, 12}) do
  local value, ok = ARDOUR.LuaAPI.get_processor_param(chimes, index, false)
  values[#values + 1] = string.format("%.6g", value)
end
print("reload_session: values " .. table.concat(values, " "))
Session:save_state("", false, false, false, false, false)
close_session()

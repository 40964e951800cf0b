// tintinna.clap's editor in a host of the test's own on an Xvfb it starts itself, driven by the
// host's main loop: here the test's own timer and descriptor callbacks.
#include <gtest/gtest.h>
// clang-format off
#include "tests/x11/x11_host.h"
#include "tools/host/clap_events.h"
#include "tools/host/clap_host_context.h"
#include "tools/host/clap_library.h"
// clang-format on
#include <poll.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <map>
#include <set>

namespace {

constexpr int kWidth = 800, kHeight = 400;
constexpr int kWSpeedTrackLeft = 70, kWSpeedY = 70;

// The host's timer and fd support: what the plug-in registered, run by RunLoop.
std::map<clap::Id, uint32_t> gTimers;  // id -> period
std::set<int> gFds;
constexpr clap::HostTimerSupport kTimers{
    [](const clap::Host*, uint32_t period, clap::Id* id) {
      *id = static_cast<clap::Id>(gTimers.size() + 7);
      return gTimers.emplace(*id, period).second;
    },
    [](const clap::Host*, clap::Id id) { return gTimers.erase(id) == 1; }};
constexpr clap::HostPosixFdSupport kFds{
    [](const clap::Host*, int fd, uint32_t flags) {
      return flags == clap::kPosixFdRead && gFds.insert(fd).second;
    },
    [](const clap::Host*, int, uint32_t) { return false; },
    [](const clap::Host*, int fd) { return gFds.erase(fd) == 1; }};

TEST(ClapGuiX11, RunsOnTheHostsTimerAndFdShowsTheSnapshotAndSendsADragAsOneGesture) {
  std::string error;
  auto library = host::ClapLibrary::Load(TINTINNA_CLAP_PATH, error);
  ASSERT_TRUE(library) << error;
  const auto* factory =
      static_cast<const clap::PluginFactory*>(library->Factory(clap::kPluginFactoryId));
  const auto create = [&](host::ClapHostContext& context) {
    const clap::Plugin* p =
        factory->create_plugin(factory, context.Record(), "com.orrinvale.tintinna");
    EXPECT_TRUE(p && p->init(p));
    return p;
  };
  const auto gui = [](const clap::Plugin* p) {
    return static_cast<const clap::PluginGui*>(p->get_extension(p, clap::kExtGui));
  };
  // Without the host's loop the editor is not offered: no thread of its own under CLAP.
  host::ClapHostContext bare;
  const clap::Plugin* unloved = create(bare);
  EXPECT_FALSE(gui(unloved)->is_api_supported(unloved, clap::kWindowApiX11, false));
  unloved->destroy(unloved);

  host::ClapHostContext context;
  context.Offer(clap::kExtTimerSupport, &kTimers);
  context.Offer(clap::kExtPosixFdSupport, &kFds);
  const clap::Plugin* plugin = create(context);
  const clap::PluginGui* editor = gui(plugin);
  const auto* timer = static_cast<const clap::PluginTimerSupport*>(
      plugin->get_extension(plugin, clap::kExtTimerSupport));
  const auto* fd = static_cast<const clap::PluginPosixFdSupport*>(
      plugin->get_extension(plugin, clap::kExtPosixFdSupport));
  ASSERT_TRUE(editor && timer && fd);
  x11host::Screen screen;
  const Window parent = screen.CreateHostWindow(20, 20);
  clap::GuiWindow window{clap::kWindowApiX11, {}};
  window.x11 = parent;
  uint32_t width = 0, height = 0;
  ASSERT_TRUE(editor->is_api_supported(plugin, clap::kWindowApiX11, false));
  ASSERT_TRUE(editor->create(plugin, clap::kWindowApiX11, false));
  ASSERT_TRUE(editor->get_size(plugin, &width, &height));
  EXPECT_EQ(width * 1000 + height, 800u * 1000 + 400u);
  ASSERT_TRUE(editor->set_parent(plugin, &window));
  ASSERT_EQ(gTimers.size(), 1u);
  ASSERT_EQ(gFds.size(), 1u);
  EXPECT_EQ(gTimers.begin()->second, 41u);

  // The host's main loop: the descriptor when readable, the timer at its period (or not).
  const auto runLoop = [&](const std::function<bool()>& done, bool ticks = true) {
    auto tick = std::chrono::steady_clock::now();
    for (const auto end = tick + std::chrono::seconds(5); std::chrono::steady_clock::now() < end;) {
      if (done()) return true;
      pollfd ready{gFds.empty() ? -1 : *gFds.begin(), POLLIN, 0};
      if (poll(&ready, 1, 5) > 0) fd->on_fd(plugin, ready.fd, clap::kPosixFdRead);
      if (ticks && std::chrono::steady_clock::now() >= tick && !gTimers.empty()) {
        timer->on_timer(plugin, gTimers.begin()->first);
        tick += std::chrono::milliseconds(gTimers.begin()->second);
      }
    }
    return done();
  };
  const std::string snapshot = std::string(TINTINNA_TEST_OUTPUT) + "/clap-x11-snapshot.png";
  ASSERT_EQ(std::system(("'" TINTINNA_SNAPSHOT "' --out '" + snapshot + "'").c_str()), 0);
  int snapshotWidth = 0, snapshotHeight = 0;
  const std::vector<uint32_t> expected = x11host::ReadPng(snapshot, snapshotWidth, snapshotHeight);
  ASSERT_EQ(expected.size(), static_cast<size_t>(kWidth * kHeight));
  const std::vector<Window> children = screen.Children(parent);
  ASSERT_EQ(children.size(), 1u);
  EXPECT_TRUE(runLoop([&] { return screen.Capture(children[0], kWidth, kHeight) == expected; }));

  // A drag on the WSpeed fader reaches the host through request_flush and a flush as soon as
  // the descriptor is served; the fader moves on the ticks.
  const auto* params =
      static_cast<const clap::PluginParams*>(plugin->get_extension(plugin, clap::kExtParams));
  double before = 0.0, after = 0.0;
  ASSERT_TRUE(params->get_value(plugin, 0, &before));
  const int handle = kWSpeedTrackLeft + static_cast<int>(before / 30.0 * (150 - 36)) + 18;
  screen.Drag(children[0], handle, kWSpeedY, handle + 60, kWSpeedY, 4);
  host::ClapEventList in, out;
  EXPECT_TRUE(runLoop(
      [&] {
        if (context.TakeFlushRequest()) params->flush(plugin, in.In(), out.Out());
        return !out.OfType(clap::kEventParamGestureEnd).empty();
      },
      false));
  EXPECT_TRUE(runLoop([&] { return screen.Capture(children[0], kWidth, kHeight) != expected; }));
  const auto& events = out.Events();
  ASSERT_GE(events.size(), 3u);
  EXPECT_EQ(events.front().header.type, clap::kEventParamGestureBegin);
  EXPECT_EQ(events.back().header.type, clap::kEventParamGestureEnd);
  EXPECT_EQ(out.OfType(clap::kEventParamGestureBegin).size(), 1u);
  EXPECT_EQ(out.OfType(clap::kEventParamGestureEnd).size(), 1u);
  ASSERT_TRUE(params->get_value(plugin, 0, &after));
  EXPECT_NEAR(after, before + 30.0 * 60 / (150 - 36), 0.6);
  EXPECT_EQ(events[events.size() - 2].param.value, after);
  for (const host::ClapEvent& e : events) EXPECT_EQ(e.gesture.param_id, 0u);

  editor->destroy(plugin);
  EXPECT_TRUE(gTimers.empty() && gFds.empty()) << "registrations left behind";
  plugin->destroy(plugin);
  screen.DestroyWindow(parent);
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
// fontconfig loses a few bytes once per process, in the editor's text path (as in tests/x11/).
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
#endif

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  x11host::XServer server;
  if (!server.Start()) return std::fprintf(stderr, "Xvfb could not be started\n"), 1;
  setenv("DISPLAY", server.Name().c_str(), 1);
  return RUN_ALL_TESTS();
}

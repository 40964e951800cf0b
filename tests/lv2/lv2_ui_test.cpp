// The LV2 UI in a host of the test's own, on an Xvfb it starts itself: embedded in the host's
// window with the snapshot's picture, driven by the host's idle calls with no thread of its own,
// and a drag written through the host's write function inside one touch.
// GoogleTest before Xlib, whose macros (None, Bool) would clash with it.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
// clang-format on
#include <dlfcn.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/x11/x11_host.h"

namespace {

using namespace std::chrono_literals;

constexpr int kWidth = 800;
constexpr int kHeight = 400;
constexpr int kWSpeedTrackLeft = 70, kWSpeedY = 70;

// The process's threads, as the kernel lists them.
size_t Threads() {
  const std::filesystem::directory_iterator tasks("/proc/self/task");
  return static_cast<size_t>(std::distance(begin(tasks), end(tasks)));
}

struct UiHost {
  std::vector<std::pair<uint32_t, float>> writes;
  std::vector<std::pair<uint32_t, bool>> touches;
  std::map<std::string, LV2_URID> ids;

  static void Write(LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t format,
                    const void* buffer) {
    if (size == sizeof(float) && format == 0)
      static_cast<UiHost*>(controller)
          ->writes.emplace_back(port, *static_cast<const float*>(buffer));
  }
  static void Touch(LV2UI_Feature_Handle handle, uint32_t port, bool grabbed) {
    static_cast<UiHost*>(handle)->touches.emplace_back(port, grabbed);
  }
  static LV2_URID Map(LV2_URID_Map_Handle handle, const char* uri) {
    auto& ids = static_cast<UiHost*>(handle)->ids;
    return ids.emplace(uri, static_cast<LV2_URID>(ids.size() + 1)).first->second;
  }
};

TEST(Lv2Ui, ShowsTheSnapshotInTheHostWindowAndADragWritesThroughTheHostInOneTouch) {
  x11host::Screen screen;
  ASSERT_NE(screen.Connection(), nullptr) << "no X server";
  void* library = dlopen(TINTINNA_LV2_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  const auto* dsp = reinterpret_cast<LV2_Descriptor_Function>(dlsym(library, "lv2_descriptor"))(0);
  const auto* ui =
      reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(library, "lv2ui_descriptor"))(0);
  ASSERT_TRUE(dsp && ui);

  UiHost host;
  LV2_URID_Map map{&host, &UiHost::Map};
  const LV2_Feature mapFeature{LV2_URID__map, &map};
  const LV2_Feature* dspFeatures[] = {&mapFeature, nullptr};
  LV2_Handle plugin = dsp->instantiate(dsp, 44100.0, TINTINNA_LV2_BUNDLE, dspFeatures);
  ASSERT_NE(plugin, nullptr);

  const Window parent = screen.CreateHostWindow(20, 20);
  LV2UI_Touch touch{&host, &UiHost::Touch};
  const LV2_Feature parentFeature{LV2_UI__parent,
                                  reinterpret_cast<void*>(static_cast<uintptr_t>(parent))};
  const LV2_Feature instanceFeature{LV2_INSTANCE_ACCESS_URI, plugin};
  const LV2_Feature idleFeature{LV2_UI__idleInterface, nullptr};
  const LV2_Feature touchFeature{LV2_UI__touch, &touch};
  const LV2_Feature* uiFeatures[] = {&parentFeature, &instanceFeature, &idleFeature,
                                     &touchFeature,  &mapFeature,      nullptr};
  LV2UI_Widget widget = nullptr;
  const size_t threads = Threads();
  LV2UI_Handle handle = ui->instantiate(ui, "urn:tintinna:chimes", TINTINNA_LV2_BUNDLE,
                                        &UiHost::Write, &host, &widget, uiFeatures);
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(Threads(), threads) << "a host with idle calls got an editor thread of ours";
  const auto editor = static_cast<Window>(reinterpret_cast<uintptr_t>(widget));
  EXPECT_EQ(screen.Children(parent), std::vector<Window>{editor});
  const auto* idle =
      static_cast<const LV2UI_Idle_Interface*>(ui->extension_data(LV2_UI__idleInterface));
  ASSERT_NE(idle, nullptr);
  // The host's loop: an idle call every 30 ms, as suil makes them.
  const auto idleUntil = [&](const std::function<bool()>& done) {
    for (auto end = std::chrono::steady_clock::now() + 5s; std::chrono::steady_clock::now() < end;
         std::this_thread::sleep_for(30ms)) {
      if (done()) return true;
      EXPECT_EQ(idle->idle(handle), 0);
    }
    return done();
  };

  const std::string path = std::string(TINTINNA_TEST_OUTPUT) + "/lv2-ui-snapshot.png";
  ASSERT_EQ(std::system(("'" TINTINNA_SNAPSHOT "' --out '" + path + "'").c_str()), 0);
  int width = 0, height = 0;
  const std::vector<uint32_t> expected = x11host::ReadPng(path, width, height);
  ASSERT_EQ(expected.size(), static_cast<size_t>(kWidth * kHeight));
  std::vector<uint32_t> shown;
  if (!idleUntil([&] { return (shown = screen.Capture(editor, kWidth, kHeight)) == expected; })) {
    x11host::WritePng(std::string(TINTINNA_TEST_OUTPUT) + "/lv2-ui-window.png", shown, kWidth,
                      kHeight);
    ADD_FAILURE() << "the first picture differs from the snapshot; see lv2-ui-window.png";
  }

  // A second UI of the same plug-in is refused, and leaves the first one's window alone.
  LV2UI_Widget second = nullptr;
  EXPECT_EQ(ui->instantiate(ui, "urn:tintinna:chimes", TINTINNA_LV2_BUNDLE, &UiHost::Write, &host,
                            &second, uiFeatures),
            nullptr);
  EXPECT_EQ(screen.Children(parent), std::vector<Window>{editor});

  // WSpeed's handle from 10 (of 30), 60 pixels to the right.
  const int handleX = kWSpeedTrackLeft + (150 - 36) / 3 + 18;
  screen.Drag(editor, handleX, kWSpeedY, handleX + 60, kWSpeedY, 6);
  ASSERT_TRUE(idleUntil([&] { return !host.touches.empty() && !host.touches.back().second; }));
  EXPECT_EQ(host.touches, (std::vector<std::pair<uint32_t, bool>>{{0, true}, {0, false}}));
  ASSERT_FALSE(host.writes.empty());
  EXPECT_EQ(host.writes.back().first, 0u);
  EXPECT_NEAR(host.writes.back().second, 10.0f + 60.0f * 30.0f / (150 - 36), 0.6f);

  ui->cleanup(handle);
  dsp->cleanup(plugin);
  screen.DestroyWindow(parent);
  // The library stays loaded: a leak checker names what it holds only while it is.
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
// fontconfig loses a few bytes once per process, inside the plug-in's text path.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
#endif

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
  x11host::XServer server;
  if (!server.Start()) {
    std::fprintf(stderr, "lv2_ui_test: Xvfb could not be started (is it installed?)\n");
    return 1;
  }
  setenv("DISPLAY", server.Name().c_str(), 1);
  const int result = RUN_ALL_TESTS();
  server.Stop();
  return result;
}

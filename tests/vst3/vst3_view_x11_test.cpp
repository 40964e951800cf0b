// Tintinna's VST 3 view on Linux under an Xvfb of the test's own, in a frame whose run loop is the
// test's: the editor must run from that loop alone, as in Ardour.
// GoogleTest and the plug-in's own headers before Xlib, whose macros (None, Bool) would clash.
#include <gtest/gtest.h>
// clang-format off
#include "instrument/tintinna.h"
#include "plug/vst3_factory.h"
#include "tests/vst3/vst3_test_host.h"
#include <X11/Xlib.h>
// clang-format on
#include <poll.h>

#include <chrono>
#include <cstdlib>
#include <functional>

#include "tests/x11/x11_host.h"

namespace {

using namespace std::chrono_literals;
using vst3::kResultOk;

constexpr int kWidth = 800, kHeight = 400;
constexpr int kWSpeedTrackLeft = 70, kWSpeedY = 70;  // the WSpeed fader's track

class RunLoop final : public vst3_test::HostObject<vst3::IRunLoop> {
 public:
  vst3::tresult registerEventHandler(vst3::IEventHandler* h, vst3::FileDescriptor f) override {
    handler = h, fd = f;
    return kResultOk;
  }
  vst3::tresult unregisterEventHandler(vst3::IEventHandler* h) override {
    if (h == handler) handler = nullptr;
    return kResultOk;
  }
  vst3::tresult registerTimer(vst3::ITimerHandler* h, vst3::TimerInterval ms) override {
    timer = h, period = ms;
    return kResultOk;
  }
  vst3::tresult unregisterTimer(vst3::ITimerHandler* h) override {
    if (h == timer) timer = nullptr;
    return kResultOk;
  }
  // Polls the descriptor and fires the timer on this thread until done, for 5 s at most.
  bool RunUntil(const std::function<bool()>& done) {
    auto tick = std::chrono::steady_clock::now();
    for (const auto end = tick + 5s; std::chrono::steady_clock::now() < end;) {
      if (done()) return true;
      pollfd p{fd, POLLIN, 0};
      if (handler && poll(&p, 1, 5) > 0) handler->onFDIsSet(fd);
      if (timer && std::chrono::steady_clock::now() >= tick) {
        timer->onTimer();
        tick += std::chrono::milliseconds(period);
      }
    }
    return done();
  }
  vst3::IEventHandler* handler = nullptr;
  vst3::ITimerHandler* timer = nullptr;
  int fd = -1;
  vst3::TimerInterval period = 0;
};

// Offers its run loop only when it has one.
class Frame final : public vst3_test::HostObject<vst3::IPlugFrame> {
 public:
  explicit Frame(RunLoop* loop) : loop_(loop) {}
  vst3::tresult queryInterface(const vst3::TUID iid, void** obj) override {
    if (!vst3::IsIid<vst3::IRunLoop>(iid))
      return vst3_test::HostObject<vst3::IPlugFrame>::queryInterface(iid, obj);
    *obj = loop_;
    if (!loop_) return vst3::kNoInterface;
    loop_->addRef();
    return kResultOk;
  }
  vst3::tresult resizeView(vst3::IPlugView*, vst3::ViewRect*) override { return kResultOk; }

 private:
  RunLoop* loop_;
};

TEST(Vst3ViewX11, TheHostsRunLoopDrivesTheEditorItsFirstPaintAndAnEditGesture) {
  x11host::Screen screen;
  ASSERT_NE(screen.Connection(), nullptr);
  Vst3Factory factory{&CreateEffectInstance};
  void* object = nullptr;
  const vst3::UidBytes cid =
      vst3::ToBytes(vst3::Vst2SuccessorUid(IEffectBase::FourCC("tnta"), "Tintinna"));
  ASSERT_EQ(factory.createInstance(cid.data(), vst3::kIid<vst3::IComponent>.data(), &object),
            kResultOk);
  auto* component = static_cast<vst3::IComponent*>(object);
  component->initialize(nullptr);
  void* found = nullptr;
  component->queryInterface(vst3::kIid<vst3::IEditController>.data(), &found);
  auto* controller = static_cast<vst3::IEditController*>(found);
  vst3_test::Handler handler;
  controller->setComponentHandler(&handler);
  vst3::IPlugView* view = controller->createView("editor");
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->isPlatformTypeSupported("X11EmbedWindowID"), kResultOk);
  const Window host = screen.CreateHostWindow(20, 20);
  void* parent = reinterpret_cast<void*>(static_cast<uintptr_t>(host));

  // A frame without a run loop gets no editor: nothing of ours could drive it.
  Frame bare(nullptr);
  view->setFrame(&bare);
  EXPECT_NE(view->attached(parent, "X11EmbedWindowID"), kResultOk);
  EXPECT_TRUE(screen.Children(host).empty());

  RunLoop loop;
  Frame frame(&loop);
  view->setFrame(&frame);
  ASSERT_EQ(view->attached(parent, "X11EmbedWindowID"), kResultOk);
  ASSERT_NE(loop.handler, nullptr);
  ASSERT_NE(loop.timer, nullptr);
  EXPECT_EQ(loop.period, 41u);
  const Window editor = screen.Children(host).at(0);
  const std::string snapshot = std::string(TINTINNA_TEST_OUTPUT) + "/vst3-view-snapshot.png";
  ASSERT_EQ(std::system(("'" TINTINNA_SNAPSHOT "' --out '" + snapshot + "'").c_str()), 0);
  int width = 0, height = 0;
  const std::vector<uint32_t> expected = x11host::ReadPng(snapshot, width, height);
  ASSERT_EQ(expected.size(), static_cast<size_t>(kWidth * kHeight));
  EXPECT_TRUE(loop.RunUntil([&] { return screen.Capture(editor, kWidth, kHeight) == expected; }));

  const double before = controller->getParamNormalized(Tintinna::kWindSpeed);
  const int handle = kWSpeedTrackLeft + static_cast<int>(before * (150 - 36)) + 18;
  screen.Drag(editor, handle, kWSpeedY, handle + 60, kWSpeedY, 4);
  EXPECT_TRUE(
      loop.RunUntil([&] { return !handler.calls.empty() && handler.calls.back() == "end 0"; }));
  // Balanced: every value inside a begin and end of its parameter.
  int open = 0;
  for (const std::string& call : handler.calls) {
    if (call == "begin 0") {
      EXPECT_EQ(open++, 0);
    } else if (call == "end 0") {
      EXPECT_EQ(open--, 1);
    } else {
      EXPECT_EQ(call, "perform 0");
      EXPECT_EQ(open, 1) << "an edit outside its gesture";
    }
  }
  EXPECT_EQ(open, 0);
  EXPECT_GE(std::count(handler.calls.begin(), handler.calls.end(), "perform 0"), 2);
  EXPECT_NEAR(controller->getParamNormalized(Tintinna::kWindSpeed), before + 60.0 / (150 - 36),
              0.02);

  EXPECT_EQ(view->removed(), kResultOk);
  EXPECT_EQ(loop.handler, nullptr);
  EXPECT_EQ(loop.timer, nullptr);
  view->setFrame(nullptr);
  EXPECT_EQ(view->release(), 0u);
  EXPECT_EQ(loop.held + frame.held, 0);
  controller->setComponentHandler(nullptr);
  controller->release();
  component->terminate();
  EXPECT_EQ(component->release(), 0u);
  screen.DestroyWindow(host);
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
  x11host::XServer server;
  if (!server.Start()) return 1;
  setenv("DISPLAY", server.Name().c_str(), 1);
  return RUN_ALL_TESTS();
}

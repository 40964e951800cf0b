// The plug-in's editor opened as an X11 child of a host window, on a virtual X server of the
// test's own, and driven with real input events, as a user at a Linux host drives it.
// GoogleTest and the plug-in's own headers before Xlib, whose macros (None, Bool) would clash.
#include <gtest/gtest.h>
// clang-format off
#include "graphics/editor_loop.h"
#include "graphics/editor_window.h"
#include "instrument/tintinna.h"
#include <X11/Xlib.h>
#include <X11/keysym.h>
// clang-format on
#include <dirent.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/x11/x11_host.h"

namespace {

using namespace std::chrono_literals;
using x11host::Plugin;

constexpr int kWidth = 800;
constexpr int kHeight = 400;

// Parameters and the places of their controls in the editor.
constexpr int32_t kWSpeed = 0;
constexpr int32_t kTone1 = 3;
constexpr int32_t kTone3 = 5;
constexpr int32_t kAlgorithm = 13;
constexpr int32_t kDuration = 14;
constexpr int32_t kNumberA = 18;
constexpr int32_t kCcA = 19;
constexpr int kWSpeedTrackLeft = 70, kWSpeedY = 70;
constexpr int kTone1X = 470, kTone1Y = 70;
constexpr int kDurationX = 530, kDurationY = 290;
constexpr int kAlgorithmX = 530, kAlgorithmY = 210;
constexpr int kCcAX = 205, kCcAY = 325;
constexpr int kNumberAX = 150, kNumberAY = 330;
constexpr int kTransposeUpX = 769, kTransposeUpY = 69;
constexpr int kEmptyX = 300, kEmptyY = 200;

x11host::XServer* gServer = nullptr;

// Waits for a condition while the host does what a host does meanwhile: with idle on, it calls
// effEditIdle every 20 ms from this (its window) thread.
bool WaitFor(const std::function<bool()>& done, const std::vector<Plugin*>& idled = {},
             std::chrono::milliseconds limit = 5000ms) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    for (Plugin* plugin : idled) plugin->Dispatch(vst2::effEditIdle);
    std::this_thread::sleep_for(20ms);
  }
  return done();
}

std::string SnapshotPath(const std::string& name) {
  return std::string(TINTINNA_TEST_OUTPUT) + "/x11-" + name + ".png";
}

// The off-screen picture of an instance in the given state, drawn by tintinna-snapshot.
std::vector<uint32_t> Snapshot(const std::string& name, const std::vector<std::string>& settings) {
  const std::string path = SnapshotPath(name + "-snapshot");
  std::string command = std::string("'") + TINTINNA_SNAPSHOT + "' --out '" + path + "'";
  for (const std::string& s : settings) command += " --set '" + s + "'";
  if (std::system(command.c_str()) != 0) return {};
  int width = 0, height = 0;
  return x11host::ReadPng(path, width, height);
}

class X11Editor : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    ASSERT_NE(screen_.Connection(), nullptr) << "no X server";
    plugin_ = std::make_unique<Plugin>();
    ASSERT_NE(plugin_->Effect(), nullptr) << "tintinna.so did not load: " << TINTINNA_PLUGIN;
    host_ = screen_.CreateHostWindow(20, 20);
    ASSERT_NE(plugin_->Dispatch(vst2::effEditOpen, 0, 0, WindowPointer(host_)), 0);
    const std::vector<Window> children = screen_.Children(host_);
    ASSERT_EQ(children.size(), 1u);
    editor_ = children[0];
    // The first picture follows the open request: the skin is nowhere black.
    ASSERT_TRUE(Until([&] {
      const std::vector<uint32_t> shown = screen_.Capture(editor_, kWidth, kHeight);
      return !shown.empty() && shown[200 * kWidth + 300] != 0u;
    }));
    plugin_->ClearNotices();
  }

  void TearDown() override {
    if (plugin_ && plugin_->Effect()) plugin_->Dispatch(vst2::effEditClose);
    plugin_.reset();
    if (host_) screen_.DestroyWindow(host_);
  }

  static void* WindowPointer(Window window) {
    return reinterpret_cast<void*>(static_cast<uintptr_t>(window));
  }
  std::vector<Plugin*> Idled() {
    return GetParam() ? std::vector<Plugin*>{plugin_.get()} : std::vector<Plugin*>{};
  }
  bool Until(const std::function<bool()>& done) { return WaitFor(done, Idled()); }

  // The pixels around a point, where an entry box opens over its control.
  std::vector<uint32_t> Around(int x, int y) {
    const std::vector<uint32_t> all = screen_.Capture(editor_, kWidth, kHeight);
    std::vector<uint32_t> part;
    for (int row = y - 2; row < y + 6; ++row)
      for (int column = x - 8; column < x + 8; ++column)
        part.push_back(all.empty() ? 0u : all[static_cast<size_t>(row) * kWidth + column]);
    return part;
  }
  // A right click on the control at (x, y), once its entry box shows.
  bool OpenEntry(int x, int y) {
    const std::vector<uint32_t> before = Around(x, y);
    screen_.Click(editor_, x, y, 3);
    return Until([&] { return Around(x, y) != before; });
  }

  // The window's picture equals the snapshot of the same state, sooner or later.
  void ExpectPictureOf(const std::string& state, const std::vector<std::string>& settings) {
    // Each case its own files: the cases may run at the same time.
    const std::string name = state + (GetParam() ? "-idle" : "");
    const std::vector<uint32_t> expected = Snapshot(name, settings);
    ASSERT_EQ(expected.size(), static_cast<size_t>(kWidth * kHeight)) << "no snapshot";
    std::vector<uint32_t> shown;
    const bool same = Until([&] {
      shown = screen_.Capture(editor_, kWidth, kHeight);
      return shown == expected;
    });
    if (same) return;
    x11host::WritePng(SnapshotPath(name + "-window"), shown, kWidth, kHeight);
    size_t differing = 0, first = 0;
    for (size_t i = shown.size(); i-- > 0;)
      if (i >= expected.size() || shown[i] != expected[i]) ++differing, first = i;
    ADD_FAILURE() << name << ": " << differing << " pixels differ, the first at (" << first % kWidth
                  << ", " << first / kWidth << "); see " << SnapshotPath(name + "-window");
  }

  x11host::Screen screen_;
  std::unique_ptr<Plugin> plugin_;
  Window host_ = 0;
  Window editor_ = 0;
};

// ---- The window and its pictures --------------------------------------------------------------

TEST_P(X11Editor, OpensAChildOfTheHostWindowThatShowsTheSnapshotsPicture) {
  XWindowAttributes a{};
  ASSERT_TRUE(XGetWindowAttributes(screen_.Connection(), editor_, &a));
  EXPECT_EQ(a.width, kWidth);
  EXPECT_EQ(a.height, kHeight);
  EXPECT_EQ(a.x, 0);
  EXPECT_EQ(a.y, 0);
  EXPECT_EQ(a.map_state, IsViewable);
  vst2::ERect* rect = nullptr;
  plugin_->Dispatch(vst2::effEditGetRect, 0, 0, &rect);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->right, kWidth);
  EXPECT_EQ(rect->bottom, kHeight);
  ExpectPictureOf("first-paint", {});
}

TEST_P(X11Editor, ClicksOnASwitchAndTheTransposeButtonsChangeThemAndThePicture) {
  screen_.Click(editor_, kCcAX, kCcAY);
  ASSERT_TRUE(Until([&] { return plugin_->NoticesFor(kCcA).size() >= 3; }));
  EXPECT_EQ(plugin_->Get(kCcA), 1.0f);
  EXPECT_EQ(plugin_->NoticesFor(kCcA),
            (std::vector<int32_t>{vst2::audioMasterAutomate, vst2::audioMasterBeginEdit,
                                  vst2::audioMasterEndEdit}));
  ExpectPictureOf("switch-on", {"CC A=1"});

  ASSERT_EQ(plugin_->Display(kTone1), "48");
  screen_.Click(editor_, kTransposeUpX, kTransposeUpY);
  ASSERT_TRUE(Until([&] { return plugin_->Display(kTone1) == "49"; }));
  // A tone at the top greys the button: it no longer transposes.
  plugin_->Set(kTone3, 1.0f);
  ExpectPictureOf("transpose-greyed",
                  {"CC A=1", "Tone 1=49", "Tone 2=51", "Tone 3=127", "Tone 4=54", "Tone 5=56",
                   "Tone 6=58", "Tone 7=60", "Tone 8=61"});
  screen_.Click(editor_, kTransposeUpX, kTransposeUpY);
  // Events are handled in order: once a later click is seen, the greyed one was handled.
  screen_.Click(editor_, kCcAX, kCcAY);
  ASSERT_TRUE(Until([&] { return plugin_->Get(kCcA) == 0.0f; }));
  EXPECT_EQ(plugin_->Display(kTone1), "49");
}

TEST_P(X11Editor, ADoubleClickOnASwitchTogglesTwiceAndIsReportedAsADoubleClick) {
  screen_.Click(editor_, kCcAX, kCcAY);
  screen_.Click(editor_, kCcAX, kCcAY);
  // The second press of a double click reaches the core as a double click, which a switch
  // takes as a click: its edit begins before the value moves, unlike a plain press's.
  ASSERT_TRUE(Until([&] { return plugin_->NoticesFor(kCcA).size() >= 6; }));
  EXPECT_EQ(plugin_->Get(kCcA), 0.0f);
  EXPECT_EQ(plugin_->NoticesFor(kCcA),
            (std::vector<int32_t>{vst2::audioMasterAutomate, vst2::audioMasterBeginEdit,
                                  vst2::audioMasterEndEdit, vst2::audioMasterBeginEdit,
                                  vst2::audioMasterAutomate, vst2::audioMasterEndEdit}));
  // Later, or farther away, a press is a press again.
  std::this_thread::sleep_for(500ms);
  plugin_->ClearNotices();
  screen_.Click(editor_, kCcAX, kCcAY);
  ASSERT_TRUE(Until([&] { return plugin_->NoticesFor(kCcA).size() >= 3; }));
  EXPECT_EQ(plugin_->NoticesFor(kCcA),
            (std::vector<int32_t>{vst2::audioMasterAutomate, vst2::audioMasterBeginEdit,
                                  vst2::audioMasterEndEdit}));
}

TEST_P(X11Editor, DragOnTheWSpeedFaderMovesItInOneEditGesture) {
  const float before = plugin_->Get(kWSpeed);
  const int handle = kWSpeedTrackLeft + static_cast<int>(before * (150 - 36)) + 18;
  screen_.Drag(editor_, handle, kWSpeedY, handle + 60, kWSpeedY, 6);
  ASSERT_TRUE(Until([&] {
    const std::vector<int32_t> n = plugin_->NoticesFor(kWSpeed);
    return !n.empty() && n.back() == vst2::audioMasterEndEdit;
  }));
  EXPECT_NEAR(plugin_->Get(kWSpeed), before + 60.0f / (150 - 36), 0.02f);
  const std::vector<int32_t> n = plugin_->NoticesFor(kWSpeed);
  ASSERT_GE(n.size(), 4u);
  EXPECT_EQ(n[1], vst2::audioMasterBeginEdit);
  EXPECT_EQ(std::count(n.begin(), n.end(), vst2::audioMasterBeginEdit), 1);
  EXPECT_EQ(std::count(n.begin(), n.end(), vst2::audioMasterEndEdit), 1);
  EXPECT_GE(std::count(n.begin(), n.end(), vst2::audioMasterAutomate), 2);
}

TEST_P(X11Editor, ClosingTheEditorDuringADragEndsTheEdit) {
  const int handle = kWSpeedTrackLeft + static_cast<int>(plugin_->Get(kWSpeed) * (150 - 36)) + 18;
  screen_.MoveTo(editor_, handle, kWSpeedY);
  screen_.Press(1);
  ASSERT_TRUE(Until([&] {
    const std::vector<int32_t> n = plugin_->NoticesFor(kWSpeed);
    return std::count(n.begin(), n.end(), vst2::audioMasterBeginEdit) == 1;
  }));
  EXPECT_EQ(plugin_->Dispatch(vst2::effEditClose), 1);
  screen_.Release(1);
  const std::vector<int32_t> n = plugin_->NoticesFor(kWSpeed);
  ASSERT_FALSE(n.empty());
  EXPECT_EQ(n.back(), vst2::audioMasterEndEdit);
  EXPECT_EQ(std::count(n.begin(), n.end(), vst2::audioMasterEndEdit), 1);
}

TEST_P(X11Editor, WheelOnAToneMovesItOneStepPerNotchAndTheSideWheelNot) {
  screen_.MoveTo(editor_, kTone1X, kTone1Y);
  screen_.Press(4), screen_.Release(4);
  ASSERT_TRUE(Until([&] { return plugin_->Display(kTone1) == "49"; }));
  screen_.Press(5), screen_.Release(5);
  ASSERT_TRUE(Until([&] { return plugin_->Display(kTone1) == "48"; }));
  screen_.Press(6), screen_.Release(6);
  screen_.Press(7), screen_.Release(7);
  screen_.Press(4), screen_.Release(4);  // handled after them
  ASSERT_TRUE(Until([&] { return plugin_->Display(kTone1) != "48"; }));
  EXPECT_EQ(plugin_->Display(kTone1), "49");
}

// ---- The value entry --------------------------------------------------------------------------

TEST_P(X11Editor, RightClickOnDurationOpensTheEntryAndTypedTextCommitsOnReturn) {
  // The box is drawn over the fader, centred on it.
  ASSERT_TRUE(OpenEntry(kDurationX, kDurationY));
  // The click took the keyboard focus: typing reaches the box with the pointer elsewhere.
  screen_.MoveTo(editor_, kWidth + 200, kHeight + 200);
  screen_.Type("2.5");
  std::this_thread::sleep_for(100ms);
  // Left in the build tree, for anyone to look at.
  x11host::WritePng(SnapshotPath(GetParam() ? "entry-open-idle" : "entry-open"),
                    screen_.Capture(editor_, kWidth, kHeight), kWidth, kHeight);
  screen_.Key(XK_Return);
  const float expected = static_cast<float>((2.5 - 0.1) / 9.9);
  ASSERT_TRUE(Until([&] { return std::fabs(plugin_->Get(kDuration) - expected) < 1e-4f; }))
      << plugin_->Display(kDuration);
  ExpectPictureOf("duration-committed", {"Duration=2.5"});
}

TEST_P(X11Editor, EscapeAndARightClickCancelAndALeftClickElsewhereCommitsAndPresses) {
  const std::vector<uint32_t> plain = Around(kDurationX, kDurationY);
  const auto closed = [&] { return Around(kDurationX, kDurationY) == plain; };
  ASSERT_TRUE(OpenEntry(kDurationX, kDurationY));
  screen_.Type("7");
  screen_.Key(XK_Escape);
  ASSERT_TRUE(Until(closed));
  ASSERT_TRUE(OpenEntry(kDurationX, kDurationY));
  screen_.Type("8");
  screen_.Click(editor_, kEmptyX, kEmptyY, 3);
  ASSERT_TRUE(Until(closed));
  ExpectPictureOf("entry-cancelled", {});
  EXPECT_NEAR(plugin_->Get(kDuration), 0.0f, 1e-6f);

  ASSERT_TRUE(OpenEntry(kDurationX, kDurationY));
  screen_.Type("4");
  screen_.Click(editor_, kCcAX, kCcAY);
  ASSERT_TRUE(Until([&] { return plugin_->Get(kCcA) == 1.0f; }));
  ASSERT_TRUE(Until([&] { return plugin_->Display(kDuration).rfind("4", 0) == 0; }))
      << plugin_->Display(kDuration);
}

TEST_P(X11Editor, TheEntryFollowsTheHostUntilTheUserTypesAndThenKeepsTheTyping) {
  // Untouched, the box takes the value the host sets.
  ASSERT_TRUE(OpenEntry(kDurationX, kDurationY));
  const std::vector<uint32_t> filled = Around(kDurationX, kDurationY);
  const auto five = static_cast<float>((5.0 - 0.1) / 9.9);  // shown as "5.0"
  plugin_->Set(kDuration, five);
  ASSERT_TRUE(Until([&] { return Around(kDurationX, kDurationY) != filled; }));
  screen_.Key(XK_Return);
  ASSERT_TRUE(Until([&] { return std::fabs(plugin_->Get(kDuration) - five) < 1e-4f; }));
  std::this_thread::sleep_for(50ms);  // the box closes right after the value is set

  ASSERT_TRUE(OpenEntry(kDurationX, kDurationY));
  screen_.Type("3");
  for (int i = 0; i < 20; ++i) {
    plugin_->Set(kDuration, (i % 10) / 10.0f);
    std::this_thread::sleep_for(20ms);
  }
  screen_.Key(XK_Return);
  const float expected = static_cast<float>((3.0 - 0.1) / 9.9);
  ASSERT_TRUE(Until([&] { return std::fabs(plugin_->Get(kDuration) - expected) < 1e-4f; }))
      << plugin_->Display(kDuration);
}

TEST_P(X11Editor, TheAlgorithmDropDownCommitsTheChosenItem) {
  ASSERT_TRUE(OpenEntry(kAlgorithmX, kAlgorithmY));
  x11host::WritePng(SnapshotPath(GetParam() ? "list-open-idle" : "list-open"),
                    screen_.Capture(editor_, kWidth, kHeight), kWidth, kHeight);
  // The list opens below the field's centre: "Select Any", then "Favor Neighbors".
  screen_.Click(editor_, kAlgorithmX, kAlgorithmY + 1 + 16 + 8);
  ASSERT_TRUE(Until([&] { return plugin_->Display(kAlgorithm) == "Favor Neighbors"; }))
      << plugin_->Display(kAlgorithm);
  ExpectPictureOf("algorithm-chosen", {"Algorithm=Favor Neighbors"});
}

TEST_P(X11Editor, EveryItemOfA127ItemListCanBeChosenByKeyboardAndByMouse) {
  const std::vector<uint32_t> underList = Around(30, 20);
  ASSERT_TRUE(OpenEntry(kNumberAX, kNumberAY));
  screen_.Key(XK_End);
  screen_.Key(XK_Return);
  ASSERT_TRUE(Until([&] { return plugin_->Display(kNumberA) == "127"; }));
  ASSERT_TRUE(Until([&] { return Around(30, 20) == underList; }));  // closed
  // Columns of 24 rows (400 pixels) 48 wide, centred on the field and kept inside the editor:
  // item 100 ("101") is the fifth of the fifth column.
  ASSERT_TRUE(OpenEntry(kNumberAX, kNumberAY));
  const int left = kNumberAX - 6 * 48 / 2, top = kHeight - (24 * 16 + 2);
  screen_.Click(editor_, left + 4 * 48 + 24, top + 1 + 4 * 16 + 8);
  ASSERT_TRUE(Until([&] { return plugin_->Display(kNumberA) == "101"; }))
      << plugin_->Display(kNumberA);
}

INSTANTIATE_TEST_SUITE_P(Idle, X11Editor, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& idle) {
                           return idle.param ? "IdleEvery20ms" : "NeverIdle";
                         });

// ---- Life and death ---------------------------------------------------------------------------

class X11EditorLife : public testing::Test {
 protected:
  static void* WindowPointer(Window window) {
    return reinterpret_cast<void*>(static_cast<uintptr_t>(window));
  }
  // The editor in the host window still answers a click on the switch.
  bool Responds(Plugin& plugin, Window host) {
    const std::vector<Window> children = screen_.Children(host);
    if (children.size() != 1) return false;
    const float before = plugin.Get(kCcA);
    screen_.Click(children[0], kCcAX, kCcAY);
    return WaitFor([&] { return plugin.Get(kCcA) != before; });
  }

  x11host::Screen screen_;
};

TEST_F(X11EditorLife, CloseReopenOpenWhileOpenAndTwoInstances) {
  Plugin first, second;
  const Window a = screen_.CreateHostWindow(20, 20), b = screen_.CreateHostWindow(20, 500);
  ASSERT_NE(first.Dispatch(vst2::effEditOpen, 0, 0, WindowPointer(a)), 0);
  ASSERT_NE(second.Dispatch(vst2::effEditOpen, 0, 0, WindowPointer(b)), 0);
  EXPECT_TRUE(Responds(first, a));
  EXPECT_TRUE(Responds(second, b));

  EXPECT_EQ(first.Dispatch(vst2::effEditClose), 1);
  EXPECT_TRUE(screen_.Children(a).empty());
  EXPECT_TRUE(Responds(second, b)) << "the other instance's editor goes on";
  ASSERT_NE(first.Dispatch(vst2::effEditOpen, 0, 0, WindowPointer(a)), 0);
  EXPECT_TRUE(Responds(first, a));

  // An open request while open replaces the window: still one child, still alive.
  ASSERT_NE(first.Dispatch(vst2::effEditOpen, 0, 0, WindowPointer(a)), 0);
  EXPECT_EQ(screen_.Children(a).size(), 1u);
  EXPECT_TRUE(Responds(first, a));
  first.Dispatch(vst2::effEditClose);
  second.Dispatch(vst2::effEditClose);
  screen_.DestroyWindow(a);
  screen_.DestroyWindow(b);
}

TEST_F(X11EditorLife, TheHostDestroyingItsWindowFirstLeavesTheEditorReadyToOpenAgain) {
  Plugin plugin;
  const Window first = screen_.CreateHostWindow(20, 20);
  ASSERT_NE(plugin.Dispatch(vst2::effEditOpen, 0, 0, WindowPointer(first)), 0);
  screen_.DestroyWindow(first);
  std::this_thread::sleep_for(150ms);
  plugin.Dispatch(vst2::effEditIdle);
  EXPECT_EQ(plugin.Dispatch(vst2::effEditClose), 1);
  const Window second = screen_.CreateHostWindow(20, 20);
  ASSERT_NE(plugin.Dispatch(vst2::effEditOpen, 0, 0, WindowPointer(second)), 0);
  EXPECT_TRUE(Responds(plugin, second));
  // And without a close in between: the host's window goes, then the host opens again.
  screen_.DestroyWindow(second);
  const Window third = screen_.CreateHostWindow(20, 20);
  ASSERT_NE(plugin.Dispatch(vst2::effEditOpen, 0, 0, WindowPointer(third)), 0);
  EXPECT_TRUE(Responds(plugin, third));
  screen_.DestroyWindow(third);
}

TEST_F(X11EditorLife, AHostThatShowsItsWindowAfterOpeningGetsTheWholePicture) {
  Plugin plugin;
  const Window host = screen_.CreateHostWindow(20, 20, false);
  ASSERT_NE(plugin.Dispatch(vst2::effEditOpen, 0, 0, WindowPointer(host)), 0);
  std::this_thread::sleep_for(100ms);  // the first picture went to a window not yet shown
  screen_.Map(host);
  const std::vector<uint32_t> expected = Snapshot("late-map", {});
  ASSERT_EQ(expected.size(), static_cast<size_t>(kWidth * kHeight));
  const Window editor = screen_.Children(host).at(0);
  EXPECT_TRUE(WaitFor([&] { return screen_.Capture(editor, kWidth, kHeight) == expected; }));
  plugin.Dispatch(vst2::effEditClose);
  screen_.DestroyWindow(host);
}

TEST_F(X11EditorLife, ABadWindowIdOrNoDisplayOpensNothing) {
  Plugin plugin;
  EXPECT_EQ(plugin.Dispatch(vst2::effEditOpen, 0, 0, nullptr), 0);
  EXPECT_EQ(plugin.Dispatch(vst2::effEditOpen, 0, 0, WindowPointer(0x7FFFFF01)), 0);
  EXPECT_EQ(plugin.Dispatch(vst2::effEditClose), 1);
  const Window host = screen_.CreateHostWindow(20, 20);
  const std::string display = gServer->Name();
  unsetenv("DISPLAY");
  EXPECT_EQ(plugin.Dispatch(vst2::effEditOpen, 0, 0, WindowPointer(host)), 0);
  setenv("DISPLAY", ":4097", 1);  // a server that is not there
  EXPECT_EQ(plugin.Dispatch(vst2::effEditOpen, 0, 0, WindowPointer(host)), 0);
  setenv("DISPLAY", display.c_str(), 1);
  EXPECT_TRUE(screen_.Children(host).empty());
  // Nothing was left half open.
  ASSERT_NE(plugin.Dispatch(vst2::effEditOpen, 0, 0, WindowPointer(host)), 0);
  EXPECT_TRUE(Responds(plugin, host));
  screen_.DestroyWindow(host);
}

TEST_F(X11EditorLife, ADisplayThatGoesAwayDoesNotEndTheHost) {
  x11host::XServer other;
  ASSERT_TRUE(other.Start());
  const std::string display = gServer->Name();
  setenv("DISPLAY", other.Name().c_str(), 1);
  Plugin plugin;
  Window host = 0;
  {
    // The host's window outlives the host's connection, which must not break with the server.
    x11host::Screen otherScreen;
    ASSERT_NE(otherScreen.Connection(), nullptr);
    host = otherScreen.CreateHostWindow(0, 0);
    XSetCloseDownMode(otherScreen.Connection(), RetainPermanent);
  }
  const intptr_t opened = plugin.Dispatch(vst2::effEditOpen, 0, 0, WindowPointer(host));
  setenv("DISPLAY", display.c_str(), 1);
  ASSERT_NE(opened, 0);
  std::this_thread::sleep_for(100ms);
  other.Stop();
  std::this_thread::sleep_for(200ms);
  plugin.Dispatch(vst2::effEditIdle);
  EXPECT_EQ(plugin.Dispatch(vst2::effEditClose), 1);
  // Still here, and the editor opens on the display that is left.
  const Window again = screen_.CreateHostWindow(20, 20);
  ASSERT_NE(plugin.Dispatch(vst2::effEditOpen, 0, 0, WindowPointer(again)), 0);
  EXPECT_TRUE(Responds(plugin, again));
  screen_.DestroyWindow(again);
}

TEST_F(X11EditorLife, APressWhoseReleaseNeverArrivesEndsItsEditWhenTheWindowGoesAway) {
  Plugin plugin;
  const Window host = screen_.CreateHostWindow(20, 20);
  ASSERT_NE(plugin.Dispatch(vst2::effEditOpen, 0, 0, WindowPointer(host)), 0);
  const Window editor = screen_.Children(host).at(0);
  const auto ends = [&] {
    const std::vector<int32_t> n = plugin.NoticesFor(kWSpeed);
    return std::count(n.begin(), n.end(), vst2::audioMasterEndEdit);
  };
  screen_.MoveTo(editor, kWSpeedTrackLeft + 20, kWSpeedY);
  screen_.Press(1);
  ASSERT_TRUE(WaitFor([&] { return !plugin.NoticesFor(kWSpeed).empty(); }));
  // The host hides its window: the pointer's grab ends, and the release goes nowhere.
  screen_.Unmap(host);
  EXPECT_TRUE(WaitFor([&] { return ends() == 1; }));
  screen_.Release(1);
  screen_.Map(host);
  EXPECT_TRUE(Responds(plugin, host));
  EXPECT_EQ(ends(), 1);
  plugin.Dispatch(vst2::effEditClose);
  screen_.DestroyWindow(host);
}

// ---- The keyboard under a window manager ------------------------------------------------------

TEST(X11EditorKeyboard, TheEntryTakesTheKeysFromTheWindowManagerAndAClickLeavesThemToTheHost) {
  x11host::WindowManager manager;
  ASSERT_TRUE(manager.Start());
  x11host::Screen screen;
  Plugin plugin;
  const Window other = screen.CreateHostWindow(900, 20, true, true);
  const Window host = screen.CreateHostWindow(20, 20, true, true);
  ASSERT_NE(plugin.Dispatch(vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(host)), 0);
  const Window editor = screen.Children(host).at(0);
  const auto until = [&](const std::function<bool()>& done) {
    return WaitFor([&] { return screen.Pump(), done(); });
  };
  // The user worked in another top-level window last.
  screen.Click(other, 10, 10);
  ASSERT_TRUE(until([&] { return screen.Focus() == other; }));
  // A right click opens the entry, and the window manager activates the host's window, which
  // takes the focus as a toolkit does.
  const int offers = screen.FocusOffers();
  screen.Click(editor, kDurationX, kDurationY, 3);
  ASSERT_TRUE(until([&] { return screen.FocusOffers() > offers && screen.Focus() == editor; }));
  screen.Type("2.5");
  screen.Key(XK_Return);
  EXPECT_TRUE(until([&] {
    return std::fabs(plugin.Get(kDuration) - (2.5f - 0.1f) / 9.9f) < 1e-4f;
  })) << plugin.Display(kDuration);
  // Closed, the entry gives the keyboard back; a click on a switch leaves it with the host.
  EXPECT_TRUE(until([&] { return screen.Focus() == host; }));
  screen.Click(editor, kCcAX, kCcAY);
  ASSERT_TRUE(until([&] { return plugin.Get(kCcA) == 1.0f; }));
  screen.Key(XK_space);
  EXPECT_TRUE(until([&] { return screen.KeyPressed(host, XK_space); }));
  plugin.Dispatch(vst2::effEditClose);
}

// ---- Threads ----------------------------------------------------------------------------------

// Audio processing, host automation and a user at the open editor, all at once (run under
// ThreadSanitizer in the tsan preset); then the X server stops while the user types into the
// value entry, and no processing call may wait for it.
TEST(X11EditorThreads, AudioAutomationAndTheEditorRunTogetherAndAStoppedServerHoldsUpNoProcessing) {
  using Clock = std::chrono::steady_clock;
  x11host::Screen screen;
  ASSERT_NE(screen.Connection(), nullptr);
  Plugin plugin;
  const Window host = screen.CreateHostWindow(20, 20);
  plugin.Set(kWSpeed, 1.0f);
  ASSERT_NE(plugin.Dispatch(vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(host)), 0);
  const Window editor = screen.Children(host).at(0);
  std::atomic<bool> stop{false}, stopAutomation{false}, stalled{false}, watching{false};
  std::atomic<int> stalledCalls{0};
  std::atomic<int64_t> longestUs{0};
  std::thread audio([&] {
    while (!stop.load()) {
      const auto start = Clock::now();
      plugin.Process(512);
      const int64_t us =
          std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
      if (watching.load()) longestUs.store(std::max(longestUs.load(), us));
      if (stalled.load()) stalledCalls.fetch_add(1);
    }
  });
  std::thread automation([&] {
    for (int i = 0; !stopAutomation.load(); ++i) {
      plugin.Set(kTone1 + i % 8, (i % 128) / 127.0f);
      plugin.Set(kDuration, (i % 100) / 100.0f);
      std::this_thread::sleep_for(1ms);
    }
  });
  for (int round = 0; round < 3; ++round) {
    screen.Click(editor, kCcAX, kCcAY);
    screen.Drag(editor, 100, kWSpeedY, 160, kWSpeedY, 4);
    screen.MoveTo(editor, kTone1X, kTone1Y);
    screen.Press(4), screen.Release(4);
    screen.Click(editor, kDurationX, kDurationY, 3);
    ASSERT_TRUE(WaitFor([&] { return screen.Focus() == editor; }));  // the entry is open
    screen.Type("1.5");
    screen.Key(XK_Return);
    ASSERT_TRUE(WaitFor([&] { return screen.Focus() != editor; }));  // and closed
    for (int i = 0; i < 5; ++i) {
      plugin.Dispatch(vst2::effEditIdle);
      std::this_thread::sleep_for(20ms);
    }
  }
  // Every edit of every round reached the host, each in one bracketed gesture (the right click
  // that opens the entry is one of them, as on Windows).
  for (const auto& [parameter, edits] :
       {std::pair{kCcA, 3}, {kWSpeed, 3}, {kTone1, 3}, {kDuration, 6}}) {
    const auto count = [&, parameter = parameter](int32_t opcode) {
      const std::vector<int32_t> n = plugin.NoticesFor(parameter);
      return std::count(n.begin(), n.end(), opcode);
    };
    EXPECT_TRUE(WaitFor([&] { return count(vst2::audioMasterEndEdit) == edits; })) << parameter;
    EXPECT_EQ(count(vst2::audioMasterBeginEdit), edits) << parameter;
  }
  stopAutomation.store(true);
  automation.join();

  // Someone types into the entry while the server stops for 400 ms.
  screen.Click(editor, kDurationX, kDurationY, 3);
  ASSERT_TRUE(WaitFor([&] { return screen.Focus() == editor; }));
  std::atomic<bool> typing{true};
  std::thread typist([&] {
    while (typing.load()) {
      screen.Type("1");
      std::this_thread::sleep_for(5ms);
    }
  });
  std::this_thread::sleep_for(100ms);
  watching.store(true);
  stalled.store(true);
  kill(gServer->Pid(), SIGSTOP);
  std::this_thread::sleep_for(400ms);
  stalled.store(false);
  kill(gServer->Pid(), SIGCONT);
  std::this_thread::sleep_for(100ms);  // a call held up by the stop ends now
  watching.store(false);
  typing.store(false);
  typist.join();
  EXPECT_GT(stalledCalls.load(), 20);
  EXPECT_LT(longestUs.load(), 200000) << "a processing call waited for the X server";
  screen.Key(XK_Return);  // the typing reached the entry: ten seconds at the most
  EXPECT_TRUE(WaitFor([&] { return plugin.Get(kDuration) == 1.0f; })) << plugin.Display(kDuration);

  plugin.Dispatch(vst2::effEditClose);
  ASSERT_NE(plugin.Dispatch(vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(host)), 0);
  std::this_thread::sleep_for(100ms);
  stop.store(true);
  audio.join();
  plugin.Dispatch(vst2::effEditClose);
  screen.DestroyWindow(host);
}

uint64_t EditorThreadCpu();

// ---- A host's own loop -----------------------------------------------------------------------

std::vector<std::pair<int32_t, std::thread::id>> gLoopNotices;

intptr_t LoopHostCallback(vst2::AEffect*, int32_t opcode, int32_t index, intptr_t, void*, float) {
  if (opcode == vst2::audioMasterVersion) return vst2::kVstVersion;
  const bool notice = opcode == vst2::audioMasterAutomate || opcode == vst2::audioMasterBeginEdit ||
                      opcode == vst2::audioMasterEndEdit;
  if (notice && index == kWSpeed) gLoopNotices.emplace_back(opcode, std::this_thread::get_id());
  return 0;
}

// The editor runs on the host's GUI thread, driven by the host's loop (here the test's own: a
// poll on the connection and a timer), as a VST 3 run loop, CLAP's timer and descriptor support
// or LV2's idle call will drive it.
TEST(X11EditorHostLoop, AHostsLoopDrivesTheEditorOnItsOwnThreadAlone) {
  struct Loop final : IEditorLoop {
    bool Attach(IEditorDriven& driven) override { return editor = &driven, true; }
    void Detach() override { editor = nullptr; }
    IEditorDriven* editor = nullptr;
  } loop;
  x11host::Screen screen;
  auto* plugin = new Tintinna(&LoopHostCallback);  // freed by effClose
  vst2::AEffect* effect = plugin->Effect();
  effect->dispatcher(effect, vst2::effOpen, 0, 0, nullptr, 0.0f);
  static_cast<IEditorWindow*>(plugin->GetEditor())->SetHostLoop(&loop);
  const Window host = screen.CreateHostWindow(20, 20);
  ASSERT_NE(effect->dispatcher(effect, vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(host), 0),
            0);
  ASSERT_NE(loop.editor, nullptr);
  EXPECT_EQ(EditorThreadCpu(), 0u) << "the editor started a thread of its own";
  const auto run = [&](const std::function<bool()>& done) {
    auto tick = std::chrono::steady_clock::now();
    for (const auto end = tick + 5s; std::chrono::steady_clock::now() < end;) {
      if (done()) return true;
      pollfd fd{loop.editor->ConnectionFd(), POLLIN, 0};
      if (poll(&fd, 1, 5) > 0) loop.editor->EventsWaiting();
      if (std::chrono::steady_clock::now() >= tick) {
        loop.editor->TickDue();
        tick += std::chrono::milliseconds(loop.editor->TickPeriodMs());
      }
    }
    return done();
  };
  const Window editor = screen.Children(host).at(0);
  const std::vector<uint32_t> expected = Snapshot("host-loop", {});
  ASSERT_EQ(expected.size(), static_cast<size_t>(kWidth * kHeight));
  EXPECT_TRUE(run([&] { return screen.Capture(editor, kWidth, kHeight) == expected; }));
  const double before = plugin->GetParameter(kWSpeed)->Normalized();
  const int handle = kWSpeedTrackLeft + static_cast<int>(before * (150 - 36)) + 18;
  screen.Drag(editor, handle, kWSpeedY, handle + 60, kWSpeedY, 4);
  EXPECT_TRUE(run([&] {
    return !gLoopNotices.empty() && gLoopNotices.back().first == vst2::audioMasterEndEdit;
  }));
  std::vector<int32_t> opcodes;
  for (const auto& [opcode, thread] : gLoopNotices) {
    opcodes.push_back(opcode);
    EXPECT_EQ(thread, std::this_thread::get_id());
  }
  ASSERT_GE(opcodes.size(), 3u);
  EXPECT_EQ(std::count(opcodes.begin(), opcodes.end(), vst2::audioMasterBeginEdit), 1);
  EXPECT_EQ(opcodes[1], vst2::audioMasterBeginEdit);
  EXPECT_EQ(opcodes.back(), vst2::audioMasterEndEdit);
  EXPECT_NEAR(plugin->GetParameter(kWSpeed)->Normalized(), before + 60.0 / (150 - 36), 0.02);
  effect->dispatcher(effect, vst2::effEditClose, 0, 0, nullptr, 0.0f);
  EXPECT_EQ(loop.editor, nullptr);
  effect->dispatcher(effect, vst2::effClose, 0, 0, nullptr, 0.0f);
  screen.DestroyWindow(host);
}

// ---- Measurements (x11_editor_test --measure): figures, not tests -----------------------------

// CPU time of the editor's thread so far, in nanoseconds.
uint64_t EditorThreadCpu() {
  DIR* tasks = opendir("/proc/self/task");
  if (!tasks) return 0;
  uint64_t found = 0;
  while (const dirent* entry = readdir(tasks)) {
    const std::string task = std::string("/proc/self/task/") + entry->d_name;
    FILE* comm = std::fopen((task + "/comm").c_str(), "r");
    if (!comm) continue;
    char name[32] = {};
    const bool editor =
        std::fgets(name, sizeof name, comm) && std::string(name) == "tintinna-editor\n";
    std::fclose(comm);
    if (!editor) continue;
    FILE* stat = std::fopen((task + "/schedstat").c_str(), "r");
    unsigned long long ns = 0;
    if (stat) {
      if (std::fscanf(stat, "%llu", &ns) != 1) ns = 0;
      std::fclose(stat);
    }
    found = ns;
  }
  closedir(tasks);
  return found;
}

// CPU time of the X server so far, in nanoseconds: its side of the upload.
uint64_t ServerCpu() {
  FILE* stat = std::fopen(("/proc/" + std::to_string(gServer->Pid()) + "/stat").c_str(), "r");
  if (!stat) return 0;
  char text[1024] = {};
  const size_t length = std::fread(text, 1, sizeof text - 1, stat);
  std::fclose(stat);
  text[length] = '\0';
  const char* fields = std::strrchr(text, ')');  // after the command name
  unsigned long long user = 0, system = 0;
  if (!fields || std::sscanf(fields + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu",
                             &user, &system) != 2)
    return 0;
  return (user + system) * 1000000000ull / static_cast<unsigned long long>(sysconf(_SC_CLK_TCK));
}

int RunMeasurements() {
  x11host::Screen screen;
  Plugin plugin;
  const Window host = screen.CreateHostWindow(20, 20);
  // Opening: effEditOpen until it returns, the first picture included.
  double first = 0.0, slowest = 0.0, total = 0.0;
  constexpr int kOpenings = 20;
  for (int i = 0; i < kOpenings; ++i) {
    const auto start = std::chrono::steady_clock::now();
    plugin.Dispatch(vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(host));
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (i == 0)
      first = ms;  // the instance's first: fonts are found and loaded
    else
      slowest = std::max(slowest, ms), total += ms;
    if (i + 1 < kOpenings) plugin.Dispatch(vst2::effEditClose);
  }
  std::printf("opening: first %.2f ms, then %.2f ms on average and %.2f ms at most (%d more)\n",
              first, total / (kOpenings - 1), slowest, kOpenings - 1);

  uint64_t serverUsed = 0;
  const auto run = [&](bool playing, double seconds) {
    std::atomic<bool> stop{false};
    std::thread audio([&] {
      auto next = std::chrono::steady_clock::now();
      while (!stop.load()) {
        if (playing) plugin.Process(512);
        next += std::chrono::microseconds(11610);  // 512 frames at 44.1 kHz
        std::this_thread::sleep_until(next);
      }
    });
    const uint64_t before = EditorThreadCpu(), serverBefore = ServerCpu();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const uint64_t used = EditorThreadCpu() - before;
    serverUsed = ServerCpu() - serverBefore;
    stop.store(true);
    audio.join();
    return used;
  };
  plugin.Set(kWSpeed, 1.0f);
  plugin.Set(11, 1.0f);  // the clapper at its most sensitive: lamps light often
  constexpr double kSeconds = 10.0;
  const double ticks = kSeconds * 1000.0 / 41.0;
  const uint64_t busy = run(true, kSeconds);
  std::printf(
      "playing (meter and lamps moving): %.3f ms of CPU per tick (%.0f ticks); the X "
      "server's side: %.3f ms per tick\n",
      busy / 1e6 / ticks, ticks, serverUsed / 1e6 / ticks);
  const uint64_t idle = run(false, kSeconds);
  std::printf("idle (nothing dirty): %.4f ms of CPU per tick, %.2f ms per second\n",
              idle / 1e6 / ticks, idle / 1e6 / kSeconds);
  plugin.Dispatch(vst2::effEditClose);
  screen.DestroyWindow(host);
  return 0;
}

}  // namespace

// The test run has an X server of its own: a developer's display is left alone, and a machine
// without one (CI) runs the tests all the same.
int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
  x11host::XServer server;
  if (!server.Start()) {
    std::fprintf(stderr, "x11_editor_test: Xvfb could not be started (is it installed?)\n");
    return 1;
  }
  gServer = &server;
  setenv("DISPLAY", server.Name().c_str(), 1);
  const bool measure = argc > 1 && std::string(argv[1]) == "--measure";
  const int result = measure ? RunMeasurements() : RUN_ALL_TESTS();
  server.Stop();
  return result;
}

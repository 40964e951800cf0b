// The plug-in's editor opened in a host window of the test's own and driven with window messages,
// as a user at a Windows host drives it.
#include <windows.h>

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/windows/dll_host.h"
#include "tests/windows/windows_test_paths.h"

namespace {

constexpr float kSampleRate = 44100.0f;
constexpr int32_t kBlock = 512;
constexpr int kWidth = 800;
constexpr int kHeight = 400;
constexpr char kEditorClass[] = "TintinnaWndClass";

// Parameters and the places of their controls in the editor.
constexpr int32_t kWSpeed = 0;
constexpr int32_t kTone1 = 3;
constexpr int32_t kCcA = 19;
constexpr int32_t kTransposeUp = 24;
constexpr POINT kCcASwitch{205, 325};
constexpr POINT kTransposeUpButton{770, 70};
constexpr POINT kTone1Field{470, 70};
constexpr POINT kEmptySpot{300, 200};
constexpr int kWSpeedTrackLeft = 70;
constexpr int kWSpeedY = 70;

LPARAM At(POINT p) {
  return MAKELPARAM(p.x, p.y);
}

// Runs the message loop until `ticks` timer messages of the editor have been handled, or a
// generous limit passes. Timer messages coalesce when the process is starved, so counting them
// is what makes "at the next tick" hold on a busy machine.
int RunMessages(int ticks, DWORD limitMs) {
  const DWORD start = GetTickCount();
  int seen = 0;
  while (seen < ticks && GetTickCount() - start < limitMs) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_TIMER && message.wParam == 2) ++seen;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    Sleep(5);
  }
  return seen;
}

// Lets whatever is queued run for a while.
void Pump(DWORD milliseconds) {
  RunMessages(1 << 30, milliseconds);
}

// Enough ticks for whatever waits for the next one (a paint, then an entry step) to happen.
void NextTicks(int ticks = 3) {
  EXPECT_EQ(RunMessages(ticks, 10000), ticks) << "timer stopped";
}

HWND CreateHostWindow() {
  static const bool registered = [] {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = "TintinnaTestHost";
    return RegisterClassA(&windowClass) != 0;
  }();
  if (!registered) return nullptr;
  RECT frame{0, 0, kWidth, kHeight};
  AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
  HWND window =
      CreateWindowExA(0, "TintinnaTestHost", "Tintinna test host", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                      40, 40, frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                      GetModuleHandleA(nullptr), nullptr);
  if (window != nullptr) {
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
  }
  return window;
}

// The client area as 0xAARRGGBB words, read back from the screen.
std::vector<uint32_t> CaptureClientArea(HWND window, int width, int height) {
  std::vector<uint32_t> pixels;
  HDC source = GetDC(window);
  HDC memory = CreateCompatibleDC(source);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (section != nullptr && bits != nullptr) {
    HGDIOBJ previous = SelectObject(memory, section);
    BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
    GdiFlush();
    const auto* words = static_cast<const uint32_t*>(bits);
    pixels.assign(words, words + static_cast<size_t>(width) * height);
    for (uint32_t& p : pixels) p |= 0xFF000000u;  // the screen has no alpha
    SelectObject(memory, previous);
    DeleteObject(section);
  }
  DeleteDC(memory);
  ReleaseDC(window, source);
  return pixels;
}

bool WritePng(const std::string& path, const std::vector<uint32_t>& pixels, int width, int height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_BGRA;  // 0xAARRGGBB little-endian
  return png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, nullptr) != 0;
}

class EditorWindow : public testing::Test {
 protected:
  void SetUp() override {
    host_ = std::make_unique<DllHost>(PluginPath());
    ASSERT_TRUE(host_->Loaded()) << "LoadLibrary failed for " << PluginPath();
    ASSERT_NE(host_->Create(), nullptr);
    host_->Start(kSampleRate, kBlock);
    ASSERT_NE(host_->Effect()->flags & vst2::kFlagHasEditor, 0) << "built without an editor";
    hostWindow_ = CreateHostWindow();
    ASSERT_NE(hostWindow_, nullptr);
    ASSERT_NE(host_->Dispatch(vst2::effEditOpen, 0, 0, hostWindow_), 0);
    editor_ = FindWindowExA(hostWindow_, nullptr, kEditorClass, nullptr);
    ASSERT_NE(editor_, nullptr);
    NextTicks();
    host_->notices.clear();
  }

  void TearDown() override {
    if (host_ && host_->Effect() != nullptr) host_->Dispatch(vst2::effEditClose);
    host_.reset();
    if (hostWindow_ != nullptr) DestroyWindow(hostWindow_);
    Pump(20);
  }

  float Normalized(int32_t index) { return host_->Effect()->getParameter(host_->Effect(), index); }
  void SetNormalized(int32_t index, float value) {
    host_->Effect()->setParameter(host_->Effect(), index, value);
  }
  void LeftClick(POINT p) {
    SendMessageA(editor_, WM_LBUTTONDOWN, MK_LBUTTON, At(p));
    SendMessageA(editor_, WM_LBUTTONUP, 0, At(p));
  }
  void RightClick(POINT p) {
    SendMessageA(editor_, WM_RBUTTONDOWN, MK_RBUTTON, At(p));
    SendMessageA(editor_, WM_RBUTTONUP, 0, At(p));
  }
  HWND EntryBox() { return GetDlgItem(editor_, 99); }
  void Type(HWND box, const char* text) {
    for (const char* c = text; *c != '\0'; ++c) {
      SendMessageA(box, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(*c)), 0);
    }
  }
  std::string Text(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
  }
  std::vector<int32_t> NoticesFor(int32_t index) {
    std::vector<int32_t> opcodes;
    for (const HostNotice& n : host_->notices) {
      if (n.index == index) opcodes.push_back(n.opcode);
    }
    return opcodes;
  }

  // Every end of edit follows a begin, one edit at a time (the notices of one parameter).
  static testing::AssertionResult Balanced(const std::vector<int32_t>& opcodes) {
    bool open = false;
    for (const int32_t opcode : opcodes) {
      if (opcode == vst2::audioMasterBeginEdit && open)
        return testing::AssertionFailure() << "begin inside an edit";
      if (opcode == vst2::audioMasterEndEdit && !open)
        return testing::AssertionFailure() << "end without a begin";
      if (opcode != vst2::audioMasterAutomate) open = opcode == vst2::audioMasterBeginEdit;
    }
    if (open) return testing::AssertionFailure() << "edit left open";
    return testing::AssertionSuccess();
  }
  // The wind blows hard and the chimes ring: the meter and the lamps repaint at every tick.
  void PlayWhileTicking(int ticks) {
    for (int i = 0; i < ticks; ++i) {
      for (int block = 0; block < 8; ++block) host_->Process(kBlock);
      NextTicks(1);
    }
  }

  std::unique_ptr<DllHost> host_;
  HWND hostWindow_ = nullptr;
  HWND editor_ = nullptr;
};

// ---- The window ---------------------------------------------------------------------------------

TEST_F(EditorWindow, OpensAsAVisibleChildFillingTheHostsClientArea) {
  EXPECT_EQ(GetParent(editor_), hostWindow_);
  const auto style = static_cast<DWORD>(GetWindowLongPtrA(editor_, GWL_STYLE));
  EXPECT_NE(style & WS_CHILD, 0u);
  EXPECT_NE(style & WS_VISIBLE, 0u);
  RECT client{};
  GetClientRect(editor_, &client);
  EXPECT_EQ(client.right, kWidth);
  EXPECT_EQ(client.bottom, kHeight);
  vst2::ERect* rect = nullptr;
  host_->Dispatch(vst2::effEditGetRect, 0, 0, &rect);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->right, kWidth);
  EXPECT_EQ(rect->bottom, kHeight);
}

TEST_F(EditorWindow, ClosingRemovesTheWindowAndItsClassAndReopeningRestoresBoth) {
  WNDCLASSA found{};
  const auto module = static_cast<HINSTANCE>(host_->Module());
  EXPECT_TRUE(GetClassInfoA(module, kEditorClass, &found));
  host_->Dispatch(vst2::effEditClose);
  EXPECT_FALSE(IsWindow(editor_));
  EXPECT_EQ(FindWindowExA(hostWindow_, nullptr, kEditorClass, nullptr), nullptr);
  EXPECT_FALSE(GetClassInfoA(module, kEditorClass, &found));

  ASSERT_NE(host_->Dispatch(vst2::effEditOpen, 0, 0, hostWindow_), 0);
  editor_ = FindWindowExA(hostWindow_, nullptr, kEditorClass, nullptr);
  ASSERT_NE(editor_, nullptr);
  RECT placed{};
  GetWindowRect(editor_, &placed);
  MapWindowPoints(HWND_DESKTOP, hostWindow_, reinterpret_cast<POINT*>(&placed), 2);
  EXPECT_EQ(placed.left, 0);
  EXPECT_EQ(placed.top, 0);
  EXPECT_EQ(placed.right, kWidth);
  EXPECT_EQ(placed.bottom, kHeight);
  // The reopened window still takes clicks.
  NextTicks();
  LeftClick(kCcASwitch);
  EXPECT_FLOAT_EQ(Normalized(kCcA), 1.0f);
}

TEST_F(EditorWindow, TwoInstancesKeepTheClassUntilTheLastWindowCloses) {
  DllHost second(PluginPath());
  ASSERT_NE(second.Create(), nullptr);
  second.Start(kSampleRate, kBlock);
  HWND otherHost = CreateHostWindow();
  ASSERT_NE(second.Dispatch(vst2::effEditOpen, 0, 0, otherHost), 0);
  const auto module = static_cast<HINSTANCE>(host_->Module());
  WNDCLASSA found{};
  host_->Dispatch(vst2::effEditClose);
  EXPECT_TRUE(GetClassInfoA(module, kEditorClass, &found)) << "the other window still uses it";
  second.Dispatch(vst2::effEditClose);
  EXPECT_FALSE(GetClassInfoA(module, kEditorClass, &found));
  second.Close();
  DestroyWindow(otherHost);
}

TEST_F(EditorWindow, HostWindowDestroyedUnderTheEditorLeavesItReadyToOpenAgain) {
  DestroyWindow(hostWindow_);
  hostWindow_ = CreateHostWindow();
  EXPECT_FALSE(IsWindow(editor_));
  Pump(100);
  host_->Dispatch(vst2::effEditClose);  // a host may still send it: nothing is left to close
  ASSERT_NE(host_->Dispatch(vst2::effEditOpen, 0, 0, hostWindow_), 0);
  editor_ = FindWindowExA(hostWindow_, nullptr, kEditorClass, nullptr);
  ASSERT_NE(editor_, nullptr);
  NextTicks();
  LeftClick(kCcASwitch);
  EXPECT_FLOAT_EQ(Normalized(kCcA), 1.0f);
  host_->Dispatch(vst2::effEditClose);
  WNDCLASSA found{};
  EXPECT_FALSE(GetClassInfoA(static_cast<HINSTANCE>(host_->Module()), kEditorClass, &found));
}

TEST_F(EditorWindow, DrawsTheSkinAndLeavesACaptureInTheBuildTree) {
  // Strike a few chimes and move the wind so that the lamps and the meter show something.
  SetNormalized(kWSpeed, 1.0f);
  SetNormalized(11, 0.0f);
  for (int i = 0; i < 300; ++i) host_->Process(kBlock);
  NextTicks(6);
  const std::vector<uint32_t> pixels = CaptureClientArea(editor_, kWidth, kHeight);
  ASSERT_EQ(pixels.size(), static_cast<size_t>(kWidth * kHeight));
  const std::set<uint32_t> colours(pixels.begin(), pixels.end());
  EXPECT_GT(colours.size(), 200u) << "a painted skin has many colours";
  const std::string path = OutputDir() + "/editor-wine.png";
  EXPECT_TRUE(WritePng(path, pixels, kWidth, kHeight)) << path;
}

// ---- Mouse --------------------------------------------------------------------------------------

TEST_F(EditorWindow, ClickOnTheCcASwitchSilencesOutputAInOneEditGesture) {
  ASSERT_FLOAT_EQ(Normalized(kCcA), 0.0f);
  LeftClick(kCcASwitch);
  EXPECT_FLOAT_EQ(Normalized(kCcA), 1.0f);
  // The press changes the value first and then opens the edit; the release closes it.
  EXPECT_EQ(NoticesFor(kCcA),
            (std::vector<int32_t>{vst2::audioMasterAutomate, vst2::audioMasterBeginEdit,
                                  vst2::audioMasterEndEdit}));
  const auto automation =
      std::find_if(host_->notices.begin(), host_->notices.end(),
                   [](const HostNotice& n) { return n.opcode == vst2::audioMasterAutomate; });
  ASSERT_NE(automation, host_->notices.end());
  EXPECT_FLOAT_EQ(automation->value, 1.0f);
  LeftClick(kCcASwitch);
  EXPECT_FLOAT_EQ(Normalized(kCcA), 0.0f);
}

TEST_F(EditorWindow, DragOnTheWSpeedFaderFollowsThePointerAndAutomatesEveryStep) {
  const float before = Normalized(kWSpeed);
  // The handle (36 pixels) travels along a 150-pixel track.
  const int handleCentre = kWSpeedTrackLeft + static_cast<int>(before * (150 - 36)) + 18;
  SendMessageA(editor_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(handleCentre, kWSpeedY));
  for (int x = handleCentre; x <= handleCentre + 60; x += 20) {
    SendMessageA(editor_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, kWSpeedY));
  }
  SendMessageA(editor_, WM_LBUTTONUP, 0, MAKELPARAM(handleCentre + 60, kWSpeedY));
  const float after = Normalized(kWSpeed);
  EXPECT_NEAR(after, before + 60.0f / (150 - 36), 0.02f);

  const std::vector<int32_t> notices = NoticesFor(kWSpeed);
  // The press snaps the handle to the pointer before the edit begins; every move automates.
  ASSERT_GE(notices.size(), 5u);
  EXPECT_EQ(notices[0], vst2::audioMasterAutomate);
  EXPECT_EQ(notices[1], vst2::audioMasterBeginEdit);
  EXPECT_EQ(notices.back(), vst2::audioMasterEndEdit);
  EXPECT_EQ(std::count(notices.begin(), notices.end(), vst2::audioMasterBeginEdit), 1);
  EXPECT_EQ(std::count(notices.begin(), notices.end(), vst2::audioMasterEndEdit), 1);
  EXPECT_GE(std::count(notices.begin(), notices.end(), vst2::audioMasterAutomate), 4);
  float last = before;
  for (const HostNotice& n : host_->notices) {
    if (n.index != kWSpeed || n.opcode != vst2::audioMasterAutomate) continue;
    EXPECT_GE(n.value, last);
    last = n.value;
  }
  EXPECT_FLOAT_EQ(last, after);
}

TEST_F(EditorWindow, MovesWithoutAButtonChangeNothing) {
  const float before = Normalized(kWSpeed);
  SendMessageA(editor_, WM_MOUSEMOVE, 0, MAKELPARAM(150, kWSpeedY));
  SendMessageA(editor_, WM_MOUSEMOVE, 0, MAKELPARAM(200, kWSpeedY));
  EXPECT_FLOAT_EQ(Normalized(kWSpeed), before);
  EXPECT_TRUE(host_->notices.empty());
}

TEST_F(EditorWindow, WheelOnAToneSelectorStepsItsNoteByOnePerNotch) {
  ASSERT_EQ(host_->ParameterDisplay(kTone1), "48");
  RECT placed{};
  GetWindowRect(editor_, &placed);
  // The wheel's position comes in screen coordinates.
  const LPARAM screen = MAKELPARAM(placed.left + kTone1Field.x, placed.top + kTone1Field.y);
  SendMessageA(editor_, WM_MOUSEWHEEL, MAKEWPARAM(0, 2 * WHEEL_DELTA), screen);
  EXPECT_EQ(host_->ParameterDisplay(kTone1), "50");
  SendMessageA(editor_, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), screen);
  EXPECT_EQ(host_->ParameterDisplay(kTone1), "49");
  // Less than a notch is still reported, as no step at all.
  SendMessageA(editor_, WM_MOUSEWHEEL, MAKEWPARAM(0, 60), screen);
  EXPECT_EQ(host_->ParameterDisplay(kTone1), "49");
  const std::vector<int32_t> notices = NoticesFor(kTone1);
  EXPECT_EQ(std::count(notices.begin(), notices.end(), vst2::audioMasterBeginEdit), 3);
  EXPECT_TRUE(Balanced(notices)) << "each notch is an edit of its own";
}

TEST_F(EditorWindow, ADoubleClickOnATransposeButtonIsTwoPressesEachInItsOwnEdit) {
  SendMessageA(editor_, WM_LBUTTONDOWN, MK_LBUTTON, At(kTransposeUpButton));
  SendMessageA(editor_, WM_LBUTTONUP, 0, At(kTransposeUpButton));
  SendMessageA(editor_, WM_LBUTTONDBLCLK, MK_LBUTTON, At(kTransposeUpButton));
  SendMessageA(editor_, WM_LBUTTONUP, 0, At(kTransposeUpButton));
  EXPECT_EQ(host_->ParameterDisplay(kTone1), "50");
  const std::vector<int32_t> notices = NoticesFor(kTransposeUp);
  EXPECT_EQ(std::count(notices.begin(), notices.end(), vst2::audioMasterBeginEdit), 2);
  EXPECT_TRUE(Balanced(notices));
}

// ---- Value entry --------------------------------------------------------------------------------

TEST_F(EditorWindow, RightClickOnAValueFieldOpensAnEditBoxCentredOnIt) {
  RightClick(kTone1Field);
  HWND box = EntryBox();
  ASSERT_NE(box, nullptr);
  char className[32] = {};
  GetClassNameA(box, className, sizeof className);
  EXPECT_STREQ(className, "Edit");
  RECT r{};
  GetWindowRect(box, &r);
  MapWindowPoints(HWND_DESKTOP, editor_, reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, kTone1Field.x - 18);
  EXPECT_EQ(r.top, kTone1Field.y - 8);
  EXPECT_EQ(r.right - r.left, 36);
  EXPECT_EQ(r.bottom - r.top, 16);
  EXPECT_EQ(Text(box), "48");
  DWORD start = 0, end = 0;
  SendMessageA(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 2u) << "the whole text is selected, ready to be typed over";
}

TEST_F(EditorWindow, TypedValueAndReturnAreCommittedAtTheNextTick) {
  RightClick(kTone1Field);
  HWND box = EntryBox();
  ASSERT_NE(box, nullptr);
  Type(box, "62");
  SendMessageA(box, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(host_->ParameterDisplay(kTone1), "48") << "nothing changes before the tick";
  NextTicks();
  EXPECT_EQ(host_->ParameterDisplay(kTone1), "62");
  EXPECT_EQ(EntryBox(), nullptr);
  EXPECT_FALSE(IsWindow(box));
  const auto automation =
      std::find_if(host_->notices.begin(), host_->notices.end(), [](const HostNotice& n) {
        return n.opcode == vst2::audioMasterAutomate && n.index == kTone1;
      });
  ASSERT_NE(automation, host_->notices.end());
  EXPECT_FLOAT_EQ(automation->value, 62.0f / 127.0f);
}

TEST_F(EditorWindow, AnOpenEditBoxFollowsAValueTheHostChanges) {
  RightClick(kTone1Field);
  HWND box = EntryBox();
  ASSERT_NE(box, nullptr);
  SetNormalized(kTone1, 72.0f / 127.0f);
  NextTicks();  // one tick paints the field, the next refreshes the box
  EXPECT_EQ(Text(box), "72");
  EXPECT_EQ(EntryBox(), box) << "the entry stays open";
}

TEST_F(EditorWindow, RightClickOnTheEditorCancelsTheEntryAndMovesNothing) {
  RightClick(kTone1Field);
  HWND box = EntryBox();
  ASSERT_NE(box, nullptr);
  Type(box, "70");
  // The cancelling click lands on a push button: neither its press nor its release may reach it.
  RightClick(kTransposeUpButton);
  NextTicks();
  EXPECT_EQ(EntryBox(), nullptr);
  EXPECT_EQ(host_->ParameterDisplay(kTone1), "48");
  const std::vector<int32_t> notices = NoticesFor(kTone1);
  EXPECT_EQ(std::count(notices.begin(), notices.end(), vst2::audioMasterAutomate), 0);
  EXPECT_TRUE(Balanced(notices));
  EXPECT_TRUE(NoticesFor(kTransposeUp).empty());
}

TEST_F(EditorWindow, TypingWhileTheMeterMovesSurvivesAndCommits) {
  SetNormalized(kWSpeed, 1.0f);
  SetNormalized(11, 0.0f);  // light clappers: many strikes
  RightClick(kTone1Field);
  HWND box = EntryBox();
  ASSERT_NE(box, nullptr);
  Type(box, "6");
  PlayWhileTicking(6);
  EXPECT_EQ(Text(box), "6");
  Type(box, "2");
  PlayWhileTicking(6);
  EXPECT_EQ(Text(box), "62");
  SendMessageA(box, WM_KEYDOWN, VK_RETURN, 0);
  NextTicks();
  EXPECT_EQ(host_->ParameterDisplay(kTone1), "62");
  EXPECT_EQ(EntryBox(), nullptr);
  EXPECT_TRUE(Balanced(NoticesFor(kTone1)));
}

TEST_F(EditorWindow, LeftClickElsewhereCommitsTheEntryAndPressesThatControl) {
  RightClick(kTone1Field);
  HWND box = EntryBox();
  ASSERT_NE(box, nullptr);
  Type(box, "55");
  LeftClick(kCcASwitch);
  EXPECT_FLOAT_EQ(Normalized(kCcA), 1.0f) << "the click reaches the switch at once";
  EXPECT_EQ(host_->ParameterDisplay(kTone1), "48");
  NextTicks();
  EXPECT_EQ(host_->ParameterDisplay(kTone1), "55");
  EXPECT_EQ(EntryBox(), nullptr);
}

TEST_F(EditorWindow, WhileTheEntryHasTheFocusTheEditorIgnoresClicks) {
  RightClick(kTone1Field);
  HWND box = EntryBox();
  ASSERT_NE(box, nullptr);
  SetFocus(editor_);
  SetFocus(box);  // focus gained with the entry's procedure in place
  LeftClick(kCcASwitch);
  EXPECT_FLOAT_EQ(Normalized(kCcA), 0.0f);
  // The right button still cancels.
  SendMessageA(editor_, WM_RBUTTONDOWN, MK_RBUTTON, At(kEmptySpot));
  NextTicks();
  EXPECT_EQ(EntryBox(), nullptr);
}

TEST_F(EditorWindow, ASecondEntryRequestWhileOneIsOpenDoesNothing) {
  RightClick(kTone1Field);
  HWND box = EntryBox();
  ASSERT_NE(box, nullptr);
  SendMessageA(editor_, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(510, 70));  // tone 2
  int boxes = 0;
  for (HWND child = GetWindow(editor_, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    ++boxes;
  }
  EXPECT_EQ(boxes, 1);
  EXPECT_EQ(EntryBox(), box);
}

TEST_F(EditorWindow, ParameterWithValueTextsGetsADropDownListThatCommitsItsSelection) {
  // "Algorithm" (index 13) shows "Select Any" or "Favor Neighbors" in the field at (460, 200).
  RightClick(POINT{530, 210});
  HWND box = EntryBox();
  ASSERT_NE(box, nullptr);
  char className[32] = {};
  GetClassNameA(box, className, sizeof className);
  EXPECT_STREQ(className, "ComboBox");
  EXPECT_EQ(SendMessageA(box, CB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessageA(box, CB_GETCURSEL, 0, 0), 0);
  SendMessageA(box, CB_SETCURSEL, 1, 0);
  // A user's pick reaches the editor as the list's selection-change notice.
  SendMessageA(editor_, WM_COMMAND, MAKEWPARAM(99, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
  NextTicks();
  EXPECT_EQ(host_->ParameterDisplay(13), "Favor Neighbors");
  EXPECT_EQ(EntryBox(), nullptr);
}

TEST_F(EditorWindow, ClosingWithAnEntryOpenLeavesNothingBehind) {
  RightClick(kTone1Field);
  ASSERT_NE(EntryBox(), nullptr);
  host_->Dispatch(vst2::effEditClose);
  EXPECT_FALSE(IsWindow(editor_));
  ASSERT_NE(host_->Dispatch(vst2::effEditOpen, 0, 0, hostWindow_), 0);
  editor_ = FindWindowExA(hostWindow_, nullptr, kEditorClass, nullptr);
  ASSERT_NE(editor_, nullptr);
  NextTicks();
  EXPECT_EQ(EntryBox(), nullptr);
  RightClick(kTone1Field);
  EXPECT_NE(EntryBox(), nullptr) << "a new entry can open";
}

}  // namespace

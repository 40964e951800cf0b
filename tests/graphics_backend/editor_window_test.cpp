// Tests of the editor window layer's shared decisions and of its Linux half.
#include "graphics/editor_window.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "plug/parameter.h"
#include "tests/graphics_backend/test_editor.h"

namespace {

// ---- Keys and wheel ----------------------------------------------------------------------------

TEST(KeyMapping, NamedKeysDigitsAndLettersGetTheirCodes) {
  EXPECT_EQ(IEditorWindow::MapKeyCode(0x20), 0);
  EXPECT_EQ(IEditorWindow::MapKeyCode(0x26), 1);
  EXPECT_EQ(IEditorWindow::MapKeyCode(0x28), 2);
  EXPECT_EQ(IEditorWindow::MapKeyCode(0x25), 3);
  EXPECT_EQ(IEditorWindow::MapKeyCode(0x27), 4);
  EXPECT_EQ(IEditorWindow::MapKeyCode('0'), 5);
  EXPECT_EQ(IEditorWindow::MapKeyCode('9'), 14);
  EXPECT_EQ(IEditorWindow::MapKeyCode('A'), 15);
  EXPECT_EQ(IEditorWindow::MapKeyCode('Z'), 40);
}

TEST(KeyMapping, SmallAndCapitalLettersShareACode) {
  for (char c = 'a'; c <= 'z'; ++c)
    EXPECT_EQ(IEditorWindow::MapKeyCode(static_cast<uint32_t>(c)),
              IEditorWindow::MapKeyCode(static_cast<uint32_t>(c - 'a' + 'A')));
}

TEST(KeyMapping, OtherKeysAreNotReported) {
  for (uint32_t key : {0x00u, 0x0Du, 0x1Bu, 0x21u, 0x24u, 0x29u, 0x2Fu, 0x3Au, 0x40u, 0x5Bu, 0x60u,
                       0x7Bu, 0x100u, 0xFFFFFFFFu})
    EXPECT_EQ(IEditorWindow::MapKeyCode(key), -1) << key;
}

TEST(Wheel, NotchesTruncateTowardZero) {
  EXPECT_EQ(IEditorWindow::WheelNotches(119), 0);
  EXPECT_EQ(IEditorWindow::WheelNotches(-119), 0);
  EXPECT_EQ(IEditorWindow::WheelNotches(240), 2);
  EXPECT_EQ(IEditorWindow::WheelNotches(-360), -3);
}

// ---- Image loader test and paths ---------------------------------------------------------------

TEST(PngExtension, AcceptsPngInAnyCase) {
  EXPECT_TRUE(IEditorWindow::HasPngExtension("img/bg-2.png"));
  EXPECT_TRUE(IEditorWindow::HasPngExtension("img/bg-2.PNG"));
  EXPECT_TRUE(IEditorWindow::HasPngExtension("a.b.Png"));
}

TEST(PngExtension, RefusesOtherExtensionsAndNamesWithoutOne) {
  EXPECT_FALSE(IEditorWindow::HasPngExtension("img/bg-2.bmp"));
  EXPECT_FALSE(IEditorWindow::HasPngExtension("img/bg-2.pngx"));
  EXPECT_FALSE(IEditorWindow::HasPngExtension("img/bg-2.pn"));
  EXPECT_FALSE(IEditorWindow::HasPngExtension("png"));
  EXPECT_FALSE(IEditorWindow::HasPngExtension(".png"));  // the first character is never a dot
  EXPECT_FALSE(IEditorWindow::HasPngExtension(""));
  EXPECT_FALSE(IEditorWindow::HasPngExtension(nullptr));
}

TEST(LoadImageResource, OtherExtensionsYieldNothingWithoutLookingUpTheResource) {
  TestEditor editor;
  EXPECT_EQ(editor.IEditorWindow::LoadImageResource(104, "img/bg-2.bmp"), nullptr);
}

TEST(LoadImageResource, DecodesTheLibrarysBackgroundByItsId) {
  TestEditor editor;
  std::unique_ptr<RasterBitmap> lower(editor.IEditorWindow::LoadImageResource(104, "img/bg-2.png"));
  std::unique_ptr<RasterBitmap> upper(editor.IEditorWindow::LoadImageResource(104, "IMG/BG-2.PNG"));
  ASSERT_NE(lower, nullptr);
  ASSERT_NE(upper, nullptr);
  EXPECT_EQ(lower->GetWidth(), 800);
  EXPECT_EQ(lower->GetHeight(), 400);
  EXPECT_EQ(editor.IEditorWindow::LoadImageResource(99999, "img/none.png"), nullptr);
}

TEST(PathTrimming, KeepsTheFolderWithItsSeparator) {
  char path[IGraphicsCore::kPathSize];
  IEditorWindow::TrimToFolder("C:\\Program Files\\Host\\host.exe", '\\', path);
  EXPECT_STREQ(path, "C:\\Program Files\\Host\\");
  IEditorWindow::TrimToFolder("/usr/lib/vst/tintinna.so", '/', path);
  EXPECT_STREQ(path, "/usr/lib/vst/");
}

TEST(PathTrimming, LeavesThePathEmptyWithoutAFolder) {
  char path[IGraphicsCore::kPathSize];
  std::strcpy(path, "stale");
  IEditorWindow::TrimToFolder("host.exe", '\\', path);
  EXPECT_STREQ(path, "");
  std::strcpy(path, "stale");
  IEditorWindow::TrimToFolder("folder\\", '\\', path);
  EXPECT_STREQ(path, "");
  IEditorWindow::TrimToFolder(nullptr, '/', path);
  EXPECT_STREQ(path, "");
}

TEST(PathTrimming, AFolderTooLongForTheBufferIsNoFolder) {
  std::string name(400, 'a');
  name[300] = '/';
  char path[IGraphicsCore::kPathSize];
  IEditorWindow::TrimToFolder(name.c_str(), '/', path);
  EXPECT_STREQ(path, "");
}

TEST(LinuxPaths, HostPathIsTheFolderOfThisProgram) {
  TestEditor editor;
  char path[IGraphicsCore::kPathSize];
  editor.GetHostPath(path);
  ASSERT_GT(std::strlen(path), 1u);
  EXPECT_EQ(path[0], '/');
  EXPECT_EQ(path[std::strlen(path) - 1], '/');
  editor.GetModulePath(path);
  EXPECT_EQ(path[std::strlen(path) - 1], '/');
}

// The window itself is tested in a host of its own (tests/x11).
TEST(LinuxWindow, WithoutAWindowPresentsNothingAndOffersNoDialogs) {
  TestEditor editor;
  EXPECT_EQ(editor.GetEditorWindow(), nullptr);
  EXPECT_FALSE(editor.IsWindowOpen());
  EXPECT_TRUE(editor.PresentArea({0, 0, 10, 10}));
  IRgba colour{255, 1, 2, 3};
  EXPECT_FALSE(editor.PickColour(&colour, "Colour"));
  EXPECT_EQ(colour, (IRgba{255, 1, 2, 3}));
  EXPECT_FALSE(editor.OpenLink("http://localhost", "c", nullptr, nullptr));
  char file[IGraphicsCore::kPathSize] = "stale";
  editor.PickFile(file, 1, "/tmp", "png");
  EXPECT_STREQ(file, "");
  editor.CloseEditorWindow();
}

// ---- Value entry
// ---------------------------------------------------------------------------------

TEST(LeadingNumber, ReadsTheLongestDecimalPrefixAfterBlanks) {
  EXPECT_DOUBLE_EQ(IEditorWindow::ParseLeadingNumber("  12.5 dB"), 12.5);
  EXPECT_DOUBLE_EQ(IEditorWindow::ParseLeadingNumber("-3"), -3.0);
  EXPECT_DOUBLE_EQ(IEditorWindow::ParseLeadingNumber("+.25x"), 0.25);
  EXPECT_DOUBLE_EQ(IEditorWindow::ParseLeadingNumber("1e2Hz"), 100.0);
  EXPECT_DOUBLE_EQ(IEditorWindow::ParseLeadingNumber("7e"), 7.0);
}

TEST(LeadingNumber, TextWithoutALeadingNumberIsZero) {
  EXPECT_EQ(IEditorWindow::ParseLeadingNumber("abc"), 0.0);
  EXPECT_EQ(IEditorWindow::ParseLeadingNumber(""), 0.0);
  EXPECT_EQ(IEditorWindow::ParseLeadingNumber("-."), 0.0);
  EXPECT_EQ(IEditorWindow::ParseLeadingNumber(nullptr), 0.0);
}

TEST(LeadingNumber, NonFiniteTextsAreZero) {
  EXPECT_EQ(IEditorWindow::ParseLeadingNumber("nan"), 0.0);
  EXPECT_EQ(IEditorWindow::ParseLeadingNumber("inf"), 0.0);
  EXPECT_EQ(IEditorWindow::ParseLeadingNumber("1e999"), 0.0);
  EXPECT_EQ(IEditorWindow::ParseLeadingNumber("0x10"), 0.0);
}

class EntryTextsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    speed.DefineContinuous("Speed", 5.0, 0.0, 10.0, 0.01, "");
    rule.DefineEnumerated("Rule", 1, 3);
    rule.AddValueText(0, "Random");
    rule.AddValueText(1, "Up");
    rule.AddValueText(2, "Neighbour walk");
  }
  IParameter speed;
  IParameter rule;
};

TEST_F(EntryTextsTest, CommitOfANumberGivesItsNormalizedValue) {
  EXPECT_DOUBLE_EQ(IEditorWindow::EntryCommitValue(speed, " 2.5"), 0.25);
  EXPECT_DOUBLE_EQ(IEditorWindow::EntryCommitValue(speed, "oops"), 0.0);
  EXPECT_DOUBLE_EQ(IEditorWindow::EntryCommitValue(speed, "99"), 1.0);
}

TEST_F(EntryTextsTest, CommitOfAListTextGivesItsValueAndUnknownTextsTheFirst) {
  EXPECT_DOUBLE_EQ(IEditorWindow::EntryCommitValue(rule, "Neighbour walk"), rule.NormalizeValue(2));
  EXPECT_DOUBLE_EQ(IEditorWindow::EntryCommitValue(rule, "Up"), rule.NormalizeValue(1));
  EXPECT_DOUBLE_EQ(IEditorWindow::EntryCommitValue(rule, "2"), rule.NormalizeValue(0));
}

TEST_F(EntryTextsTest, ListIsWideEnoughForItsLongestText) {
  EXPECT_EQ(IEditorWindow::EntryListWidth(rule), 8 * 14 + 24);
  EXPECT_EQ(IEditorWindow::EntryListWidth(speed), 24);
}

TEST_F(EntryTextsTest, ListSelectsTheEntryShowingTheCurrentText) {
  IParameter::Text text;
  IEditorWindow::EntryText(rule, text);
  EXPECT_STREQ(text, "Up");
  EXPECT_EQ(IEditorWindow::EntryListSelection(rule, text), 1);
  EXPECT_EQ(IEditorWindow::EntryListSelection(rule, "Down"), -1);
}

TEST_F(EntryTextsTest, TheBoxTakesThePluginsTextOnlyWhenItChangedAndNothingWasTyped) {
  ValueEntryRefresh refresh;
  refresh.Filled("5.00");
  IParameter::Text text;
  EXPECT_FALSE(refresh.Refresh(speed, "5.00", text)) << "every paint asks; nothing changed";
  speed.SetValueClamped(7.0);
  ASSERT_TRUE(refresh.Refresh(speed, "5.00", text));
  EXPECT_STREQ(text, "7.00");
  EXPECT_FALSE(refresh.Refresh(speed, "7.00", text)) << "filled with it already";
  speed.SetValueClamped(6.0);
  EXPECT_FALSE(refresh.Refresh(speed, "6", text)) << "the user typed: left alone";
  EXPECT_FALSE(refresh.Refresh(speed, "62", text));
  refresh.Reset();
  EXPECT_FALSE(refresh.Refresh(speed, "62", text));
}

// The editor with an entry box standing in for the platform's.
class EntryStates : public TestEditor {
 public:
  void OpenBox() { entryBox_ = this; }
  void SetState(int32_t state) { entryState_ = state; }
};

TEST(EntryStateMachine, WithoutAnEntryEveryTickRedraws) {
  EntryStates editor;
  editor.SetState(IEditorWindow::kEntryCommit);
  EXPECT_EQ(editor.BeginRedrawTick(), IEditorWindow::TickAction::kRedraw);
  EXPECT_FALSE(editor.NoteRightButtonDown());
  editor.NoteLeftButtonDown();
  editor.AfterRedrawPainted();
  EXPECT_EQ(editor.GetEntryState(), IEditorWindow::kEntryCommit);
}

TEST(EntryStateMachine, AnOpenEntryRefreshesAfterAPaintAndThenRedrawsAgain) {
  EntryStates editor;
  editor.OpenBox();
  EXPECT_EQ(editor.BeginRedrawTick(), IEditorWindow::TickAction::kRedraw);
  editor.AfterRedrawPainted();
  EXPECT_EQ(editor.GetEntryState(), IEditorWindow::kEntryRefresh);
  EXPECT_EQ(editor.BeginRedrawTick(), IEditorWindow::TickAction::kRefreshEntry);
  EXPECT_EQ(editor.GetEntryState(), IEditorWindow::kEntryOpen);
  EXPECT_EQ(editor.BeginRedrawTick(), IEditorWindow::TickAction::kRedraw);
}

TEST(EntryStateMachine, LeftPressCommitsAndRightPressCancelsAtTheNextTick) {
  EntryStates editor;
  editor.OpenBox();
  editor.NoteLeftButtonDown();
  EXPECT_EQ(editor.BeginRedrawTick(), IEditorWindow::TickAction::kCommitEntry);
  EXPECT_TRUE(editor.NoteRightButtonDown());
  EXPECT_EQ(editor.BeginRedrawTick(), IEditorWindow::TickAction::kCancelEntry);
}

TEST(EntryStateMachine, TheFocusedBoxHoldsMessagesAndUnknownStatesFallBack) {
  EntryStates editor;
  editor.OpenBox();
  editor.SetState(IEditorWindow::kEntryFocused);
  EXPECT_TRUE(editor.EntryHoldsMessages());
  EXPECT_EQ(editor.BeginRedrawTick(), IEditorWindow::TickAction::kNothing);
  EXPECT_EQ(editor.GetEntryState(), IEditorWindow::kEntryOpen);
  EXPECT_FALSE(editor.EntryHoldsMessages());
  editor.SetState(77);
  EXPECT_EQ(editor.BeginRedrawTick(), IEditorWindow::TickAction::kNothing);
  EXPECT_EQ(editor.GetEntryState(), IEditorWindow::kEntryOpen);
}

TEST(EntryStateMachine, ClosingTheWindowDiscardsTheEntry) {
  EntryStates editor;
  editor.OpenBox();
  editor.SetState(IEditorWindow::kEntryCommit);
  editor.CloseEditorWindow();
  EXPECT_FALSE(editor.IsEntryOpen());
  EXPECT_EQ(editor.GetEntryState(), IEditorWindow::kEntryOpen);
  EXPECT_EQ(editor.EntryControl(), nullptr);
  EXPECT_EQ(editor.BeginRedrawTick(), IEditorWindow::TickAction::kRedraw);
}

}  // namespace

// The instrument's editor: its controls in order, its reactions to the tones, and what it draws.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "controls/bitmap_control.h"
#include "controls/slider_control.h"
#include "controls/switch_control.h"
#include "controls/text_control.h"
#include "controls/value_text_control.h"
#include "graphics/graphics_core.h"
#include "instrument/tintinna.h"
#include "plug/parameter.h"
#include "raster/raster_bitmap.h"
#include "tests/instrument/chime_host.h"

namespace {

using chime_test::ChimeHost;

constexpr int kMeter = 1;
constexpr int kToneCountField = 8;
constexpr int kFirstSelector = 9;
constexpr int kFirstLamp = 17;
constexpr int kFirstNoteName = 25;
constexpr int kSwitchA = 47;
constexpr int kUpButton = 49;
constexpr int kDownButton = 50;
constexpr int kFirstLabel = 51;

constexpr IMouseModifiers kLeft{true, false, false, false, false};

// Opaque pixels of one frame of an image, and how many of them the surface does not show at
// (x, y).
struct FrameMatch {
  int opaque = 0;
  int mismatched = 0;
};

FrameMatch CompareFrame(IGraphicsCore& editor, const IImage& image, int frame, int x, int y) {
  FrameMatch match;
  RasterBitmap* bitmap = image.bitmap;
  if (!bitmap || !bitmap->GetBits()) return match;
  const uint32_t* bits = bitmap->GetBits();
  const int top = image.FrameTop(frame);
  for (int row = 0; row < image.FrameHeight(); ++row) {
    for (int column = 0; column < image.width; ++column) {
      const uint32_t source = bits[(top + row) * bitmap->GetRowSpan() + column];
      if (source >> 24 != 0xFF) continue;
      ++match.opaque;
      const uint32_t shown = editor.ReadPixel(x + column, y + row).Packed();
      if ((shown & 0xFFFFFF) != (source & 0xFFFFFF)) ++match.mismatched;
    }
  }
  return match;
}

// The brightest pixel of a rectangle, by its largest channel.
IRgba Brightest(IGraphicsCore& editor, const IBounds& bounds) {
  IRgba best{0, 0, 0, 0};
  const auto level = [](const IRgba& c) { return std::max({c.red, c.green, c.blue}); };
  for (int y = bounds.top; y < bounds.bottom; ++y)
    for (int x = bounds.left; x < bounds.right; ++x)
      if (const IRgba c = editor.ReadPixel(x, y); level(c) > level(best)) best = c;
  return best;
}

class EditorLayout : public ::testing::Test {
 protected:
  void SetUp() override {
    host.Open();
    editor = host.Plugin().GetEditor();
    ASSERT_NE(editor, nullptr);
  }

  IControl* Control(int index) { return editor->GetControl(index); }
  ITextControl* Text(int index) { return dynamic_cast<ITextControl*>(Control(index)); }
  double ParameterValue(int index) { return host.Plugin().GetParameter(index)->Value(); }
  void SetPlain(int index, double value) {
    host.SetParameter(index,
                      static_cast<float>(host.Plugin().GetParameter(index)->NormalizeValue(value)));
  }

  // One editor tick: observers, dirty area, draw pass.
  void Tick() {
    IBounds area;
    if (editor->CollectDirtyArea(area)) editor->DrawArea(area);
  }
  void DrawEverything() {
    editor->MarkAllControlsDirty();
    Tick();
  }
  void Click(int x, int y) {
    editor->HandleMouseDown(x, y, kLeft);
    editor->HandleMouseUp(x, y, kLeft);
  }

  ChimeHost host;
  IGraphicsCore* editor = nullptr;
};

// ---- Structure ---------------------------------------------------------------------------------

TEST_F(EditorLayout, HoldsSeventyOneControlsBoundToTheirParameters) {
  ASSERT_EQ(editor->ControlCount(), 71);
  int expected[71];
  std::fill(std::begin(expected), std::end(expected), -1);
  expected[4] = Tintinna::kWindSpeed;
  expected[6] = Tintinna::kWindVariation;
  expected[8] = Tintinna::kToneCount;
  for (int k = 0; k < 8; ++k) expected[kFirstSelector + k] = Tintinna::kTone1 + k;
  expected[33] = Tintinna::kAlgorithm;
  expected[37] = Tintinna::kDuration;
  expected[39] = Tintinna::kSensitivity;
  expected[40] = Tintinna::kClapSize;
  expected[41] = Tintinna::kNoteChannel;
  expected[42] = Tintinna::kMinVelocity;
  expected[43] = Tintinna::kChannelA;
  expected[44] = Tintinna::kNumberA;
  expected[45] = Tintinna::kChannelB;
  expected[46] = Tintinna::kNumberB;
  expected[47] = Tintinna::kActiveA;
  expected[48] = Tintinna::kActiveB;
  expected[kUpButton] = Tintinna::kTransposeUp;
  expected[kDownButton] = Tintinna::kTransposeDown;
  for (int i = 0; i < 71; ++i) EXPECT_EQ(Control(i)->ParameterIndex(), expected[i]) << i;
}

TEST_F(EditorLayout, PutsTheBackgroundMeterAndLampsAtTheirIndices) {
  auto* background = dynamic_cast<IBitmapControl*>(Control(0));
  ASSERT_NE(background, nullptr);
  EXPECT_EQ(background->DrawBounds(), (IBounds{0, 0, 800, 400}));

  auto* meter = dynamic_cast<IBitmapControl*>(Control(kMeter));
  ASSERT_NE(meter, nullptr);
  EXPECT_EQ(meter->Image().frames, 51);
  EXPECT_EQ(meter->DrawBounds(), (IBounds{90, 145, 189, 245}));

  for (int k = 0; k < 8; ++k) {
    auto* lamp = dynamic_cast<IBitmapControl*>(Control(kFirstLamp + k));
    ASSERT_NE(lamp, nullptr) << k;
    EXPECT_EQ(lamp->Image().frames, 127);
    EXPECT_EQ(lamp->DrawBounds(), (IBounds{460 + 40 * k, 40, 474 + 40 * k, 54}));
  }
}

TEST_F(EditorLayout, UsesTheClassOfEachRole) {
  for (int index : {4, 6, 37, 39, 40})
    EXPECT_NE(dynamic_cast<ISliderControl*>(Control(index)), nullptr) << index;
  for (int index : {8, 9, 16, 33, 41, 42, 43, 44, 45, 46})
    EXPECT_NE(dynamic_cast<IValueTextControl*>(Control(index)), nullptr) << index;
  for (int index : {5, 7, 25, 32, 38, 51, 70}) {
    EXPECT_NE(Text(index), nullptr) << index;
    EXPECT_EQ(dynamic_cast<IValueTextControl*>(Control(index)), nullptr) << index;
  }
  for (int index : {47, 48}) {
    EXPECT_NE(dynamic_cast<ISwitchControl*>(Control(index)), nullptr) << index;
    EXPECT_EQ(dynamic_cast<IContactControl*>(Control(index)), nullptr) << index;
  }
  for (int index : {kUpButton, kDownButton})
    EXPECT_NE(dynamic_cast<IContactControlNoDblClick*>(Control(index)), nullptr) << index;
}

TEST_F(EditorLayout, PlacesTheFadersAndTheirTracksTogether) {
  const int faders[][2] = {{4, 2}, {6, 3}, {37, 36}, {39, 34}, {40, 35}};
  for (const auto& [fader, track] : faders) {
    EXPECT_EQ(Control(fader)->DrawBounds().left, Control(track)->DrawBounds().left) << fader;
    EXPECT_EQ(Control(fader)->DrawBounds().top, Control(track)->DrawBounds().top) << fader;
    EXPECT_EQ(Control(fader)->DrawBounds().Width(), 150) << fader;
  }
}

// A vertical drag on a field moves its own parameter and no other, whichever field it is.
TEST_F(EditorLayout, EveryValueFieldMovesItsOwnParameterWhenDragged) {
  SetPlain(Tintinna::kToneCount, 8);  // no selector greyed, and the tone count's own field last
  for (int index : {9, 10, 11, 12, 13, 14, 15, 16, 33, 41, 42, 43, 44, 45, 46, 8}) {
    const int own = Control(index)->ParameterIndex();
    std::vector<double> before;
    for (int p = 0; p < Tintinna::kParameterCount; ++p) before.push_back(ParameterValue(p));
    const IBounds b = Control(index)->DrawBounds();
    const int x = (b.left + b.right) / 2, y = (b.top + b.bottom) / 2;
    editor->HandleMouseDown(x, y, kLeft);
    editor->HandleMouseDrag(x, y - 60, kLeft);
    editor->HandleMouseUp(x, y - 60, kLeft);
    for (int p = 0; p < Tintinna::kParameterCount; ++p)
      EXPECT_EQ(ParameterValue(p) != before[p], p == own) << "field " << index << ", " << p;
  }
}

TEST_F(EditorLayout, ReadOutsShowTheirParametersAfterTheFirstTick) {
  Tick();
  EXPECT_EQ(Text(5)->Text(), "10.00");
  EXPECT_EQ(Text(7)->Text(), "0.00");
  EXPECT_EQ(Text(38)->Text(), "0.10");
  EXPECT_EQ(Text(kFirstNoteName)->Text(), "C4");
  EXPECT_EQ(Text(kFirstNoteName + 7)->Text(), "C5");
  EXPECT_EQ(Text(kFirstSelector)->Text(), "48 ");
  EXPECT_EQ(Text(33)->Text(), "Select Any ");
  EXPECT_EQ(Text(41)->Text(), "1 ");
}

// ---- The number of tones -----------------------------------------------------------------------

TEST_F(EditorLayout, ThreeTonesGreyTheOtherFiveSelectorsAndTheirNoteNames) {
  SetPlain(Tintinna::kToneCount, 3);
  Tick();
  for (int k = 0; k < 8; ++k) {
    const bool greyed = k >= 3;
    EXPECT_EQ(Control(kFirstSelector + k)->IsGreyed(), greyed) << k;
    EXPECT_EQ(Control(kFirstNoteName + k)->IsGreyed(), greyed) << k;
    const IRgba colour = greyed ? IRgba{255, 127, 127, 127} : IRgba{255, 255, 255, 255};
    EXPECT_EQ(Text(kFirstSelector + k)->TextStyle().colour, colour) << k;
    EXPECT_EQ(Text(kFirstNoteName + k)->TextStyle().colour, colour) << k;
  }
}

TEST_F(EditorLayout, EightTonesGreyNone) {
  SetPlain(Tintinna::kToneCount, 3);
  Tick();
  SetPlain(Tintinna::kToneCount, 8);
  Tick();
  for (int k = 0; k < 8; ++k) {
    EXPECT_FALSE(Control(kFirstSelector + k)->IsGreyed()) << k;
    EXPECT_FALSE(Control(kFirstNoteName + k)->IsGreyed()) << k;
    EXPECT_EQ(Text(kFirstNoteName + k)->TextStyle().colour, (IRgba{255, 255, 255, 255})) << k;
  }
}

TEST_F(EditorLayout, SelectorsAreCentredOnceTheToneCountIsKnown) {
  for (int k = 0; k < 8; ++k)
    EXPECT_EQ(Text(kFirstSelector + k)->TextStyle().alignment, ITextStyle::kCentre) << k;
}

TEST_F(EditorLayout, AGreyedSelectorIgnoresTheWheel) {
  SetPlain(Tintinna::kToneCount, 3);
  Tick();
  editor->HandleMouseWheel(590, 70, {}, 1);  // selector 4
  EXPECT_EQ(ParameterValue(Tintinna::kTone1 + 3), 53.0);
  editor->HandleMouseWheel(470, 70, {}, 1);  // selector 1
  EXPECT_EQ(ParameterValue(Tintinna::kTone1), 49.0);
}

TEST_F(EditorLayout, TheWheelOnTheToneCountGreysFromTheEditorToo) {
  editor->HandleMouseWheel(470, 110, {}, 1);
  EXPECT_EQ(ParameterValue(Tintinna::kToneCount), 7.0);
  EXPECT_FALSE(Control(kFirstSelector + 6)->IsGreyed());
  EXPECT_TRUE(Control(kFirstSelector + 7)->IsGreyed());
}

// ---- Transposition -----------------------------------------------------------------------------

TEST_F(EditorLayout, APressOnTheUpButtonRaisesEveryTone) {
  Click(770, 70);
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(ParameterValue(Tintinna::kTone1 + k), host.Plugin().Settings().notes[k + 1] + 0.0);
  }
  const int raised[] = {49, 51, 53, 54, 56, 58, 60, 61};
  for (int k = 0; k < 8; ++k) EXPECT_EQ(ParameterValue(Tintinna::kTone1 + k), raised[k]) << k;
  EXPECT_EQ(ParameterValue(Tintinna::kTransposeUp), 0.0);
  EXPECT_EQ(Control(kUpButton)->Value(), 0.0);
  Tick();
  EXPECT_EQ(Text(kFirstSelector)->Text(), "49 ");
  EXPECT_EQ(Text(kFirstNoteName)->Text(), "C#4");
}

TEST_F(EditorLayout, APressOnTheDownButtonLowersEveryTone) {
  Click(770, 85);
  const int lowered[] = {47, 49, 51, 52, 54, 56, 58, 59};
  for (int k = 0; k < 8; ++k) EXPECT_EQ(ParameterValue(Tintinna::kTone1 + k), lowered[k]) << k;
}

TEST_F(EditorLayout, AToneAtTheTopGreysTheUpButtonWhichThenIgnoresClicks) {
  SetPlain(Tintinna::kTone1 + 7, 127);
  EXPECT_TRUE(Control(kUpButton)->IsGreyed());
  EXPECT_FALSE(Control(kDownButton)->IsGreyed());
  EXPECT_NE(editor->FindControlAt(770, 70), kUpButton);
  Click(770, 70);
  EXPECT_EQ(ParameterValue(Tintinna::kTone1), 48.0);
  EXPECT_EQ(ParameterValue(Tintinna::kTone1 + 7), 127.0);

  Click(770, 85);
  EXPECT_EQ(ParameterValue(Tintinna::kTone1 + 7), 126.0);
  EXPECT_FALSE(Control(kUpButton)->IsGreyed());
}

TEST_F(EditorLayout, AnUnplayedToneAtTheBottomStillGreysTheDownButton) {
  SetPlain(Tintinna::kToneCount, 2);
  SetPlain(Tintinna::kTone1 + 5, 0);
  EXPECT_TRUE(Control(kDownButton)->IsGreyed());
  EXPECT_FALSE(Control(kUpButton)->IsGreyed());
  SetPlain(Tintinna::kTone1 + 5, 1);
  EXPECT_FALSE(Control(kDownButton)->IsGreyed());
}

TEST_F(EditorLayout, HostAutomationOfTheTransposeParameterMovesTheSelectors) {
  host.SetParameter(Tintinna::kTransposeUp, 1.0f);
  host.SetParameter(Tintinna::kTransposeUp, 0.0f);
  EXPECT_EQ(ParameterValue(Tintinna::kTone1), 49.0);
  Tick();
  EXPECT_EQ(Text(kFirstSelector + 7)->Text(), "61 ");
}

// ---- Switches, meter and lamps -----------------------------------------------------------------

TEST_F(EditorLayout, TheOutputASwitchShowsThePlainSquareWhileItSends) {
  auto* square = dynamic_cast<IBitmapControl*>(Control(kSwitchA));
  ASSERT_NE(square, nullptr);
  DrawEverything();
  FrameMatch plain = CompareFrame(*editor, square->Image(), 1, 200, 320);
  EXPECT_GT(plain.opaque, 0);
  EXPECT_EQ(plain.mismatched, 0);
  EXPECT_TRUE(host.Plugin().Settings().ccActiveA);

  Click(205, 325);
  EXPECT_EQ(ParameterValue(Tintinna::kActiveA), 1.0);
  EXPECT_FALSE(host.Plugin().Settings().ccActiveA);
  Tick();
  const FrameMatch crossed = CompareFrame(*editor, square->Image(), 2, 200, 320);
  EXPECT_EQ(crossed.mismatched, 0);
  EXPECT_GT(CompareFrame(*editor, square->Image(), 1, 200, 320).mismatched, 0);
  const IRgba centre = editor->ReadPixel(205, 325);
  EXPECT_GT(centre.red, centre.green + 60);
}

TEST_F(EditorLayout, TheMeterShowsItsLastFrameAtFullWindAndItsFirstAtNone) {
  auto* meter = dynamic_cast<IBitmapControl*>(Control(kMeter));
  ASSERT_NE(meter, nullptr);
  editor->SetControlFromPlugin(kMeter, 127 / 127.0);
  EXPECT_EQ(IBitmapControl::FrameForValue(meter->Value(), 51), 51);
  DrawEverything();
  const FrameMatch full = CompareFrame(*editor, meter->Image(), 51, 90, 145);
  EXPECT_GT(full.opaque, 0);
  EXPECT_EQ(full.mismatched, 0);
  EXPECT_GT(CompareFrame(*editor, meter->Image(), 1, 90, 145).mismatched, 0);

  editor->SetControlFromPlugin(kMeter, 0.0);
  EXPECT_EQ(IBitmapControl::FrameForValue(meter->Value(), 51), 1);
  Tick();
  EXPECT_EQ(CompareFrame(*editor, meter->Image(), 1, 90, 145).mismatched, 0);
}

TEST_F(EditorLayout, TheWindMovesTheMeter) {
  SetPlain(Tintinna::kWindSpeed, 25);
  host.WarmUp(512);
  const int meter = host.Plugin().Wind().lastMeter;
  EXPECT_GT(meter, 0);
  EXPECT_DOUBLE_EQ(Control(kMeter)->Value(), meter / 127.0);
}

TEST_F(EditorLayout, AStrikeLightsItsChimesLampAndTheNoteOffDimsIt) {
  SetPlain(Tintinna::kWindSpeed, 25);
  bool lit = false, dimmed = false;
  for (int block = 0; block < 4000 && !(lit && dimmed); ++block) {
    host.Process(512);
    int lastVelocity[9] = {-1, -1, -1, -1, -1, -1, -1, -1, -1};
    bool ended[9] = {};
    for (const auto& e : host.LastBlock()) {
      const int chime = chime_test::ChimeOfNote(host.Plugin(), e.data1);
      if (chime == 0) continue;
      if (e.IsNoteOn()) {
        lastVelocity[chime] = e.data2;
        ended[chime] = false;
      } else if (e.IsNoteOff()) {
        ended[chime] = true;
      }
    }
    for (int chime = 1; chime <= 8; ++chime) {
      const double value = Control(kFirstLamp + chime - 1)->Value();
      if (ended[chime] && host.Plugin().PendingNote(chime).countdown == 0) {
        EXPECT_EQ(value, 0.0) << chime;
        dimmed = true;
      } else if (lastVelocity[chime] >= 0) {
        EXPECT_DOUBLE_EQ(value, lastVelocity[chime] / 127.0) << chime;
        lit = true;
      }
    }
  }
  EXPECT_TRUE(lit);
  EXPECT_TRUE(dimmed);
}

TEST_F(EditorLayout, ALitLampDrawsItsFullGlowFrame) {
  auto* lamp = dynamic_cast<IBitmapControl*>(Control(kFirstLamp + 2));
  ASSERT_NE(lamp, nullptr);
  DrawEverything();
  const IRgba dark = Brightest(*editor, lamp->DrawBounds());
  editor->SetControlFromPlugin(kFirstLamp + 2, 1.0);
  Tick();
  const FrameMatch glow = CompareFrame(*editor, lamp->Image(), 127, 540, 40);
  EXPECT_GT(glow.opaque, 0);
  EXPECT_EQ(glow.mismatched, 0);
  const IRgba bright = Brightest(*editor, lamp->DrawBounds());
  EXPECT_GT(bright.red, dark.red + 80);
}

TEST_F(EditorLayout, AGreyedSelectorIsDrawnInGrey) {
  SetPlain(Tintinna::kToneCount, 3);
  DrawEverything();
  // Antialiased text: the most covered pixels come within a few levels of the text colour.
  const auto expectNear = [](const IRgba& pixel, int level) {
    for (int channel : {pixel.red, pixel.green, pixel.blue}) {
      EXPECT_LE(channel, level);
      EXPECT_GE(channel, level - 20);
    }
  };
  expectNear(Brightest(*editor, {580, 60, 600, 80}), 127);   // selector 4
  expectNear(Brightest(*editor, {580, 80, 600, 100}), 127);  // its note name
  expectNear(Brightest(*editor, {460, 60, 480, 80}), 255);   // selector 1
  expectNear(Brightest(*editor, {460, 80, 480, 100}), 255);
}

}  // namespace

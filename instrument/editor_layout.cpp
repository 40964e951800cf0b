// The chime instrument's editor: every control and label in drawing order, and the editor's
// reactions to tone changes.
#include <algorithm>
#include <cstring>

#include "controls/bitmap_control.h"
#include "controls/read_outs.h"
#include "controls/slider_control.h"
#include "controls/switch_control.h"
#include "controls/text_control.h"
#include "controls/value_text_control.h"
#include "graphics/editor_window.h"
#include "instrument/tintinna.h"
#include "plug/module_handle.h"

namespace {

constexpr int kEditorWidth = 800;
constexpr int kEditorHeight = 400;
constexpr int kTrackLength = 150;
constexpr int kHorizontal = 1;  // any direction but vertical
constexpr int kChimeSpacing = 40;

constexpr IRgba kWhite{255, 255, 255, 255};
constexpr IRgba kGrey{255, 127, 127, 127};

ITextStyle MakeStyle(int32_t alignment, const IRgba& colour = kWhite) {
  ITextStyle style;
  std::strncpy(style.fontFace, "Arial", sizeof style.fontFace - 1);
  style.size = 14;
  style.colour = colour;
  style.style = ITextStyle::kNormal;
  style.alignment = alignment;
  style.orientation = 0;
  return style;
}

struct Label {
  IBounds bounds;
  int32_t alignment;
  const char* text;
};

constexpr Label kLabels[] = {
    {{700, 380, 740, 396}, ITextStyle::kRight, "Version 0.5d"},
    {{10, 60, 50, 76}, ITextStyle::kRight, "Avg WS"},
    {{10, 100, 50, 116}, ITextStyle::kRight, "Variable"},
    {{120, 250, 160, 266}, ITextStyle::kCentre, "Wind Force"},
    {{400, 60, 440, 76}, ITextStyle::kRight, "Tones:"},
    {{400, 100, 440, 116}, ITextStyle::kRight, "Num Tones:"},
    {{400, 240, 440, 256}, ITextStyle::kRight, "Channel:"},
    {{400, 260, 440, 276}, ITextStyle::kRight, "Min Velocity:"},
    {{400, 280, 440, 296}, ITextStyle::kRight, "Duration (sec):"},
    {{400, 120, 440, 136}, ITextStyle::kRight, "Clapper:"},
    {{465, 140, 505, 156}, ITextStyle::kLeft, "Light"},
    {{555, 140, 595, 156}, ITextStyle::kRight, "Heavy"},
    {{465, 180, 505, 196}, ITextStyle::kLeft, "Small"},
    {{555, 180, 595, 196}, ITextStyle::kRight, "Large"},
    {{400, 200, 440, 216}, ITextStyle::kRight, "Algorithm:"},
    {{80, 300, 120, 316}, ITextStyle::kLeft, "Channel"},
    {{140, 300, 180, 316}, ITextStyle::kLeft, "CC #"},
    {{200, 300, 240, 316}, ITextStyle::kLeft, "Enabled"},
    {{20, 320, 60, 336}, ITextStyle::kRight, "CC A:"},
    {{20, 340, 60, 356}, ITextStyle::kRight, "CC B:"},
};

}  // namespace

void Tintinna::BuildEditor() {
  auto* editor = new IEditorWindow(this, kEditorWidth, kEditorHeight, 0);
  editor->SetModuleHandle(ModuleHandle());
  editor->AttachBackground(104, "img/bg-2.png");

  const IImage meter = editor->LoadSkinImage(105, "img/VU-meter_sm.png", 51);
  const IImage track = editor->LoadSkinImage(109, "img/mcp_volbg_horiz.png", 1);
  const IImage handle = editor->LoadSkinImage(103, "img/mcp_volthumb_horiz.png", 1);
  const IImage lamp = editor->LoadSkinImage(110, "img/led_glow.png", 127);
  const IImage square = editor->LoadSkinImage(106, "img/sq_button_10.png", 2);
  const IImage plus = editor->LoadSkinImage(111, "img/sq_button_plus_10.png", 2);
  const IImage minus = editor->LoadSkinImage(112, "img/sq_button_minus_10.png", 2);

  const ITextStyle centred = MakeStyle(ITextStyle::kCentre);
  const ITextStyle left = MakeStyle(ITextStyle::kLeft);

  // A control the editor could not take is deleted by it: only an attached one is kept.
  const auto attach = [&](auto* control) {
    return editor->AttachControl(control) >= 0 ? control : nullptr;
  };
  const auto image = [&](int x, int y, const IImage& picture) {
    return editor->AttachControl(new IBitmapControl(this, x, y, -1, picture));
  };
  const auto fader = [&](int x, int y, int parameter) {
    return attach(new ISliderControl(this, x, y, kTrackLength, parameter, handle, kHorizontal));
  };
  const auto readOut = [&](const IBounds& bounds, IControl* followed) {
    ValueReadOut::Attach(this, *editor, bounds, centred, followed);
  };
  const auto makeField = [&](const IBounds& bounds, int parameter, const ITextStyle& style,
                             double gearing) {
    return new IValueTextControl(this, bounds, parameter, style, nullptr, true, true,
                                 IValueTextControl::kVertical, gearing);
  };
  const auto field = [&](const IBounds& bounds, int parameter, const ITextStyle& style,
                         double gearing) {
    editor->AttachControl(makeField(bounds, parameter, style, gearing));
  };

  // The wind.
  meterControl_ = image(90, 145, meter);
  image(70, 60, track);
  image(70, 100, track);
  readOut({70, 80, 110, 100}, fader(70, 60, kWindSpeed));
  readOut({70, 120, 110, 140}, fader(70, 100, kWindVariation));

  // The row of chimes: selectors, lamps above them, note names below.
  field({460, 100, 480, 120}, kToneCount, centred, 4.0);
  IValueTextControl* selectors[kMaxChimes];
  for (int k = 0; k < kMaxChimes; ++k) {
    const int x = 460 + kChimeSpacing * k;
    selectors[k] = attach(makeField({x, 60, x + 20, 80}, kTone1 + k, left, 14.0));
    toneSelectors_[k + 1] = selectors[k];
  }
  for (int k = 0; k < kMaxChimes; ++k)
    lampControls_[k + 1] = image(460 + kChimeSpacing * k, 40, lamp);
  for (int k = 0; k < kMaxChimes; ++k) {
    const int x = 460 + kChimeSpacing * k;
    NoteNameReadOut::Attach(this, *editor, {x, 80, x + 20, 100}, left, selectors[k]);
  }

  // The chime settings.
  field({460, 200, 600, 220}, kAlgorithm, left, 4.0);
  image(460, 120, track);
  image(460, 160, track);
  image(460, 280, track);
  readOut({460, 300, 500, 320}, fader(460, 280, kDuration));
  fader(460, 120, kSensitivity);
  fader(460, 160, kClapSize);
  field({460, 240, 480, 260}, kNoteChannel, centred, 4.0);
  field({460, 260, 480, 280}, kMinVelocity, centred, 14.0);

  // The two controller outputs.
  field({80, 320, 100, 340}, kChannelA, centred, 14.0);
  field({140, 320, 160, 340}, kNumberA, centred, 14.0);
  field({80, 340, 100, 360}, kChannelB, centred, 14.0);
  field({140, 340, 160, 360}, kNumberB, centred, 14.0);
  editor->AttachControl(new ISwitchControl(this, 200, 320, kActiveA, square));
  editor->AttachControl(new ISwitchControl(this, 200, 340, kActiveB, square));

  transposeUpButton_ = attach(new IContactControlNoDblClick(this, 765, 65, kTransposeUp, plus));
  transposeDownButton_ =
      attach(new IContactControlNoDblClick(this, 765, 80, kTransposeDown, minus));

  for (const Label& label : kLabels)
    editor->AttachControl(
        new ITextControl(this, label.bounds, MakeStyle(label.alignment), label.text));

  AttachEditor(editor);
}

void Tintinna::RefreshToneControls() {
  for (int chime = 1; chime <= kMaxChimes; ++chime) {
    // Every selector is a value field (BuildEditor).
    auto* selector = static_cast<ITextControl*>(toneSelectors_[chime]);
    if (!selector) continue;
    const bool inPlay = chime <= settings_.toneCount;
    selector->SetGreyed(!inPlay);
    selector->SetTextStyle(MakeStyle(ITextStyle::kCentre, inPlay ? kWhite : kGrey));
    selector->RefreshTextColours();
  }
}

void Tintinna::RefreshTransposeButtons() {
  const int* first = settings_.notes + 1;
  const int* last = first + kMaxChimes;
  if (transposeUpButton_) transposeUpButton_->SetGreyed(std::find(first, last, 127) != last);
  if (transposeDownButton_) transposeDownButton_->SetGreyed(std::find(first, last, 0) != last);
}

void Tintinna::NudgeToneSelector(int chime, int steps) {
  if (IControl* selector = toneSelectors_[chime]) {
    selector->SetValueFromUser(selector->Value() + steps / 127.0);
    return;
  }
  // No selector to move: the parameter itself moves, so that the host still hears of it.
  const int index = kTone1 + chime - 1;
  SetParameterFromGUI(index, GetParameter(index)->Normalized() + steps / 127.0);
}

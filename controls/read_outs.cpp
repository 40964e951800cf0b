// Text read-outs that follow a control: a parameter's value with two decimals, and a note name.
#include "controls/read_outs.h"

#include <cstdio>

#include "controls/text_control.h"
#include "graphics/graphics_core.h"
#include "plug/effect_base.h"
#include "plug/parameter.h"

namespace {

using NoteName = NoteNameReadOut::NoteName;

constexpr std::array<NoteName, NoteNameReadOut::kNoteCount> MakeNoteNames() {
  constexpr const char* kPitchClasses[12] = {"C",  "C#", "D",  "D#", "E",  "F",
                                             "F#", "G",  "G#", "A",  "A#", "B"};
  std::array<NoteName, NoteNameReadOut::kNoteCount> names{};
  for (int note = 0; note < NoteNameReadOut::kNoteCount; ++note) {
    NoteName& name = names[static_cast<size_t>(note)];
    size_t length = 0;
    for (const char* c = kPitchClasses[note % 12]; *c; ++c) name[length++] = *c;
    const int octave = note / 12;
    if (octave >= 10) name[length++] = static_cast<char>('0' + octave / 10);
    name[length++] = static_cast<char>('0' + octave % 10);
    name[length] = '\0';
  }
  return names;
}

constexpr std::array<NoteName, NoteNameReadOut::kNoteCount> kNoteNames = MakeNoteNames();

// Null when the core could not take the control (it has then deleted it).
ITextControl* AttachEmptyText(IEffectBase* owner, IGraphicsCore& graphics, const IBounds& bounds,
                              const ITextStyle& style) {
  auto* text = new ITextControl(owner, bounds, style, "");
  return graphics.AttachControl(text) >= 0 ? text : nullptr;
}

IParameter* ParameterOf(IEffectBase* owner, const IControl* followed) {
  if (!owner || !followed || followed->ParameterIndex() < 0) return nullptr;
  return owner->GetParameter(followed->ParameterIndex());
}

// A read-out owned by its own text control, so it lives exactly as long as the editor's controls.
template <class ReadOut, class Followed>
ReadOut* AttachOwned(IEffectBase* owner, IGraphicsCore& graphics, const IBounds& bounds,
                     const ITextStyle& style, Followed* followed) {
  auto readOut = std::make_unique<ReadOut>(owner, graphics, bounds, style, followed);
  ReadOut* result = readOut.get();
  // Without a text control it has nowhere to live or show anything: it is dropped, and it never
  // registered with the control it would have followed.
  if (!result->TextControl()) return nullptr;
  result->TextControl()->KeepObserver(std::move(readOut));
  return result;
}

}  // namespace

ValueReadOut::ValueReadOut(IEffectBase* owner, IGraphicsCore& graphics, const IBounds& bounds,
                           const ITextStyle& style, IControl* followed)
    : followed_(followed), textControl_(AttachEmptyText(owner, graphics, bounds, style)) {
  if (followed_ && textControl_) followed_->AttachObserver(this);
  parameter_ = ParameterOf(owner, followed_);
}

ValueReadOut* ValueReadOut::Attach(IEffectBase* owner, IGraphicsCore& graphics,
                                   const IBounds& bounds, const ITextStyle& style,
                                   IControl* followed) {
  return AttachOwned<ValueReadOut>(owner, graphics, bounds, style, followed);
}

// Both read-outs show the followed control's value, not the parameter's: the host's entry pushes
// a value into the controls before it sets the parameter, and a scan in between must not leave
// the old number on the screen.
void ValueReadOut::Update() {
  if (!parameter_ || !textControl_) return;
  char text[64];
  std::snprintf(text, sizeof text, "%.2f", parameter_->PlainValueFor(followed_->Value()));
  textControl_->SetText(text);
}

NoteNameReadOut::NoteNameReadOut(IEffectBase* owner, IGraphicsCore& graphics, const IBounds& bounds,
                                 const ITextStyle& style, ITextControl* followed)
    : followed_(followed), textControl_(AttachEmptyText(owner, graphics, bounds, style)) {
  if (followed_ && textControl_) followed_->AttachObserver(this);
  parameter_ = ParameterOf(owner, followed_);
}

NoteNameReadOut* NoteNameReadOut::Attach(IEffectBase* owner, IGraphicsCore& graphics,
                                         const IBounds& bounds, const ITextStyle& style,
                                         ITextControl* followed) {
  return AttachOwned<NoteNameReadOut>(owner, graphics, bounds, style, followed);
}

const char* NoteNameReadOut::NoteNameFor(int note) noexcept {
  if (note < 0 || note >= kNoteCount) return "";
  return kNoteNames[static_cast<size_t>(note)].data();
}

void NoteNameReadOut::Update() {
  if (!followed_ || !textControl_) return;
  textControl_->SetGreyed(followed_->IsGreyed());
  // After the greying, so that the text takes the followed control's current colour.
  textControl_->SetTextStyle(followed_->TextStyle());
  textControl_->RefreshTextColours();
  if (!parameter_) return;
  const double value = parameter_->PlainValueFor(followed_->Value());
  if (!(value >= 0.0 && value < kNoteCount)) return;
  textControl_->SetText(NoteNameFor(static_cast<int>(value)));
}

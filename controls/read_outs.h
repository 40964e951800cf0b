// Text read-outs that follow a control: a parameter's value with two decimals, and a note name.
//
// Threads: built on the editor's (or the constructing) thread; Update runs on the editor
// thread from the followed control's NotifyObservers during the dirty scan.
#pragma once

#include <array>
#include <memory>

#include "controls/control.h"

class IGraphicsCore;
class IParameter;
class ITextControl;

// Shows the followed control's parameter (plain value) formatted "%.2f".
class ValueReadOut : public IObserverInterface {
 public:
  // Attaches a new, empty ITextControl at the end of graphics' list, registers with followed
  // and looks up followed's parameter in owner's list (none when out of range). When the core
  // cannot take the text control, TextControl() is null and the read-out registers nowhere.
  // The read-out must outlive every Update: see Attach for a read-out owned by its text control.
  ValueReadOut(IEffectBase* owner, IGraphicsCore& graphics, const IBounds& bounds,
               const ITextStyle& style, IControl* followed);
  // Builds a read-out owned by its own text control (and so freed with the editor); null when
  // the text control could not be attached.
  static ValueReadOut* Attach(IEffectBase* owner, IGraphicsCore& graphics, const IBounds& bounds,
                              const ITextStyle& style, IControl* followed);

  void Update() override;

  IControl* Followed() const noexcept { return followed_; }
  ITextControl* TextControl() const noexcept { return textControl_; }
  IParameter* Parameter() const noexcept { return parameter_; }

 private:
  IControl* followed_;
  ITextControl* textControl_;
  IParameter* parameter_;
};

// Shows the followed text control's parameter as a note name ("C0" .. "G10") in the followed
// control's look, greyed with it.
class NoteNameReadOut : public IObserverInterface {
 public:
  static constexpr int kNoteCount = 128;
  static constexpr int kNameSize = 5;
  using NoteName = std::array<char, kNameSize>;

  // The same steps as ValueReadOut's.
  NoteNameReadOut(IEffectBase* owner, IGraphicsCore& graphics, const IBounds& bounds,
                  const ITextStyle& style, ITextControl* followed);
  static NoteNameReadOut* Attach(IEffectBase* owner, IGraphicsCore& graphics, const IBounds& bounds,
                                 const ITextStyle& style, ITextControl* followed);

  void Update() override;

  // The name of MIDI note 0..127; "" outside.
  static const char* NoteNameFor(int note) noexcept;

  ITextControl* Followed() const noexcept { return followed_; }
  ITextControl* TextControl() const noexcept { return textControl_; }
  IParameter* Parameter() const noexcept { return parameter_; }

 private:
  ITextControl* followed_;
  ITextControl* textControl_;
  IParameter* parameter_;
};

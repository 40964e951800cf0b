// A control that draws a text in a text style, darker while greyed.
//
// Threads. The text and the style are replaced from the editor thread (read-outs, value entry)
// and from the host's parameter thread (the instrument's tone refresh), and read by the draw
// pass: a small mutex per control guards them. It is never taken on the audio thread; the only
// operation the audio thread may call on a text control is the inherited SetValueFromPlugin,
// which does not touch them.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "controls/control.h"

class ITextControl : public IControl {
 public:
  static constexpr int32_t kGreyedDarkening = 128;

  // Not bound to a parameter. text may be null (empty).
  ITextControl(IEffectBase* owner, const IBounds& bounds, const ITextStyle& style,
               const char* text);

  // [editor, draw pass] Draws nothing (and succeeds) while the text is empty.
  bool Draw(IGraphicsCore& graphics) override;
  // [editor or parameter thread] Also switches the style's colour to the greyed or the normal
  // colour.
  void SetGreyed(bool greyed) override;

  // [editor or parameter thread] Marks dirty only when the text differs (null reads as "").
  void SetText(const char* text);
  // [editor or parameter thread] Replaces the whole style and marks the control dirty; the
  // normal and greyed colours follow only after RefreshTextColours.
  void SetTextStyle(const ITextStyle& style);
  // [editor or parameter thread] normal <- the style's colour; greyed <- each channel - 128,
  // at least 0, opaque.
  void RefreshTextColours();

  std::string Text() const;
  ITextStyle TextStyle() const;
  IRgba NormalColour() const;
  IRgba GreyedColour() const;

  // Takes ownership of an observer that writes into this control (a read-out), so that it
  // lives exactly as long as its text. It is destroyed with this control.
  void KeepObserver(std::unique_ptr<IObserverInterface> observer);

 protected:
  // For subclasses bound to a parameter.
  ITextControl(IEffectBase* owner, const IBounds& bounds, int parameterIndex,
               const ITextStyle& style, const char* text);
  // Replaces the text without marking the control dirty (the draw pass's own refresh).
  void ReplaceText(std::string text);

 private:
  mutable std::mutex mutex_;
  ITextStyle style_;
  IRgba normalColour_{255, 0, 0, 0};
  IRgba greyedColour_{255, 0, 0, 0};
  std::string text_;
  std::unique_ptr<IObserverInterface> keptObserver_;
};

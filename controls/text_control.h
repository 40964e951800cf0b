// A control that draws a text in a text style, darker while greyed.
//
// Threads. The text is the editor thread's alone (read-outs, the value field's own refresh, the
// draw pass). The look (style and the normal and greyed colours) is also changed from the host's
// parameter and audio threads (the instrument's tone refresh, under the plug-in's lock, which
// keeps its writers one at a time). A writer never waits: it publishes the new look into a
// three-slot hand-over that the editor thread picks up when it next reads the look, so the
// audio thread never waits for a draw.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "controls/control.h"

// What a text control looks like: its style and the two colours greying switches between.
struct ITextLook {
  ITextStyle style;
  IRgba normalColour{255, 0, 0, 0};
  IRgba greyedColour{255, 0, 0, 0};
};

class ITextControl : public IControl {
 public:
  static constexpr int32_t kGreyedDarkening = 128;

  // Not bound to a parameter. text may be null (empty).
  ITextControl(IEffectBase* owner, const IBounds& bounds, const ITextStyle& style,
               const char* text);

  // [editor, draw pass] Draws nothing (and succeeds) while the text is empty.
  bool Draw(IGraphicsCore& graphics) override;
  // [any look writer] Also switches the style's colour to the greyed or the normal colour.
  void SetGreyed(bool greyed) override;
  // [editor] The text is drawn whole, past its bounds: a box around the ink of the current text
  // and of the text drawn last (measured by the editor, IGraphicsCore::StringInk).
  IBounds OverflowBounds() override;

  // [editor] Marks dirty only when the text differs (null reads as "").
  void SetText(const char* text);
  // [any look writer] Replaces the whole style and marks the control dirty; the normal and
  // greyed colours follow only after RefreshTextColours.
  void SetTextStyle(const ITextStyle& style);
  // [any look writer] normal <- the style's colour; greyed <- each channel - 128, at least 0,
  // opaque.
  void RefreshTextColours();

  // [editor] The text, and the latest look published by its writers.
  const std::string& Text() const noexcept { return text_; }
  const ITextLook& Look() const noexcept;
  ITextStyle TextStyle() const noexcept { return Look().style; }
  IRgba NormalColour() const noexcept { return Look().normalColour; }
  IRgba GreyedColour() const noexcept { return Look().greyedColour; }

  // Takes ownership of an observer that writes into this control (a read-out), so that it
  // lives exactly as long as its text. It is destroyed with this control.
  void KeepObserver(std::unique_ptr<IObserverInterface> observer);

 protected:
  // For subclasses bound to a parameter.
  ITextControl(IEffectBase* owner, const IBounds& bounds, int parameterIndex,
               const ITextStyle& style, const char* text);
  // [editor] Replaces the text without marking the control dirty (the draw pass's own refresh).
  void ReplaceText(std::string text);

 private:
  static constexpr uint32_t kSlotMask = 3;
  static constexpr uint32_t kFresh = 4;

  // Copies the writers' look into a free slot and hands it over; never waits.
  void PublishLook() noexcept;
  // [editor] The ink of the current text, measured once per text, place and layout.
  IBounds Ink(IGraphicsCore* graphics);

  // The writers' own copy, which they edit and publish.
  ITextLook writerLook_;
  // The hand-over: the writer fills looks_[back_], then swaps it with the middle slot and marks
  // it fresh; the editor swaps a fresh middle slot with looks_[front_].
  ITextLook looks_[3];
  uint32_t back_ = 1;
  mutable uint32_t front_ = 0;
  mutable std::atomic<uint32_t> middle_{2};
  std::string text_;
  IBounds drawnInk_;              // [editor] the box around the ink of the last draw
  IBounds ink_;                   // [editor] the ink of the current text, when measured
  mutable bool inkStale_ = true;  // [editor] the text or the look changed since it was measured
  std::unique_ptr<IObserverInterface> keptObserver_;
};

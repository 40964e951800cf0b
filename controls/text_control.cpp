// A control that draws a text in a text style, darker while greyed.
#include "controls/text_control.h"

#include <algorithm>

#include "graphics/graphics_core.h"
#include "plug/effect_base.h"

ITextControl::ITextControl(IEffectBase* owner, const IBounds& bounds, const ITextStyle& style,
                           const char* text)
    : ITextControl(owner, bounds, -1, style, text) {}

ITextControl::ITextControl(IEffectBase* owner, const IBounds& bounds, int parameterIndex,
                           const ITextStyle& style, const char* text)
    : IControl(owner, bounds, parameterIndex), text_(text ? text : "") {
  writerLook_.style = style;
  RefreshTextColours();
  for (ITextLook& look : looks_) look = writerLook_;
}

void ITextControl::PublishLook() noexcept {
  looks_[back_] = writerLook_;
  back_ = middle_.exchange(back_ | kFresh, std::memory_order_acq_rel) & kSlotMask;
}

const ITextLook& ITextControl::Look() const noexcept {
  if (middle_.load(std::memory_order_relaxed) & kFresh) {
    front_ = middle_.exchange(front_, std::memory_order_acq_rel) & kSlotMask;
    inkStale_ = true;
  }
  return looks_[front_];
}

IBounds ITextControl::Ink(IGraphicsCore* graphics) {
  const ITextStyle& style = Look().style;
  // Measuring is font work: done again only when the text or its look changed.
  if (!inkStale_) return ink_;
  if (!graphics) return IGraphicsCore::EstimateStringInk(style, text_.c_str(), DrawBounds());
  // An estimate (made before the editor's font is chosen) is not kept.
  inkStale_ = !graphics->StringInk(style, text_.c_str(), DrawBounds(), ink_);
  return ink_;
}

bool ITextControl::Draw(IGraphicsCore& graphics) {
  const ITextLook& look = Look();
  const bool drawn = text_.empty() || graphics.DrawString(look.style, text_.c_str(), DrawBounds());
  drawnInk_ = Ink(&graphics);
  return drawn;
}

IBounds ITextControl::OverflowBounds() {
  IEffectBase* owner = Owner();
  return Ink(owner ? owner->GetEditor() : nullptr).Union(drawnInk_);
}

void ITextControl::SetGreyed(bool greyed) {
  SetGreyedState(greyed);
  writerLook_.style.colour = greyed ? writerLook_.greyedColour : writerLook_.normalColour;
  PublishLook();
  MarkChangedFromOutside();
}

void ITextControl::SetText(const char* text) {
  if (!text) text = "";
  if (text_ == text) return;
  MarkDirty(false);
  text_ = text;
  inkStale_ = true;
}

void ITextControl::SetTextStyle(const ITextStyle& style) {
  writerLook_.style = style;
  PublishLook();
  MarkChangedFromOutside();
}

void ITextControl::RefreshTextColours() {
  const IRgba colour = writerLook_.style.colour;
  writerLook_.normalColour = colour;
  const auto darker = [](int32_t channel) { return std::max(channel - kGreyedDarkening, 0); };
  writerLook_.greyedColour = {255, darker(colour.red), darker(colour.green), darker(colour.blue)};
  PublishLook();
}

void ITextControl::KeepObserver(std::unique_ptr<IObserverInterface> observer) {
  keptObserver_ = std::move(observer);
}

void ITextControl::ReplaceText(std::string text) {
  text_ = std::move(text);
  inkStale_ = true;
}

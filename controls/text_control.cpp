// A control that draws a text in a text style, darker while greyed.
#include "controls/text_control.h"

#include <algorithm>

#include "graphics/graphics_core.h"

namespace {

// A box that holds the ink of length characters drawn in style within bounds: no glyph of a
// text face is wider or taller than its size, and half a size more covers overhangs.
IBounds InkBox(const IBounds& bounds, const ITextStyle& style, size_t length) {
  if (length == 0) return {};
  const int size = style.size > 0 ? style.size : 16;
  const int width = static_cast<int>(std::min<size_t>(length, 1024)) * size;
  const int margin = size / 2;
  int left = bounds.left;
  if (style.alignment == ITextStyle::kRight) left = bounds.right - width;
  if (style.alignment == ITextStyle::kCentre) left = (bounds.left + bounds.right - width) / 2;
  const IBounds ink{left - margin, bounds.top - margin, left + width + margin,
                    std::max(bounds.bottom, bounds.top + 2 * size)};
  return ink.Union(bounds);
}

}  // namespace

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
  if (middle_.load(std::memory_order_relaxed) & kFresh)
    front_ = middle_.exchange(front_, std::memory_order_acq_rel) & kSlotMask;
  return looks_[front_];
}

bool ITextControl::Draw(IGraphicsCore& graphics) {
  const ITextLook& look = Look();
  drawnInk_ = InkBox(DrawBounds(), look.style, text_.size());
  if (text_.empty()) return true;
  return graphics.DrawString(look.style, text_.c_str(), DrawBounds());
}

IBounds ITextControl::OverflowBounds() {
  return InkBox(DrawBounds(), Look().style, text_.size()).Union(drawnInk_);
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
}

// A control that draws a text in a text style, darker while greyed.
#include "controls/text_control.h"

#include <algorithm>

#include "graphics/graphics_core.h"

ITextControl::ITextControl(IEffectBase* owner, const IBounds& bounds, const ITextStyle& style,
                           const char* text)
    : ITextControl(owner, bounds, -1, style, text) {}

ITextControl::ITextControl(IEffectBase* owner, const IBounds& bounds, int parameterIndex,
                           const ITextStyle& style, const char* text)
    : IControl(owner, bounds, parameterIndex), style_(style), text_(text ? text : "") {
  RefreshTextColours();
}

bool ITextControl::Draw(IGraphicsCore& graphics) {
  ITextStyle style;
  std::string text;
  {
    // Copied so that a setter on another thread never waits for the drawing.
    std::lock_guard lock(mutex_);
    style = style_;
    text = text_;
  }
  if (text.empty()) return true;
  return graphics.DrawString(style, text.c_str(), DrawBounds());
}

void ITextControl::SetGreyed(bool greyed) {
  // Under the lock so that a draw turn sees either the old look or the new one and the dirty
  // mark made for it.
  std::lock_guard lock(mutex_);
  SetGreyedState(greyed);
  MarkDirty(false);
  style_.colour = greyed ? greyedColour_ : normalColour_;
}

void ITextControl::SetText(const char* text) {
  if (!text) text = "";
  std::lock_guard lock(mutex_);
  if (text_ == text) return;
  MarkDirty(false);
  text_ = text;
}

void ITextControl::SetTextStyle(const ITextStyle& style) {
  std::lock_guard lock(mutex_);
  style_ = style;
  MarkDirty(false);
}

void ITextControl::RefreshTextColours() {
  std::lock_guard lock(mutex_);
  normalColour_ = style_.colour;
  const auto darker = [](int32_t channel) { return std::max(channel - kGreyedDarkening, 0); };
  greyedColour_ = {255, darker(style_.colour.red), darker(style_.colour.green),
                   darker(style_.colour.blue)};
}

std::string ITextControl::Text() const {
  std::lock_guard lock(mutex_);
  return text_;
}

ITextStyle ITextControl::TextStyle() const {
  std::lock_guard lock(mutex_);
  return style_;
}

IRgba ITextControl::NormalColour() const {
  std::lock_guard lock(mutex_);
  return normalColour_;
}

IRgba ITextControl::GreyedColour() const {
  std::lock_guard lock(mutex_);
  return greyedColour_;
}

void ITextControl::KeepObserver(std::unique_ptr<IObserverInterface> observer) {
  keptObserver_ = std::move(observer);
}

void ITextControl::ReplaceText(std::string text) {
  std::lock_guard lock(mutex_);
  text_ = std::move(text);
}

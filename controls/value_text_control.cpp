// A value field: shows a parameter's display text and is changed by dragging or the wheel.
#include "controls/value_text_control.h"

#include <cmath>

#include "graphics/graphics_core.h"
#include "plug/effect_base.h"
#include "plug/parameter.h"

IValueTextControl::IValueTextControl(IEffectBase* owner, const IBounds& bounds, int parameterIndex,
                                     const ITextStyle& style, IParameter* ownParameter,
                                     bool showValue, bool showUnit, int direction, double gearing)
    : ITextControl(owner, bounds, parameterIndex, style, ""),
      direction_(direction),
      gearing_(gearing),
      showValue_(showValue),
      showUnit_(showUnit),
      ownParameter_(ownParameter) {}

IParameter* IValueTextControl::DisplayedParameter() const noexcept {
  if (ParameterIndex() >= 0) return Owner() ? Owner()->GetParameter(ParameterIndex()) : nullptr;
  return ownParameter_;
}

void IValueTextControl::SetWrapped(double value) {
  // Past either end the field wraps round instead of stopping.
  if (value < 0.0)
    SetValue(1.0);
  else if (value > 1.0)
    SetValue(0.0);
  else
    SetValue(value);
  MarkDirty(true);
}

void IValueTextControl::OnMouseDrag(int, int, int dx, int dy, const IMouseModifiers&) {
  if (IsGreyed()) return;
  const IBounds& bounds = DrawBounds();
  // The screen's y grows downwards, so top - bottom (negative) makes an upward drag raise it.
  const int span =
      direction_ == kVertical ? bounds.top - bounds.bottom : bounds.right - bounds.left;
  const int movement = direction_ == kVertical ? dy : dx;
  double change = 0.0;
  if (span != 0 && gearing_ != 0.0) change = static_cast<double>(movement) / span / gearing_;
  SetWrapped(Value() + change);
}

double IValueTextControl::WheelStep(const IMouseModifiers& modifiers) const noexcept {
  const IParameter* parameter = DisplayedParameter();
  if (!parameter) return kWheelStep;
  if (parameter->GetKind() != IParameter::kContinuous) {
    const double range = parameter->Maximum() - parameter->Minimum();
    const double step = range != 0.0 ? parameter->Step() / range : 0.0;
    if (step != 0.0 && std::isfinite(step)) return step;
  }
  return modifiers.shift || modifiers.control ? kFineWheelStep : kWheelStep;
}

void IValueTextControl::OnMouseWheel(int, int, const IMouseModifiers& modifiers, int delta) {
  if (IsGreyed()) return;
  SetWrapped(Value() + delta * WheelStep(modifiers));
}

void IValueTextControl::RefreshText() {
  const double value = Value();
  // Every pass asks: the text is formatted again only when the value moved.
  const bool ownValue = DefaultValue() >= 0.0;
  if (ownValue && value == refreshedFor_) return;
  refreshedFor_ = ownValue ? value : std::nan("");
  if (ownParameter_) ownParameter_->SetFromNormalized(value);
  if (!showValue_) return;
  const IParameter* parameter = DisplayedParameter();
  if (!parameter) return;
  IParameter::Text display{};
  // A field the plug-in side never gave a value shows the parameter's own.
  const double plain = DefaultValue() < 0.0 ? parameter->Value() : parameter->PlainValueFor(value);
  parameter->FormatValue(plain, false, display);
  std::string text = display;
  if (showUnit_) {
    text += ' ';
    text += parameter->UnitLabel();
  }
  ReplaceText(std::move(text));
}

IBounds IValueTextControl::OverflowBounds() {
  RefreshText();
  return ITextControl::OverflowBounds();
}

bool IValueTextControl::Draw(IGraphicsCore& graphics) {
  RefreshText();
  return ITextControl::Draw(graphics);
}

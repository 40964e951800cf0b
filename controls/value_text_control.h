// A value field: shows a parameter's display text and is changed by dragging or the wheel.
#pragma once

#include "controls/text_control.h"

class IParameter;

class IValueTextControl : public ITextControl {
 public:
  static constexpr int kVertical = 0;

  // direction 0 drags vertically, anything else horizontally; a drag across the whole control
  // changes the value by 1 / gearing. ownParameter (not owned, may be null) stands in when
  // parameterIndex is -1 and is kept in step with the value by Draw. The text starts empty.
  IValueTextControl(IEffectBase* owner, const IBounds& bounds, int parameterIndex,
                    const ITextStyle& style, IParameter* ownParameter, bool showValue,
                    bool showUnit, int direction, double gearing);

  // [editor] Ignored while greyed. Up or right raises the value; past either end it wraps.
  void OnMouseDrag(int x, int y, int dx, int dy, const IMouseModifiers& modifiers) override;
  // [editor] Ignored while greyed. One notch is one step of a stepped parameter, else 0.01
  // (0.001 with shift or control); wraps like a drag.
  void OnMouseWheel(int x, int y, const IMouseModifiers& modifiers, int delta) override;
  // [editor, draw pass] Draws the text for the control's value (see OverflowBounds).
  bool Draw(IGraphicsCore& graphics) override;
  // [editor] Brings the text up to the control's value first, so that the box holds the ink the
  // pass will draw. (A value that lands in between keeps the control dirty for the next pass.)
  IBounds OverflowBounds() override;

  // The bound parameter of the owner, or the own parameter when unbound; null when neither.
  IParameter* DisplayedParameter() const noexcept;
  // The value change of one wheel notch.
  double WheelStep(const IMouseModifiers& modifiers) const noexcept;
  int Direction() const noexcept { return direction_; }
  double Gearing() const noexcept { return gearing_; }

 private:
  void SetWrapped(double value);
  // The parameter's display text for the control's value, not for the parameter's current
  // value: the host's entry pushes a value into the controls before it sets the parameter.
  void RefreshText();

  int32_t direction_;
  double gearing_;
  bool showValue_;
  bool showUnit_;
  IParameter* ownParameter_;
  double refreshedFor_ = -1.0;  // [editor] the value the text was last made for
};

// Switches that step through the frames of an image strip, and momentary push buttons.
#include "controls/switch_control.h"

void ISwitchControl::OnMouseDown(int, int, const IMouseModifiers& modifiers) {
  if (modifiers.right) {
    PromptForValue();
  } else {
    const int frames = image_.frames;
    SetValue(Value() + (frames > 1 ? 1.0 / (frames - 1) : 1.0));
  }
  if (Value() > kWrapTolerance) SetValue(0.0);
  MarkDirty(true);
}

IContactControl::IContactControl(IEffectBase* owner, int x, int y, int parameterIndex,
                                 const IImage& image)
    : ISwitchControl(owner, x, y, parameterIndex, image) {
  SetDoubleClickIsClick(true);
}

void IContactControl::OnMouseUp(int, int, const IMouseModifiers&) {
  SetValue(0.0);
  MarkDirty(true);
}

IContactControlNoDblClick::IContactControlNoDblClick(IEffectBase* owner, int x, int y,
                                                     int parameterIndex, const IImage& image)
    : IContactControl(owner, x, y, parameterIndex, image) {
  SetDoubleClickIsClick(true);
}

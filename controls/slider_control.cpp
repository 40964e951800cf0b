// A fader: a handle image that runs along a track painted on the background.
#include "controls/slider_control.h"

#include "graphics/graphics_core.h"

namespace {

IBounds TrackBounds(int x, int y, int trackLength, const IImage& handle, int direction) {
  if (direction == ISliderControl::kVertical) return {x, y, x + handle.width, y + trackLength};
  return {x, y, x + trackLength, y + handle.height};
}

}  // namespace

ISliderControl::ISliderControl(IEffectBase* owner, int x, int y, int trackLength,
                               int parameterIndex, const IImage& handleImage, int direction)
    : IControl(owner, TrackBounds(x, y, trackLength, handleImage, direction), parameterIndex),
      trackLength_(trackLength),
      handleSize_(direction == kVertical ? handleImage.height : handleImage.width),
      handleImage_(handleImage),
      direction_(direction) {}

IBounds ISliderControl::GetHandleBounds(double value) const noexcept {
  if (value < 0.0) value = Value();
  const IBounds& bounds = DrawBounds();
  IBounds handle{bounds.left, bounds.top, bounds.left + handleImage_.width,
                 bounds.top + handleImage_.height};
  const int travel = trackLength_ - handleSize_;
  if (direction_ == kVertical) {
    const int offset = static_cast<int>(travel * (1.0 - value));
    handle.top += offset;
    handle.bottom += offset;
  } else {
    const int offset = static_cast<int>(value * travel);
    handle.left += offset;
    handle.right += offset;
  }
  return handle;
}

void ISliderControl::SnapToMouse(int x, int y) {
  const int half = handleSize_ / 2;
  const int travel = trackLength_ - handleSize_;
  const IBounds& bounds = DrawBounds();
  // A track no longer than its handle has nowhere to go: the value stays.
  if (travel != 0) {
    if (direction_ == kVertical)
      SetValue(1.0 - static_cast<double>(y - bounds.top - half) / travel);
    else
      SetValue(static_cast<double>(x - bounds.left - half) / travel);
  }
  MarkDirty(true);
}

void ISliderControl::OnMouseDown(int x, int y, const IMouseModifiers& modifiers) {
  if (modifiers.right)
    PromptForValue();
  else
    SnapToMouse(x, y);
}

void ISliderControl::OnMouseDrag(int x, int y, int, int, const IMouseModifiers&) {
  SnapToMouse(x, y);
}

bool ISliderControl::Draw(IGraphicsCore& graphics) {
  const IBlend blend = Blend();
  return graphics.DrawBitmapFrame(handleImage_, GetHandleBounds(-1.0), 1, &blend);
}

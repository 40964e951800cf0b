// A control that shows its value as one frame of an image strip.
#include "controls/bitmap_control.h"

#include <algorithm>

#include "graphics/graphics_core.h"

namespace {

IBounds FrameBounds(int x, int y, const IImage& image) {
  const int frames = image.frames > 0 ? image.frames : 1;
  return {x, y, x + image.width, y + image.height / frames};
}

}  // namespace

IBitmapControl::IBitmapControl(IEffectBase* owner, int x, int y, int parameterIndex,
                               const IImage& image, const IBlend& blend)
    : IControl(owner, FrameBounds(x, y, image), parameterIndex, blend), image_(image) {}

int IBitmapControl::FrameForValue(double value, int frames) noexcept {
  if (frames <= 1) return 1;
  // Bounded before the conversion: a value caught between a store and its clamp on another
  // thread must not overflow it.
  double position = (frames - 1) * value + 0.5;
  if (!(position >= 0.0)) position = 0.0;
  if (position > frames) position = frames;
  return std::clamp(static_cast<int>(position) + 1, 1, frames);
}

bool IBitmapControl::Draw(IGraphicsCore& graphics) {
  const IBlend blend = Blend();
  return graphics.DrawBitmapFrame(image_, DrawBounds(), FrameForValue(Value(), image_.frames),
                                  &blend);
}

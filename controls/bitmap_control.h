// A control that shows its value as one frame of an image strip.
#pragma once

#include "controls/control.h"

class IBitmapControl : public IControl {
 public:
  // Covers (x, y, x + image width, y + frame height).
  IBitmapControl(IEffectBase* owner, int x, int y, int parameterIndex, const IImage& image,
                 const IBlend& blend = {});

  // [editor, draw pass] Value 0 shows frame 1, value 1 the last frame, rounded to the nearest.
  bool Draw(IGraphicsCore& graphics) override;

  // The 1-based frame shown for value with frames frames.
  static int FrameForValue(double value, int frames) noexcept;
  const IImage& Image() const noexcept { return image_; }

 protected:
  IImage image_;
};

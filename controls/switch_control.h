// Switches that step through the frames of an image strip, and momentary push buttons.
#pragma once

#include "controls/bitmap_control.h"

// Each left click moves one frame on and wraps after the last.
class ISwitchControl : public IBitmapControl {
 public:
  // Steps past 1.0 by less than this still show the last frame instead of wrapping.
  static constexpr double kWrapTolerance = 1.001;

  using IBitmapControl::IBitmapControl;

  // [editor] Right button: value entry. Either way the value is sent to the plug-in.
  void OnMouseDown(int x, int y, const IMouseModifiers& modifiers) override;
};

// Momentary: 1.0 while pressed (for a two-frame image), 0.0 on release. A double click counts
// as a second press.
class IContactControl : public ISwitchControl {
 public:
  IContactControl(IEffectBase* owner, int x, int y, int parameterIndex, const IImage& image);

  // [editor]
  void OnMouseUp(int x, int y, const IMouseModifiers& modifiers) override;
};

class IContactControlNoDblClick : public IContactControl {
 public:
  IContactControlNoDblClick(IEffectBase* owner, int x, int y, int parameterIndex,
                            const IImage& image);
};

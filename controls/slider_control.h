// A fader: a handle image that runs along a track painted on the background.
#pragma once

#include "controls/control.h"

class ISliderControl : public IControl {
 public:
  static constexpr int kVertical = 0;

  // Vertical (direction 0) covers (x, y, x + handle width, y + track length); horizontal
  // covers (x, y, x + track length, y + handle height).
  ISliderControl(IEffectBase* owner, int x, int y, int trackLength, int parameterIndex,
                 const IImage& handleImage, int direction);

  // [editor] Right button: value entry; otherwise the handle jumps under the pointer.
  void OnMouseDown(int x, int y, const IMouseModifiers& modifiers) override;
  // [editor] The handle follows the pointer.
  void OnMouseDrag(int x, int y, int dx, int dy, const IMouseModifiers& modifiers) override;
  // [editor, draw pass] Draws the handle only.
  bool Draw(IGraphicsCore& graphics) override;

  // Where the handle is drawn for value (a negative value means the current one). Vertical:
  // 1.0 at the top end; horizontal: 0.0 at the left end.
  IBounds GetHandleBounds(double value) const noexcept;
  // Sets the value that puts the handle's centre under (x, y) and sends it to the plug-in.
  void SnapToMouse(int x, int y);

  int TrackLength() const noexcept { return trackLength_; }
  int HandleSize() const noexcept { return handleSize_; }

 private:
  int32_t trackLength_;
  int32_t handleSize_;
  IImage handleImage_;
  int32_t direction_;
};

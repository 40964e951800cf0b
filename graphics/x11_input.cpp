// Input mapping for the X11 editor window.
#include "graphics/x11_input.h"

#include <X11/X.h>
#include <X11/keysym.h>

#include <cstdlib>

namespace x11input {

namespace {

uint32_t VirtualKeyForOne(unsigned long keysym) noexcept {
  switch (keysym) {
    case XK_space:
      return 0x20;
    case XK_Up:
      return 0x26;
    case XK_Down:
      return 0x28;
    case XK_Left:
      return 0x25;
    case XK_Right:
      return 0x27;
    default:
      break;
  }
  if (keysym >= XK_0 && keysym <= XK_9) return static_cast<uint32_t>('0' + (keysym - XK_0));
  if (keysym >= XK_a && keysym <= XK_z) return static_cast<uint32_t>('A' + (keysym - XK_a));
  if (keysym >= XK_A && keysym <= XK_Z) return static_cast<uint32_t>('A' + (keysym - XK_A));
  return 0;
}

}  // namespace

uint32_t VirtualKeyFor(unsigned long plainKeysym, unsigned long shiftedKeysym) noexcept {
  // Layouts whose digits need shift (AZERTY) still report the digit keys as digits.
  const uint32_t plain = VirtualKeyForOne(plainKeysym);
  return plain != 0 ? plain : VirtualKeyForOne(shiftedKeysym);
}

IMouseModifiers ModifiersFor(unsigned int state, unsigned int button, bool press) noexcept {
  bool left = (state & Button1Mask) != 0;
  bool right = (state & Button3Mask) != 0;
  if (button == Button1) left = press;
  if (button == Button3) right = press;
  IMouseModifiers modifiers;
  modifiers.left = left;
  modifiers.right = right;
  modifiers.shift = (state & ShiftMask) != 0;
  modifiers.control = (state & ControlMask) != 0;
  modifiers.alt = (state & Mod1Mask) != 0;
  return modifiers;
}

bool IsWheelButton(unsigned int button) noexcept {
  return button == Button4 || button == Button5;
}

int WheelNotchesFor(unsigned int button) noexcept {
  if (button == Button4) return 1;
  if (button == Button5) return -1;
  return 0;
}

bool DoubleClickDetector::Press(unsigned long timeMs, int x, int y) noexcept {
  const bool second = armed_ && timeMs - time_ <= kTimeMs && std::abs(x - x_) <= kDistance &&
                      std::abs(y - y_) <= kDistance;
  armed_ = !second;
  time_ = timeMs;
  x_ = x;
  y_ = y;
  return second;
}

}  // namespace x11input

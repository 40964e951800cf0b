// What the X server's input events mean to the editor: key codes as the Windows half reports
// them, mouse modifiers, wheel notches and double clicks. Knows Xlib's constants, not its calls.
#pragma once

#include <cstdint>

#include "graphics/graphics_types.h"

namespace x11input {

// The virtual-key code (as IEditorWindow::MapKeyCode takes it) of an unshifted and a shifted
// keysym of one key press: space, the arrows, digits and letters; 0 for anything else.
uint32_t VirtualKeyFor(unsigned long plainKeysym, unsigned long shiftedKeysym) noexcept;

// Modifiers of a button or motion event. state is the event's state (the buttons and keys held
// before it); a press adds its button, a release removes it, as the Windows messages report.
IMouseModifiers ModifiersFor(unsigned int state, unsigned int button, bool press) noexcept;

// Buttons 4 and 5 are one notch up and down; every other button is no wheel (6 and 7, the
// horizontal wheel, included).
bool IsWheelButton(unsigned int button) noexcept;
int WheelNotchesFor(unsigned int button) noexcept;

// Tells a left press that completes a double click: the second press within the time and the
// distance a desktop uses by default. A third press starts afresh.
class DoubleClickDetector {
 public:
  static constexpr unsigned long kTimeMs = 400;
  static constexpr int kDistance = 5;

  bool Press(unsigned long timeMs, int x, int y) noexcept;
  void Reset() noexcept { armed_ = false; }

 private:
  bool armed_ = false;
  unsigned long time_ = 0;
  int x_ = 0;
  int y_ = 0;
};

}  // namespace x11input

// The Linux editor's input: what each event from the window means to the editor's controls,
// its value entry and the window. A press whose release never arrives (the window went, another
// grab took the pointer) ends as a release would. [editor's driving thread, lock not held]
#pragma once

#include <X11/Xlib.h>

#include "graphics/x11_input.h"

class IEditorWindow;
class X11Session;
class X11ValueEntry;
class X11Window;

class X11Events {
 public:
  X11Events(IEditorWindow& editor, X11Session& session, X11Window& window, X11ValueEntry& entry)
      : editor_(editor), session_(session), window_(window), entry_(entry) {}

  void Handle(XEvent& event);

 private:
  void Press(const XButtonEvent& event);
  void Release(const XButtonEvent& event);
  void Motion(XEvent& event);
  void Key(XKeyEvent& event);
  // The held press ends as a release at the last place the pointer was seen.
  void EndLostPress();

  IEditorWindow& editor_;
  X11Session& session_;
  X11Window& window_;
  X11ValueEntry& entry_;
  x11input::DoubleClickDetector doubleClick_;
  unsigned heldButton_ = 0;  // a press in the window went to the controls: drags follow it
  bool pressInEntry_ = false;
  int lastX_ = 0;
  int lastY_ = 0;
};

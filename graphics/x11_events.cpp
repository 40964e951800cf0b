// The Linux editor's input events.
#include "graphics/x11_events.h"

#include <X11/Xutil.h>

#include "graphics/editor_window.h"
#include "graphics/x11_session.h"
#include "graphics/x11_value_entry.h"
#include "graphics/x11_window.h"

namespace {

constexpr unsigned kHeldButtons = Button1Mask | Button3Mask;

unsigned MaskOf(unsigned button) {
  return button == Button1 ? Button1Mask : button == Button3 ? Button3Mask : 0;
}

bool Inside(const IBounds& b, int x, int y) {
  return x >= b.left && x < b.right && y >= b.top && y < b.bottom;
}

}  // namespace

void X11Events::Handle(XEvent& event) {
  window_.Note(event);
  switch (event.type) {
    case Expose: {
      const XExposeEvent& e = event.xexpose;
      session_.Present({e.x, e.y, e.x + e.width, e.y + e.height});
      return;
    }
    case ButtonPress:
      session_.NoteEventTime(event.xbutton.time);
      Press(event.xbutton);
      return;
    case ButtonRelease:
      Release(event.xbutton);
      return;
    case MotionNotify:
      Motion(event);
      return;
    case EnterNotify:
    case LeaveNotify: {
      // The pointer's grab ended, or was taken, without our release; or the pointer came back
      // with the button up.
      const XCrossingEvent& e = event.xcrossing;
      if (heldButton_ == 0) return;
      // The window (or one around it) was hidden under the pointer: the grab went with it.
      if (e.mode != NotifyNormal || (e.state & MaskOf(heldButton_)) == 0 ||
          (e.type == LeaveNotify && !window_.Viewable()))
        EndLostPress();
      return;
    }
    case UnmapNotify:
    case DestroyNotify:
      EndLostPress();
      return;
    case KeyPress:
      Key(event.xkey);
      return;
    case FocusOut:
      entry_.FocusLeft(event.xfocus);
      return;
    default:
      return;
  }
}

void X11Events::Press(const XButtonEvent& e) {
  const IMouseModifiers modifiers = x11input::ModifiersFor(e.state, e.button, true);
  X11EntryBox* box = entry_.Box();
  if (x11input::IsWheelButton(e.button)) {
    if (box && Inside(box->Bounds(), e.x, e.y)) {
      if (box->Scroll(x11input::WheelNotchesFor(e.button)) != X11EntryBox::Action::kNone)
        session_.ShowEntry();
      return;
    }
    editor_.HandleMouseWheel(e.x, e.y, modifiers, x11input::WheelNotchesFor(e.button));
    return;
  }
  if (e.button != Button1 && e.button != Button3) return;
  lastX_ = e.x, lastY_ = e.y;
  pressInEntry_ = false;
  if (e.button == Button1) {
    if (box && Inside(box->Bounds(), e.x, e.y)) {
      pressInEntry_ = true;
      doubleClick_.Reset();
      if (box->HandlePress(e.x, e.y) == X11EntryBox::Action::kCommit)
        EditorWindowMessages::SetEntryState(editor_, IEditorWindow::kEntryCommit);
      session_.ShowEntry();
    } else if (doubleClick_.Press(e.time, e.x, e.y)) {
      heldButton_ = editor_.HandleDoubleClick(e.x, e.y, modifiers) ? e.button : 0;
    } else {
      editor_.NoteLeftButtonDown();
      editor_.HandleMouseDown(e.x, e.y, modifiers);
      heldButton_ = e.button;
    }
  } else {
    doubleClick_.Reset();
    if (!editor_.NoteRightButtonDown()) {
      editor_.HandleMouseDown(e.x, e.y, modifiers);
      heldButton_ = e.button;
    }
  }
}

void X11Events::Release(const XButtonEvent& e) {
  if (e.button != Button1 && e.button != Button3) return;
  const bool inEntry = pressInEntry_;
  pressInEntry_ = false;
  heldButton_ = 0;
  if (inEntry && e.button == Button1) return;  // the box's own click
  editor_.HandleMouseUp(e.x, e.y, x11input::ModifiersFor(e.state, e.button, false));
}

void X11Events::Motion(XEvent& event) {
  // Only the latest position of a burst matters.
  Display* display = window_.Connection();
  while (XPending(display) > 0) {
    XEvent next;
    XPeekEvent(display, &next);
    if (next.type != MotionNotify || next.xmotion.window != event.xmotion.window) break;
    XNextEvent(display, &event);
  }
  const XMotionEvent& m = event.xmotion;
  if (heldButton_ == 0) return;
  if ((m.state & kHeldButtons) == 0) {
    EndLostPress();
    return;
  }
  lastX_ = m.x, lastY_ = m.y;
  editor_.HandleMouseDrag(m.x, m.y, x11input::ModifiersFor(m.state, 0, false));
}

void X11Events::Key(XKeyEvent& e) {
  if (entry_.Box()) {
    switch (entry_.Key(e)) {
      case X11EntryBox::Action::kCommit:
        EditorWindowMessages::SetEntryState(editor_, IEditorWindow::kEntryCommit);
        return;
      case X11EntryBox::Action::kCancel:
        EditorWindowMessages::SetEntryState(editor_, IEditorWindow::kEntryCancel);
        return;
      case X11EntryBox::Action::kChanged:
        session_.ShowEntry();
        return;
      case X11EntryBox::Action::kNone:
        return;
    }
  }
  // Keys reach the window only while the entry is open; one that arrives after it closed is
  // the controls' as on Windows.
  const uint32_t virtualKey = x11input::VirtualKeyFor(XLookupKeysym(&e, 0), XLookupKeysym(&e, 1));
  const int code = virtualKey != 0 ? IEditorWindow::MapKeyCode(virtualKey) : -1;
  if (code >= 0) editor_.HandleKeyDown(e.x, e.y, code);
}

void X11Events::EndLostPress() {
  if (heldButton_ == 0) return;
  const unsigned button = heldButton_;
  heldButton_ = 0;
  pressInEntry_ = false;
  editor_.HandleMouseUp(lastX_, lastY_, x11input::ModifiersFor(MaskOf(button), button, false));
}

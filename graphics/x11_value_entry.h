// The value entry of the Linux editor: the box (X11EntryBox) with its own font, and the
// keyboard, which the editor takes only while the box is open. The host's window manager and
// toolkit activate the host's window after the click that opened the box, and take the focus
// with them: the entry takes it back while it moves inside the host's own top-level window, and
// gives it back to the host when it closes. [editor's driving thread]
#pragma once

#include <X11/Xlib.h>

#include <memory>

#include "graphics/x11_entry_box.h"

class TextRenderer;
class X11Window;

class X11ValueEntry {
 public:
  explicit X11ValueEntry(X11Window& window);
  ~X11ValueEntry();
  X11ValueEntry(const X11ValueEntry&) = delete;
  X11ValueEntry& operator=(const X11ValueEntry&) = delete;

  // Opens a box for the parameter at the control's bounds, drawn, and takes the keyboard
  // (time: the server time of the press that opened it).
  X11EntryBox& Open(const IParameter& parameter, const IBounds& controlBounds, int editorWidth,
                    int editorHeight, Time time);
  // Closes the box and gives the keyboard back to the host.
  void Close();
  X11EntryBox* Box() const noexcept { return box_.get(); }

  // A key press: what it does to the box (kNone for keys the box does not take).
  X11EntryBox::Action Key(XKeyEvent& event);
  // The focus left the window: back to it when it went elsewhere in the host's window.
  void FocusLeft(const XFocusChangeEvent& event);
  // Draws the box into its pixels.
  void Render();

 private:
  static constexpr int kMostRetakes = 16;  // never a focus war with a host that insists

  X11Window& window_;
  std::unique_ptr<X11EntryBox> box_;
  std::unique_ptr<TextRenderer> text_;
  Window hostFocus_ = None;  // where the keyboard goes back to
  int retakes_ = 0;
};

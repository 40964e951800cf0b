// One open Linux editor window: the window, its value entry and its input, driven through
// IEditorDriven by the editor's own thread or by the host's GUI loop. Everything here runs on
// the driving thread (the opening and closing thread before and after it), and never with the
// plug-in's lock held: the controls take that lock themselves, only to hand a value over.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <vector>

#include "graphics/editor_loop.h"
#include "graphics/editor_thread_loop.h"
#include "graphics/editor_window.h"
#include "graphics/x11_events.h"
#include "graphics/x11_value_entry.h"
#include "graphics/x11_window.h"

class X11Session;

// The editor's fields that the X11 half works on, as the Windows procedures do.
class EditorWindowMessages {
 public:
  static void SetEntryState(IEditorWindow& editor, int32_t state) { editor.entryState_ = state; }
  static X11Session* Session(const IEditorWindow& editor) {
    return static_cast<X11Session*>(editor.session_);
  }
  static IEditorLoop* HostLoop(const IEditorWindow& editor) { return editor.hostLoop_; }
};

class X11Session final : public IEditorDriven {
 public:
  // hostLoop: the host's GUI loop, or null for a thread of the editor's own.
  X11Session(IEditorWindow& editor, IEditorLoop* hostLoop);
  ~X11Session();
  X11Session(const X11Session&) = delete;
  X11Session& operator=(const X11Session&) = delete;

  // [opening thread] Opens the window in parent and starts the driver; false when either fails.
  bool Open(Window parent, const X11Window::Placement& placement);
  // [closing thread] Stops the driver; the window closes with the session.
  void Stop();
  Window WindowId() const noexcept { return window_.Id(); }
  const X11Window::Placement& LastPlacement() const noexcept { return window_.LastPlacement(); }

  // ---- IEditorDriven ----
  int ConnectionFd() const noexcept override;
  bool EventsWaiting() override;
  void TickDue() override;
  int TickPeriodMs() const noexcept override;

  // ---- The driving thread ----
  // Uploads the area of the surface (with the entry box laid over it) to the window.
  void Present(const IBounds& area);
  // Opens the value entry over the control (a right click, or a value list).
  X11EntryBox* OpenEntry(const IParameter& parameter, const IBounds& controlBounds);
  // The entry's box changed: drawn and shown again.
  void ShowEntry();
  void CloseEntry();
  void NoteEventTime(Time time) noexcept { eventTime_ = time; }

 private:
  bool Present(const IBounds& area, bool finish);
  void HandleQueued();
  void RefreshEntry();
  void CommitEntry();

  IEditorWindow& editor_;
  IEditorLoop* const hostLoop_;
  EditorThreadLoop ownLoop_;
  bool attached_ = false;
  X11Window window_;
  X11ValueEntry entry_{window_};
  X11Events events_;
  std::vector<IBounds> changed_;  // what the tick's pass changed, to be uploaded
  bool inPass_ = false;
  Time eventTime_ = CurrentTime;
};

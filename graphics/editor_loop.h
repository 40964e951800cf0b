// What drives an open Linux editor window: its connection's file descriptor, "events are
// waiting" and "a tick is due". A thread of the editor's own drives it by default (VST 2 hosts);
// a format adapter whose host offers its GUI loop (a run loop, timer and fd support, an idle
// call) hands the editor an IEditorLoop before opening it, and then the window opens, runs and
// closes on the host's GUI thread, with no thread of ours.
#pragma once

// The open window, as its driver sees it. Every call on the driving thread, one at a time, never
// with the plug-in's lock held.
class IEditorDriven {
 public:
  // The display connection's file descriptor: readable when events arrive.
  virtual int ConnectionFd() const noexcept = 0;
  // Handles every event that has arrived; never blocks, so a loop may also call it when it only
  // suspects events. False once the connection is gone: stop watching the descriptor (ticks
  // may go on, and do nothing).
  virtual bool EventsWaiting() = 0;
  // The redraw tick: draws and uploads what changed and runs the value entry.
  virtual void TickDue() = 0;
  // Milliseconds between ticks (41 at 24 frames per second).
  virtual int TickPeriodMs() const noexcept = 0;
  // When any of these calls returns, no event is left queued inside the connection: a loop that
  // waits on the descriptor alone misses none.

 protected:
  ~IEditorDriven() = default;
};

// A host's GUI loop, supplied by an adapter before the editor opens (IEditorWindow::SetHostLoop).
class IEditorLoop {
 public:
  virtual ~IEditorLoop() = default;
  // [host GUI thread, plug-in lock not held; inside the editor's open request] From now on,
  // call editor.EventsWaiting() on this thread whenever editor.ConnectionFd() is readable, and
  // editor.TickDue() every editor.TickPeriodMs(). False when the loop cannot: the editor does
  // not open. The editor draws its first picture itself, right after this returns.
  virtual bool Attach(IEditorDriven& editor) = 0;
  // [host GUI thread; inside the editor's close request] Stop both; once this returns nothing
  // calls the editor any more.
  virtual void Detach() = 0;
};

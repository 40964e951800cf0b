// X errors must never end the host's process, and the editors' connections must not touch
// what the host relies on. Protocol errors on an editor's connection are kept on that
// connection (per display, the process-wide handler never sees them); a connection that breaks
// is marked lost instead of exiting. The process-wide I/O error handler is installed once and
// passes every display that is not ours on to the handler it replaced.
#pragma once

#include <X11/Xlib.h>

#include <atomic>

namespace x11errors {

// [any thread, before the display is used] Takes over the display's errors; lost is set, from
// the thread that uses the display, when the connection breaks.
void Adopt(Display* display, std::atomic<bool>* lost);
// [the display's thread, before XCloseDisplay] Forgets the display.
void Release(Display* display);

// The last error code recorded on the display since ResetLast (0 for none).
int Last(Display* display) noexcept;
void ResetLast(Display* display) noexcept;
// Runs XSync and tells whether any error arrived on the display since the last reset.
bool SyncFailed(Display* display);

}  // namespace x11errors

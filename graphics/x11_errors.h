// X errors must never end the host's process. The editors' connections get handlers that record
// an error and go on; a connection that breaks is marked lost instead of exiting. Connections
// that are not ours keep whatever handler the host had installed.
#pragma once

#include <X11/Xlib.h>

#include <atomic>

namespace x11errors {

// Installs the handlers (the first connection) and adopts the display; lost is set, from the
// thread that uses the display, when the connection breaks.
void Adopt(Display* display, std::atomic<bool>* lost);
// Forgets the display; the last one gives the previous handlers back.
void Release(Display* display);

// The last error code recorded on the calling thread since ResetLast (0 for none).
int Last() noexcept;
void ResetLast() noexcept;
// Runs XSync and tells whether any error arrived since the last reset.
bool SyncFailed(Display* display);

}  // namespace x11errors

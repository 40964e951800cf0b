// Process-wide X error handling for the editor windows.
#include "graphics/x11_errors.h"

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

namespace x11errors {

namespace {

struct Adopted {
  Display* display;
  std::atomic<bool>* lost;
};

std::mutex gInstallMutex;  // serializes installing and removing the handlers
std::mutex gMutex;         // guards the list and the previous handlers
std::vector<Adopted> gDisplays;
XErrorHandler gPreviousError = nullptr;
XIOErrorHandler gPreviousIoError = nullptr;
// Each display is used by one editor thread, which is where its errors are reported.
thread_local int gLast = 0;

bool IsOurs(Display* display, std::atomic<bool>** lost) {
  std::lock_guard<std::mutex> lock(gMutex);
  for (const Adopted& a : gDisplays) {
    if (a.display == display) {
      if (lost) *lost = a.lost;
      return true;
    }
  }
  return false;
}

int OnError(Display* display, XErrorEvent* event) {
  if (IsOurs(display, nullptr)) {
    gLast = event->error_code;
    return 0;
  }
  XErrorHandler previous = nullptr;
  {
    std::lock_guard<std::mutex> lock(gMutex);
    previous = gPreviousError;
  }
  if (previous) return previous(display, event);
  gLast = event->error_code;  // the default would exit: recorded instead
  return 0;
}

int OnIoError(Display* display) {
  std::atomic<bool>* lost = nullptr;
  if (IsOurs(display, &lost)) {
    if (lost) lost->store(true);
    return 0;  // Xlib goes on to the display's exit handler, which returns too
  }
  XIOErrorHandler previous = nullptr;
  {
    std::lock_guard<std::mutex> lock(gMutex);
    previous = gPreviousIoError;
  }
  return previous ? previous(display) : 0;
}

void OnIoErrorExit(Display* /*display*/, void* lost) {
  if (lost) static_cast<std::atomic<bool>*>(lost)->store(true);
}

}  // namespace

void Adopt(Display* display, std::atomic<bool>* lost) {
  if (!display) return;
  // Without this Xlib would call exit() after the IO error handler returns.
  XSetIOErrorExitHandler(display, &OnIoErrorExit, lost);
  // Xlib's own locks are never taken while gMutex is held: handlers take gMutex inside Xlib.
  std::lock_guard<std::mutex> install(gInstallMutex);
  bool first = false;
  {
    std::lock_guard<std::mutex> lock(gMutex);
    first = gDisplays.empty();
  }
  if (first) {
    XErrorHandler previous = XSetErrorHandler(&OnError);
    XIOErrorHandler previousIo = XSetIOErrorHandler(&OnIoError);
    std::lock_guard<std::mutex> lock(gMutex);
    gPreviousError = previous == &OnError ? nullptr : previous;
    gPreviousIoError = previousIo == &OnIoError ? nullptr : previousIo;
  }
  std::lock_guard<std::mutex> lock(gMutex);
  gDisplays.push_back({display, lost});
}

void Release(Display* display) {
  std::lock_guard<std::mutex> install(gInstallMutex);
  XErrorHandler previous = nullptr;
  XIOErrorHandler previousIo = nullptr;
  {
    std::lock_guard<std::mutex> lock(gMutex);
    const auto found = std::find_if(gDisplays.begin(), gDisplays.end(),
                                    [display](const Adopted& a) { return a.display == display; });
    if (found == gDisplays.end()) return;
    gDisplays.erase(found);
    if (!gDisplays.empty()) return;
    previous = std::exchange(gPreviousError, nullptr);
    previousIo = std::exchange(gPreviousIoError, nullptr);
  }
  // Ours go (the library may be unloaded), unless the host has put its own in since.
  const XErrorHandler current = XSetErrorHandler(previous);
  if (current != &OnError) XSetErrorHandler(current);
  const XIOErrorHandler currentIo = XSetIOErrorHandler(previousIo);
  if (currentIo != &OnIoError) XSetIOErrorHandler(currentIo);
}

int Last() noexcept {
  return gLast;
}

void ResetLast() noexcept {
  gLast = 0;
}

bool SyncFailed(Display* display) {
  XSync(display, False);
  return gLast != 0;
}

}  // namespace x11errors

// Error handling for the editors' own display connections.
#include "graphics/x11_errors.h"

#include <dlfcn.h>

#include <algorithm>
#include <mutex>
#include <vector>

// Last: it defines min and max as macros.
#include <X11/Xlibint.h>

namespace x11errors {

namespace {

struct Adopted {
  Display* display;
  std::atomic<bool>* lost;
  int lastError;
};

// Never held across an Xlib call: the hooks below take it from inside Xlib.
std::mutex gMutex;
std::vector<Adopted> gDisplays;
XIOErrorHandler gPreviousIoError = nullptr;

Adopted* Find(Display* display) {
  const auto found = std::find_if(gDisplays.begin(), gDisplays.end(),
                                  [display](const Adopted& a) { return a.display == display; });
  return found == gDisplays.end() ? nullptr : &*found;
}

// Xlib asks the display's own converter whether an error is to be reported at all: ours keep
// it on the record and report nothing, so the process-wide handler (the host's, or Xlib's,
// which exits) never runs for our connections.
Bool KeepError(Display* display, XErrorEvent* event, xError*) {
  std::lock_guard<std::mutex> lock(gMutex);
  if (Adopted* adopted = Find(display)) adopted->lastError = event->error_code;
  return False;
}

int OnIoError(Display* display) {
  XIOErrorHandler previous = nullptr;
  {
    std::lock_guard<std::mutex> lock(gMutex);
    if (Adopted* adopted = Find(display)) {
      if (adopted->lost) adopted->lost->store(true);
      return 0;  // Xlib goes on to the display's exit handler, which returns too
    }
    previous = gPreviousIoError;
  }
  return previous ? previous(display) : 0;
}

void OnIoErrorExit(Display* /*display*/, void* lost) {
  if (lost) static_cast<std::atomic<bool>*>(lost)->store(true);
}

// Once per process, never taken back: swapping handlers to and fro would race the host's own
// swaps. The library stays loaded from then on, so the handler's address stays valid.
void InstallIoHandler() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&OnIoError), &info) != 0 && info.dli_fname)
    dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
  const XIOErrorHandler previous = XSetIOErrorHandler(&OnIoError);
  std::lock_guard<std::mutex> lock(gMutex);
  gPreviousIoError = previous;
}

}  // namespace

void Adopt(Display* display, std::atomic<bool>* lost) {
  if (!display) return;
  static std::once_flag installed;
  std::call_once(installed, InstallIoHandler);
  {
    std::lock_guard<std::mutex> lock(gMutex);
    gDisplays.push_back({display, lost, 0});
  }
  // Without this Xlib would call exit() after the I/O error handler returns.
  XSetIOErrorExitHandler(display, &OnIoErrorExit, lost);
  for (int code = 1; code < 256; ++code) XESetWireToError(display, code, &KeepError);
}

void Release(Display* display) {
  std::lock_guard<std::mutex> lock(gMutex);
  std::erase_if(gDisplays, [display](const Adopted& a) { return a.display == display; });
}

int Last(Display* display) noexcept {
  std::lock_guard<std::mutex> lock(gMutex);
  const Adopted* adopted = Find(display);
  return adopted ? adopted->lastError : 0;
}

void ResetLast(Display* display) noexcept {
  std::lock_guard<std::mutex> lock(gMutex);
  if (Adopted* adopted = Find(display)) adopted->lastError = 0;
}

bool SyncFailed(Display* display) {
  XSync(display, False);
  return Last(display) != 0;
}

}  // namespace x11errors

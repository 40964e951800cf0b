// The editor's X11 window: connection, window, upload image and keyboard focus.
#include "graphics/x11_window.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "graphics/x11_errors.h"
#include "plug/mutex.h"
#include "raster/raster_bitmap.h"

namespace {

constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | ButtonMotionMask |
                            EnterWindowMask | LeaveWindowMask | StructureNotifyMask;
constexpr long kKeyMask = KeyPressMask | FocusChangeMask;

IBounds Clip(const IBounds& a, int width, int height) {
  const IBounds r{std::max(a.left, 0), std::max(a.top, 0), std::min(a.right, width),
                  std::min(a.bottom, height)};
  if (r.right <= r.left || r.bottom <= r.top) return {};
  return r;
}

bool IsEmptyArea(const IBounds& a) {
  return a.right <= a.left || a.bottom <= a.top;
}

#ifndef NDEBUG
// Runs after every request sent on the connection.
int AfterRequest(Display*) {
  X11Window::CheckUnlocked();
  return 0;
}
#endif

}  // namespace

void X11Window::CheckUnlocked() {
  if (IMutex::HeldByThisThread() == 0) return;
  std::fputs("tintinna: a call to the X server with the plug-in's lock held\n", stderr);
  std::abort();
}

bool X11Window::Open(Window parent, const Placement& placement, int width, int height) {
  CheckUnlocked();
  Close();
  lost_.store(false);
  gone_ = false;
  placement_ = placement;
  display_ = XOpenDisplay(nullptr);
  if (!display_) return false;
  x11errors::Adopt(display_, &lost_);
#ifndef NDEBUG
  XSetAfterFunction(display_, &AfterRequest);
#endif
  XWindowAttributes parentAttributes{};
  if (!XGetWindowAttributes(display_, parent, &parentAttributes) ||
      x11errors::SyncFailed(display_)) {
    Close();
    return false;
  }
  const int screen = DefaultScreen(display_);
  XVisualInfo info{};
  if (!XMatchVisualInfo(display_, screen, 24, TrueColor, &info)) {
    Close();
    return false;
  }
  visual_ = info.visual;
  directPixels_ =
      info.red_mask == 0xFF0000 && info.green_mask == 0x00FF00 && info.blue_mask == 0x0000FF;
  const auto shiftOf = [](unsigned long mask) {
    int shift = 0;
    while (mask && !(mask & 1)) mask >>= 1, ++shift;
    return shift - (8 - std::min(8, __builtin_popcountl(mask)));
  };
  redShift_ = shiftOf(info.red_mask);
  greenShift_ = shiftOf(info.green_mask);
  blueShift_ = shiftOf(info.blue_mask);
  colormap_ = XCreateColormap(display_, RootWindow(display_, screen), visual_, AllocNone);

  XSetWindowAttributes attributes{};
  attributes.colormap = colormap_;
  attributes.border_pixel = 0;
  attributes.background_pixmap = None;  // the surface paints every pixel
  attributes.bit_gravity = NorthWestGravity;
  attributes.event_mask = kEventMask;
  window_ = XCreateWindow(
      display_, parent, placement.x, placement.y,
      static_cast<unsigned>(std::max(1, placement.width)),
      static_cast<unsigned>(std::max(1, placement.height)), 0, 24, InputOutput, visual_,
      CWColormap | CWBorderPixel | CWBackPixmap | CWBitGravity | CWEventMask, &attributes);
  if (!window_ || x11errors::SyncFailed(display_)) {
    window_ = 0;
    Close();
    return false;
  }
  XStoreName(display_, window_, "Tintinna");
  XClassHint hint{};
  char name[] = "tintinna";
  char className[] = "TintinnaWndClass";
  hint.res_name = name;
  hint.res_class = className;
  XSetClassHint(display_, window_, &hint);
  gc_ = XCreateGC(display_, window_, 0, nullptr);
  if (!CreateImage(width, height)) {
    Close();
    return false;
  }
  XMapWindow(display_, window_);
  if (x11errors::SyncFailed(display_) || lost_.load()) {
    Close();
    return false;
  }
  return true;
}

bool X11Window::CreateImage(int width, int height) {
  if (width <= 0 || height <= 0) return false;
  if (XShmQueryExtension(display_)) {
    image_ = XShmCreateImage(display_, visual_, 24, ZPixmap, nullptr, &shm_,
                             static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (image_ && image_->bits_per_pixel == 32) {
      shm_.shmid = shmget(IPC_PRIVATE, static_cast<size_t>(image_->bytes_per_line) * height,
                          IPC_CREAT | 0600);
      if (shm_.shmid >= 0) {
        shm_.shmaddr = static_cast<char*>(shmat(shm_.shmid, nullptr, 0));
        if (shm_.shmaddr != reinterpret_cast<char*>(-1)) {
          image_->data = shm_.shmaddr;
          shm_.readOnly = False;
          x11errors::ResetLast(display_);
          // A server on another machine refuses the segment: then the plain image.
          shmAttached_ = XShmAttach(display_, &shm_) && !x11errors::SyncFailed(display_);
        } else {
          shm_.shmaddr = nullptr;
        }
        shmctl(shm_.shmid, IPC_RMID, nullptr);  // freed once both sides have let go
      }
    }
    if (!shmAttached_) {
      if (shm_.shmaddr) shmdt(shm_.shmaddr);
      shm_ = {};
      if (image_) {
        image_->data = nullptr;
        XDestroyImage(image_);
        image_ = nullptr;
      }
      x11errors::ResetLast(display_);
    }
  }
  if (!image_) {
    plainPixels_.assign(static_cast<size_t>(width) * height, 0u);
    image_ = XCreateImage(
        display_, visual_, 24, ZPixmap, 0, reinterpret_cast<char*>(plainPixels_.data()),
        static_cast<unsigned>(width), static_cast<unsigned>(height), 32, width * 4);
    if (!image_) return false;
    image_->byte_order = LSBFirst;  // our words; Xlib swaps for a server that differs
  }
  return image_->bits_per_pixel == 32;
}

void X11Window::Close() {
  if (!display_) return;
  CheckUnlocked();
  const bool alive = !lost_.load();
  if (alive) {
    if (shmAttached_) XShmDetach(display_, &shm_);
    if (window_ && !gone_) XDestroyWindow(display_, window_);
    if (colormap_) XFreeColormap(display_, colormap_);
  }
  if (gc_) XFreeGC(display_, gc_);  // client memory too: freed even when the server is gone
  if (alive) XSync(display_, False);
  if (image_) {
    image_->data = nullptr;  // ours, not Xlib's
    XDestroyImage(image_);
    image_ = nullptr;
  }
  if (shm_.shmaddr) shmdt(shm_.shmaddr);
  shm_ = {};
  shmAttached_ = false;
  plainPixels_.clear();
  gc_ = nullptr;
  colormap_ = 0;
  window_ = 0;
  topLevel_ = 0;
  x11errors::Release(display_);
  XCloseDisplay(display_);
  display_ = nullptr;
}

void X11Window::CloseIfLost() {
  if (lost_.load()) Close();
}

void X11Window::Note(const XEvent& event) {
  if (event.type == ConfigureNotify && event.xconfigure.window == window_) {
    placement_ = {event.xconfigure.x, event.xconfigure.y, event.xconfigure.width,
                  event.xconfigure.height};
  } else if (event.type == DestroyNotify && event.xdestroywindow.window == window_) {
    gone_ = true;
  }
}

void X11Window::CopyToImage(const IBounds& from, RasterBitmap& surface) {
  const int span = surface.GetRowSpan();
  const uint32_t* source = surface.GetBits();
  const int imageSpan = image_->bytes_per_line / 4;
  auto* target = reinterpret_cast<uint32_t*>(image_->data);
  const auto width = static_cast<size_t>(from.Width());
  for (int y = from.top; y < from.bottom; ++y) {
    const uint32_t* s = source + static_cast<size_t>(y) * span + from.left;
    uint32_t* t = target + static_cast<size_t>(y) * imageSpan + from.left;
    if (directPixels_) {
      std::memcpy(t, s, width * 4);
      continue;
    }
    const auto place = [](uint32_t channel, int shift) {
      return shift >= 0 ? channel << shift : channel >> -shift;
    };
    for (size_t x = 0; x < width; ++x) {
      const uint32_t p = s[x];
      t[x] = place(p >> 16 & 0xFF, redShift_) | place(p >> 8 & 0xFF, greenShift_) |
             place(p & 0xFF, blueShift_);
    }
  }
}

bool X11Window::Put(const IBounds& area, RasterBitmap& surface, RasterBitmap* overlay,
                    const IBounds& overlayBounds) {
  CheckUnlocked();
  if (!image_ || !Usable() || !surface.GetBits()) return false;
  const IBounds r = Clip(area, std::min(surface.GetWidth(), image_->width),
                         std::min(surface.GetHeight(), image_->height));
  if (IsEmptyArea(r)) return false;
  CopyToImage(r, surface);
  if (overlay && overlay->GetBits()) {
    // The value entry lies over the editor where it is open.
    const IBounds over{std::max(r.left, overlayBounds.left), std::max(r.top, overlayBounds.top),
                       std::min(r.right, overlayBounds.right),
                       std::min(r.bottom, overlayBounds.bottom)};
    const int imageSpan = image_->bytes_per_line / 4;
    auto* target = reinterpret_cast<uint32_t*>(image_->data);
    for (int y = over.top; y < over.bottom && over.right > over.left; ++y) {
      const uint32_t* s = overlay->GetBits() +
                          static_cast<size_t>(y - overlayBounds.top) * overlay->GetRowSpan() +
                          (over.left - overlayBounds.left);
      std::memcpy(target + static_cast<size_t>(y) * imageSpan + over.left, s,
                  static_cast<size_t>(over.Width()) * 4);
    }
  }
  const auto w = static_cast<unsigned>(r.Width()), h = static_cast<unsigned>(r.Height());
  if (shmAttached_)
    XShmPutImage(display_, window_, gc_, image_, r.left, r.top, r.left, r.top, w, h, False);
  else
    XPutImage(display_, window_, gc_, image_, r.left, r.top, r.left, r.top, w, h);
  return true;
}

void X11Window::Finish() {
  CheckUnlocked();
  if (!Usable()) return;
  // With shared memory the server must have read the segment before it is written again.
  if (shmAttached_)
    XSync(display_, False);
  else
    XFlush(display_);
}

bool X11Window::Viewable() {
  XWindowAttributes attributes{};
  return Usable() && XGetWindowAttributes(display_, window_, &attributes) &&
         attributes.map_state == IsViewable;
}

void X11Window::WantKeys(bool keys) {
  if (Usable()) XSelectInput(display_, window_, kEventMask | (keys ? kKeyMask : 0));
}

void X11Window::TakeFocus(Time time) {
  if (Usable()) XSetInputFocus(display_, window_, RevertToParent, time);
}

void X11Window::GiveFocus(Window to) {
  if (!Usable() || to == None) return;
  x11errors::ResetLast(display_);
  XSetInputFocus(display_, to, RevertToParent, CurrentTime);
  // A window that has gone meanwhile leaves the focus to revert as the server decides.
  if (x11errors::SyncFailed(display_)) x11errors::ResetLast(display_);
}

Window X11Window::FocusHolder() {
  Window focus = None;
  int revert = 0;
  if (Usable()) XGetInputFocus(display_, &focus, &revert);
  return focus;
}

Window X11Window::TopLevelOf(Window window) {
  const Window root = DefaultRootWindow(display_);
  // Up the tree until the child of the root: the top-level window (or its manager's frame).
  for (int depth = 0; window != None && window != PointerRoot && depth < 64; ++depth) {
    Window rootReturn = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display_, window, &rootReturn, &parent, &children, &count)) return None;
    if (children) XFree(children);
    if (parent == root) return window;
    window = parent;
  }
  return None;
}

bool X11Window::InOurTopLevel(Window window) {
  if (!Usable() || window == None || window == PointerRoot) return false;
  if (!topLevel_) topLevel_ = TopLevelOf(window_);
  x11errors::ResetLast(display_);
  const bool inside = topLevel_ != None && TopLevelOf(window) == topLevel_;
  x11errors::ResetLast(display_);
  return inside;
}

// The editor's X11 window: a display connection of its own, a child of the host's window, and
// the image through which the drawing surface goes up (shared memory when the server offers
// it). Used by one thread at a time, never with the plug-in's lock held (debug builds abort on
// any request made under it): the thread that opens it, then its driver, then the one that
// closes it.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include "graphics/graphics_types.h"

class RasterBitmap;

class X11Window {
 public:
  struct Placement {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
  };

  X11Window() = default;
  ~X11Window() { Close(); }
  X11Window(const X11Window&) = delete;
  X11Window& operator=(const X11Window&) = delete;

  // Connects, and creates and shows the window in parent at placement with an image of
  // width × height; false (and nothing left open) on any failure.
  bool Open(Window parent, const Placement& placement, int width, int height);
  void Close();
  // Closes a broken connection, on the thread that found it broken (Xlib cannot finish it from
  // another one); nothing more is shown.
  void CloseIfLost();

  Display* Connection() const noexcept { return display_; }
  Window Id() const noexcept { return window_; }
  // The connection broke: nothing more can be shown.
  bool Lost() const noexcept { return lost_.load(); }
  // Where the window was last placed in its parent.
  const Placement& LastPlacement() const noexcept { return placement_; }
  // Follows the window's own structure events: its placement, and its end with the host's
  // window.
  void Note(const XEvent& event);

  // Copies the area of surface, with overlay (at overlayBounds) laid over it where they meet,
  // into the image and sends it; false when nothing was sent.
  bool Put(const IBounds& area, RasterBitmap& surface, RasterBitmap* overlay,
           const IBounds& overlayBounds);
  // After puts: with shared memory, waits until the server has read the image.
  void Finish();

  // The window and every window around it are mapped.
  bool Viewable();

  // Key and focus events reach the window only while it wants them.
  void WantKeys(bool keys);
  void TakeFocus(Time time);
  void GiveFocus(Window to);
  // The window that has the keyboard focus (None, PointerRoot or a window).
  Window FocusHolder();
  // The window is the host's top-level window around ours, or inside it.
  bool InOurTopLevel(Window window);

  // Aborts when the calling thread holds a plug-in lock (debug builds; nothing in release).
  static void CheckUnlocked();

 private:
  bool CreateImage(int width, int height);
  void CopyToImage(const IBounds& from, RasterBitmap& surface);
  Window TopLevelOf(Window window);
  bool Usable() const noexcept { return display_ && !lost_.load() && !gone_; }

  Display* display_ = nullptr;
  Window window_ = 0;
  Window topLevel_ = 0;
  bool gone_ = false;  // destroyed under us, with the host's window
  std::atomic<bool> lost_{false};
  Placement placement_;
  Visual* visual_ = nullptr;
  Colormap colormap_ = 0;
  GC gc_ = nullptr;
  XImage* image_ = nullptr;
  XShmSegmentInfo shm_{};
  bool shmAttached_ = false;
  std::vector<uint32_t> plainPixels_;  // the image's pixels when shared memory is not available
  bool directPixels_ = true;           // the visual's pixel layout is the surface's
  int redShift_ = 16, greenShift_ = 8, blueShift_ = 0;
};

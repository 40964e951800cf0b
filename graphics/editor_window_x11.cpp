// The editor window on Linux: an X11 child of the host's window, run by a thread of its own with
// its own display connection. effEditOpen starts the thread and waits for its window;
// effEditClose stops it and waits for it to finish, so it works whether or not the host ever
// calls effEditIdle. The thread owns every Xlib call on its connection, the redraw tick, input
// and the value entry; it takes the plug-in's lock around whatever reaches the plug-in, and only
// ever tries for it, so that a host holding the lock while closing never waits on it.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "controls/control.h"
#include "graphics/editor_window.h"
#include "graphics/text_renderer.h"
#include "graphics/x11_entry_box.h"
#include "graphics/x11_errors.h"
#include "graphics/x11_input.h"
#include "plug/effect_base.h"
#include "raster/raster_bitmap.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | ButtonMotionMask |
                            KeyPressMask | StructureNotifyMask;
constexpr auto kLockRetry = std::chrono::microseconds(100);

struct Placement {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

IBounds Clip(const IBounds& a, int width, int height) {
  const IBounds r{std::max(a.left, 0), std::max(a.top, 0), std::min(a.right, width),
                  std::min(a.bottom, height)};
  if (r.right <= r.left || r.bottom <= r.top) return {};
  return r;
}

IBounds Overlap(const IBounds& a, const IBounds& b) {
  const IBounds r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                  std::min(a.bottom, b.bottom)};
  if (r.right <= r.left || r.bottom <= r.top) return {};
  return r;
}

bool IsEmptyArea(const IBounds& a) {
  return a.right <= a.left || a.bottom <= a.top;
}

// The box's keys, from what the keyboard layout made of a key press.
bool EntryKeyFor(KeySym keysym, const char* text, int length, X11EntryBox::Key& key,
                 char& character) {
  switch (keysym) {
    case XK_Return:
    case XK_KP_Enter:
      key = X11EntryBox::Key::kReturn;
      return true;
    case XK_Escape:
      key = X11EntryBox::Key::kEscape;
      return true;
    case XK_BackSpace:
      key = X11EntryBox::Key::kBackspace;
      return true;
    case XK_Delete:
    case XK_KP_Delete:
      key = X11EntryBox::Key::kDelete;
      return true;
    case XK_Left:
    case XK_KP_Left:
      key = X11EntryBox::Key::kLeft;
      return true;
    case XK_Right:
    case XK_KP_Right:
      key = X11EntryBox::Key::kRight;
      return true;
    case XK_Up:
    case XK_KP_Up:
      key = X11EntryBox::Key::kUp;
      return true;
    case XK_Down:
    case XK_KP_Down:
      key = X11EntryBox::Key::kDown;
      return true;
    case XK_Home:
    case XK_KP_Home:
      key = X11EntryBox::Key::kHome;
      return true;
    case XK_End:
    case XK_KP_End:
      key = X11EntryBox::Key::kEnd;
      return true;
    default:
      break;
  }
  if (length != 1) return false;
  const auto byte = static_cast<unsigned char>(text[0]);
  if (byte < 0x20 || (byte >= 0x7F && byte < 0xA0)) return false;
  key = X11EntryBox::Key::kCharacter;
  character = text[0];
  return true;
}

}  // namespace

class X11Session;

// The editor's fields that the X11 half works on.
class EditorWindowMessages {
 public:
  static void SetEntryState(IEditorWindow& editor, int32_t state) { editor.entryState_ = state; }
  static X11Session* Session(const IEditorWindow& editor) {
    return static_cast<X11Session*>(editor.session_);
  }
};

// One open editor window: its thread, connection, window and upload image.
class X11Session {
 public:
  X11Session(IEditorWindow& editor, Window parent, const Placement& placement)
      : editor_(editor), parent_(parent), placement_(placement) {}
  ~X11Session() { Stop(); }
  X11Session(const X11Session&) = delete;
  X11Session& operator=(const X11Session&) = delete;

  // [host] Starts the thread and waits until its window is up (true) or has failed.
  bool Start();
  // [host] Asks the thread to finish and waits for it.
  void Stop();
  Window WindowId() const noexcept { return window_; }
  // [host, after Stop] Where the window was last placed in its parent.
  const Placement& LastPlacement() const noexcept { return placement_; }

  // ---- Editor thread ----
  // Uploads the area of the surface (with the entry box laid over it) to the window.
  void Present(const IBounds& area);
  // One upload, without waiting for the server (false when nothing was sent).
  bool Upload(const IBounds& area);
  void Finish();
  // A value entry for the parameter at the control's bounds, owned by the window.
  X11EntryBox* OpenEntry(const IParameter& parameter, const IBounds& controlBounds);
  // The entry's pixels, drawn with the entry's own font.
  void RenderEntry(X11EntryBox& box);

 private:
  void Run();
  bool Setup();
  bool CreateImage();
  void Loop();
  void Teardown();
  void Handle(XEvent& event);
  void HandleButtonPress(const XButtonEvent& event);
  void HandleButtonRelease(const XButtonEvent& event);
  void HandleKey(XKeyEvent& event);
  void Tick();
  void RefreshEntry();
  void CommitEntry();
  void CloseEntry();
  // The plug-in's lock, tried until it is free or the thread is asked to stop (false).
  bool LockPlugin();
  void UnlockPlugin() { editor_.Plugin()->Lock().Unlock(); }
  void CopyToImage(const IBounds& area);

  IEditorWindow& editor_;
  const Window parent_;
  Placement placement_;

  std::thread thread_;
  std::mutex startMutex_;
  std::condition_variable startChanged_;
  int startState_ = 0;  // 0 starting, 1 running, -1 failed
  std::atomic<bool> stop_{false};
  std::atomic<bool> lost_{false};  // the connection broke
  int wake_[2] = {-1, -1};

  Display* display_ = nullptr;
  Window window_ = 0;
  bool windowGone_ = false;  // destroyed under us, with the host's window
  Visual* visual_ = nullptr;
  Colormap colormap_ = 0;
  GC gc_ = nullptr;
  XImage* image_ = nullptr;
  XShmSegmentInfo shm_{};
  bool shmAttached_ = false;
  std::vector<uint32_t> plainPixels_;  // the image's pixels when MIT-SHM is not available
  bool directPixels_ = true;           // the visual's pixel layout is the surface's
  int redShift_ = 16, greenShift_ = 8, blueShift_ = 0;

  std::vector<IBounds> changed_;  // what the tick's pass changed, to be uploaded
  bool inPass_ = false;

  x11input::DoubleClickDetector doubleClick_;
  bool buttonHeld_ = false;  // a press in the window went to the core: drags follow it
  bool pressInEntry_ = false;
  std::unique_ptr<X11EntryBox> entry_;
  std::unique_ptr<TextRenderer> entryText_;
};

bool X11Session::Start() {
  if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  thread_ = std::thread(&X11Session::Run, this);
  std::unique_lock<std::mutex> lock(startMutex_);
  startChanged_.wait(lock, [this] { return startState_ != 0; });
  const bool running = startState_ > 0;
  lock.unlock();
  if (!running) Stop();
  return running;
}

void X11Session::Stop() {
  stop_.store(true);
  if (wake_[1] >= 0) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(wake_[1], &byte, 1);
  }
  if (thread_.joinable()) thread_.join();
  for (int& fd : wake_) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
}

void X11Session::Run() {
  pthread_setname_np(pthread_self(), "tintinna-editor");
  const bool running = Setup();
  {
    std::lock_guard<std::mutex> lock(startMutex_);
    startState_ = running ? 1 : -1;
  }
  startChanged_.notify_all();
  if (running) {
    Tick();  // the first picture, once the host has its window, without waiting for the timer
    Loop();
  }
  Teardown();
}

bool X11Session::Setup() {
  display_ = XOpenDisplay(nullptr);
  if (!display_) return false;
  x11errors::Adopt(display_, &lost_);
  x11errors::ResetLast();
  XWindowAttributes parent{};
  if (!XGetWindowAttributes(display_, parent_, &parent) || x11errors::SyncFailed(display_))
    return false;

  const int screen = DefaultScreen(display_);
  XVisualInfo info{};
  if (!XMatchVisualInfo(display_, screen, 24, TrueColor, &info)) return false;
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
      display_, parent_, placement_.x, placement_.y,
      static_cast<unsigned>(std::max(1, placement_.width)),
      static_cast<unsigned>(std::max(1, placement_.height)), 0, 24, InputOutput, visual_,
      CWColormap | CWBorderPixel | CWBackPixmap | CWBitGravity | CWEventMask, &attributes);
  if (!window_ || x11errors::SyncFailed(display_)) {
    window_ = 0;
    return false;
  }
  XStoreName(display_, window_, IEditorWindow::kWindowTitle);
  XClassHint hint{};
  char name[] = "tintinna";
  char className[] = "TintinnaWndClass";
  hint.res_name = name;
  hint.res_class = className;
  XSetClassHint(display_, window_, &hint);
  gc_ = XCreateGC(display_, window_, 0, nullptr);
  if (!CreateImage()) return false;
  XMapWindow(display_, window_);
  if (x11errors::SyncFailed(display_)) return false;
  editor_.MarkAllControlsDirty();
  return !lost_.load();
}

bool X11Session::CreateImage() {
  const int width = editor_.Width(), height = editor_.Height();
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
          x11errors::ResetLast();
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
      x11errors::ResetLast();
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

void X11Session::Teardown() {
  const bool alive = display_ && !lost_.load();
  if (alive) {
    if (shmAttached_) XShmDetach(display_, &shm_);
    if (window_ && !windowGone_) XDestroyWindow(display_, window_);
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
  gc_ = nullptr;
  if (display_) {
    x11errors::Release(display_);
    XCloseDisplay(display_);
    display_ = nullptr;
  }
}

bool X11Session::LockPlugin() {
  IMutex& lock = editor_.Plugin()->Lock();
  while (!lock.TryLock()) {
    if (stop_.load()) return false;
    std::this_thread::sleep_for(kLockRetry);
  }
  return true;
}

void X11Session::Loop() {
  const auto period = std::chrono::milliseconds(1000 / std::max(1, editor_.FramesPerSecond()));
  auto next = Clock::now() + period;
  const int connection = ConnectionNumber(display_);
  while (!stop_.load()) {
    if (lost_.load()) {
      // Nothing more to show: wait for the host to close.
      pollfd wake{wake_[0], POLLIN, 0};
      poll(&wake, 1, -1);
      continue;
    }
    if (XPending(display_) > 0) {
      XEvent event;
      XNextEvent(display_, &event);
      Handle(event);
      continue;
    }
    const auto now = Clock::now();
    if (now >= next) {
      Tick();
      next += period;
      if (next <= now) next = now + period;  // a late tick is not caught up
      continue;
    }
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(next - now).count() + 1;
    pollfd fds[2] = {{connection, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    poll(fds, 2, static_cast<int>(wait));
  }
}

void X11Session::Tick() {
  switch (editor_.BeginRedrawTick()) {
    case IEditorWindow::TickAction::kRefreshEntry:
      RefreshEntry();
      return;
    case IEditorWindow::TickAction::kCancelEntry:
      CloseEntry();
      return;
    case IEditorWindow::TickAction::kCommitEntry:
      CommitEntry();
      return;
    case IEditorWindow::TickAction::kNothing:
      return;
    case IEditorWindow::TickAction::kRedraw:
      break;
  }
  IBounds area{};
  if (!editor_.CollectDirtyArea(area)) return;
  // The pass repaints the union of the dirty controls (and the ink around them), but only the
  // dirty controls change: the rest of the union is drawn again as it was. Only they go up.
  changed_.clear();
  for (int i = 0; i < editor_.ControlCount(); ++i) {
    IControl* control = editor_.GetControl(i);
    if (!control || !control->IsDirty()) continue;
    IBounds r = Clip(control->DrawBounds().Union(control->OverflowBounds()), editor_.Width(),
                     editor_.Height());
    if (IsEmptyArea(r)) continue;
    // Overlapping pieces go up as one.
    for (auto it = changed_.begin(); it != changed_.end();) {
      if (IsEmptyArea(Overlap(*it, r))) {
        ++it;
        continue;
      }
      r = r.Union(*it);
      changed_.erase(it);
      it = changed_.begin();
    }
    changed_.push_back(r);
  }
  inPass_ = true;
  editor_.DrawArea(area);
  inPass_ = false;
  bool sent = false;
  for (const IBounds& r : changed_) sent = Upload(r) || sent;
  if (sent) Finish();
  editor_.AfterRedrawPainted();
}

void X11Session::RefreshEntry() {
  X11EntryBox* box = entry_.get();
  IParameter::Text text;
  if (!box || !editor_.EntryRefreshText(box->Text().c_str(), text)) return;
  box->Fill(text);
  RenderEntry(*box);
  Present(box->Bounds());
}

void X11Session::CommitEntry() {
  if (X11EntryBox* box = entry_.get()) {
    if (!LockPlugin()) return;  // closing: the entry goes with the window
    editor_.CommitEntryText(box->Text().c_str());
    UnlockPlugin();
  }
  CloseEntry();
}

void X11Session::CloseEntry() {
  X11EntryBox* box = entry_.get();
  const IBounds covered = box ? box->Bounds() : IBounds{};
  entry_.reset();
  editor_.ClearEntry();
  if (!covered.IsEmpty()) Present(covered);  // the surface under it is up to date
}

X11EntryBox* X11Session::OpenEntry(const IParameter& parameter, const IBounds& controlBounds) {
  entry_ =
      std::make_unique<X11EntryBox>(parameter, controlBounds, editor_.Width(), editor_.Height());
  RenderEntry(*entry_);
  Present(entry_->Bounds());
  return entry_.get();
}

void X11Session::RenderEntry(X11EntryBox& box) {
  if (!entryText_) {
    entryText_ = CreateTextRenderer();
    if (!entryText_) return;
    ITextStyle style;  // Arial, 14 pixels, black
    std::strncpy(style.fontFace, "Arial", sizeof style.fontFace - 1);
    style.size = IEditorWindow::kEntryFontHeight;
    style.colour = IRgba{255, 0, 0, 0};
    entryText_->SelectFont(style);
  }
  box.Render(*entryText_);
}

void X11Session::CopyToImage(const IBounds& area) {
  RasterBitmap* surface = editor_.Surface();
  if (!surface || !surface->GetBits()) return;
  const IBounds from = Clip(area, std::min(surface->GetWidth(), image_->width),
                            std::min(surface->GetHeight(), image_->height));
  if (IsEmptyArea(from)) return;
  const int span = surface->GetRowSpan();
  const uint32_t* source = surface->GetBits();
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
  // The entry box lies over the editor where it is open.
  X11EntryBox* box = entry_.get();
  if (!box) return;
  const IBounds over = Overlap(from, box->Bounds());
  RasterBitmap& pixels = box->Pixels();
  if (IsEmptyArea(over) || !pixels.GetBits()) return;
  for (int y = over.top; y < over.bottom; ++y) {
    const uint32_t* s = pixels.GetBits() +
                        static_cast<size_t>(y - box->Bounds().top) * pixels.GetRowSpan() +
                        (over.left - box->Bounds().left);
    uint32_t* t = target + static_cast<size_t>(y) * imageSpan + over.left;
    std::memcpy(t, s, static_cast<size_t>(over.Width()) * 4);
  }
}

void X11Session::Present(const IBounds& area) {
  if (inPass_) return;  // the tick uploads what the pass changed
  if (Upload(area)) Finish();
}

bool X11Session::Upload(const IBounds& area) {
  if (!image_ || !display_ || lost_.load() || windowGone_) return false;
  const IBounds r = Clip(area, image_->width, image_->height);
  if (IsEmptyArea(r)) return false;
  CopyToImage(r);
  const auto w = static_cast<unsigned>(r.Width()), h = static_cast<unsigned>(r.Height());
  if (shmAttached_) {
    XShmPutImage(display_, window_, gc_, image_, r.left, r.top, r.left, r.top, w, h, False);
  } else {
    XPutImage(display_, window_, gc_, image_, r.left, r.top, r.left, r.top, w, h);
  }
  return true;
}

void X11Session::Finish() {
  // With MIT-SHM the server must have read the segment before it is written again.
  if (shmAttached_)
    XSync(display_, False);
  else
    XFlush(display_);
}

void X11Session::Handle(XEvent& event) {
  switch (event.type) {
    case Expose: {
      const XExposeEvent& e = event.xexpose;
      Present({e.x, e.y, e.x + e.width, e.y + e.height});
      return;
    }
    case ConfigureNotify:
      if (event.xconfigure.window == window_) {
        placement_ = {event.xconfigure.x, event.xconfigure.y, event.xconfigure.width,
                      event.xconfigure.height};
      }
      return;
    case DestroyNotify:
      if (event.xdestroywindow.window == window_) windowGone_ = true;
      return;
    case ButtonPress:
      HandleButtonPress(event.xbutton);
      return;
    case ButtonRelease:
      HandleButtonRelease(event.xbutton);
      return;
    case MotionNotify: {
      // Only the latest position of a burst matters.
      while (XPending(display_) > 0) {
        XEvent next;
        XPeekEvent(display_, &next);
        if (next.type != MotionNotify || next.xmotion.window != event.xmotion.window) break;
        XNextEvent(display_, &event);
      }
      const XMotionEvent& m = event.xmotion;
      if (!buttonHeld_ || (m.state & (Button1Mask | Button3Mask)) == 0) return;
      if (!LockPlugin()) return;
      editor_.HandleMouseDrag(m.x, m.y, x11input::ModifiersFor(m.state, 0, false));
      UnlockPlugin();
      return;
    }
    case KeyPress:
      HandleKey(event.xkey);
      return;
    default:
      return;
  }
}

void X11Session::HandleButtonPress(const XButtonEvent& e) {
  const IMouseModifiers modifiers = x11input::ModifiersFor(e.state, e.button, true);
  if (x11input::IsWheelButton(e.button)) {
    if (!LockPlugin()) return;
    editor_.HandleMouseWheel(e.x, e.y, modifiers, x11input::WheelNotchesFor(e.button));
    UnlockPlugin();
    return;
  }
  if (e.button != Button1 && e.button != Button3) return;
  // Typing works inside hosts once the editor was clicked.
  XSetInputFocus(display_, window_, RevertToParent, e.time);
  if (!LockPlugin()) return;
  X11EntryBox* box = entry_.get();
  pressInEntry_ = false;
  if (e.button == Button1) {
    if (box && e.x >= box->Bounds().left && e.x < box->Bounds().right && e.y >= box->Bounds().top &&
        e.y < box->Bounds().bottom) {
      pressInEntry_ = true;
      doubleClick_.Reset();
      const X11EntryBox::Action action = box->HandlePress(e.x, e.y);
      if (action == X11EntryBox::Action::kCommit) {
        EditorWindowMessages::SetEntryState(editor_, IEditorWindow::kEntryCommit);
      }
      RenderEntry(*box);
      Present(box->Bounds());
    } else if (doubleClick_.Press(e.time, e.x, e.y)) {
      buttonHeld_ = editor_.HandleDoubleClick(e.x, e.y, modifiers);
    } else {
      editor_.NoteLeftButtonDown();
      editor_.HandleMouseDown(e.x, e.y, modifiers);
      buttonHeld_ = true;
    }
  } else {
    doubleClick_.Reset();
    if (!editor_.NoteRightButtonDown()) {
      editor_.HandleMouseDown(e.x, e.y, modifiers);
      buttonHeld_ = true;
    }
  }
  UnlockPlugin();
}

void X11Session::HandleButtonRelease(const XButtonEvent& e) {
  if (e.button != Button1 && e.button != Button3) return;
  const bool inEntry = std::exchange(pressInEntry_, false);
  buttonHeld_ = false;
  if (inEntry && e.button == Button1) return;  // the box's own click
  if (!LockPlugin()) return;
  editor_.HandleMouseUp(e.x, e.y, x11input::ModifiersFor(e.state, e.button, false));
  UnlockPlugin();
}

void X11Session::HandleKey(XKeyEvent& e) {
  char text[8] = {};
  KeySym keysym = NoSymbol;
  const int length = XLookupString(&e, text, sizeof text, &keysym, nullptr);
  if (!LockPlugin()) return;
  if (X11EntryBox* box = entry_.get()) {
    X11EntryBox::Key key{};
    char character = '\0';
    if (EntryKeyFor(keysym, text, length, key, character)) {
      switch (box->HandleKey(key, character)) {
        case X11EntryBox::Action::kCommit:
          EditorWindowMessages::SetEntryState(editor_, IEditorWindow::kEntryCommit);
          break;
        case X11EntryBox::Action::kCancel:
          EditorWindowMessages::SetEntryState(editor_, IEditorWindow::kEntryCancel);
          break;
        case X11EntryBox::Action::kChanged:
          RenderEntry(*box);
          Present(box->Bounds());
          break;
        case X11EntryBox::Action::kNone:
          break;
      }
    }
  } else {
    const uint32_t virtualKey = x11input::VirtualKeyFor(XLookupKeysym(&e, 0), XLookupKeysym(&e, 1));
    const int code = virtualKey != 0 ? IEditorWindow::MapKeyCode(virtualKey) : -1;
    if (code >= 0) editor_.HandleKeyDown(e.x, e.y, code);
  }
  UnlockPlugin();
}

// ---- IEditorWindow, X11 half ------------------------------------------------------------------

bool IEditorWindow::PresentArea(const IBounds& area) {
  if (X11Session* session = EditorWindowMessages::Session(*this)) session->Present(area);
  return true;
}

void IEditorWindow::OpenValueEntry(IControl* control, IParameter* parameter, bool /*textMode*/) {
  X11Session* session = EditorWindowMessages::Session(*this);
  if (!control || !parameter || entryBox_ || !session) return;
  entryBox_ = session->OpenEntry(*parameter, control->DrawBounds());
  entryState_ = kEntryOpen;
  SetEntry(control, parameter);
  IParameter::Text text;
  EntryText(*parameter, text);
  NoteEntryFilled(text);
}

void IEditorWindow::OpenValueMenu(IControl* control, IParameter* parameter,
                                  int /*itemsPerColumn*/) {
  // No system menu: the value list of the entry serves, and commits as the entry does.
  if (parameter && parameter->ValueTextCount() > 0) OpenValueEntry(control, parameter, false);
}

void* IEditorWindow::OpenEditorWindow(void* parent) {
  parentWindow_ = parent;
  Placement placement{0, 0, Width(), Height()};
  if (X11Session* open = EditorWindowMessages::Session(*this)) {
    // A new parent while the window is open: the same size and place in it.
    open->Stop();
    placement = open->LastPlacement();
    CloseEditorWindow();
  }
  const auto parentId = static_cast<Window>(reinterpret_cast<uintptr_t>(parent));
  if (parentId == 0) return nullptr;
  auto* session = new X11Session(*this, parentId, placement);
  session_ = session;  // the thread presents through it from its first paint on
  if (!session->Start()) {
    session_ = nullptr;
    delete session;
    ClearEntry();
    return nullptr;
  }
  window_ = reinterpret_cast<void*>(static_cast<uintptr_t>(session->WindowId()));
  return window_;
}

void IEditorWindow::CloseEditorWindow() {
  auto* session = EditorWindowMessages::Session(*this);
  if (session) session->Stop();
  // The thread is gone; its entry box goes with the session, and a press still held ends its edit.
  ClearEntry();
  ReleaseMouse();
  delete session;
  session_ = nullptr;
  window_ = nullptr;
}

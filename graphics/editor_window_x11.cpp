// The editor window on Linux, X11 half: the session that joins the window, its value entry and
// its input to the editor and runs the redraw tick, and the window requests of IEditorWindow.
// The window opens on the thread of the host's open request (with a display connection of its
// own) and closes on the thread of its close request; in between its driver runs it: the
// editor's own thread (EditorThreadLoop), or the host's GUI loop when an adapter supplied one.
#include <algorithm>
#include <new>

#include "controls/control.h"
#include "graphics/x11_session.h"
#include "plug/parameter.h"
#include "raster/raster_bitmap.h"

namespace {

IBounds Clip(const IBounds& a, int width, int height) {
  const IBounds r{std::max(a.left, 0), std::max(a.top, 0), std::min(a.right, width),
                  std::min(a.bottom, height)};
  if (r.right <= r.left || r.bottom <= r.top) return {};
  return r;
}

bool IsEmptyArea(const IBounds& a) {
  return a.right <= a.left || a.bottom <= a.top;
}

bool Overlaps(const IBounds& a, const IBounds& b) {
  return std::max(a.left, b.left) < std::min(a.right, b.right) &&
         std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}

}  // namespace

X11Session::X11Session(IEditorWindow& editor, IEditorLoop* hostLoop)
    : editor_(editor), hostLoop_(hostLoop), events_(editor, *this, window_, entry_) {}

X11Session::~X11Session() {
  Stop();
}

bool X11Session::Open(Window parent, const X11Window::Placement& placement) {
  if (!window_.Open(parent, placement, editor_.Width(), editor_.Height())) return false;
  editor_.MarkAllControlsDirty();
  IEditorLoop& loop = hostLoop_ ? *hostLoop_ : ownLoop_;
  attached_ = loop.Attach(*this);
  if (!attached_) {
    window_.Close();
    return false;
  }
  if (hostLoop_) TickDue();  // the first picture; the own thread draws it as it starts
  return true;
}

void X11Session::Stop() {
  if (!attached_) return;
  attached_ = false;
  (hostLoop_ ? *hostLoop_ : ownLoop_).Detach();
}

int X11Session::ConnectionFd() const noexcept {
  return window_.Connection() ? ConnectionNumber(window_.Connection()) : -1;
}

int X11Session::TickPeriodMs() const noexcept {
  return 1000 / std::max(1, editor_.FramesPerSecond());
}

bool X11Session::EventsWaiting() {
  X11Window::CheckUnlocked();
  Display* display = window_.Connection();
  while (display && !window_.Lost() && XPending(display) > 0) {
    XEvent event;
    XNextEvent(display, &event);
    events_.Handle(event);
  }
  window_.CloseIfLost();
  return !window_.Lost();
}

void X11Session::HandleQueued() {
  // Round trips read what the server had sent meanwhile: handled now, so that nothing waits in
  // the connection's queue while the loop waits on the descriptor.
  Display* display = window_.Connection();
  while (display && !window_.Lost() && XEventsQueued(display, QueuedAlready) > 0) {
    XEvent event;
    XNextEvent(display, &event);
    events_.Handle(event);
  }
  window_.CloseIfLost();
}

void X11Session::TickDue() {
  X11Window::CheckUnlocked();
  if (window_.Lost()) return;
  switch (editor_.BeginRedrawTick()) {
    case IEditorWindow::TickAction::kRefreshEntry:
      RefreshEntry();
      break;
    case IEditorWindow::TickAction::kCancelEntry:
      CloseEntry();
      break;
    case IEditorWindow::TickAction::kCommitEntry:
      CommitEntry();
      break;
    case IEditorWindow::TickAction::kNothing:
      break;
    case IEditorWindow::TickAction::kRedraw: {
      IBounds area{};
      if (!editor_.CollectDirtyArea(area)) break;
      // The pass repaints the union of the dirty controls (and the ink around them), but only
      // the dirty controls change: the rest of the union is drawn again as it was. Only they go
      // up, overlapping pieces as one.
      changed_.clear();
      for (int i = 0; i < editor_.ControlCount(); ++i) {
        IControl* control = editor_.GetControl(i);
        if (!control || !control->IsDirty()) continue;
        IBounds r = Clip(control->DrawBounds().Union(control->OverflowBounds()), editor_.Width(),
                         editor_.Height());
        if (IsEmptyArea(r)) continue;
        for (auto it = changed_.begin(); it != changed_.end();) {
          if (!Overlaps(*it, r)) {
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
      for (const IBounds& r : changed_) sent = Present(r, false) || sent;
      if (sent) window_.Finish();
      editor_.AfterRedrawPainted();
      break;
    }
  }
  HandleQueued();
}

bool X11Session::Present(const IBounds& area, bool finish) {
  RasterBitmap* surface = editor_.Surface();
  if (!surface) return false;
  X11EntryBox* box = entry_.Box();
  const bool sent =
      window_.Put(area, *surface, box ? &box->Pixels() : nullptr, box ? box->Bounds() : IBounds{});
  if (sent && finish) window_.Finish();
  return sent;
}

void X11Session::Present(const IBounds& area) {
  if (!inPass_) Present(area, true);  // the tick uploads what its pass changed
}

X11EntryBox* X11Session::OpenEntry(const IParameter& parameter, const IBounds& controlBounds) {
  X11EntryBox& box =
      entry_.Open(parameter, controlBounds, editor_.Width(), editor_.Height(), eventTime_);
  Present(box.Bounds());
  return &box;
}

void X11Session::ShowEntry() {
  entry_.Render();
  if (const X11EntryBox* box = entry_.Box()) Present(box->Bounds());
}

void X11Session::RefreshEntry() {
  X11EntryBox* box = entry_.Box();
  IParameter::Text text;
  if (!box || !editor_.EntryRefreshText(box->Text().c_str(), text)) return;
  box->Fill(text);
  ShowEntry();
}

void X11Session::CommitEntry() {
  // The controls hand the value over to the plug-in under its lock.
  if (const X11EntryBox* box = entry_.Box()) editor_.CommitEntryText(box->Text().c_str());
  CloseEntry();
}

void X11Session::CloseEntry() {
  const X11EntryBox* box = entry_.Box();
  const IBounds covered = box ? box->Bounds() : IBounds{};
  entry_.Close();
  editor_.ClearEntry();
  if (!covered.IsEmpty()) Present(covered);  // the surface under it is up to date
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
  X11Window::Placement placement{0, 0, Width(), Height()};
  if (X11Session* open = EditorWindowMessages::Session(*this)) {
    // A new parent while the window is open: the same size and place in it.
    open->Stop();
    placement = open->LastPlacement();
    CloseEditorWindow();
  }
  const auto parentId = static_cast<Window>(reinterpret_cast<uintptr_t>(parent));
  if (parentId == 0) return nullptr;
  auto* session = new (std::nothrow) X11Session(*this, hostLoop_);
  if (!session) return nullptr;
  session_ = session;  // the driver presents through it from its first tick on
  if (!session->Open(parentId, placement)) {
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
  // Nothing drives the window any more; its entry box goes with the session, and a press still
  // held ends its edit.
  ClearEntry();
  ReleaseMouse();
  delete session;
  session_ = nullptr;
  window_ = nullptr;
}

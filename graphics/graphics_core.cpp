// The platform-neutral editor: the control list, dirty tracking, the draw pass and mouse and
// key dispatch.
#include "graphics/graphics_core.h"

#include <algorithm>
#include <cstring>

#include "controls/bitmap_control.h"
#include "controls/control.h"
#include "plug/effect_base.h"
#include "plug/parameter.h"

IGraphicsCore::IGraphicsCore(IEffectBase* plugin, int width, int height, int framesPerSecond)
    : plugin_(plugin),
      width_(width),
      height_(height),
      framesPerSecond_(framesPerSecond > 0 ? framesPerSecond : kDefaultFramesPerSecond) {}

IGraphicsCore::~IGraphicsCore() {
  controls_.DeleteAll();
}

int IGraphicsCore::AttachControl(IControl* control) {
  if (!control) return -1;
  const int index = controls_.Count();
  overflow_.clear();  // every box is asked for again
  if (!controls_.Add(control)) {
    delete control;  // ownership was handed over; nothing else can free it
    return -1;
  }
  return index;
}

void IGraphicsCore::AttachBackground(int resourceId, const char* resourceName) {
  const IImage image = LoadSkinImage(resourceId, resourceName, 1);
  // Inserted even when the image failed to load, so that every other control keeps its index.
  auto* background = new IBitmapControl(plugin_, 0, 0, -1, image, IBlend{IBlend::kCopy, 1.0f});
  overflow_.clear();
  if (!controls_.Insert(0, background)) delete background;
}

bool IGraphicsCore::DrawBitmapFrame(const IImage& image, const IBounds& destination, int frame,
                                    const IBlend* blend) {
  return DrawBitmap(image, destination, 0, image.FrameTop(frame), blend);
}

void IGraphicsCore::SetParameterFromPlugin(int parameterIndex, double value, bool normalized) {
  if (!normalized) {
    const IParameter* parameter = plugin_ ? plugin_->GetParameter(parameterIndex) : nullptr;
    if (!parameter) return;
    value = parameter->NormalizeValue(value);
  }
  const int count = controls_.Count();
  for (int i = 0; i < count; ++i) {
    IControl* control = controls_.Get(i);
    if (control->ParameterIndex() == parameterIndex) control->SetValueFromPlugin(value);
  }
}

void IGraphicsCore::SetControlFromPlugin(int controlIndex, double normalized) {
  if (IControl* control = controls_.Get(controlIndex)) control->SetValueFromPlugin(normalized);
}

bool IGraphicsCore::StringInk(const ITextStyle& style, const char* text, const IBounds& bounds,
                              IBounds& ink) {
  ink = EstimateStringInk(style, text, bounds);
  return false;
}

IBounds IGraphicsCore::EstimateStringInk(const ITextStyle& style, const char* text,
                                         const IBounds& bounds) {
  const size_t length = text ? std::strlen(text) : 0;
  if (length == 0) return bounds;
  const int size = style.size > 0 ? style.size : 16;
  const int width = static_cast<int>(std::min<size_t>(length, 1024)) * size;
  const int margin = size / 2;
  int left = bounds.left;
  if (style.alignment == ITextStyle::kRight) left = bounds.right - width;
  if (style.alignment == ITextStyle::kCentre) left = (bounds.left + bounds.right - width) / 2;
  const IBounds ink{left - margin, bounds.top - margin, left + width + margin,
                    std::max(bounds.bottom, bounds.top + 2 * size)};
  return ink.Union(bounds);
}

void IGraphicsCore::MarkAllControlsDirty() {
  const int count = controls_.Count();
  for (int i = 0; i < count; ++i) controls_.Get(i)->MarkDirty(false);
}

bool IGraphicsCore::CollectDirtyArea(IBounds& area) {
  pieces_.clear();
  dirty_.clear();
  const int count = controls_.Count();
  for (int i = 0; i < count; ++i) {
    IControl* control = controls_.Get(i);
    // Observers first: a read-out later in the list is then caught by this same scan.
    control->NotifyObservers();
    // Before the question: whatever changes from here on keeps the control dirty for later.
    control->NoteScanned();
    if (control->IsDirty()) {
      area = area.Union(control->DrawBounds());
      dirty_.push_back(control);
    }
  }
  if (dirty_.empty()) return false;
  area = CoverOverflow(area);
  // Each changed control, with the ink of every text around it, is a piece of its own, and
  // pieces that meet are one: a pass over far-apart controls need not draw all between them.
  for (const IControl* control : dirty_) {
    if (control->DrawBounds().IsEmpty()) continue;
    IBounds piece = dirty_.size() == 1 ? area : GrowOverInk(control->DrawBounds());
    for (auto other = pieces_.begin(); other != pieces_.end();) {
      if (!piece.Intersects(*other) && !other->Intersects(piece)) {
        ++other;
        continue;
      }
      piece = GrowOverInk(piece.Union(*other));
      pieces_.erase(other);
      other = pieces_.begin();
    }
    pieces_.push_back(piece);
  }
  collected_ = area;
  return true;
}

IBounds IGraphicsCore::CoverOverflow(IBounds area) {
  const int count = controls_.Count();
  if (overflow_.size() != static_cast<size_t>(count)) {
    overflow_.assign(static_cast<size_t>(count), IBounds{});
    overflowStale_.assign(static_cast<size_t>(count), 1);
  }
  const IBounds editor{0, 0, width_, height_};
  for (int i = 0; i < count; ++i) {
    // A control's ink changes only with its text or look, which make it dirty, and when it is
    // drawn: the others keep their box from the last pass.
    IControl* control = controls_.Get(i);
    const auto at = static_cast<size_t>(i);
    if (!overflowStale_[at] && !control->IsDirty()) continue;
    overflowStale_[at] = 0;
    overflow_[at] =
        control->IsHidden() ? IBounds{} : control->OverflowBounds().Intersection(editor);
  }
  return GrowOverInk(area);
}

IBounds IGraphicsCore::GrowOverInk(IBounds area) const {
  // Text is drawn whole: every control the area meets must have all its ink inside the area,
  // over a background repainted beneath it, or its edges are blended twice.
  for (bool grown = true; grown;) {
    grown = false;
    for (const IBounds& ink : overflow_) {
      if (!area.Intersects(ink)) continue;
      const IBounds wider = area.Union(ink);
      if (wider == area) continue;
      area = wider;
      grown = true;
    }
  }
  return area;
}

bool IGraphicsCore::DrawArea(const IBounds& updateArea) {
  const int count = controls_.Count();
  if (count == 0) {
    // Nothing to draw, but the window system's paint request must still be answered.
    PresentArea(updateArea);
    return true;
  }
  // The area the last scan collected is drawn piece by piece; any other as a whole.
  IBounds area = updateArea;
  if (pieces_.empty() || !(updateArea == collected_)) {
    area = CoverOverflow(updateArea);
    pieces_.assign(1, area);
  }
  for (const IBounds& piece : pieces_) {
    drawBounds_ = piece;
    for (int i = 0; i < count; ++i) {
      IControl* control = controls_.Get(i);
      const bool meets = piece.Intersects(control->DrawBounds()) ||
                         piece.Intersects(overflow_[static_cast<size_t>(i)]);
      if (!meets || control->IsHidden()) continue;
      control->Draw(*this);
      overflowStale_[static_cast<size_t>(i)] = 1;
    }
  }
  pieces_.clear();
  for (int i = 0; i < count; ++i) controls_.Get(i)->MarkClean();
  drawBounds_ = area;
  // Outside the pieces the surface did not change: the whole area is presented as it is.
  return PresentArea(area);
}

void IGraphicsCore::DropCapture() noexcept {
  capturedControl_ = -1;
  lastMouseX_ = -1;
  lastMouseY_ = -1;
}

int IGraphicsCore::FindControlAt(int x, int y) const {
  if (capturedControl_ >= 0) return capturedControl_;
  for (int i = controls_.Count() - 1; i >= 0; --i) {
    const IControl* control = controls_.Get(i);
    if (!control->IsHidden() && !control->IsGreyed() && control->HitTest(x, y)) return i;
  }
  return -1;
}

void IGraphicsCore::BeginGesture(const IControl& control) {
  EndGesture();
  if (control.ParameterIndex() < 0 || !plugin_) return;
  gestureParameter_ = control.ParameterIndex();
  plugin_->BeginParameterGesture(gestureParameter_);
}

void IGraphicsCore::EndGesture() {
  if (gestureParameter_ < 0) return;
  const int parameter = gestureParameter_;
  gestureParameter_ = -1;
  if (plugin_) plugin_->EndParameterGesture(parameter);
}

template <class Edit>
void IGraphicsCore::EditInOneGesture(IControl& control, Edit edit) {
  const int parameter = control.ParameterIndex();
  // Inside a press of the same parameter the edit belongs to that gesture.
  const bool bracket = parameter >= 0 && plugin_ && parameter != gestureParameter_;
  if (bracket) plugin_->BeginParameterGesture(parameter);
  edit();
  if (bracket) plugin_->EndParameterGesture(parameter);
}

void IGraphicsCore::HandleMouseDown(int x, int y, const IMouseModifiers& modifiers) {
  ReleaseMouse();
  const int index = FindControlAt(x, y);
  if (index < 0) return;
  capturedControl_ = index;
  lastMouseX_ = x;
  lastMouseY_ = y;
  IControl* control = controls_.Get(index);
  control->OnMouseDown(x, y, modifiers);
  BeginGesture(*control);
}

void IGraphicsCore::HandleMouseUp(int x, int y, const IMouseModifiers& modifiers) {
  // Only the pressed control hears of a release: one that follows a press that went elsewhere
  // (the right click that cancelled a value entry) must neither move a control nor end an edit.
  IControl* control = controls_.Get(capturedControl_);
  DropCapture();
  if (control) control->OnMouseUp(x, y, modifiers);
  EndGesture();
}

void IGraphicsCore::ReleaseMouse() {
  DropCapture();
  EndGesture();
}

void IGraphicsCore::CommitUserValue(IControl& control, double normalized) {
  EditInOneGesture(control, [&] { control.SetValueFromUser(normalized); });
}

void IGraphicsCore::HandleMouseDrag(int x, int y, const IMouseModifiers& modifiers) {
  IControl* control = controls_.Get(capturedControl_);
  if (!control) return;
  const int dx = x - lastMouseX_;
  const int dy = y - lastMouseY_;
  if (dx == 0 && dy == 0) return;
  lastMouseX_ = x;
  lastMouseY_ = y;
  control->OnMouseDrag(x, y, dx, dy, modifiers);
}

bool IGraphicsCore::HandleMouseOver(int, int, const IMouseModifiers&) {
  return false;
}

bool IGraphicsCore::HandleDoubleClick(int x, int y, const IMouseModifiers& modifiers) {
  ReleaseMouse();
  const int index = FindControlAt(x, y);
  if (index < 0) return false;
  IControl* control = controls_.Get(index);
  if (control->DoubleClickIsClick()) {
    // A second press: it opens an edit like the first, which its release closes.
    capturedControl_ = index;
    lastMouseX_ = x;
    lastMouseY_ = y;
    control->OnMouseDown(x, y, modifiers);
    BeginGesture(*control);
    return true;
  }
  EditInOneGesture(*control, [&] { control->OnMouseDoubleClick(x, y, modifiers); });
  return false;
}

void IGraphicsCore::HandleMouseWheel(int x, int y, const IMouseModifiers& modifiers, int notches) {
  if (IControl* control = controls_.Get(FindControlAt(x, y)))
    EditInOneGesture(*control, [&] { control->OnMouseWheel(x, y, modifiers, notches); });
}

void IGraphicsCore::HandleKeyDown(int x, int y, int keyCode) {
  if (IControl* control = controls_.Get(FindControlAt(x, y))) control->OnKeyDown(x, y, keyCode);
}

void IGraphicsCore::Resize(int width, int height) {
  width_ = width;
  height_ = height;
  ReleaseMouse();
  SetEntry(nullptr, nullptr);  // the entry's control is about to go
  controls_.DeleteAll();
  overflow_.clear();
  if (plugin_) plugin_->EditorResized(width, height);
}

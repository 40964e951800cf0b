// The base of every editor control, and the subject/observer link that lets read-outs follow one.
#include "controls/control.h"

#include <algorithm>
#include <cmath>

#include "graphics/graphics_core.h"
#include "plug/effect_base.h"
#include "plug/mutex.h"

void ISubject::AttachObserver(IObserverInterface* observer) {
  if (!observers_) observers_ = std::make_unique<std::vector<IObserverInterface*>>();
  if (std::find(observers_->begin(), observers_->end(), observer) != observers_->end()) return;
  observers_->push_back(observer);
}

void ISubject::NotifyObservers() {
  if (!observers_ || !pending_.exchange(false)) return;
  const size_t count = observers_->size();
  for (size_t i = 0; i < count; ++i) (*observers_)[i]->Update();
}

IControl::IControl(IEffectBase* owner, const IBounds& bounds, int parameterIndex,
                   const IBlend& blend)
    : owner_(owner),
      drawBounds_(bounds),
      targetBounds_(bounds),
      parameterIndex_(parameterIndex),
      blendMethod_(blend.method),
      blendWeight_(blend.weight) {}

void IControl::OnMouseDown(int, int, const IMouseModifiers& modifiers) {
  if (modifiers.right) PromptForValue();
}

void IControl::OnMouseUp(int, int, const IMouseModifiers&) {}

void IControl::OnMouseDrag(int, int, int, int, const IMouseModifiers&) {}

void IControl::OnMouseDoubleClick(int, int, const IMouseModifiers&) {
  const double fallback = defaultValue_.load();
  if (fallback < 0.0) return;
  value_.store(fallback);
  MarkDirty(true);
}

void IControl::OnMouseWheel(int, int, const IMouseModifiers& modifiers, int delta) {
  const double step = modifiers.shift || modifiers.control ? kFineWheelStep : kWheelStep;
  value_.store(value_.load() + delta * step);
  MarkDirty(true);
}

void IControl::OnKeyDown(int, int, int) {}

void IControl::OnMouseOver(int, int, const IMouseModifiers&) {}

void IControl::OnMouseOut() {}

void IControl::SetValueFromPlugin(double value) {
  // Clamped before it is stored, so that no reader on the editor thread sees it out of range.
  if (!(value >= lowerBound_))
    value = lowerBound_;
  else if (value > upperBound_)
    value = upperBound_;
  if (defaultValue_.load() < 0.0) {
    value_.store(value);
    defaultValue_.store(value);
  } else {
    if (value == value_.load()) return;
    value_.store(value);
  }
  MarkChangedFromOutside();
}

void IControl::MarkChangedFromOutside() noexcept {
  // Redraw requested together with dirty: no scan can see one without the other.
  flags_.fetch_or(kDirtyFlag | kChangedFlag | kRedrawFlag);
  SetNotificationPending();
}

void IControl::SetHidden(bool hidden) {
  hidden_.store(hidden);
  MarkChangedFromOutside();
}

void IControl::SetGreyedState(bool greyed) noexcept {
  greyed_.store(greyed);
  blendWeight_.store(greyed ? kGreyedWeight : 1.0f);
}

void IControl::SetGreyed(bool greyed) {
  SetGreyedState(greyed);
  MarkChangedFromOutside();
}

bool IControl::HitTest(int x, int y) const {
  if (targetBounds_.IsEmpty()) return false;
  return x >= targetBounds_.left && x < targetBounds_.right && y >= targetBounds_.top &&
         y < targetBounds_.bottom;
}

void IControl::MarkDirty(bool push) {
  // Written so that a NaN ends at the lower bound rather than slipping through both tests.
  const double value = value_.load();
  if (!(value >= lowerBound_))
    value_.store(lowerBound_);
  else if (value > upperBound_)
    value_.store(upperBound_);
  flags_.fetch_or(kDirtyFlag | kChangedFlag);
  SetNotificationPending();
  if (push && owner_ && parameterIndex_ >= 0) {
    // The host's entry pushes into the controls and then sets the parameter, under this lock:
    // read the value inside it, so that the parameter ends where the control ends.
    ScopedLock lock(&owner_->Lock());
    owner_->SetParameterFromGUI(parameterIndex_, value_.load());
  }
}

// Both run for every control on every tick: the locked write is kept for the few that changed.
void IControl::NoteScanned() noexcept {
  if (flags_.load() & kChangedFlag) flags_.fetch_and(~kChangedFlag);
}

void IControl::MarkClean() {
  uint32_t flags = flags_.load();
  if (flags == 0) return;
  uint32_t next = 0;
  do {
    next = flags & (kRedrawFlag | kChangedFlag) ? kDirtyFlag : 0;
  } while (!flags_.compare_exchange_weak(flags, next));
}

bool IControl::IsDirty() const {
  return (flags_.load() & kDirtyFlag) != 0;
}

void IControl::ResetToDefault() {
  value_.store(defaultValue_.load());
  MarkDirty(true);
  RequestRedraw();
}

void IControl::SetValueFromUser(double value) {
  if (value == value_.load()) return;
  value_.store(value);
  MarkDirty(true);
  RequestRedraw();
}

void IControl::PromptForValue() {
  if (parameterIndex_ < 0 || promptDisabled_) return;
  IParameter* parameter = owner_ ? owner_->GetParameter(parameterIndex_) : nullptr;
  IGraphicsCore* graphics = owner_ ? owner_->GetEditor() : nullptr;
  if (graphics) graphics->OpenValueEntry(this, parameter, false);
  RequestRedraw();
}

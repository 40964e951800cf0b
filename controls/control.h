// The base of every editor control, and the subject/observer link that lets read-outs follow one.
//
// Threads. Everything runs on the editor's window thread (mouse, timer, paint) except:
//   - SetValueFromPlugin: also the host's parameter thread (plug-in lock held, through
//     IGraphicsCore::SetParameterFromPlugin) and the audio thread (meter and lamps, through
//     IGraphicsCore::SetControlFromPlugin, no lock). It never calls the plug-in and never blocks.
//   - SetGreyed / SetHidden (and a text control's look): also the host's parameter and audio
//     threads (the instrument's refreshes), with the plug-in's lock held.
// The value and every flag are atomic, so these writers race with the editor's dirty scan and
// draw pass without locks. A change that lands after the scan looked at the control keeps it
// dirty through the next pass (see NoteScanned), so every change is drawn by a later pass.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/graphics_types.h"

class IEffectBase;
class IGraphicsCore;

// Anything that wants to hear, once per dirty scan, that a control changed.
class IObserverInterface {
 public:
  // [editor] Called from the subject's NotifyObservers.
  virtual void Update() = 0;
  virtual ~IObserverInterface() = default;
};

// Keeps observers (not owned) and a pending flag that coalesces changes between scans.
class ISubject {
 public:
  ISubject() = default;
  ISubject(const ISubject&) = delete;
  ISubject& operator=(const ISubject&) = delete;
  virtual ~ISubject() = default;

  // [editor] Appends observer unless it is already attached.
  void AttachObserver(IObserverInterface* observer);
  // [editor] If a change is pending, clears the flag and then updates every observer in order
  // of attachment; an observer that changes the subject re-arms the flag for the next scan.
  void NotifyObservers();
  int ObserverCount() const noexcept {
    return observers_ ? static_cast<int>(observers_->size()) : 0;
  }
  bool NotificationPending() const noexcept { return pending_.load(); }

 protected:
  // [any thread]
  void SetNotificationPending() noexcept { pending_.store(true); }

 private:
  std::unique_ptr<std::vector<IObserverInterface*>> observers_;
  std::atomic<bool> pending_{false};
};

class IControl : public ISubject {
 public:
  static constexpr double kWheelStep = 0.01;
  static constexpr double kFineWheelStep = 0.001;
  static constexpr float kGreyedWeight = 0.25f;

  // Both the draw and the target bounds start as bounds; owner may be null.
  IControl(IEffectBase* owner, const IBounds& bounds, int parameterIndex, const IBlend& blend = {});
  ~IControl() override = default;

  // ---- Mouse and keys [editor] --------------------------------------------------------------
  // Right button: opens the value entry.
  virtual void OnMouseDown(int x, int y, const IMouseModifiers& modifiers);
  virtual void OnMouseUp(int x, int y, const IMouseModifiers& modifiers);
  virtual void OnMouseDrag(int x, int y, int dx, int dy, const IMouseModifiers& modifiers);
  // Returns to the default value, once one is known.
  virtual void OnMouseDoubleClick(int x, int y, const IMouseModifiers& modifiers);
  // 0.01 per notch, 0.001 with shift or control.
  virtual void OnMouseWheel(int x, int y, const IMouseModifiers& modifiers, int delta);
  virtual void OnKeyDown(int x, int y, int key);
  virtual void OnMouseOver(int x, int y, const IMouseModifiers& modifiers);
  virtual void OnMouseOut();

  // [editor, draw pass] Draws the control; returns the drawing operation's result.
  virtual bool Draw(IGraphicsCore& graphics) = 0;

  // [any thread, never locks] A value from the plug-in side; the first one also becomes the
  // default. Never pushed back to the plug-in. A NaN counts as the lower bound.
  virtual void SetValueFromPlugin(double value);
  // [any thread, never locks] Both are changes of look from outside the draw pass: they are
  // drawn in the next two passes.
  virtual void SetHidden(bool hidden);
  // Greyed controls are drawn with weight 0.25 and not hit.
  virtual void SetGreyed(bool greyed);
  // Right and bottom edges excluded; all-zero target bounds are never hit.
  virtual bool HitTest(int x, int y) const;
  // Clamps the value, marks dirty and pending; push sends the value to the plug-in
  // (SetParameterFromGUI). The value sent is read under the plug-in's lock, so a value pushed
  // from the host in between cannot leave the control and the parameter apart.
  virtual void MarkDirty(bool push);
  // [editor, draw pass] dirty <- redraw requested; redraw requested <- false. A change made
  // since the scan looked at this control (NoteScanned) keeps it dirty.
  virtual void MarkClean();
  virtual bool IsDirty() const;
  virtual void ResetToDefault();
  virtual void SpareHook() {}

  // [editor] A user change made outside the control's own mouse handlers.
  void SetValueFromUser(double value);
  // [editor] Opens the owner's value entry for this control.
  void PromptForValue();
  // [editor, graphics core only] The dirty scan is about to ask IsDirty: changes from now on
  // keep the control dirty through the next draw pass, wherever it lies.
  void NoteScanned() noexcept;
  // [editor] Where the control may put ink that the draw pass does not clip (text is drawn
  // whole); the graphics core repaints all of it whenever it draws the control. Empty (the
  // default) when the control's drawing stays inside the pass's area.
  virtual IBounds OverflowBounds() { return {}; }
  void SetPromptDisabled(bool disabled) noexcept { promptDisabled_ = disabled; }
  void SetDefaultValue(double value) noexcept { defaultValue_.store(value); }

  IEffectBase* Owner() const noexcept { return owner_; }
  int ParameterIndex() const noexcept { return parameterIndex_; }
  double Value() const noexcept { return value_.load(); }
  double DefaultValue() const noexcept { return defaultValue_.load(); }
  double LowerBound() const noexcept { return lowerBound_; }
  double UpperBound() const noexcept { return upperBound_; }
  const IBounds& DrawBounds() const noexcept { return drawBounds_; }
  const IBounds& TargetBounds() const noexcept { return targetBounds_; }
  bool IsHidden() const noexcept { return hidden_.load(); }
  bool IsGreyed() const noexcept { return greyed_.load(); }
  bool RedrawRequested() const noexcept { return (flags_.load() & kRedrawFlag) != 0; }
  bool PromptDisabled() const noexcept { return promptDisabled_; }
  bool DoubleClickIsClick() const noexcept { return doubleClickIsClick_; }
  IBlend Blend() const noexcept { return {blendMethod_, blendWeight_.load()}; }

 protected:
  void SetValue(double value) noexcept { value_.store(value); }
  void RequestRedraw() noexcept { flags_.fetch_or(kRedrawFlag); }
  // A change from outside the draw pass: dirty, pending and redraw requested in one step.
  void MarkChangedFromOutside() noexcept;
  void SetDoubleClickIsClick(bool on) noexcept { doubleClickIsClick_ = on; }
  void SetGreyedState(bool greyed) noexcept;

 private:
  static constexpr uint32_t kDirtyFlag = 1;
  static constexpr uint32_t kRedrawFlag = 2;
  static constexpr uint32_t kChangedFlag = 4;  // changed since the scan looked (NoteScanned)

  IEffectBase* owner_;
  IBounds drawBounds_;
  IBounds targetBounds_;
  int32_t parameterIndex_;
  std::atomic<double> value_{0.0};
  std::atomic<double> defaultValue_{-1.0};
  double lowerBound_ = 0.0;
  double upperBound_ = 1.0;
  // Dirty, redraw requested and changed live in one word so that MarkClean can move them in
  // one atomic step against writers on other threads.
  std::atomic<uint32_t> flags_{kDirtyFlag};
  std::atomic<bool> hidden_{false};
  std::atomic<bool> greyed_{false};
  bool promptDisabled_ = false;
  bool doubleClickIsClick_ = false;
  int32_t blendMethod_;
  std::atomic<float> blendWeight_;
};

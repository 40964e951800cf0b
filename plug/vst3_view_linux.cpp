// The VST 3 view on Linux: the X11 editor driven by the host's run loop (IRunLoop, which the frame
// offers), through an event handler on the X connection's file descriptor and a timer at the
// editor's tick (41 ms), registered while the editor is open. Without a run loop the view opens
// nothing: hosts take calls on their window thread only, so no thread of ours may drive it.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>

#include "graphics/editor_window.h"
#include "plug/vst3_effect.h"
#include "plug/vst3_view.h"

namespace {

using vst3::kResultOk;

// The editor's driver for as long as the view is attached; the host's references to the handlers
// are counted, but the view owns it and unregisters both before it goes.
class RunLoopDriver final : public IEditorLoop,
                            public vst3::IEventHandler,
                            public vst3::ITimerHandler {
 public:
  // Takes over the reference that came with the run loop.
  explicit RunLoopDriver(vst3::IRunLoop* loop) : loop_(loop) {}
  ~RunLoopDriver() override {
    Detach();
    loop_->release();
  }
  RunLoopDriver(const RunLoopDriver&) = delete;
  RunLoopDriver& operator=(const RunLoopDriver&) = delete;

  bool Attach(IEditorDriven& editor) override {
    editor_ = &editor;
    watching_ = loop_->registerEventHandler(this, editor.ConnectionFd()) == kResultOk;
    ticking_ = loop_->registerTimer(this, static_cast<vst3::TimerInterval>(
                                              std::max(editor.TickPeriodMs(), 1))) == kResultOk;
    if (watching_ && ticking_) return true;
    Detach();
    return false;
  }

  void Detach() override {
    if (watching_) loop_->unregisterEventHandler(this);
    if (ticking_) loop_->unregisterTimer(this);
    watching_ = ticking_ = false;
    editor_ = nullptr;
  }

  // A connection that is gone is watched no more; the ticks go on and do nothing.
  void onFDIsSet(vst3::FileDescriptor) override {
    if (editor_ && !editor_->EventsWaiting() && watching_) {
      loop_->unregisterEventHandler(this);
      watching_ = false;
    }
  }
  void onTimer() override {
    if (editor_) editor_->TickDue();
  }

  vst3::tresult queryInterface(const vst3::TUID iid, void** obj) override {
    if (!obj) return vst3::kInvalidArgument;
    *obj = nullptr;
    if (vst3::IsIid<vst3::FUnknown>(iid) || vst3::IsIid<vst3::IEventHandler>(iid))
      *obj = static_cast<vst3::IEventHandler*>(this);
    else if (vst3::IsIid<vst3::ITimerHandler>(iid))
      *obj = static_cast<vst3::ITimerHandler*>(this);
    if (!*obj) return vst3::kNoInterface;
    addRef();
    return kResultOk;
  }
  uint32_t addRef() override { return references_.fetch_add(1) + 1; }
  uint32_t release() override { return references_.fetch_sub(1) - 1; }

 private:
  vst3::IRunLoop* loop_;
  IEditorDriven* editor_ = nullptr;
  bool watching_ = false;
  bool ticking_ = false;
  std::atomic<uint32_t> references_{1};
};

}  // namespace

bool Vst3View::PlatformSupported(vst3::FIDString type) {
  return type && std::strcmp(type, vst3::kPlatformTypeX11EmbedWindowID) == 0;
}

bool Vst3View::TakeHostLoop() {
  void* found = nullptr;
  if (!frame_ || frame_->queryInterface(vst3::kIid<vst3::IRunLoop>.data(), &found) != kResultOk ||
      !found)
    return false;
  auto driver = std::make_unique<RunLoopDriver>(static_cast<vst3::IRunLoop*>(found));
  auto* editor = static_cast<IEditorWindow*>(effect_.GetEditor());
  if (!editor) return false;
  editor->SetHostLoop(driver.get());
  hostLoop_ = std::move(driver);
  return true;
}

void Vst3View::DropHostLoop() {
  if (auto* editor = static_cast<IEditorWindow*>(effect_.GetEditor())) editor->SetHostLoop(nullptr);
  hostLoop_.reset();
}

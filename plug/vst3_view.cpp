// The VST 3 view: sizes, the host's frame, and opening and closing the editor window.
#include "plug/vst3_view.h"

#include "graphics/graphics_core.h"
#include "plug/vst3_effect.h"

using vst3::kResultFalse;
using vst3::kResultOk;

Vst3View::Vst3View(IVst3Effect& effect) : effect_(effect) {
  effect_.addRef();
}

Vst3View::~Vst3View() {
  // A host that releases the view without removing it first still gets its window closed.
  if (attached_) removed();
  if (frame_) frame_->release();
  effect_.release();
}

vst3::tresult Vst3View::queryInterface(const vst3::TUID iid, void** obj) {
  if (!obj) return vst3::kInvalidArgument;
  *obj = nullptr;
  if (!vst3::IsIid<vst3::FUnknown>(iid) && !vst3::IsIid<vst3::IPlugView>(iid))
    return vst3::kNoInterface;
  *obj = static_cast<vst3::IPlugView*>(this);
  addRef();
  return kResultOk;
}

uint32_t Vst3View::addRef() {
  return references_.fetch_add(1) + 1;
}

uint32_t Vst3View::release() {
  const uint32_t left = references_.fetch_sub(1) - 1;
  if (left == 0) delete this;
  return left;
}

vst3::tresult Vst3View::isPlatformTypeSupported(vst3::FIDString type) {
  return PlatformSupported(type) ? kResultOk : kResultFalse;
}

vst3::tresult Vst3View::attached(void* parent, vst3::FIDString type) {
  if (attached_ || !parent || !PlatformSupported(type) || !TakeHostLoop()) return kResultFalse;
  attached_ = effect_.AttachView(this, parent);
  if (!attached_) DropHostLoop();
  return attached_ ? kResultOk : kResultFalse;
}

vst3::tresult Vst3View::removed() {
  if (!attached_) return kResultFalse;
  attached_ = false;
  effect_.DetachView(this);
  DropHostLoop();
  return kResultOk;
}

vst3::tresult Vst3View::onWheel(float) {
  return kResultFalse;
}

vst3::tresult Vst3View::onKeyDown(vst3::TChar, int16_t, int16_t) {
  return kResultFalse;
}

vst3::tresult Vst3View::onKeyUp(vst3::TChar, int16_t, int16_t) {
  return kResultFalse;
}

vst3::ViewRect Vst3View::EditorRect() const {
  const IGraphicsCore* editor = effect_.GetEditor();
  return {0, 0, editor ? editor->Width() : 0, editor ? editor->Height() : 0};
}

vst3::tresult Vst3View::getSize(vst3::ViewRect* size) {
  if (!size) return vst3::kInvalidArgument;
  *size = EditorRect();
  return kResultOk;
}

vst3::tresult Vst3View::onSize(vst3::ViewRect* newSize) {
  // The editor keeps its own size; the host hears of it again when it asks.
  if (!newSize) return vst3::kInvalidArgument;
  const vst3::ViewRect own = EditorRect();
  return newSize->right - newSize->left == own.right && newSize->bottom - newSize->top == own.bottom
             ? kResultOk
             : kResultFalse;
}

vst3::tresult Vst3View::onFocus(vst3::TBool) {
  return kResultOk;
}

vst3::tresult Vst3View::setFrame(vst3::IPlugFrame* frame) {
  if (frame) frame->addRef();
  if (frame_) frame_->release();
  frame_ = frame;
  return kResultOk;
}

vst3::tresult Vst3View::canResize() {
  return kResultFalse;
}

vst3::tresult Vst3View::checkSizeConstraint(vst3::ViewRect* rect) {
  if (!rect) return vst3::kInvalidArgument;
  *rect = EditorRect();
  return kResultOk;
}

void Vst3View::FollowEditorSize() {
  vst3::ViewRect size = EditorRect();
  if (frame_ && attached_) frame_->resizeView(this, &size);
}

// The editor as a VST 3 view: the instrument's editor window inside the host's, at the editor's
// fixed size (800 x 400).
//
// Threads: every call comes from the host's window thread. Creating a view opens nothing; the
// window opens in attached and closes in removed. The view holds a reference to the plug-in. On
// Linux the editor runs from the host's run loop, which the frame offers (no thread of ours).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "graphics/editor_loop.h"
#include "plug/vst3_abi.h"

class IVst3Effect;

class Vst3View final : public vst3::IPlugView {
 public:
  explicit Vst3View(IVst3Effect& effect);
  Vst3View(const Vst3View&) = delete;
  Vst3View& operator=(const Vst3View&) = delete;

  // Whether the editor opens in a parent of this platform type (per platform:
  // vst3_view_win32.cpp, vst3_view_linux.cpp).
  static bool PlatformSupported(vst3::FIDString type);

  vst3::tresult queryInterface(const vst3::TUID iid, void** obj) override;
  uint32_t addRef() override;
  uint32_t release() override;

  vst3::tresult isPlatformTypeSupported(vst3::FIDString type) override;
  vst3::tresult attached(void* parent, vst3::FIDString type) override;
  vst3::tresult removed() override;
  vst3::tresult onWheel(float distance) override;
  vst3::tresult onKeyDown(vst3::TChar key, int16_t keyCode, int16_t modifiers) override;
  vst3::tresult onKeyUp(vst3::TChar key, int16_t keyCode, int16_t modifiers) override;
  vst3::tresult getSize(vst3::ViewRect* size) override;
  vst3::tresult onSize(vst3::ViewRect* newSize) override;
  vst3::tresult onFocus(vst3::TBool state) override;
  vst3::tresult setFrame(vst3::IPlugFrame* frame) override;
  vst3::tresult canResize() override;
  vst3::tresult checkSizeConstraint(vst3::ViewRect* rect) override;

  // Asks the host's frame to take the editor's current size.
  void FollowEditorSize();

 private:
  ~Vst3View();
  vst3::ViewRect EditorRect() const;
  // Per platform, around opening and closing the editor: hands it the host's loop (Linux, from
  // the frame; false when the frame offers none) and takes it back.
  bool TakeHostLoop();
  void DropHostLoop();

  IVst3Effect& effect_;
  std::atomic<uint32_t> references_{1};
  vst3::IPlugFrame* frame_ = nullptr;
  bool attached_ = false;
  std::unique_ptr<IEditorLoop> hostLoop_;  // Linux: the frame's run loop as the editor's driver
};

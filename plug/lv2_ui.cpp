// The LV2 UI: the plug-in's own editor embedded in the host's parent window, reached through
// instance-access; edits go to the host through its write function, host values come back as
// port events. Every call here comes on the host's UI thread, which alone calls the host. A host
// that offers idle calls drives the editor's window with them; otherwise the editor's own thread
// does.
#include <lv2/instance-access/instance-access.h>
#include <lv2/ui/ui.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <new>
#include <string_view>

#include "graphics/editor_loop.h"
#include "graphics/editor_window.h"
#include "graphics/graphics_core.h"
#include "plug/lv2_entry.h"

namespace {

const void* FindFeature(const LV2_Feature* const* features, const char* uri, bool* present) {
  for (; features && *features; ++features) {
    if (std::strcmp((*features)->URI, uri) == 0) {
      if (present) *present = true;
      return (*features)->data;
    }
  }
  return nullptr;
}

// The host's idle calls as the editor's driver: what arrived, then a tick whenever one is due.
// suil calls every 33 ms, so ticks keep their own schedule rather than one per call.
class IdleLoop : public IEditorLoop {
 public:
  bool Attach(IEditorDriven& editor) override {
    editor_ = &editor;
    connected_ = true;
    nextTick_ = Clock::now();
    return true;
  }
  void Detach() override { editor_ = nullptr; }

  void Idle() {
    if (!editor_) return;
    if (connected_) connected_ = editor_->EventsWaiting();
    const auto now = Clock::now();
    if (now < nextTick_) return;
    editor_->TickDue();
    const auto period = std::chrono::milliseconds(editor_->TickPeriodMs());
    // After a stall the schedule starts afresh instead of catching up in a burst.
    nextTick_ = now - nextTick_ < period ? nextTick_ + period : now + period;
  }

 private:
  using Clock = std::chrono::steady_clock;
  IEditorDriven* editor_ = nullptr;
  bool connected_ = false;
  Clock::time_point nextTick_;
};

class Lv2Ui {
 public:
  Lv2Ui(ILv2Effect& plugin, LV2UI_Write_Function write, LV2UI_Controller controller,
        const LV2UI_Touch* touch, bool idle)
      : plugin_(plugin), write_(write), controller_(controller), touch_(touch), idle_(idle) {}

  ~Lv2Ui() {
    if (!open_) return;
    plugin_.EditorClosed();
    if (IGraphicsCore* editor = plugin_.GetEditor()) editor->CloseEditorWindow();
    DriveWith(nullptr);
  }

  // The editor's window inside parent, or null.
  void* Open(void* parent) {
    IGraphicsCore* editor = plugin_.GetEditor();
    // One UI at a time: a second would take the first one's window, which the first then closes.
    if (!editor || !parent || editor->GetEditorWindow()) return nullptr;
    if (idle_) DriveWith(&loop_);
    void* window = editor->OpenEditorWindow(parent);
    open_ = window != nullptr;
    if (open_)
      plugin_.EditorOpened();
    else
      DriveWith(nullptr);
    return window;
  }

  void PortEvent(uint32_t index, uint32_t size, uint32_t format, const void* buffer) {
    if (format == 0 && size == sizeof(float) && buffer &&
        index < static_cast<uint32_t>(plugin_.ParameterCount())) {
      float value = 0.0f;
      std::memcpy(&value, buffer, sizeof value);
      if (IGraphicsCore* editor = plugin_.GetEditor())
        editor->SetParameterFromPlugin(static_cast<int>(index), value, false);
    }
    // Without an idle call this is the only time the host lends us its thread.
    if (!idle_) TellHost();
  }

  int Idle() {
    loop_.Idle();
    TellHost();
    return 0;
  }

 private:
  // The loop that drives the editor's window from its next open on; null: its own thread.
  void DriveWith(IEditorLoop* loop) {
    if (auto* window = dynamic_cast<IEditorWindow*>(plugin_.GetEditor())) window->SetHostLoop(loop);
  }

  // Passes on what the plug-in left for the host: a gesture's start, the newest value, its end.
  void TellHost() {
    for (int i = 0; i < plugin_.ParameterCount(); ++i) {
      const ILv2Effect::Notice notice = plugin_.TakeNotice(i);
      const auto port = static_cast<uint32_t>(i);
      if (notice.begin && touch_) touch_->touch(touch_->handle, port, true);
      if (notice.value && write_) write_(controller_, port, sizeof(float), 0, &notice.plain);
      if (notice.end && touch_) touch_->touch(touch_->handle, port, false);
    }
  }

  ILv2Effect& plugin_;
  LV2UI_Write_Function write_;
  LV2UI_Controller controller_;
  const LV2UI_Touch* touch_;
  bool idle_;
  bool open_ = false;
  IdleLoop loop_;
};

Lv2Ui* Of(LV2UI_Handle handle) {
  return static_cast<Lv2Ui*>(handle);
}

LV2UI_Handle Instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char*,
                         LV2UI_Write_Function write, LV2UI_Controller controller,
                         LV2UI_Widget* widget, const LV2_Feature* const* features) {
  if (!widget || !pluginUri || std::string_view(pluginUri) != kLv2PluginUri) return nullptr;
  auto* plugin = static_cast<ILv2Effect*>(
      const_cast<void*>(FindFeature(features, LV2_INSTANCE_ACCESS_URI, nullptr)));
  void* parent = const_cast<void*>(FindFeature(features, LV2_UI__parent, nullptr));
  bool idle = false;
  FindFeature(features, LV2_UI__idleInterface, &idle);
  const auto* touch =
      static_cast<const LV2UI_Touch*>(FindFeature(features, LV2_UI__touch, nullptr));
  const auto* resize =
      static_cast<const LV2UI_Resize*>(FindFeature(features, LV2_UI__resize, nullptr));
  if (!plugin || !parent || !plugin->GetEditor()) return nullptr;

  auto* ui = new (std::nothrow) Lv2Ui(*plugin, write, controller, touch, idle);
  if (!ui) return nullptr;
  void* window = ui->Open(parent);
  if (!window) {
    delete ui;
    return nullptr;
  }
  *widget = window;
  const IGraphicsCore* editor = plugin->GetEditor();
  if (resize && resize->ui_resize)
    resize->ui_resize(resize->handle, editor->Width(), editor->Height());
  return ui;
}

void Cleanup(LV2UI_Handle handle) {
  delete Of(handle);
}

void PortEvent(LV2UI_Handle handle, uint32_t index, uint32_t size, uint32_t format,
               const void* buffer) {
  Of(handle)->PortEvent(index, size, format, buffer);
}

int Idle(LV2UI_Handle handle) {
  return Of(handle)->Idle();
}

const void* ExtensionData(const char* uri) {
  static const LV2UI_Idle_Interface idle = {&Idle};
  return std::string_view(uri) == LV2_UI__idleInterface ? &idle : nullptr;
}

const LV2UI_Descriptor kDescriptor = {kLv2UiUri, &Instantiate, &Cleanup, &PortEvent,
                                      &ExtensionData};

}  // namespace

LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) {
  return index == 0 ? &kDescriptor : nullptr;
}

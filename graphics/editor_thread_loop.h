// The editor's own driver, for hosts that offer no GUI loop (VST 2): a thread that waits on the
// connection's descriptor and the tick's timer, and calls the open window from there.
#pragma once

#include <atomic>
#include <thread>

#include "graphics/editor_loop.h"

class EditorThreadLoop final : public IEditorLoop {
 public:
  EditorThreadLoop() = default;
  ~EditorThreadLoop() override { Detach(); }
  EditorThreadLoop(const EditorThreadLoop&) = delete;
  EditorThreadLoop& operator=(const EditorThreadLoop&) = delete;

  // Starts the thread, which draws the first picture at once; false when no thread could be
  // started (nothing escapes).
  bool Attach(IEditorDriven& editor) override;
  // Wakes the thread and waits for it to end.
  void Detach() override;

 private:
  void Run(IEditorDriven& editor);

  std::thread thread_;
  std::atomic<bool> stop_{false};
  int wake_[2] = {-1, -1};
};

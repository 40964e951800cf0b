// The editor's own driver thread.
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>

#include <chrono>
#include <system_error>

#include "graphics/editor_thread_loop.h"

bool EditorThreadLoop::Attach(IEditorDriven& editor) {
  Detach();
  if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  stop_.store(false);
  try {
    thread_ = std::thread(&EditorThreadLoop::Run, this, std::ref(editor));
  } catch (const std::system_error&) {
    Detach();  // the host's request fails; it does not throw
    return false;
  }
  return true;
}

void EditorThreadLoop::Detach() {
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

void EditorThreadLoop::Run(IEditorDriven& editor) {
  using Clock = std::chrono::steady_clock;
  pthread_setname_np(pthread_self(), "tintinna-editor");
  const auto period = std::chrono::milliseconds(editor.TickPeriodMs());
  editor.TickDue();  // the first picture, once the host has its window
  auto next = Clock::now() + period;
  bool watching = true;
  while (!stop_.load()) {
    const auto now = Clock::now();
    if (now >= next) {
      editor.TickDue();
      next += period;
      if (next <= now) next = now + period;  // a late tick is not caught up
      continue;
    }
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(next - now).count() + 1;
    pollfd fds[2] = {{wake_[0], POLLIN, 0}, {watching ? editor.ConnectionFd() : -1, POLLIN, 0}};
    if (poll(fds, 2, static_cast<int>(wait)) > 0 && fds[1].revents != 0 && !stop_.load())
      watching = editor.EventsWaiting();
  }
}

// A progress bar on standard error for runs that take a while; drawn only on a terminal.
#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>

namespace host {

class ProgressBar {
 public:
  static constexpr std::chrono::milliseconds kDelay{500};

  // Nothing is drawn unless enabled; then only once the run has lasted delay, so short runs
  // leave no trace.
  ProgressBar(std::ostream& out, bool enabled, std::chrono::milliseconds delay = kDelay)
      : out_(out), enabled_(enabled), delay_(delay) {}
  ~ProgressBar() { Finish(); }
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  void Update(int64_t done, int64_t total);
  // Clears the bar's line.
  void Finish();

 private:
  std::ostream& out_;
  bool enabled_;
  std::chrono::milliseconds delay_;
  bool shown_ = false;
  int lastPercent_ = -1;
  uint32_t calls_ = 0;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// True when standard error is an interactive terminal; the platform half lives in
// terminal_linux.cpp and terminal_win32.cpp.
bool StderrIsTerminal();

}  // namespace host

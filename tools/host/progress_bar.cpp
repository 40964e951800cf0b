// The terminal progress bar.
#include "tools/host/progress_bar.h"

#include <string>

namespace host {

namespace {
constexpr int kWidth = 40;
// Reading the clock on every block would cost more than a small block's processing.
constexpr uint32_t kClockInterval = 256;
}  // namespace

void ProgressBar::Update(int64_t done, int64_t total) {
  if (!enabled_ || total <= 0) return;
  if (!shown_) {
    if (++calls_ % kClockInterval != 0) return;
    if (std::chrono::steady_clock::now() - start_ < delay_) return;
    shown_ = true;
  }
  const int percent = static_cast<int>(done * 100 / total);
  if (percent == lastPercent_) return;
  lastPercent_ = percent;
  const int filled = percent * kWidth / 100;
  out_ << "\r[" << std::string(static_cast<size_t>(filled), '#')
       << std::string(static_cast<size_t>(kWidth - filled), ' ') << "] " << percent << "%"
       << std::flush;
}

void ProgressBar::Finish() {
  if (!shown_) return;
  out_ << "\r" << std::string(kWidth + 8, ' ') << "\r" << std::flush;
  shown_ = false;
}

}  // namespace host

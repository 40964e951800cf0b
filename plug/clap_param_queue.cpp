// The queue of parameter events bound for a CLAP host.
#include "plug/clap_param_queue.h"

#include <algorithm>

ClapParamQueue::ClapParamQueue(int parameterCount)
    : entries_(kCapacity),
      open_(static_cast<size_t>(std::max(parameterCount, 0))),
      stale_(open_.size()) {}

bool ClapParamQueue::Valid(int param) const noexcept {
  return param >= 0 && static_cast<size_t>(param) < open_.size();
}

void ClapParamQueue::Push(Kind kind, int param, double value, uint32_t frame) noexcept {
  const uint32_t earliest = count_ > 0 ? entries_[count_ - 1].frame : 0;
  entries_[count_++] = {std::max(frame, earliest), kind, static_cast<uint32_t>(param), value};
}

void ClapParamQueue::Begin(int param, uint32_t frame) {
  // Room is kept for an end of every gesture that is open, this one's included.
  if (!Valid(param) || open_[param] || kCapacity - count_ <= static_cast<size_t>(openCount_) + 1)
    return;
  open_[param] = 1;
  ++openCount_;
  Push(Kind::kBegin, param, 0.0, frame);
}

void ClapParamQueue::Value(int param, double value, uint32_t frame) {
  if (!Valid(param)) return;
  // Values leave room for a begin and an end of every parameter, so a flood of values never
  // costs the host a gesture.
  if (kCapacity - count_ > 2 * open_.size() && !stale_[param]) {
    Push(Kind::kValue, param, value, frame);
  } else if (!stale_[param]) {
    // Once stale, later values of the parameter wait too: the one sent last must be the newest.
    stale_[param] = 1;
    ++staleCount_;
  }
}

void ClapParamQueue::End(int param, uint32_t frame) {
  if (!Valid(param) || !open_[param]) return;
  open_[param] = 0;
  --openCount_;
  Push(Kind::kEnd, param, 0.0, frame);
}

bool ClapParamQueue::IsStale(int param) const noexcept {
  return Valid(param) && stale_[param];
}

void ClapParamQueue::Clear() noexcept {
  count_ = 0;
  if (staleCount_ == 0) return;
  std::fill(stale_.begin(), stale_.end(), 0);
  staleCount_ = 0;
}

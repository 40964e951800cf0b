// The simulated transport: song position, musical position and bar start from the sample count.
#include "tools/host/host_transport.h"

#include <cmath>

namespace host {

Transport::Transport(double sampleRate, double tempo, int32_t numerator, int32_t denominator)
    : sampleRate_(sampleRate), tempo_(tempo), numerator_(numerator), denominator_(denominator) {}

void Transport::Start() {
  samplePos_ = 0;
  playing_ = true;
  changed_ = true;
}

void Transport::Stop() {
  playing_ = false;
  changed_ = true;
}

void Transport::Advance(int32_t frames) {
  if (playing_) samplePos_ += frames;
  changed_ = false;
}

double Transport::PpqAt(int64_t sample) const {
  return static_cast<double>(sample) / sampleRate_ * tempo_ / 60.0;
}

double Transport::BarStartAt(double ppq) const {
  const double quartersPerBar = numerator_ * 4.0 / denominator_;
  // A tiny tolerance keeps a position that lands on a bar line from rounding into the bar before.
  return std::floor(ppq / quartersPerBar + 1e-9) * quartersPerBar;
}

TransportState Transport::State() const {
  TransportState state;
  state.sampleRate = sampleRate_;
  state.tempo = tempo_;
  state.numerator = numerator_;
  state.denominator = denominator_;
  state.samplePosition = samplePos_;
  state.ppqPosition = PpqAt(samplePos_);
  state.barStart = BarStartAt(state.ppqPosition);
  state.playing = playing_;
  state.changed = changed_;
  return state;
}

}  // namespace host

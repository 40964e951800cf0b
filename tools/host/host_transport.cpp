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

vst2::VstTimeInfo Transport::TimeInfo() const {
  vst2::VstTimeInfo info{};
  info.samplePos = static_cast<double>(samplePos_);
  info.sampleRate = sampleRate_;
  info.nanoSeconds = static_cast<double>(samplePos_) / sampleRate_ * 1e9;
  info.ppqPos = PpqAt(samplePos_);
  info.tempo = tempo_;
  info.barStartPos = BarStartAt(info.ppqPos);
  info.timeSigNumerator = numerator_;
  info.timeSigDenominator = denominator_;
  info.flags = vst2::kVstNanosValid | vst2::kVstPpqPosValid | vst2::kVstTempoValid |
               vst2::kVstBarsValid | vst2::kVstTimeSigValid;
  if (playing_) info.flags |= vst2::kVstTransportPlaying;
  if (changed_) info.flags |= vst2::kVstTransportChanged;
  return info;
}

}  // namespace host

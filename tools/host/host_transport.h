// The simulated transport of the host: a song position that advances block by block at a fixed
// tempo and time signature.
#pragma once

#include <cstdint>

#include "tools/host/plugin_instance.h"

namespace host {

class Transport {
 public:
  // rate in Hz, tempo in quarter notes per minute, time signature numerator / denominator.
  Transport(double sampleRate, double tempo, int32_t numerator, int32_t denominator);

  // Starts playing from sample 0.
  void Start();
  void Stop();
  // Moves the song position by one block; called after each processing call.
  void Advance(int32_t frames);

  int64_t SamplePosition() const { return samplePos_; }
  bool Playing() const { return playing_; }
  double SampleRate() const { return sampleRate_; }
  double Tempo() const { return tempo_; }

  // The state at the current position. The position is derived from the sample count alone (no
  // wall clock), so runs are repeatable. changed is set only until the first block after Start
  // or Stop has been processed.
  TransportState State() const;

  // Quarter notes from the song start to sample s, and the start of the bar that contains them.
  double PpqAt(int64_t sample) const;
  double BarStartAt(double ppq) const;

 private:
  double sampleRate_;
  double tempo_;
  int32_t numerator_;
  int32_t denominator_;
  int64_t samplePos_ = 0;
  bool playing_ = false;
  bool changed_ = true;
};

}  // namespace host

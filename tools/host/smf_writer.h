// Standard MIDI File output: the collected events as a format 1 file with a tempo track and
// one track of the plug-in's MIDI, timed exactly from their sample positions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/host/host_observer.h"

namespace host {

struct SmfSettings {
  int32_t sampleRate = 44100;
  double tempo = 120.0;
  int32_t ticksPerQuarter = 960;
  int32_t numerator = 4;
  int32_t denominator = 4;  // a power of two
  std::string trackName;
};

class SmfWriter {
 public:
  // The tempo as the file stores it: whole microseconds per quarter note, 1 to 0xFFFFFF.
  static uint32_t MicrosecondsPerQuarter(double tempo);

  // The tick nearest to sample (halves round up) at the file's tempo. Integer arithmetic only,
  // so the same inputs give the same tick on every machine. Negative samples give tick 0.
  static int64_t SampleToTick(int64_t sample, int32_t sampleRate, int32_t ticksPerQuarter,
                              uint32_t microsecondsPerQuarter);

  // Appends a variable-length quantity (7 bits per byte, most significant first). value must
  // not exceed kMaxVariableLength.
  static void AppendVariableLength(std::vector<uint8_t>& out, uint32_t value);
  static constexpr uint32_t kMaxVariableLength = 0x0FFFFFFF;

  // The whole file. Events are ordered by sample time; events at the same time keep the order
  // in which the plug-in sent them. Only channel messages are written; others are dropped.
  static std::vector<uint8_t> Build(const std::vector<HostMidiEvent>& events,
                                    const SmfSettings& settings);

  static bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes,
                        std::string& error);
};

}  // namespace host

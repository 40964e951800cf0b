// Standard MIDI File input for --midi-in: the channel messages of a format 0 or 1 file, placed
// on the host's timeline at the run's rate and tempo.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "tools/host/host_observer.h"

namespace host {

// The file's own tempo changes are not followed: a quarter note lasts as long as at tempo, so a
// file this host wrote plays back where its events were. SMPTE-timed files keep their own time.
// Times are rounded to the nearest frame with integer arithmetic. Messages come in time order,
// those at the same time in track and file order; SysEx and meta events are skipped, and an
// end-of-track event ends a track. Bad input (not a MIDI file, format 2, chunks or events cut
// short or running past their chunk, stray status or data bytes) gives false with a one-line
// reason and no events.
class SmfReader {
 public:
  static bool Parse(std::span<const uint8_t> bytes, int32_t sampleRate, double tempo,
                    std::vector<HostMidiEvent>& events, std::string& error);
  // The error starts with the path.
  static bool ReadFile(const std::string& path, int32_t sampleRate, double tempo,
                       std::vector<HostMidiEvent>& events, std::string& error);
};

}  // namespace host

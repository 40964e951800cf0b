// A picture of a run: the notes as a piano roll, one row per note played, and the controller
// streams (the wind) below it on the same time axis. Drawn with cairo, written as PNG.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tools/host/host_observer.h"

namespace host {

struct PlottedNote {
  int note = 0;
  int velocity = 0;
  int64_t start = 0;  // samples
  int64_t end = 0;
};

struct ControllerStream {
  int channel = 0;
  int controller = 0;
  std::vector<std::pair<int64_t, int>> values;  // sample time, value; in time order
};

class PianoRoll {
 public:
  static constexpr int kWidth = 1600;
  static constexpr int kLeft = 84;  // the note names sit left of the plot area
  static constexpr int kRight = 24;
  static constexpr int kRollTop = 72;  // below the title
  static constexpr int kWindGap = 24;
  static constexpr int kWindHeight = 140;
  static constexpr int kAxisHeight = 44;

  // frames: the run's length; notes still sounding then end there.
  PianoRoll(const std::vector<HostMidiEvent>& events, int32_t sampleRate, int64_t frames);

  // Notes top to bottom, highest first.
  const std::vector<int>& Rows() const { return rows_; }
  const std::vector<PlottedNote>& Notes() const { return notes_; }
  const std::vector<ControllerStream>& Streams() const { return streams_; }

  int RowHeight() const;
  int RowTop(size_t row) const { return kRollTop + static_cast<int>(row) * RowHeight(); }
  int WindTop() const { return RowTop(std::max<size_t>(rows_.size(), 1)) + kWindGap; }
  int Height() const { return WindTop() + kWindHeight + kAxisHeight; }
  // Horizontal position of a sample time.
  double X(int64_t sample) const;

  // The picture as PNG bytes; empty if cairo failed. Same input, same bytes.
  std::vector<unsigned char> DrawPng(const std::string& title, const std::string& subtitle) const;

 private:
  int32_t sampleRate_;
  int64_t frames_;
  std::vector<int> rows_;
  std::vector<PlottedNote> notes_;
  std::vector<ControllerStream> streams_;
};

}  // namespace host

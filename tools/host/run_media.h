// What --wav and --plot make of a run: the audio, rendered in step with it, and its picture.
// Set up before the run so that a bad SoundFont or output path fails at once.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "tools/host/host_observer.h"
#include "tools/host/host_options.h"
#include "tools/host/host_session.h"
#include "tools/host/progress_bar.h"

namespace host {

// Audio goes on this long after the run, so the last strikes ring out.
constexpr double kTailSeconds = 3.0;

class RunMedia {
 public:
  virtual ~RunMedia() = default;

  // Frames rendered after the run (none without --wav).
  virtual int64_t TailFrames() const = 0;
  virtual void OnMidiEvent(const HostMidiEvent& event) = 0;
  // The run has processed frames [0, end).
  virtual void OnRunAdvanced(int64_t end) = 0;
  // Renders the tail, moving the bar on to runFrames + TailFrames(), and writes the files.
  virtual bool Finish(const SessionReport& report, const std::vector<HostMidiEvent>& events,
                      ProgressBar& bar, std::string& error) = 0;
  // The summary's lines about the files written.
  virtual void PrintSummary(std::ostream& out) const = 0;
};

// Null without --wav and --plot; null with a one-line error if they cannot be made (SoundFont,
// instrument, rate, output paths, or a build without the audio and drawing libraries).
std::unique_ptr<RunMedia> PrepareRunMedia(const HostOptions& options, std::string& error);

}  // namespace host

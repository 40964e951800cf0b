// One run of a plug-in from load to unload: the host's engine, shared by the command line and
// the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/host/host_observer.h"
#include "tools/host/host_options.h"

namespace host {

struct SessionReport {
  std::string effectName;
  std::string vendorName;
  std::string pluginId;
  std::string version;
  int32_t numParams = 0;
  int32_t numPrograms = 0;
  // "name = display label" for each parameter that was set, in order.
  std::vector<std::string> parameterSettings;
  // "name = value at S s (block at N)" for each automation point, in the order applied.
  std::vector<std::string> automationSettings;
  // "name = display label" of each parameter that program, state and settings left away from
  // the value the plug-in opened with.
  std::vector<std::string> changedSettings;
  int64_t frames = 0;
  int64_t blocks = 0;
  int64_t automationNotices = 0;
  // Events the plug-in sent outside their processing call, or out of time order in it.
  int64_t eventsOutsideCall = 0;
  int64_t eventsOutOfOrder = 0;
  // Notes still sounding when the run ended, closed by the host at the end time.
  int closedNotes = 0;
  size_t stateBytesSaved = 0;
  // Channel messages in the --midi-in file, and those delivered before the run ended.
  int64_t midiInEvents = 0;
  int64_t midiInDelivered = 0;
};

// Loads options.pluginPath in its format, opens it, applies program, state and parameters,
// processes options.seconds of audio in blocks of options.blockSize with a playing transport
// (with the automation and the incoming MIDI of each block), saves the state if asked, and
// closes and unloads it. Events reach observer as they are sent; notes still sounding at the end
// get a note-off at the end time, so no run ends with a note on. Returns false with a one-line
// error (missing file, not a plug-in, unknown parameter, bad value, unreadable state or MIDI
// file, automation after the end) after closing whatever was opened.
bool RunSession(const HostOptions& options, HostObserver& observer, SessionReport& report,
                std::string& error);

// The run's length in frames: seconds × rate, rounded to the nearest frame, at least 1.
int64_t SessionFrames(const HostOptions& options);

}  // namespace host

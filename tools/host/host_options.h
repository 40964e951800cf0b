// The command line of tintinna-host.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/host/instrument_names.h"

namespace host {

// The small General MIDI SoundFont that the bootstrap installs, and its Debian package.
constexpr const char* kDefaultSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
constexpr const char* kDefaultSoundFontPackage = "timgm6mb-soundfont";

struct ParameterAssignment {
  std::string key;    // parameter name or index
  std::string value;  // as displayed, or normalized 0..1
  bool normalized = false;
};

// A parameter value the host applies during the run, before the first block that starts at or
// after seconds (rounded to the nearest frame).
struct AutomationPoint {
  ParameterAssignment assignment;
  double seconds = 0.0;
};

struct HostOptions {
  std::string pluginPath;
  int32_t sampleRate = 44100;
  int32_t blockSize = 512;
  double tempo = 120.0;
  int32_t numerator = 4;
  int32_t denominator = 4;
  double seconds = 60.0;
  std::vector<ParameterAssignment> assignments;  // in command-line order
  std::vector<AutomationPoint> automation;       // in command-line order
  std::string midiInPath;                        // empty: no MIDI into the plug-in
  int32_t program = -1;                          // -1: leave the plug-in's own
  std::string loadState;
  std::string saveState;
  std::string midiPath = "tintinna.mid";  // empty: no file
  std::string wavPath;                    // empty: no audio
  bool wavFloat = false;                  // 32-bit float samples instead of 24-bit integers
  std::string soundFont;                  // empty: kDefaultSoundFont
  int32_t instrument = kTubularBells;     // General MIDI program from 0
  std::string plotPath;                   // empty: no picture
  bool printEvents = false;
  bool quiet = false;
  bool help = false;
};

struct ParseResult {
  bool ok = false;
  std::string error;  // one line, without the program name
  HostOptions options;
};

// args excludes the program name. "--name value" and "--name=value" are both accepted.
ParseResult ParseOptions(const std::vector<std::string>& args);

std::string UsageText();

// Limits of the options, shared with the help text.
constexpr int32_t kMinSampleRate = 1000;
constexpr int32_t kMaxSampleRate = 1000000;
constexpr int32_t kMaxBlockSize = 65536;
constexpr double kMaxTempo = 999.0;
constexpr double kMaxSeconds = 7.0 * 24 * 3600;

}  // namespace host

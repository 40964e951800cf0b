// Command-line parsing for tintinna-host.
#include "tools/host/host_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace host {

namespace {

bool ParseInteger(const std::string& text, long long low, long long high, int32_t& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || value < low || value > high) return false;
  out = static_cast<int32_t>(value);
  return true;
}

bool ParseReal(const std::string& text, double low, double high, double& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (*end != '\0' || !std::isfinite(value) || value < low || value > high) return false;
  out = value;
  return true;
}

bool ParseTimeSignature(const std::string& text, int32_t& numerator, int32_t& denominator) {
  const auto slash = text.find('/');
  if (slash == std::string::npos) return false;
  int32_t top = 0;
  int32_t bottom = 0;
  if (!ParseInteger(text.substr(0, slash), 1, 32, top) ||
      !ParseInteger(text.substr(slash + 1), 1, 32, bottom) || (bottom & (bottom - 1)) != 0) {
    return false;
  }
  numerator = top;
  denominator = bottom;
  return true;
}

bool ParseAssignment(const std::string& text, bool normalized, ParameterAssignment& out) {
  const auto equals = text.find('=');
  if (equals == std::string::npos || equals == 0 || equals + 1 == text.size()) return false;
  out.key = text.substr(0, equals);
  out.value = text.substr(equals + 1);
  out.normalized = normalized;
  return true;
}

// NAME=VALUE@SECONDS; the last @ separates the time, so names and values may contain one.
bool ParseAutomation(const std::string& text, bool normalized, AutomationPoint& out) {
  const auto at = text.rfind('@');
  return at != std::string::npos &&
         ParseAssignment(text.substr(0, at), normalized, out.assignment) &&
         ParseReal(text.substr(at + 1), 0.0, kMaxSeconds, out.seconds);
}

}  // namespace

ParseResult ParseOptions(const std::vector<std::string>& args) {
  ParseResult result;
  HostOptions& o = result.options;
  auto fail = [&result](std::string message) {
    result.ok = false;
    result.error = std::move(message);
    return result;
  };

  for (size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    if (arg.size() < 2 || arg[0] != '-' || arg == "--") {
      if (arg == "--" && i + 1 < args.size()) arg = args[++i];
      if (!o.pluginPath.empty()) return fail("more than one plug-in given: " + arg);
      o.pluginPath = arg;
      continue;
    }
    std::string name = arg;
    std::string value;
    bool hasValue = false;
    if (const auto equals = arg.find('='); arg.rfind("--", 0) == 0 && equals != std::string::npos) {
      name = arg.substr(0, equals);
      value = arg.substr(equals + 1);
      hasValue = true;
    }
    // Switches first; everything else takes one value.
    if (name == "--help" || name == "-h") {
      o.help = true;
      continue;
    }
    if (name == "--events" || name == "--quiet" || name == "--no-midi") {
      if (hasValue) return fail(name + " takes no value");
      if (name == "--events") o.printEvents = true;
      if (name == "--quiet") o.quiet = true;
      if (name == "--no-midi") o.midiPath.clear();
      continue;
    }
    static const char* const kValued[] = {"--rate",
                                          "--block",
                                          "--tempo",
                                          "--time-signature",
                                          "--seconds",
                                          "--set",
                                          "--set-normalized",
                                          "--automate",
                                          "--program",
                                          "--load-state",
                                          "--save-state",
                                          "--automate-normalized",
                                          "--midi",
                                          "--midi-in",
                                          "--wav",
                                          "--wav-format",
                                          "--soundfont",
                                          "--instrument",
                                          "--plot"};
    bool known = false;
    for (const char* candidate : kValued) known = known || name == candidate;
    if (!known) return fail("unknown option " + name);
    if (!hasValue) {
      if (i + 1 >= args.size()) return fail(name + " needs a value");
      value = args[++i];
    }

    if (name == "--rate") {
      if (!ParseInteger(value, kMinSampleRate, kMaxSampleRate, o.sampleRate)) {
        return fail("bad --rate '" + value + "' (whole Hz from 1000 to 1000000)");
      }
    } else if (name == "--block") {
      if (!ParseInteger(value, 1, kMaxBlockSize, o.blockSize)) {
        return fail("bad --block '" + value + "' (1 to 65536 frames)");
      }
    } else if (name == "--tempo") {
      if (!ParseReal(value, 1.0, kMaxTempo, o.tempo)) {
        return fail("bad --tempo '" + value + "' (1 to 999 quarter notes per minute)");
      }
    } else if (name == "--time-signature") {
      if (!ParseTimeSignature(value, o.numerator, o.denominator)) {
        return fail("bad --time-signature '" + value + "' (like 3/4; denominator a power of 2)");
      }
    } else if (name == "--seconds") {
      if (!ParseReal(value, 0.0, kMaxSeconds, o.seconds) || o.seconds <= 0.0) {
        return fail("bad --seconds '" + value + "' (more than 0, at most 604800)");
      }
    } else if (name == "--set" || name == "--set-normalized") {
      ParameterAssignment assignment;
      if (!ParseAssignment(value, name == "--set-normalized", assignment)) {
        return fail("bad " + name + " '" + value + "' (expected NAME=VALUE or INDEX=VALUE)");
      }
      o.assignments.push_back(assignment);
    } else if (name == "--automate" || name == "--automate-normalized") {
      AutomationPoint point;
      if (!ParseAutomation(value, name == "--automate-normalized", point)) {
        return fail("bad " + name + " '" + value +
                    "' (expected NAME=VALUE@SECONDS or INDEX=VALUE@SECONDS)");
      }
      o.automation.push_back(point);
    } else if (name == "--program") {
      if (!ParseInteger(value, 0, 0x7FFFFFFF, o.program)) {
        return fail("bad --program '" + value + "' (a program number from 0)");
      }
    } else if (name == "--instrument") {
      const int program = FindInstrument(value);
      if (program < 0) {
        return fail("unknown --instrument '" + value +
                    "' (a General MIDI name such as tubular-bells, celesta, glockenspiel, "
                    "music-box, vibraphone, or a program number 1 to 128)");
      }
      o.instrument = program;
    } else if (name == "--wav-format") {
      if (value != "24" && value != "float") {
        return fail("bad --wav-format '" + value + "' (24 or float)");
      }
      o.wavFloat = value == "float";
    } else if (value.empty()) {
      return fail(name + " needs a file name");
    } else if (name == "--load-state") {
      o.loadState = value;
    } else if (name == "--save-state") {
      o.saveState = value;
    } else if (name == "--midi") {
      o.midiPath = value;
    } else if (name == "--midi-in") {
      o.midiInPath = value;
    } else if (name == "--wav") {
      o.wavPath = value;
    } else if (name == "--soundfont") {
      o.soundFont = value;
    } else if (name == "--plot") {
      o.plotPath = value;
    }
  }
  if (!o.help && o.pluginPath.empty()) return fail("no plug-in given");
  result.ok = true;
  return result;
}

std::string UsageText() {
  return R"(usage: tintinna-host [options] PLUGIN

Loads a plug-in, runs it with a playing transport over silent stereo input, records the MIDI it
sends into a Standard MIDI File and prints a summary; it can also render that MIDI to audio and
draw it. PLUGIN is a VST 2 library or a VST 3 bundle (NAME.vst3, or its module file); a path
ending in .clap or .lv2 names a plug-in of that format, which a build hosts once it has the
format's loader.

options:
  --rate HZ               sample rate, whole Hz (default 44100)
  --block FRAMES          frames per processing call (default 512)
  --tempo BPM             transport tempo (default 120)
  --time-signature N/D    transport time signature (default 4/4)
  --seconds S             length of the run (default 60)
  --set NAME=VALUE        set a parameter, by name or index, to a value as the plug-in
                          displays it: --set WSpeed=25, --set "CC A=on" (repeatable)
  --set-normalized NAME=V set a parameter to the raw normalized value V from 0 to 1
                          (repeatable)
  --automate NAME=VALUE@S set a parameter as --set does, S seconds into the run: the host
                          applies it right before the first block that starts at or after S,
                          the same way for every plug-in format (repeatable)
  --automate-normalized NAME=V@S
                          the same with a raw value V from 0 to 1 (repeatable)
  --program N             select program N before the state and the parameters are applied
  --load-state FILE       restore the plug-in's state from FILE (VST 2: the bank chunk,
                          effSetChunk index 0; VST 3: the component's state)
  --save-state FILE       save the plug-in's state after the run (VST 2: effGetChunk index 0;
                          VST 3: the component's getState)
  --midi FILE             MIDI file to write (default tintinna.mid)
  --no-midi               write no MIDI file
  --midi-in FILE.mid      play the channel messages of a Standard MIDI File (format 0 or 1)
                          into the plug-in, each at its time at --tempo (the file's own tempo
                          is not followed), delivered with the block it falls in at its offset
  --wav FILE              also play the MIDI through a SoundFont synth, sample by sample, and
                          write the audio, with a 3 s tail, as a WAV file
  --wav-format F          24 (24-bit integer samples, the default) or float (32-bit float)
  --soundfont FILE        SoundFont for --wav (default /usr/share/sounds/sf2/TimGM6mb.sf2)
  --instrument NAME|N     General MIDI program for --wav: a name such as tubular-bells (the
                          default), celesta, glockenspiel, music-box, vibraphone, marimba,
                          crystal, or a number 1 to 128
  --plot FILE.png         draw the run as a piano roll over the wind's controller stream
  --events                print every event the plug-in sends, in the order it sends them
  --quiet                 print nothing but errors
  --help                  show this text

Order of set-up: open, sample rate, block size, program, state, parameters, then the run;
automation and incoming MIDI come before the processing call of their block, in that order.
A parameter value is matched against the plug-in's display text; the host searches for it by
bisection, so numeric displays must grow or fall steadily with the value.
Exit status: 0 success, 1 the run failed (or, with --wav, sent no notes), 2 bad command line.
)";
}

}  // namespace host

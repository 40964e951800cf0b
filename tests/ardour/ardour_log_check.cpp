// Checks what reached the MIDI logger in Ardour against the stream the engine means to send.
//
// usage: ardour_log_check BLOCK LOGGER_LOG HOST_EVENTS ARDOUR_OUTPUT
//   LOGGER_LOG     the logger plug-in's file (see midi_logger_plugin.cpp)
//   HOST_EVENTS    `tintinna-host --events` for the same settings, rate and block size
//   ARDOUR_OUTPUT  everything Ardour printed
//
// The engine advances only over calls made while the transport plays, so its stream is a
// function of those calls' lengths; tintinna-host, which plays from its first call in blocks of
// BLOCK, produces the same stream as long as Ardour's playing calls are BLOCK frames each,
// which is checked. The logger's first playing call is at the song position Ardour reports for
// it (0, unless the logger joined late); from there on the logger's own count of frames gives
// the time, since Ardour may repeat a position while the transport starts. Every note-on and
// note-off and controller the engine means to send before the transport stops must arrive at its
// time, in the engine's order (by time, and as sent at equal times), and nothing else may arrive.
// The parameter values printed before the session was saved must be the ones printed after it
// was loaded again.
// Exit status: 0 all arrived, 1 a fault found, 2 the files could not be read.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Note {
  long long time = 0;
  int status = 0;
  int key = 0;
  int velocity = 0;

  bool operator==(const Note&) const = default;
};

// Notes and controllers: what the engine sends.
bool IsNote(int status) {
  const int kind = status & 0xF0;
  return kind == 0x80 || kind == 0x90 || kind == 0xB0;
}

std::string Describe(const Note& n) {
  char text[64];
  const int kind = n.status & 0xF0;
  std::snprintf(text, sizeof text, "%lld %s %02X %02X %02X", n.time,
                kind == 0xB0                     ? "cc "
                : kind == 0x90 && n.velocity > 0 ? "on "
                                                 : "off",
                n.status, n.key, n.velocity);
  return text;
}

struct LoggerRun {
  std::vector<Note> notes;   // arrival order, times from the first playing call
  long long origin = -1;     // logger count at the first playing call
  long long originTime = 0;  // song position Ardour gave for that call
  long long stop = -1;       // time of the first call after that which is not playing
  int playingCalls = 0;
  int unevenCalls = 0;     // playing calls of another length than the block
  int misplacedCalls = 0;  // playing calls whose host position disagrees with the count
  int unorderedCalls = 0;  // calls whose events were not in time order
  int outsideEvents = 0;   // events with deltaFrames outside [0, frames)
  int droppedEvents = 0;   // more events in a call than the logger holds
  int controllers = 0;

  long long Time(long long count) const { return count - origin + originTime; }
};

bool ReadLoggerLog(const std::string& path, int block, LoggerRun& run) {
  std::ifstream in(path);
  if (!in) return false;
  std::string line;
  long long callStart = 0;
  int callFrames = 0;
  int lastDelta = 0;
  bool callUnordered = false;
  bool callPlaying = false;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string kind;
    fields >> kind;
    if (kind == "call") {
      double samplePos = 0.0;
      int playing = 0;
      fields >> callStart >> callFrames >> samplePos >> playing;
      lastDelta = 0;
      callUnordered = false;
      callPlaying = playing == 1 && run.stop < 0;
      if (callPlaying && run.origin < 0) {
        run.origin = callStart;
        run.originTime = samplePos > 0.0 ? static_cast<long long>(samplePos) : 0;
      }
      if (!callPlaying && run.origin >= 0 && run.stop < 0) run.stop = run.Time(callStart);
      if (callPlaying) {
        ++run.playingCalls;
        if (callFrames != block) ++run.unevenCalls;
        if (samplePos != static_cast<double>(run.Time(callStart))) ++run.misplacedCalls;
      }
    } else if (kind == "midi" || kind == "other") {
      long long at = 0;
      int delta = 0;
      fields >> at >> delta;
      if (delta < 0 || delta >= callFrames) ++run.outsideEvents;
      if (delta < lastDelta && !callUnordered) {
        ++run.unorderedCalls;
        callUnordered = true;
      }
      lastDelta = delta;
      if (kind == "other" || run.origin < 0) continue;
      unsigned status = 0, key = 0, velocity = 0;
      fields >> std::hex >> status >> key >> velocity;
      if ((status & 0xF0) == 0xB0) ++run.controllers;
      if (IsNote(static_cast<int>(status))) {
        run.notes.push_back({run.Time(at), static_cast<int>(status), static_cast<int>(key),
                             static_cast<int>(velocity)});
      }
    } else if (kind == "dropped") {
      int count = 0;
      fields >> count;
      run.droppedEvents += count;
    }
  }
  if (run.origin >= 0 && run.stop < 0) run.stop = run.Time(callStart + callFrames);
  return true;
}

bool IsByte(const std::string& t) {
  return t.size() == 2 && std::isxdigit(static_cast<unsigned char>(t[0])) &&
         std::isxdigit(static_cast<unsigned char>(t[1]));
}

// Lines of `tintinna-host --events`: ABSOLUTE SECONDSs "block" START +DELTA BYTE BYTE BYTE ...
bool ReadHostEvents(const std::string& path, std::vector<Note>& notes, long long& end) {
  std::ifstream in(path);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::vector<std::string> tokens;
    for (std::string t; fields >> t;) tokens.push_back(t);
    if (tokens.size() < 8 || tokens[0].find_first_not_of("0123456789") != std::string::npos ||
        tokens[1].back() != 's') {
      continue;
    }
    const auto plus = std::find_if(tokens.begin(), tokens.end(),
                                   [](const std::string& t) { return t[0] == '+'; });
    if (tokens.end() - plus < 4 || !IsByte(plus[1]) || !IsByte(plus[2]) || !IsByte(plus[3])) {
      continue;
    }
    Note n;
    n.time = std::atoll(tokens[0].c_str());
    n.status = static_cast<int>(std::strtol(plus[1].c_str(), nullptr, 16));
    n.key = static_cast<int>(std::strtol(plus[2].c_str(), nullptr, 16));
    n.velocity = static_cast<int>(std::strtol(plus[3].c_str(), nullptr, 16));
    end = std::max(end, n.time);
    if (IsNote(n.status)) notes.push_back(n);
  }
  // The engine sends a block's messages as it computes them; the host hears them in time order.
  std::stable_sort(notes.begin(), notes.end(),
                   [](const Note& a, const Note& b) { return a.time < b.time; });
  return true;
}

int CountLines(const std::string& path, const std::string& needle) {
  std::ifstream in(path);
  int count = 0;
  for (std::string line; std::getline(in, line);) count += line.find(needle) != std::string::npos;
  return count;
}

int NoteOns(const std::vector<Note>& notes) {
  return static_cast<int>(std::count_if(notes.begin(), notes.end(), [](const Note& n) {
    return (n.status & 0xF0) == 0x90 && n.velocity > 0;
  }));
}

int Controllers(const std::vector<Note>& notes) {
  return static_cast<int>(std::count_if(notes.begin(), notes.end(),
                                        [](const Note& n) { return (n.status & 0xF0) == 0xB0; }));
}

std::string Summary(const std::vector<Note>& notes) {
  const int ons = NoteOns(notes), controllers = Controllers(notes);
  return std::to_string(ons) + " note-ons, " +
         std::to_string(static_cast<int>(notes.size()) - ons - controllers) + " note-offs, " +
         std::to_string(controllers) + " controllers";
}

// Lines "roll_session: WHEN parameter INDEX = VALUE" of the Ardour output, for one WHEN.
std::vector<std::string> ParameterLines(const std::string& path, const std::string& when) {
  std::ifstream in(path);
  std::vector<std::string> values;
  const std::string prefix = "roll_session: " + when + " parameter ";
  for (std::string line; std::getline(in, line);)
    if (line.rfind(prefix, 0) == 0) values.push_back(line.substr(prefix.size()));
  return values;
}

// Notes of `from` that `other` lacks, matched one to one on time and bytes.
std::vector<Note> Unmatched(const std::vector<Note>& from, std::vector<Note> other) {
  std::vector<Note> left;
  for (const Note& n : from) {
    const auto found = std::find(other.begin(), other.end(), n);
    if (found == other.end()) {
      left.push_back(n);
    } else {
      other.erase(found);
    }
  }
  return left;
}

void List(const char* title, const std::vector<Note>& notes) {
  if (notes.empty()) return;
  std::cout << title << " (" << notes.size() << ", first ones):";
  for (size_t i = 0; i < notes.size() && i < 8; ++i) std::cout << "  " << Describe(notes[i]);
  std::cout << '\n';
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::cerr << "usage: ardour_log_check BLOCK LOGGER_LOG HOST_EVENTS ARDOUR_OUTPUT\n";
    return 2;
  }
  const int block = std::atoi(argv[1]);
  LoggerRun run;
  std::vector<Note> intended;
  long long referenceEnd = 0;
  if (!ReadLoggerLog(argv[2], block, run)) {
    std::cerr << "cannot read the logger's file " << argv[2] << '\n';
    return 2;
  }
  if (!ReadHostEvents(argv[3], intended, referenceEnd)) {
    std::cerr << "cannot read the host's events " << argv[3] << '\n';
    return 2;
  }
  std::erase_if(intended, [&](const Note& n) { return n.time >= run.stop; });
  std::vector<Note> arrived = run.notes;
  std::erase_if(arrived, [&](const Note& n) { return n.time >= run.stop; });

  const auto missing = Unmatched(intended, arrived);
  const auto extra = Unmatched(arrived, intended);
  const int skipped = CountLines(argv[4], "skipped");
  const int tooLate = CountLines(argv[4], "too late");

  std::cout << "block " << block << ": " << run.playingCalls << " calls rolling, " << run.stop
            << " frames\n"
            << "intended: " << Summary(intended) << "\n"
            << "arrived:  " << Summary(arrived) << " (" << run.controllers << " in all)\n";
  if (run.originTime > 0) {
    std::cout << "note: the logger's first playing call came at song position " << run.originTime
              << '\n';
  }
  if (run.misplacedCalls > 0) {
    std::cout << "note: in " << run.misplacedCalls
              << " playing calls Ardour's song position was not the frames played so far\n";
  }
  List("missing", missing);
  List("unexpected", extra);

  bool ok = true;
  auto fault = [&ok](const std::string& text) {
    std::cout << "FAULT: " << text << '\n';
    ok = false;
  };
  if (run.origin < 0) fault("the transport never rolled through the logger");
  if (run.unevenCalls > 0) {
    fault(std::to_string(run.unevenCalls) +
          " playing calls were not one block long, so the host's stream is no reference");
  }
  if (referenceEnd + block < run.stop) fault("the host's stream ends before the transport stopped");
  if (NoteOns(intended) < 20) fault("too few notes intended for a meaningful run");
  if (!missing.empty() || !extra.empty()) {
    fault("the notes that arrived differ from the notes intended");
  } else if (arrived != intended) {
    fault("the notes arrived in another order than intended");
  }
  if (run.unorderedCalls > 0) {
    fault(std::to_string(run.unorderedCalls) + " calls got their events out of time order");
  }
  if (run.outsideEvents > 0) {
    fault(std::to_string(run.outsideEvents) + " events came with deltaFrames outside the call");
  }
  if (run.droppedEvents > 0) fault("the logger overflowed");
  const auto saved = ParameterLines(argv[4], "saved");
  if (saved.empty() || saved != ParameterLines(argv[4], "loaded"))
    fault("the reloaded session did not bring back the parameter values it was saved with");
  if (skipped > 0) fault("Ardour printed " + std::to_string(skipped) + " \"skipped\" lines");
  if (tooLate > 0) fault("Ardour printed " + std::to_string(tooLate) + " \"too late\" lines");
  std::cout << (ok ? "every note and controller arrived at its time, in order; the reload kept "
                     "every parameter value\n"
                   : "");
  return ok ? 0 : 1;
}

// Summary of a run: counts per note and per controller, velocity range.
#include "tools/host/host_summary.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <utility>

#include "tools/host/event_collector.h"

namespace host {

MidiSummary Summarize(const std::vector<HostMidiEvent>& events) {
  MidiSummary summary;
  std::map<std::pair<int, int>, NoteCount> notes;
  std::map<std::pair<int, int>, ControllerCount> controllers;
  for (const auto& event : events) {
    const int data1 = event.data1 & 0x7F;
    const int data2 = event.data2 & 0x7F;
    if (event.IsNoteOn()) {
      ++summary.noteOns;
      NoteCount& entry = notes[{event.Channel(), data1}];
      entry.channel = event.Channel();
      entry.note = data1;
      ++entry.count;
      entry.minVelocity = std::min(entry.minVelocity, data2);
      entry.maxVelocity = std::max(entry.maxVelocity, data2);
    } else if (event.IsNoteOff()) {
      ++summary.noteOffs;
    } else if (event.IsControlChange()) {
      ++summary.controlChanges;
      ControllerCount& entry = controllers[{event.Channel(), data1}];
      entry.channel = event.Channel();
      entry.controller = data1;
      ++entry.count;
      entry.minValue = std::min(entry.minValue, data2);
      entry.maxValue = std::max(entry.maxValue, data2);
    } else {
      ++summary.otherMessages;
    }
  }
  bool first = true;
  for (const auto& [key, entry] : notes) {
    summary.notes.push_back(entry);
    summary.minVelocity =
        first ? entry.minVelocity : std::min(summary.minVelocity, entry.minVelocity);
    summary.maxVelocity =
        first ? entry.maxVelocity : std::max(summary.maxVelocity, entry.maxVelocity);
    first = false;
  }
  for (const auto& [key, entry] : controllers) summary.controllers.push_back(entry);
  return summary;
}

void PrintSummary(std::ostream& out, const HostOptions& options, const SessionReport& report,
                  const MidiSummary& summary, const std::string& midiPath) {
  char line[256];
  const std::string name = report.effectName.empty() ? options.pluginPath : report.effectName;
  std::snprintf(
      line, sizeof(line), "plug-in: %s%s%s (id '%s', version %s, %d parameters, %d programs)",
      name.c_str(), report.vendorName.empty() ? "" : " by ", report.vendorName.c_str(),
      report.pluginId.c_str(), report.version.c_str(), report.numParams, report.numPrograms);
  out << line << '\n';
  for (const auto& setting : report.parameterSettings) out << "set: " << setting << '\n';
  for (const auto& point : report.automationSettings) out << "automate: " << point << '\n';
  if (!options.midiInPath.empty()) {
    out << "MIDI in: " << report.midiInDelivered << " of " << report.midiInEvents
        << " messages from " << options.midiInPath << " delivered\n";
  }
  std::snprintf(line, sizeof(line),
                "ran %.3f s: %lld frames at %d Hz in %lld blocks of %d, tempo %g, %d/%d",
                static_cast<double>(report.frames) / options.sampleRate,
                static_cast<long long>(report.frames), options.sampleRate,
                static_cast<long long>(report.blocks), options.blockSize, options.tempo,
                options.numerator, options.denominator);
  out << line << '\n';
  std::snprintf(line, sizeof(line),
                "MIDI: %lld note-ons, %lld note-offs, %lld controller messages, %lld other",
                static_cast<long long>(summary.noteOns), static_cast<long long>(summary.noteOffs),
                static_cast<long long>(summary.controlChanges),
                static_cast<long long>(summary.otherMessages));
  out << line << '\n';
  // Checked on every run: hosts drop events outside their call and mistime those out of order.
  if (report.eventsOutsideCall == 0 && report.eventsOutOfOrder == 0) {
    out << "delivery: every event inside its call, in time order\n";
  } else {
    std::snprintf(line, sizeof(line), "delivery: %lld events outside their call, %lld out of order",
                  static_cast<long long>(report.eventsOutsideCall),
                  static_cast<long long>(report.eventsOutOfOrder));
    out << line << '\n';
  }
  if (report.closedNotes > 0) {
    out << "closed at the end: " << report.closedNotes
        << (report.closedNotes == 1 ? " note" : " notes") << " still sounding\n";
  }
  if (summary.noteOns > 0) {
    std::snprintf(line, sizeof(line), "velocity: %d to %d", summary.minVelocity,
                  summary.maxVelocity);
    out << line << '\n';
    out << "notes:\n";
    for (const auto& entry : summary.notes) {
      std::snprintf(line, sizeof(line), "  ch %2d  %-4s (%3d)  %8lld  velocity %3d to %3d",
                    entry.channel + 1, NoteName(entry.note).c_str(), entry.note,
                    static_cast<long long>(entry.count), entry.minVelocity, entry.maxVelocity);
      out << line << '\n';
    }
  }
  if (!summary.controllers.empty()) {
    out << "controllers:\n";
    for (const auto& entry : summary.controllers) {
      std::snprintf(line, sizeof(line), "  ch %2d  CC %3d  %8lld  values %3d to %3d",
                    entry.channel + 1, entry.controller, static_cast<long long>(entry.count),
                    entry.minValue, entry.maxValue);
      out << line << '\n';
    }
  }
  if (report.automationNotices > 0) {
    out << "automation notices: " << report.automationNotices << '\n';
  }
  if (!options.saveState.empty()) {
    out << "state: " << report.stateBytesSaved << " bytes saved to " << options.saveState << '\n';
  }
  if (!midiPath.empty()) out << "MIDI file: " << midiPath << '\n';
}

}  // namespace host

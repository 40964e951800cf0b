// The host's engine: open the plug-in as DAWs do, run it block by block, close it.
#include "tools/host/host_session.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>

#include "tools/host/host_transport.h"
#include "tools/host/parameter_setter.h"
#include "tools/host/plugin_loader.h"
#include "tools/host/session_host.h"
#include "tools/host/smf_reader.h"

namespace host {

namespace {

// A state file larger than this is not a plug-in state.
constexpr std::streamoff kMaxStateBytes = 64 * 1024 * 1024;

struct ScheduledChange {
  int64_t at = 0;          // the point's frame
  int64_t blockStart = 0;  // of the first block that starts at or after it
  ParameterChange change;
  std::string shown;  // for the summary
};

bool ReadStateFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot read the state file";
    return false;
  }
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0, std::ios::beg);
  if (size <= 0 || size > kMaxStateBytes) {
    error = path + ": not a plug-in state (" + std::to_string(size) + " bytes)";
    return false;
  }
  bytes.resize(static_cast<size_t>(size));
  if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) {
    error = path + ": cannot read the state file";
    return false;
  }
  return true;
}

bool ApplyState(PluginInstance& plugin, const std::string& path, std::string& error) {
  std::vector<uint8_t> bytes;
  if (!ReadStateFile(path, bytes, error)) return false;
  if (!plugin.SetState(bytes)) {
    error = path + ": the plug-in refused this state";
    return false;
  }
  return true;
}

bool SaveState(PluginInstance& plugin, const std::string& path, size_t& saved, std::string& error) {
  std::vector<uint8_t> bytes;
  if (!plugin.GetState(bytes) || bytes.empty()) {
    error = "the plug-in gave no state to save in " + path;
    return false;
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (out) {
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
  }
  if (out) out.close();
  if (!out) {
    error = path + ": cannot write the state file";
    return false;
  }
  saved = bytes.size();
  return true;
}

std::string Shown(PluginInstance& plugin, int32_t index) {
  std::string shown = plugin.ParameterName(index) + " = " + plugin.ParameterDisplay(index);
  const std::string label = plugin.ParameterLabel(index);
  if (!label.empty()) shown += " " + label;
  return shown;
}

bool ApplyParameters(PluginInstance& plugin, const HostOptions& options, SessionReport& report,
                     std::string& error) {
  ParameterSetter setter(plugin);
  for (const auto& assignment : options.assignments) {
    const int32_t index = setter.Find(assignment.key, error);
    if (index < 0) return false;
    if (!setter.Set(index, assignment.value, assignment.normalized, error)) return false;
    report.parameterSettings.push_back(Shown(plugin, index));
  }
  return true;
}

// The automation as changes due at block starts, in time order (points at the same time in
// command-line order). The values are found now, while the plug-in is not processing.
bool ScheduleAutomation(PluginInstance& plugin, const HostOptions& options, int64_t total,
                        std::vector<ScheduledChange>& schedule, SessionReport& report,
                        std::string& error) {
  ParameterSetter setter(plugin);
  for (const AutomationPoint& point : options.automation) {
    const ParameterAssignment& assignment = point.assignment;
    ScheduledChange scheduled;
    scheduled.change.index = setter.Find(assignment.key, error);
    if (scheduled.change.index < 0 ||
        !setter.Resolve(scheduled.change.index, assignment.value, assignment.normalized,
                        scheduled.change.normalized, error)) {
      return false;
    }
    scheduled.at = std::llround(point.seconds * options.sampleRate);
    scheduled.blockStart =
        (scheduled.at + options.blockSize - 1) / options.blockSize * options.blockSize;
    char when[96];
    std::snprintf(when, sizeof(when), "%g s", point.seconds);
    if (scheduled.blockStart >= total) {
      error = "automation of " + plugin.ParameterName(scheduled.change.index) + " at " + when +
              " comes after the run's end";
      return false;
    }
    scheduled.shown = plugin.ParameterName(scheduled.change.index) + " = " + assignment.value +
                      (assignment.normalized ? " (normalized)" : "") + " at " + when +
                      " (block at " + std::to_string(scheduled.blockStart) + ")";
    schedule.push_back(scheduled);
  }
  std::stable_sort(schedule.begin(), schedule.end(),
                   [](const ScheduledChange& a, const ScheduledChange& b) { return a.at < b.at; });
  for (const ScheduledChange& scheduled : schedule) {
    report.automationSettings.push_back(scheduled.shown);
  }
  return true;
}

}  // namespace

int64_t SessionFrames(const HostOptions& options) {
  const auto frames = static_cast<int64_t>(std::llround(options.seconds * options.sampleRate));
  return std::max<int64_t>(frames, 1);
}

bool RunSession(const HostOptions& options, HostObserver& observer, SessionReport& report,
                std::string& error) {
  report = SessionReport{};
  std::vector<HostMidiEvent> midiIn;
  if (!options.midiInPath.empty() &&
      !SmfReader::ReadFile(options.midiInPath, options.sampleRate, options.tempo, midiIn, error)) {
    return false;
  }
  Transport transport(options.sampleRate, options.tempo, options.numerator, options.denominator);
  SessionHost host(transport, options.blockSize, observer);
  auto plugin = LoadPlugin(options.pluginPath, host, error);
  if (!plugin) return false;
  plugin->Open();
  const PluginIdentity identity = plugin->Identity();
  report.effectName = identity.name;
  report.vendorName = identity.vendor;
  report.pluginId = identity.id;
  report.version = identity.version;
  report.numParams = plugin->ParameterCount();
  report.numPrograms = plugin->ProgramCount();
  const std::vector<std::string> opened = ParameterDisplays(*plugin);

  if (options.program >= 0) {
    if (options.program >= report.numPrograms) {
      error = "program " + std::to_string(options.program) + " is out of range (the plug-in has " +
              std::to_string(report.numPrograms) + " programs)";
      return false;
    }
    plugin->SetProgram(options.program);
  }
  if (!options.loadState.empty() && !ApplyState(*plugin, options.loadState, error)) return false;
  if (!ApplyParameters(*plugin, options, report, error)) return false;
  const int64_t total = SessionFrames(options);
  std::vector<ScheduledChange> schedule;
  if (!ScheduleAutomation(*plugin, options, total, schedule, report, error)) return false;
  report.changedSettings = ChangedDisplays(opened, ParameterDisplays(*plugin));

  std::vector<ParameterChange> changes;
  std::vector<MidiMessage> messages;
  size_t nextChange = 0;
  size_t nextMessage = 0;
  plugin->Start();
  transport.Start();
  for (int64_t done = 0; done < total;) {
    const auto frames = static_cast<int32_t>(std::min<int64_t>(options.blockSize, total - done));
    changes.clear();
    for (; nextChange < schedule.size() && schedule[nextChange].blockStart <= done; ++nextChange) {
      changes.push_back(schedule[nextChange].change);
    }
    messages.clear();
    for (; nextMessage < midiIn.size() && midiIn[nextMessage].sampleTime < done + frames;
         ++nextMessage) {
      const HostMidiEvent& event = midiIn[nextMessage];
      messages.push_back(
          {static_cast<int32_t>(event.sampleTime - done), event.status, event.data1, event.data2});
    }
    ProcessCall call;
    call.start = done;
    call.frames = frames;
    call.transport = transport.State();
    call.parameters = changes;
    call.midiIn = messages;
    host.BeginBlock(done, frames);
    plugin->Process(call, host);
    host.EndBlock();
    transport.Advance(frames);
    observer.OnBlockDone(done, frames, total);
    done += frames;
    ++report.blocks;
  }
  report.frames = total;
  report.midiInEvents = static_cast<int64_t>(midiIn.size());
  report.midiInDelivered = static_cast<int64_t>(nextMessage);
  report.closedNotes = host.CloseSoundingNotes(total);
  plugin->Stop();
  report.automationNotices = host.AutomationCount();
  report.eventsOutsideCall = host.DeliveryCheck().outsideCall;
  report.eventsOutOfOrder = host.DeliveryCheck().outOfOrder;

  if (!options.saveState.empty() &&
      !SaveState(*plugin, options.saveState, report.stateBytesSaved, error)) {
    return false;
  }
  plugin.reset();
  return true;
}

}  // namespace host

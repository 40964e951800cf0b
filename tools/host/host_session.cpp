// The host's engine: open the plug-in as DAWs do, run it block by block, close it.
#include "tools/host/host_session.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <memory>

#include "tools/host/host_callback.h"
#include "tools/host/host_loader.h"
#include "tools/host/host_transport.h"
#include "tools/host/parameter_setter.h"
#include "tools/host/plugin_instance.h"

namespace host {

namespace {

constexpr int32_t kBankChunk = 0;
// A state file larger than this is not a plug-in state.
constexpr std::streamoff kMaxStateBytes = 64 * 1024 * 1024;

bool ReadStateFile(const std::string& path, std::vector<char>& bytes, std::string& error) {
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
  if (!in.read(bytes.data(), size)) {
    error = path + ": cannot read the state file";
    return false;
  }
  return true;
}

bool ApplyState(PluginInstance& plugin, const std::string& path, std::string& error) {
  std::vector<char> bytes;
  if (!ReadStateFile(path, bytes, error)) return false;
  if (plugin.Dispatch(vst2::effSetChunk, kBankChunk, static_cast<intptr_t>(bytes.size()),
                      bytes.data()) == 0) {
    error = path + ": the plug-in refused this state";
    return false;
  }
  return true;
}

bool SaveState(PluginInstance& plugin, const std::string& path, size_t& saved, std::string& error) {
  void* data = nullptr;
  const intptr_t size = plugin.Dispatch(vst2::effGetChunk, kBankChunk, 0, &data);
  if (size <= 0 || data == nullptr) {
    error = "the plug-in gave no state to save in " + path;
    return false;
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (out) out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (out) out.close();
  if (!out) {
    error = path + ": cannot write the state file";
    return false;
  }
  saved = static_cast<size_t>(size);
  return true;
}

bool ApplyParameters(PluginInstance& plugin, const HostOptions& options, SessionReport& report,
                     std::string& error) {
  ParameterSetter setter(plugin);
  for (const auto& assignment : options.assignments) {
    const int32_t index = setter.Find(assignment.key, error);
    if (index < 0) return false;
    const bool set = assignment.normalized ? setter.SetNormalized(index, assignment.value, error)
                                           : setter.SetDisplayed(index, assignment.value, error);
    if (!set) return false;
    std::string shown = plugin.ParameterName(index) + " = " + plugin.ParameterDisplay(index);
    const std::string label = plugin.ParameterLabel(index);
    if (!label.empty()) shown += " " + label;
    report.parameterSettings.push_back(shown);
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
  std::string reason;
  auto library = PluginLibrary::Load(options.pluginPath, reason);
  if (!library) {
    error = reason;
    return false;
  }
  Transport transport(options.sampleRate, options.tempo, options.numerator, options.denominator);
  HostContext context(transport, options.blockSize, observer);
  // The instance is declared after the library, so it is closed before the library unloads.
  auto plugin = PluginInstance::Create(library->Entry(), context, reason);
  if (!plugin) {
    error = options.pluginPath + ": " + reason;
    return false;
  }
  const vst2::AEffect& effect = plugin->Effect();
  plugin->Open(options.sampleRate, options.blockSize);
  report.effectName = plugin->EffectName();
  report.vendorName = plugin->VendorName();
  report.uniqueId = effect.uniqueID;
  report.version = effect.version;
  report.numParams = effect.numParams;
  report.numPrograms = effect.numPrograms;
  report.flags = effect.flags;
  const std::vector<std::string> opened = ParameterDisplays(*plugin);

  if (options.program >= 0) {
    if (options.program >= effect.numPrograms) {
      error = "program " + std::to_string(options.program) + " is out of range (the plug-in has " +
              std::to_string(effect.numPrograms) + " programs)";
      return false;
    }
    plugin->Dispatch(vst2::effSetProgram, 0, options.program);
  }
  if (!options.loadState.empty() && !ApplyState(*plugin, options.loadState, error)) return false;
  if (!ApplyParameters(*plugin, options, report, error)) return false;
  report.changedSettings = ChangedDisplays(opened, ParameterDisplays(*plugin));

  const int64_t total = SessionFrames(options);
  plugin->Start();
  transport.Start();
  for (int64_t done = 0; done < total;) {
    const auto frames = static_cast<int32_t>(std::min<int64_t>(options.blockSize, total - done));
    context.BeginBlock(done, frames);
    plugin->Process(frames);
    context.EndBlock();
    transport.Advance(frames);
    observer.OnBlockDone(done, frames, total);
    done += frames;
    ++report.blocks;
  }
  report.frames = total;
  report.closedNotes = context.CloseSoundingNotes(total);
  plugin->Stop();
  report.automationNotices = context.AutomationCount();
  report.eventsOutsideCall = context.DeliveryCheck().outsideCall;
  report.eventsOutOfOrder = context.DeliveryCheck().outOfOrder;

  if (!options.saveState.empty() &&
      !SaveState(*plugin, options.saveState, report.stateBytesSaved, error)) {
    return false;
  }
  plugin.reset();
  return true;
}

}  // namespace host

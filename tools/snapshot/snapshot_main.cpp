// tintinna-snapshot: builds a plug-in instance in this process, sets it up from the command
// line, optionally runs it for a while with the transport playing, then draws its whole editor
// and writes the surface to a PNG, so that the editor can be seen without a host.
#include <strings.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "graphics/graphics_raster.h"
#include "plug/parameter.h"
#include "plug/vst_effect.h"
#include "plug/vst_entry.h"
#include "tools/snapshot/snapshot_options.h"
#include "tools/snapshot/surface_png.h"

namespace {

constexpr double kSampleRate = 44100.0;
constexpr int32_t kBlockSize = 512;
constexpr double kTempo = 120.0;

// The host side: a transport that plays from sample 0, advanced after every block.
vst2::VstTimeInfo gTimeInfo{};

intptr_t HostCallback(vst2::AEffect* /*effect*/, int32_t opcode, int32_t /*index*/,
                      intptr_t /*value*/, void* /*ptr*/, float /*opt*/) {
  switch (opcode) {
    case vst2::audioMasterVersion:
      return vst2::kVstVersion;
    case vst2::audioMasterGetTime:
      return reinterpret_cast<intptr_t>(&gTimeInfo);
    case vst2::audioMasterGetSampleRate:
      return static_cast<intptr_t>(kSampleRate);
    case vst2::audioMasterGetBlockSize:
      return kBlockSize;
    case vst2::audioMasterWantMidi:
    case vst2::audioMasterProcessEvents:
      return 1;  // MIDI is taken and dropped
    default:
      return 0;
  }
}

void SetTransport(int64_t samplePosition) {
  gTimeInfo.samplePos = static_cast<double>(samplePosition);
  gTimeInfo.sampleRate = kSampleRate;
  gTimeInfo.tempo = kTempo;
  gTimeInfo.ppqPos = static_cast<double>(samplePosition) / kSampleRate * kTempo / 60.0;
  gTimeInfo.barStartPos = std::floor(gTimeInfo.ppqPos / 4.0) * 4.0;
  gTimeInfo.timeSigNumerator = 4;
  gTimeInfo.timeSigDenominator = 4;
  gTimeInfo.flags = vst2::kVstTransportPlaying | vst2::kVstPpqPosValid | vst2::kVstTempoValid |
                    vst2::kVstBarsValid | vst2::kVstTimeSigValid;
}

// Exact name first, then without regard to case; -1 when none matches.
int FindParameter(const IEffectBase& plugin, const std::string& name) {
  for (int i = 0; i < plugin.ParameterCount(); ++i)
    if (name == plugin.GetParameter(i)->Name()) return i;
  for (int i = 0; i < plugin.ParameterCount(); ++i)
    if (strcasecmp(name.c_str(), plugin.GetParameter(i)->Name()) == 0) return i;
  return -1;
}

// A value text of the parameter, or a number in its real units.
bool ValueFor(const IParameter& parameter, const std::string& text, double& value) {
  int mapped = 0;
  if (parameter.ValueTextCount() > 0 && parameter.ValueForText(text.c_str(), &mapped)) {
    value = mapped;
    return true;
  }
  char* end = nullptr;
  errno = 0;
  value = std::strtod(text.c_str(), &end);
  return !text.empty() && errno == 0 && end && *end == '\0' && std::isfinite(value);
}

bool ApplySettings(IVstEffect& plugin, const snapshot::Options& options, std::string& error) {
  for (const auto& [name, text] : options.settings) {
    const int index = FindParameter(plugin, name);
    if (index < 0) {
      error = "no parameter named '" + name + "'; the parameters are:";
      for (int i = 0; i < plugin.ParameterCount(); ++i)
        error += std::string(" \"") + plugin.GetParameter(i)->Name() + "\"";
      return false;
    }
    const IParameter& parameter = *plugin.GetParameter(index);
    double value = 0.0;
    if (!ValueFor(parameter, text, value)) {
      error = "'" + text + "' is no value for " + name;
      return false;
    }
    // As the editor sets it: under the lock, the host told, the instrument notified.
    plugin.SetParameterFromGUI(index, parameter.NormalizeValue(value));
  }
  // The editor's own changes are not pushed back to it; these came from outside it.
  plugin.RefreshEditorValues();
  return true;
}

void Process(vst2::AEffect& effect, double seconds) {
  const auto total = static_cast<int64_t>(std::llround(seconds * kSampleRate));
  if (total <= 0 || !effect.processReplacing) return;
  const int32_t inputs = std::max(effect.numInputs, 0), outputs = std::max(effect.numOutputs, 0);
  std::vector<std::vector<float>> inputBuffers(static_cast<size_t>(inputs),
                                               std::vector<float>(kBlockSize, 0.0f));
  std::vector<std::vector<float>> outputBuffers(static_cast<size_t>(outputs),
                                                std::vector<float>(kBlockSize, 0.0f));
  std::vector<float*> inputPointers, outputPointers;
  for (auto& buffer : inputBuffers) inputPointers.push_back(buffer.data());
  for (auto& buffer : outputBuffers) outputPointers.push_back(buffer.data());
  effect.dispatcher(&effect, vst2::effMainsChanged, 0, 1, nullptr, 0.0f);
  effect.dispatcher(&effect, vst2::effStartProcess, 0, 0, nullptr, 0.0f);
  for (int64_t done = 0; done < total;) {
    const auto frames = static_cast<int32_t>(std::min<int64_t>(kBlockSize, total - done));
    SetTransport(done);
    effect.processReplacing(&effect, inputPointers.data(), outputPointers.data(), frames);
    done += frames;
  }
  effect.dispatcher(&effect, vst2::effStopProcess, 0, 0, nullptr, 0.0f);
}

int Run(const snapshot::Options& options) {
  SetTransport(0);
  IVstEffect* plugin = CreateEffectInstance(&HostCallback);
  if (!plugin) {
    std::fprintf(stderr, "tintinna-snapshot: the plug-in could not be created\n");
    return 1;
  }
  vst2::AEffect& effect = *plugin->Effect();
  effect.dispatcher(&effect, vst2::effOpen, 0, 0, nullptr, 0.0f);
  effect.dispatcher(&effect, vst2::effSetSampleRate, 0, 0, nullptr,
                    static_cast<float>(kSampleRate));
  effect.dispatcher(&effect, vst2::effSetBlockSize, 0, kBlockSize, nullptr, 0.0f);

  int status = 0;
  std::string error;
  if (options.program >= 0) {
    if (options.program >= effect.numPrograms) {
      error = "the plug-in has presets 0 to " + std::to_string(effect.numPrograms - 1);
      status = 2;
    } else {
      effect.dispatcher(&effect, vst2::effSetProgram, 0, options.program, nullptr, 0.0f);
    }
  }
  if (status == 0 && !ApplySettings(*plugin, options, error)) status = 2;

  auto* editor = dynamic_cast<IGraphicsRaster*>(plugin->GetEditor());
  if (status == 0 && !editor) {
    error = "the plug-in has no editor";
    status = 1;
  }
  if (status == 0) {
    Process(effect, options.seconds);
    IBounds dirty;
    editor->CollectDirtyArea(dirty);  // read-outs take their texts from their controls
    editor->DrawArea({0, 0, editor->Width(), editor->Height()});
    if (!editor->Surface())
      error = "the editor has no drawing surface", status = 1;
    else if (!snapshot::WriteSurfacePng(options.output, *editor->Surface(), error))
      status = 1;
  }
  effect.dispatcher(&effect, vst2::effClose, 0, 0, nullptr, 0.0f);
  if (status != 0) std::fprintf(stderr, "tintinna-snapshot: %s\n", error.c_str());
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  snapshot::Options options;
  std::string error;
  if (!snapshot::ParseOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "tintinna-snapshot: %s\n%s", error.c_str(), snapshot::Usage());
    return 2;
  }
  if (options.help) {
    std::fputs(snapshot::Usage(), stdout);
    return 0;
  }
  return Run(options);
}

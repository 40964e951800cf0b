// IEffectBase: construction and destruction, the default virtual behaviour, parameter changes
// from the editor, and host identification.
#include "plug/effect_base.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "graphics/graphics_core.h"
#include "plug/text.h"

namespace {

// The plug-in's own definition is wrong: report it the way an assertion would, in every build.
void Require(bool condition, const char* expression, const char* file, int line) {
  if (condition) return;
  std::fprintf(stderr, "%s:%d: Assertion `%s' failed.\n", file, line, expression);
  std::fflush(stderr);
  std::abort();
}

// Reads one "in-out" pair at text as "%d-%d" would: blanks and a sign allowed before each number.
bool ReadChannelPair(const char* text, int* inputs, int* outputs) {
  auto readInt = [](const char* from, const char** end, int* value) {
    char* stop = nullptr;
    errno = 0;
    const long number = std::strtol(from, &stop, 10);
    if (stop == from || errno == ERANGE || number < INT_MIN || number > INT_MAX) return false;
    *value = static_cast<int>(number);
    *end = stop;
    return true;
  };
  const char* next = nullptr;
  if (!readInt(text, &next, inputs) || *next != '-') return false;
  return readInt(next + 1, &next, outputs);
}

struct HostEntry {
  const char* key;
  int type;
};

// Searched in this order: the first key contained in the product text wins.
constexpr HostEntry kHostTable[] = {
    {"cubase", 3}, {"reaper", 1},   {"nuendo", 4},    {"cakewalk", 5},   {"samplitude", 8},
    {"fruity", 7}, {"live", 9},     {"melodyne", 12}, {"vstmanlib", 13}, {"aulab", 14},
    {"forte", 15}, {"chainer", 16}, {"audition", 17}, {"orion", 18},     {"sawstudio", 20},
    {"logic", 21}, {"digital", 22},
};

// Whether text contains key (given in lower case), ignoring the case of text.
bool ContainsIgnoringCase(const char* text, const char* key) {
  const size_t keyLength = std::strlen(key);
  for (const char* start = text; *start != '\0'; ++start) {
    size_t i = 0;
    while (i < keyLength && start[i] != '\0' &&
           std::tolower(static_cast<unsigned char>(start[i])) == key[i])
      ++i;
    if (i == keyLength) return true;
  }
  return false;
}

}  // namespace

IEffectBase::IEffectBase(int parameterCount, const char* channelIO, int presetCount,
                         const char* effectName, const char* productName, const char* makerName,
                         int32_t version, int32_t uniqueId, int32_t makerId, int latency,
                         bool /*midi: the adapter keeps it*/, bool stateChunks, bool isInstrument)
    : uniqueId_(uniqueId),
      makerId_(makerId),
      version_(version),
      stateChunks_(stateChunks),
      isInstrument_(isInstrument),
      latency_(latency),
      declaredParameterCount_(parameterCount > 0 ? parameterCount : 0) {
  for (int i = 0; i < declaredParameterCount_; ++i) {
    auto* parameter = new (std::nothrow) IParameter;
    if (!parameter || !parameters_.Add(parameter)) {
      delete parameter;
      break;
    }
  }

  for (int i = 0; i < presetCount; ++i) {
    auto* preset = new (std::nothrow) IPresetEntry;
    if (!preset) break;
    std::snprintf(preset->name, sizeof preset->name, "- %d -", i + 1);
    if (!presets_.Add(preset)) {
      delete preset;
      break;
    }
  }

  CopyText(effectName_, effectName);
  CopyText(productName_, productName);
  CopyText(makerName_, makerName);

  int largestInputs = 0;
  int largestOutputs = 0;
  const char* position = channelIO;
  while (true) {
    int inputs = 0;
    int outputs = 0;
    const bool channelIOStrValid = position && ReadChannelPair(position, &inputs, &outputs);
    Require(channelIOStrValid, "channelIOStrValid", __FILE__, __LINE__);
    if (inputs > largestInputs) largestInputs = inputs;
    if (outputs > largestOutputs) largestOutputs = outputs;
    AddChannelIO(inputs, outputs);
    const char* blank = std::strchr(position, ' ');
    if (!blank) break;
    position = blank + 1;
  }
  PrepareChannels(largestInputs, largestOutputs);
}

IEffectBase::~IEffectBase() {
  CloseEditor();
  // The editor's controls refer to the parameters, so it goes first.
  delete editor_;
  editor_ = nullptr;
  parameters_.DeleteAll();
  presets_.DeleteAll();
  inputChannels_.DeleteAll();
  outputChannels_.DeleteAll();
  channelIO_.DeleteAll();
}

void IEffectBase::CloseEditor() {
  if (editor_) editor_->CloseEditorWindow();
}

void IEffectBase::ResetProcessing() {
  ScopedLock lock(&lock_);
}

void IEffectBase::ParameterChanged(int /*index*/) {
  ScopedLock lock(&lock_);
}

void IEffectBase::ProcessBlock(double** inputs, double** outputs, int frames) {
  PassThroughAudio(inputs, outputs, frames);
}

void IEffectBase::ActivationChanged(bool /*active*/) {
  ScopedLock lock(&lock_);
}

void IEffectBase::ProcessMidiMessage(const IMidiMessage& message) {
  SendMidiMessage(message);
}

bool IEffectBase::GetMidiNoteText(int /*key*/, char* text, int capacity) {
  if (text && capacity > 0) text[0] = '\0';
  return false;
}

void IEffectBase::AttachEditor(IGraphicsCore* graphics) {
  if (!graphics) return;
  ScopedLock lock(&lock_);
  for (int i = 0; i < ParameterCount(); ++i)
    graphics->SetParameterFromPlugin(i, GetParameter(i)->Normalized(), true);
  graphics->CreateSurface();
  // A second editor replaces the first, which would otherwise never be freed.
  if (editor_ != graphics) delete editor_;
  editor_ = graphics;
}

void IEffectBase::SetParameterFromGUI(int index, double normalized) {
  ScopedLock lock(&lock_);
  IParameter* parameter = GetParameter(index);
  // A control can only send what it was given; a bad index or a NaN is dropped, not forwarded.
  if (!parameter || !std::isfinite(normalized)) return;
  parameter->SetFromNormalized(normalized);
  InformHostOfParameter(index, normalized);
  ParameterChanged(index);
}

void IEffectBase::RefreshEditorValues() {
  if (!editor_) return;
  for (int i = 0; i < ParameterCount(); ++i)
    editor_->SetParameterFromPlugin(i, GetParameter(i)->Value(), false);
}

int32_t IEffectBase::EffectVersion(bool decimal) const noexcept {
  if (!decimal) return version_;
  const int32_t major = static_cast<int32_t>(static_cast<uint32_t>(version_) >> 16);
  const int32_t minor = (version_ >> 8) & 0xFF;
  const int32_t revision = version_ & 0xFF;
  return major * 10000 + minor * 100 + revision;
}

int IEffectBase::HostTypeFromProduct(const char* product) {
  if (!product) return 0;
  for (const HostEntry& entry : kHostTable)
    if (ContainsIgnoringCase(product, entry.key)) return entry.type;
  return 0;
}

void IEffectBase::SetHost(const char* product, int32_t packedVersion) {
  hostType_ = HostTypeFromProduct(product);
  hostVersion_ = packedVersion;
}

void IEffectBase::SetSampleRate(double rate) {
  if (std::isfinite(rate) && rate > 0.0) sampleRate_ = rate;
}

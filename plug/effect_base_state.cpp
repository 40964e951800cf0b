// IEffectBase state and presets: parameter values to and from chunks, preset slots and names.
#include "plug/effect_base.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <type_traits>

#include "plug/text.h"

namespace {

constexpr char kUserPreset[] = "user preset";

}  // namespace

void IEffectBase::WriteChunkHeader(IStateChunk& chunk) {
  chunk.Clear();
  chunk.AppendInt32(kChunkMagic);
  chunk.AppendInt32(kChunkVersion);
}

int32_t IEffectBase::ReadChunkHeader(const IStateChunk& chunk, int32_t* position) {
  int32_t magic = 0;
  const int32_t afterMagic = chunk.ReadInt32(&magic, *position);
  // Without the magic the chunk is a bare parameter state, read from where it starts.
  if (afterMagic < 0 || magic != kChunkMagic) return 0;
  int32_t version = 0;
  *position = chunk.ReadInt32(&version, afterMagic);
  return *position < 0 ? 0 : version;
}

bool IEffectBase::WriteStateChunk(IStateChunk& chunk, bool bank) {
  ScopedLock lock(&lock_);
  WriteChunkHeader(chunk);
  if (bank) StorePreset(nullptr);
  return SerializeState(chunk) && chunk.Size() > 0;
}

bool IEffectBase::ReadStateChunk(IStateChunk& chunk, const void* data, int64_t size, bool bank) {
  // No state at all, or a size no chunk of ours comes near: refused, nothing changes.
  if (!data || size <= 0 || size > kMaxChunkSize) return false;
  ScopedLock lock(&lock_);
  // Copied through a fresh buffer: the host may hand back the very data our last save returned.
  IStateChunk incoming;
  if (!incoming.Append(data, static_cast<int32_t>(size))) return false;
  if (!chunk.Resize(static_cast<int32_t>(size))) return false;
  std::memcpy(chunk.Data(), incoming.Data(), static_cast<size_t>(size));

  int32_t position = 0;
  const int32_t version = ReadChunkHeader(chunk, &position);
  const int32_t end = UnserializeState(chunk, position);
  if (end < 0) {
    // Older and shorter chunks rely on the values they hold being applied, but a state that is
    // only half loaded does not go into the current preset.
    RefreshEditorValues();
    return false;
  }
  if (!(bank && version >= kChunkVersion)) StorePreset(nullptr);
  RefreshEditorValues();
  return true;
}

bool IEffectBase::SerializeState(IStateChunk& chunk) {
  return SerializeParams(chunk);
}

int32_t IEffectBase::UnserializeState(const IStateChunk& chunk, int32_t position) {
  return UnserializeParams(chunk, position);
}

bool IEffectBase::SerializeValueList(IStateChunk& chunk,
                                     std::span<const std::variant<int, double>> values) {
  ScopedLock lock(&lock_);
  bool success = static_cast<size_t>(declaredParameterCount_) <= values.size();
  for (int i = 0; i < declaredParameterCount_; ++i) {
    const auto slot = static_cast<size_t>(i);
    const double value =
        slot < values.size()
            ? std::visit([](auto v) { return static_cast<double>(v); }, values[slot])
            : 0.0;
    success = chunk.AppendDouble(value) && success;
  }
  return success;
}

bool IEffectBase::SerializeParams(IStateChunk& chunk) {
  ScopedLock lock(&lock_);
  bool success = true;
  for (int i = 0; i < declaredParameterCount_ && success; ++i) {
    const IParameter* parameter = GetParameter(i);
    success = chunk.AppendDouble(parameter ? parameter->Value() : 0.0) && chunk.Size() > 0;
  }
  return success;
}

int32_t IEffectBase::UnserializeParams(const IStateChunk& chunk, int32_t position) {
  ScopedLock lock(&lock_);
  for (int i = 0; i < declaredParameterCount_ && position >= 0; ++i) {
    double value = 0.0;
    position = chunk.ReadDouble(&value, position);
    // Where the chunk runs out, this parameter and the later ones keep their values.
    if (position < 0) break;
    // A NaN or infinity from a saved song carries no usable value: the parameter keeps its own.
    if (IParameter* parameter = GetParameter(i)) parameter->SetValueClamped(value);
  }
  for (int i = 0; i < ParameterCount(); ++i) ParameterChanged(i);
  return position;
}

const char* IEffectBase::GetPresetName(int index) const noexcept {
  const IPresetEntry* preset = presets_.Get(index);
  return preset ? preset->name : "";
}

void IEffectBase::NextUserPresetName(char (&name)[IPresetEntry::kNameSize]) const {
  int count = 0;
  for (int i = 0; i < PresetCount(); ++i)
    if (std::strstr(presets_.Get(i)->name, kUserPreset)) ++count;
  std::snprintf(name, sizeof name, "%s %d", kUserPreset, count + 1);
}

bool IEffectBase::ApplyPreset(int index) {
  IPresetEntry* preset = presets_.Get(index);
  if (!preset) return false;
  bool result;
  if (preset->initialised) {
    result = UnserializeParams(preset->chunk, 0) > 0;
  } else {
    preset->initialised = true;
    NextUserPresetName(preset->name);
    // Values stored while the slot was still unused are replaced, so that applying the slot
    // again gives back exactly the values it took over now.
    preset->chunk.Clear();
    result = SerializeParams(preset->chunk);
  }
  if (result) {
    currentPreset_ = index;
    RefreshEditorValues();
  }
  return result;
}

void IEffectBase::StorePreset(const char* name) {
  IPresetEntry* preset = presets_.Get(currentPreset_);
  if (!preset) return;
  preset->chunk.Clear();
  SerializeParams(preset->chunk);
  // Host names may be of any length: the slot keeps at most 255 characters of them.
  if (name && name[0] != '\0') CopyText(preset->name, name);
}

void IEffectBase::FillDefaultPresets(const char* name, int count) {
  for (int n = 0; n < count; ++n) {
    IPresetEntry* preset = nullptr;
    for (int i = 0; i < PresetCount() && !preset; ++i)
      if (!presets_.Get(i)->initialised) preset = presets_.Get(i);
    if (!preset) return;
    preset->initialised = true;
    CopyText(preset->name, name ? name : "Default");
    preset->chunk.Clear();
    SerializeParams(preset->chunk);
  }
}

void IEffectBase::EnsureOnePreset() {
  if (PresetCount() > 0) return;
  auto* preset = new (std::nothrow) IPresetEntry;
  if (!preset) return;
  std::snprintf(preset->name, sizeof preset->name, "- %d -", 1);
  if (!presets_.Add(preset)) {
    delete preset;
    return;
  }
  FillDefaultPresets(nullptr, 1);
}

// Arbitrary chunk bytes and arbitrary dispatcher, parameter and processing call sequences, each
// made with pointers to records and buffers of the sizes a host provides.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "plug/vst_effect.h"
#include "plug/vst_entry.h"

namespace {

constexpr int kMaxFrames = 4096;
constexpr size_t kTextSize = 512;

vst2::VstTimeInfo hostTime{};

intptr_t HostCallback(vst2::AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
  switch (opcode) {
    case vst2::audioMasterGetTime:
      return reinterpret_cast<intptr_t>(&hostTime);
    case vst2::audioMasterProcessEvents:
      return 1;
    default:
      return 0;
  }
}

class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Empty() const { return position_ >= size_; }
  size_t Remaining() const { return size_ - position_; }
  const uint8_t* Here() const { return data_ + position_; }
  void Skip(size_t n) { position_ += std::min(n, Remaining()); }

  template <class T>
  T Take() {
    T value{};
    const size_t n = std::min(sizeof(T), Remaining());
    if (n > 0) std::memcpy(&value, data_ + position_, n);
    position_ += n;
    return value;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
};

struct Instance {
  Instance() : plugin(CreateEffectInstance(HostCallback)), effect(plugin->Effect()) {
    plugin->EnsureOnePreset();
    Dispatch(vst2::effOpen, 0, 0, nullptr, 0.0f);
  }
  ~Instance() { Dispatch(vst2::effClose, 0, 0, nullptr, 0.0f); }
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  intptr_t Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
  }

  IVstEffect* plugin;
  vst2::AEffect* effect;
};

void Process(Instance& instance, int frames, uint8_t how) {
  static float in[2][kMaxFrames], out[2][kMaxFrames];
  static double inD[2][kMaxFrames], outD[2][kMaxFrames];
  float* inputs[] = {in[0], (how & 4) ? nullptr : in[1]};
  float* outputs[] = {out[0], (how & 8) ? nullptr : out[1]};
  double* inputsD[] = {inD[0], inD[1]};
  double* outputsD[] = {outD[0], outD[1]};
  hostTime.flags = (how & 16) ? vst2::kVstTransportPlaying | vst2::kVstTempoValid : 0;
  hostTime.tempo = 120.0;
  vst2::AEffect* effect = instance.effect;
  switch (how & 3) {
    case 0:
      effect->processReplacing(effect, inputs, outputs, frames);
      break;
    case 1:
      effect->process(effect, inputs, outputs, frames);
      break;
    case 2:
      effect->processDoubleReplacing(effect, inputsD, outputsD, frames);
      break;
    default:
      effect->processReplacing(effect, nullptr, nullptr, frames);
      break;
  }
  hostTime.samplePos += frames > 0 ? frames : 0;
}

void DispatchOne(Instance& instance, FuzzInput& input) {
  const int32_t opcode = input.Take<uint8_t>() % 80;
  const int32_t index = input.Take<int8_t>();
  intptr_t value = input.Take<int16_t>();
  const float opt = input.Take<float>();

  char text[kTextSize];
  const size_t fill = std::min<size_t>(input.Take<uint8_t>(), kTextSize - 1);
  std::memset(text, 'a', sizeof(text));
  if (const size_t n = std::min(fill, input.Remaining()); n > 0) std::memcpy(text, input.Here(), n);
  text[fill] = '\0';
  void* ptr = text;

  void* chunkData = nullptr;
  vst2::VstSpeakerArrangement input1{}, output1{};
  vst2::VstSpeakerArrangement* arrangementOut = nullptr;
  vst2::VstMidiEvent midi[3]{};
  vst2::VstEvent other{};
  struct {
    int32_t numEvents;
    intptr_t reserved;
    vst2::VstEvent* events[4];
  } events{};
  vst2::MidiKeyName keyName{};
  vst2::VstPinProperties pin{};
  vst2::ERect* rect = nullptr;
  std::vector<uint8_t> chunkCopy;

  switch (opcode) {
    case vst2::effClose:
    case vst2::effEditOpen:
    case vst2::effEditClose:
      return;  // closing is the harness's; there is no window to give
    case vst2::effGetChunk:
      ptr = &chunkData;
      break;
    case vst2::effSetChunk: {
      // A size within the bytes handed over, or a negative one.
      const size_t available = input.Remaining();
      value = value < 0 ? value : static_cast<intptr_t>(std::min<size_t>(value, available));
      chunkCopy.assign(input.Here(), input.Here() + available);
      ptr = chunkCopy.empty() ? nullptr : chunkCopy.data();
      input.Skip(value > 0 ? static_cast<size_t>(value) : 0);
      break;
    }
    case vst2::effEditGetRect:
      ptr = &rect;
      break;
    case vst2::effProcessEvents: {
      events.numEvents = input.Take<uint8_t>() % 5;
      for (int i = 0; i < events.numEvents; ++i) {
        const uint8_t kind = input.Take<uint8_t>();
        if (kind % 4 == 0) {
          events.events[i] = nullptr;
        } else if (kind % 4 == 1) {
          other.type = input.Take<int32_t>();
          events.events[i] = &other;
        } else {
          vst2::VstMidiEvent& m = midi[i % 3];
          m.type = vst2::kVstMidiType;
          m.byteSize = sizeof(m);
          m.deltaFrames = input.Take<int32_t>();
          for (char& b : m.midiData) b = input.Take<char>();
          events.events[i] = reinterpret_cast<vst2::VstEvent*>(&m);
        }
      }
      ptr = &events;
      break;
    }
    case vst2::effGetInputProperties:
    case vst2::effGetOutputProperties:
      ptr = &pin;
      break;
    case vst2::effSetSpeakerArrangement:
      input1.numChannels = input.Take<int32_t>();
      output1.numChannels = input.Take<int32_t>();
      value = reinterpret_cast<intptr_t>(&input1);
      ptr = &output1;
      break;
    case vst2::effGetSpeakerArrangement:
      value = reinterpret_cast<intptr_t>(&arrangementOut);
      ptr = &arrangementOut;
      break;
    case vst2::effGetMidiKeyName:
      keyName.thisKeyNumber = input.Take<int32_t>();
      ptr = &keyName;
      break;
    case vst2::effSetBlockSize:
      value = input.Take<int32_t>();
      break;
    default:
      if (input.Take<uint8_t>() == 0) ptr = nullptr;
      break;
  }
  instance.Dispatch(opcode, index, value, ptr, opt);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  hostTime = {};
  Instance instance;
  if (input.Take<uint8_t>() % 4 == 0) {
    // The rest is one chunk, as a host restores a saved song.
    const int32_t index = input.Take<uint8_t>() & 1;
    const size_t n = input.Remaining();
    std::vector<uint8_t> bytes(input.Here(), input.Here() + n);
    instance.Dispatch(vst2::effSetChunk, index, static_cast<intptr_t>(n),
                      bytes.empty() ? nullptr : bytes.data(), 0.0f);
    void* saved = nullptr;
    instance.Dispatch(vst2::effGetChunk, index, 0, &saved, 0.0f);
    for (int i = 0; i < 4; ++i) Process(instance, 512, 16);
    return 0;
  }
  while (!input.Empty()) {
    switch (input.Take<uint8_t>() % 4) {
      case 0: {
        const int frames = input.Take<int16_t>() % (kMaxFrames + 1);
        Process(instance, frames, input.Take<uint8_t>());
        break;
      }
      case 1: {
        const int32_t index = input.Take<int8_t>();
        const float value = input.Take<float>();
        instance.effect->setParameter(instance.effect, index, value);
        break;
      }
      case 2:
        instance.effect->getParameter(instance.effect, input.Take<int8_t>());
        break;
      default:
        DispatchOne(instance, input);
        break;
    }
  }
  return 0;
}

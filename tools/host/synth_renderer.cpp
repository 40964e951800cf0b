// The FluidSynth renderer.
#include "tools/host/synth_renderer.h"

#include <fluidsynth.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace host {

namespace {

constexpr int32_t kChunkFrames = 4096;
constexpr int kChannels = 16;
// FluidSynth's own default (0.2) leaves the chimes some 10 dB below full scale; this keeps a
// lively wind's peaks a few dB below it.
constexpr double kGain = 0.25;
// Long-ringing bells struck many times a second would keep a few hundred voices sounding. As on
// a hardware GM synth, 64 voices, the oldest released ones taken first: the mix differs from
// unlimited polyphony by about -34 dB, at a third of the cost.
constexpr int kVoices = 64;

uint32_t LittleEndian32(const char* bytes) {
  const auto* b = reinterpret_cast<const unsigned char*>(bytes);
  return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

// The synth reports through a process-wide log; keep its last error for our own message.
std::string& LastSynthMessage() {
  static std::string message;
  return message;
}

void KeepMessage(int level, const char* message, void* /*data*/) {
  if (level <= FLUID_ERR && message != nullptr) LastSynthMessage() = message;
}

void QuietSynthLog() {
  for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
    fluid_set_log_function(level, KeepMessage, nullptr);
  }
}

}  // namespace

std::string CheckSoundFont(const std::string& path) {
  std::error_code code;
  const auto status = std::filesystem::status(path, code);
  if (!std::filesystem::exists(status)) return "no such file";
  if (!std::filesystem::is_regular_file(status)) return "not a file";
  const auto size = std::filesystem::file_size(path, code);
  if (code) return "cannot read it";
  if (size == 0) return "empty file, not a SoundFont";
  std::ifstream in(path, std::ios::binary);
  std::array<char, 12> header{};
  if (!in.read(header.data(), header.size()) || std::memcmp(header.data(), "RIFF", 4) != 0 ||
      std::memcmp(header.data() + 8, "sfbk", 4) != 0) {
    return "not a SoundFont (no RIFF sfbk header)";
  }
  const uint64_t declared = uint64_t{LittleEndian32(header.data() + 4)} + 8;
  if (declared > size) {
    return "truncated SoundFont (" + std::to_string(size) + " of " + std::to_string(declared) +
           " bytes)";
  }
  // The three lists a SoundFont holds: INFO, the samples (sdta) and the presets (pdta).
  bool info = false, samples = false, presets = false;
  for (uint64_t at = 12; at + 8 <= declared;) {
    std::array<char, 12> chunk{};
    in.seekg(static_cast<std::streamoff>(at));
    if (!in.read(chunk.data(), 12)) break;
    const uint64_t end = at + 8 + LittleEndian32(chunk.data() + 4);
    if (end > declared) return "truncated SoundFont (a chunk runs past the end of the file)";
    if (std::memcmp(chunk.data(), "LIST", 4) == 0) {
      info = info || std::memcmp(chunk.data() + 8, "INFO", 4) == 0;
      samples = samples || std::memcmp(chunk.data() + 8, "sdta", 4) == 0;
      presets = presets || std::memcmp(chunk.data() + 8, "pdta", 4) == 0;
    }
    at = end + (end & 1);  // chunks are padded to even sizes
  }
  if (!info || !samples || !presets)
    return "not a SoundFont (its INFO, sdta or pdta list is missing)";
  return {};
}

struct SynthRenderer::Engine {
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
  ~Engine() {
    if (synth != nullptr) delete_fluid_synth(synth);
    if (settings != nullptr) delete_fluid_settings(settings);
  }
};

SynthRenderer::SynthRenderer(std::unique_ptr<Engine> engine)
    : engine_(std::move(engine)), buffer_(2 * kChunkFrames) {}

SynthRenderer::~SynthRenderer() = default;

std::unique_ptr<SynthRenderer> SynthRenderer::Create(const SynthSettings& settings,
                                                     std::string& error) {
  if (settings.sampleRate < kMinRate || settings.sampleRate > kMaxRate) {
    error = "the synth renders at " + std::to_string(kMinRate) + " to " + std::to_string(kMaxRate) +
            " Hz, not " + std::to_string(settings.sampleRate);
    return nullptr;
  }
  if (const std::string fault = CheckSoundFont(settings.soundFont); !fault.empty()) {
    error = settings.soundFont + ": " + fault;
    return nullptr;
  }
  QuietSynthLog();
  auto engine = std::make_unique<Engine>();
  engine->settings = new_fluid_settings();
  if (engine->settings == nullptr) {
    error = "cannot start the synth";
    return nullptr;
  }
  fluid_settings_t* s = engine->settings;
  fluid_settings_setnum(s, "synth.sample-rate", settings.sampleRate);
  fluid_settings_setnum(s, "synth.gain", kGain);
  // One thread, no audio driver, nothing locked in memory: the same input gives the same samples.
  fluid_settings_setint(s, "synth.cpu-cores", 1);
  fluid_settings_setint(s, "synth.lock-memory", 0);
  fluid_settings_setint(s, "synth.threadsafe-api", 0);
  fluid_settings_setint(s, "synth.verbose", 0);
  // Only the samples of the programs in use are read, so a large SoundFont costs little memory.
  fluid_settings_setint(s, "synth.dynamic-sample-loading", 1);
  fluid_settings_setint(s, "synth.polyphony", kVoices);
  // The reverb feeds a small constant offset (about -150 dBFS) into the mix against denormals,
  // so a run without notes would not be digital silence; chimes hang outdoors anyway.
  fluid_settings_setint(s, "synth.reverb.active", 0);
  engine->synth = new_fluid_synth(s);
  if (engine->synth == nullptr) {
    error = "cannot start the synth";
    return nullptr;
  }
  LastSynthMessage().clear();
  const int font = fluid_synth_sfload(engine->synth, settings.soundFont.c_str(), 1);
  if (font == FLUID_FAILED) {
    error = settings.soundFont + ": not a usable SoundFont";
    if (!LastSynthMessage().empty()) error += " (" + LastSynthMessage() + ")";
    return nullptr;
  }
  for (int channel = 0; channel < kChannels; ++channel) {
    if (fluid_synth_program_select(engine->synth, channel, font, 0, settings.program) != FLUID_OK) {
      error = settings.soundFont + ": no instrument for program " +
              std::to_string(settings.program + 1) + " in bank 0";
      return nullptr;
    }
  }
  return std::unique_ptr<SynthRenderer>(new SynthRenderer(std::move(engine)));
}

void SynthRenderer::Queue(const HostMidiEvent& event) {
  const auto later = std::upper_bound(
      queue_.begin(), queue_.end(), event.sampleTime,
      [](int64_t time, const HostMidiEvent& queued) { return time < queued.sampleTime; });
  queue_.insert(later, event);
}

void SynthRenderer::Play(const HostMidiEvent& event) {
  fluid_synth_t* synth = engine_->synth;
  const int channel = event.Channel();
  const int data1 = event.data1 & 0x7F;
  const int data2 = event.data2 & 0x7F;
  switch (event.status & 0xF0) {
    case 0x80:
      fluid_synth_noteoff(synth, channel, data1);
      break;
    case 0x90:
      if (data2 == 0) {
        fluid_synth_noteoff(synth, channel, data1);
      } else {
        fluid_synth_noteon(synth, channel, data1, data2);
      }
      break;
    case 0xA0:
      fluid_synth_key_pressure(synth, channel, data1, data2);
      break;
    case 0xB0:
      fluid_synth_cc(synth, channel, data1, data2);
      break;
    case 0xC0:
      fluid_synth_program_change(synth, channel, data1);
      break;
    case 0xD0:
      fluid_synth_channel_pressure(synth, channel, data1);
      break;
    case 0xE0:
      fluid_synth_pitch_bend(synth, channel, data1 | (data2 << 7));
      break;
    default:
      break;
  }
}

void SynthRenderer::RenderTo(int64_t end, AudioSink& sink) {
  size_t next = 0;
  while (position_ < end) {
    while (next < queue_.size() && queue_[next].sampleTime <= position_) Play(queue_[next++]);
    int64_t stop = std::min(end, position_ + kChunkFrames);
    if (next < queue_.size()) stop = std::min(stop, queue_[next].sampleTime);
    const auto count = static_cast<int32_t>(stop - position_);
    float* out = buffer_.data();
    fluid_synth_write_float(engine_->synth, count, out, 0, 2, out, 1, 2);
    for (int32_t i = 0; i < 2 * count; ++i) peak_ = std::max(peak_, std::fabs(out[i]));
    sink.Write(out, count);
    position_ = stop;
  }
  queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(next));
}

}  // namespace host

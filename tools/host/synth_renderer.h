// Plays the MIDI of a run through a FluidSynth SoundFont synth, in step with the run: each event
// at its own sample time, the audio handed on in order to a sink.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/host/host_observer.h"

namespace host {

// Receives the rendered audio as interleaved stereo floats, full scale ±1.
class AudioSink {
 public:
  virtual ~AudioSink() = default;
  virtual void Write(const float* frames, int32_t count) = 0;
};

struct SynthSettings {
  std::string soundFont;
  int32_t sampleRate = 44100;
  int32_t program = 0;  // General MIDI program from 0, selected on every channel
};

class SynthRenderer {
 public:
  // Checks the file first, so a missing, empty, foreign or truncated SoundFont gets a one-line
  // error (path first) instead of whatever the synth makes of it.
  static std::unique_ptr<SynthRenderer> Create(const SynthSettings& settings, std::string& error);
  ~SynthRenderer();
  SynthRenderer(const SynthRenderer&) = delete;
  SynthRenderer& operator=(const SynthRenderer&) = delete;

  // Holds a channel message until the rendering reaches its sample time; events at the same time
  // play in the order given. One already behind the rendering plays at once.
  void Queue(const HostMidiEvent& event);

  // Renders up to frame end (excluded), playing the queued events that fall before it.
  void RenderTo(int64_t end, AudioSink& sink);

  int64_t Position() const { return position_; }
  // Largest sample magnitude so far.
  float Peak() const { return peak_; }

  // The rates the synth accepts.
  static constexpr int32_t kMinRate = 8000;
  static constexpr int32_t kMaxRate = 96000;

 private:
  struct Engine;
  explicit SynthRenderer(std::unique_ptr<Engine> engine);
  void Play(const HostMidiEvent& event);

  std::unique_ptr<Engine> engine_;
  std::vector<HostMidiEvent> queue_;  // by sample time, then arrival
  std::vector<float> buffer_;
  int64_t position_ = 0;
  float peak_ = 0.0f;
};

// Why path is no SoundFont (missing, empty, not RIFF sfbk, truncated), or "" when its outline is
// sound. Reads only the chunk headers.
std::string CheckSoundFont(const std::string& path);

}  // namespace host

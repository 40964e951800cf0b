// Writes the rendered audio as a stereo WAV file through libsndfile.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "tools/host/output_file.h"
#include "tools/host/synth_renderer.h"

namespace host {

class WavWriter : public AudioSink {
 public:
  // Opens path for writing now, so a bad path fails before the run; the file goes again unless
  // Finish succeeds. 24-bit integer samples (clipped at full scale) or 32-bit floats.
  static std::unique_ptr<WavWriter> Create(const std::string& path, int32_t sampleRate,
                                           bool floatSamples, std::string& error);
  ~WavWriter() override;
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;

  void Write(const float* frames, int32_t count) override;
  // Completes the header and closes the file.
  bool Finish(std::string& error);

  int64_t Frames() const { return frames_; }

 private:
  struct Handle;
  WavWriter(std::unique_ptr<OutputFile> file, std::unique_ptr<Handle> handle);

  std::unique_ptr<OutputFile> file_;
  std::unique_ptr<Handle> handle_;
  int64_t frames_ = 0;
  bool failed_ = false;
};

}  // namespace host

// WAV output.
#include "tools/host/wav_writer.h"

#include <sndfile.h>

#include <cstdio>

namespace host {

struct WavWriter::Handle {
  SNDFILE* sound = nullptr;
  ~Handle() {
    if (sound != nullptr) sf_close(sound);
  }
};

WavWriter::WavWriter(std::unique_ptr<OutputFile> file, std::unique_ptr<Handle> handle)
    : file_(std::move(file)), handle_(std::move(handle)) {}

WavWriter::~WavWriter() = default;

std::unique_ptr<WavWriter> WavWriter::Create(const std::string& path, int32_t sampleRate,
                                             bool floatSamples, std::string& error) {
  auto file = OutputFile::Open(path, error);
  if (!file) return nullptr;
  SF_INFO info{};
  info.samplerate = sampleRate;
  info.channels = 2;
  info.format = SF_FORMAT_WAV | (floatSamples ? SF_FORMAT_FLOAT : SF_FORMAT_PCM_24);
  auto handle = std::make_unique<Handle>();
  handle->sound = sf_open_fd(fileno(file->Stream()), SFM_WRITE, &info, SF_FALSE);
  if (handle->sound == nullptr) {
    error = path + ": cannot write the WAV file (" + sf_strerror(nullptr) + ")";
    return nullptr;
  }
  // The float format's peak chunk carries the time of writing, which would make every file
  // differ; integer samples beyond full scale are clipped rather than wrapped.
  sf_command(handle->sound, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
  sf_command(handle->sound, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  return std::unique_ptr<WavWriter>(new WavWriter(std::move(file), std::move(handle)));
}

void WavWriter::Write(const float* frames, int32_t count) {
  if (failed_ || count <= 0) return;
  if (sf_writef_float(handle_->sound, frames, count) != count) failed_ = true;
  frames_ += count;
}

bool WavWriter::Finish(std::string& error) {
  const int closed = sf_close(handle_->sound);
  handle_->sound = nullptr;
  if (failed_ || closed != 0) {
    error = file_->Path() + ": cannot write the WAV file (" + sf_strerror(nullptr) + ")";
    return false;
  }
  return file_->Commit(error);
}

}  // namespace host

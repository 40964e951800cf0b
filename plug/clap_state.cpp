// The CLAP state: the VST 2 bank chunk's bytes, written to and read from the host's streams.
#include <new>
#include <vector>

#include "plug/clap_effect.h"

namespace {

// Streams may move fewer bytes than asked: loop until done, an error, or no progress.
bool WriteAll(const clap::OStream& stream, const uint8_t* bytes, int64_t size) {
  while (size > 0) {
    const int64_t written = stream.write(&stream, bytes, static_cast<uint64_t>(size));
    if (written <= 0 || written > size) return false;
    bytes += written;
    size -= written;
  }
  return true;
}

// The whole stream, up to limit bytes; false on a read error or a longer stream.
bool ReadAll(const clap::IStream& stream, int64_t limit, std::vector<uint8_t>& bytes) {
  constexpr int64_t kPiece = 4096;
  int64_t size = 0;
  while (true) {
    bytes.resize(static_cast<size_t>(size + kPiece));
    const int64_t read = stream.read(&stream, bytes.data() + size, kPiece);
    if (read == 0) break;
    if (read < 0 || read > kPiece) return false;
    size += read;
    if (size > limit) return false;
  }
  bytes.resize(static_cast<size_t>(size));
  return true;
}

}  // namespace

bool IClapEffect::SaveState(const clap::OStream* stream) {
  ExpectMainThread("state save");
  if (!stream || !stream->write) return false;
  IStateChunk chunk;
  return WriteStateChunk(chunk) && WriteAll(*stream, chunk.Data(), chunk.Size());
}

bool IClapEffect::LoadState(const clap::IStream* stream) {
  ExpectMainThread("state load");
  if (!stream || !stream->read) return false;
  std::vector<uint8_t> bytes;
  try {
    if (!ReadAll(*stream, kMaxChunkSize, bytes) || bytes.empty()) {
      Log(clap::kLogError, "state refused: the stream failed, was empty or held too much");
      return false;
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  IStateChunk chunk;
  // A short or foreign chunk keeps what it could apply, as a bad VST 2 chunk does.
  const bool whole = ReadStateChunk(chunk, bytes.data(), static_cast<int64_t>(bytes.size()));
  if (!whole) Log(clap::kLogWarning, "state incomplete: the values it held were applied");
  if (hostParams_ && hostParams_->rescan) hostParams_->rescan(host_, clap::kParamRescanValues);
  return whole;
}

// The component's state through the host's streams: exactly the VST 2 bank chunk's bytes, so a
// saved state or preset moves between the formats unchanged.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "plug/vst3_effect.h"

namespace {

// Everything from the stream's position to its end, as far as the stream gives it: the counts the
// stream reports are what count, never its claimed size. False when it holds more than any state
// of ours.
bool ReadToEnd(vst3::IBStream& stream, std::vector<uint8_t>& bytes) {
  constexpr int32_t kPiece = 4096;
  uint8_t piece[kPiece];
  while (bytes.size() <= static_cast<size_t>(IEffectBase::kMaxChunkSize)) {
    int32_t got = 0;
    if (stream.read(piece, kPiece, &got) != vst3::kResultOk || got <= 0) return true;
    bytes.insert(bytes.end(), piece, piece + std::min(got, kPiece));
  }
  return false;
}

bool WriteAll(vst3::IBStream& stream, uint8_t* bytes, int32_t size) {
  while (size > 0) {
    int32_t written = 0;
    if (stream.write(bytes, size, &written) != vst3::kResultOk || written <= 0) return false;
    written = std::min(written, size);
    bytes += written;
    size -= written;
  }
  return true;
}

}  // namespace

vst3::tresult IVst3Effect::LoadComponentState(vst3::IBStream* state) {
  if (!state) return vst3::kInvalidArgument;
  std::vector<uint8_t> bytes;
  if (!ReadToEnd(*state, bytes)) return vst3::kResultFalse;
  // A short or damaged state is what a bad VST 2 chunk is: the values it holds, nothing lost.
  IStateChunk chunk;
  return ReadStateChunk(chunk, bytes.data(), static_cast<int64_t>(bytes.size()))
             ? vst3::kResultOk
             : vst3::kResultFalse;
}

vst3::tresult IVst3Effect::SaveComponentState(vst3::IBStream* state) {
  if (!state) return vst3::kInvalidArgument;
  // Taken under the lock, written to the host's stream outside it: the audio thread waits only
  // for the copy.
  IStateChunk chunk;
  if (!WriteStateChunk(chunk)) return vst3::kResultFalse;
  return WriteAll(*state, chunk.Data(), chunk.Size()) ? vst3::kResultOk : vst3::kResultFalse;
}

// IStateChunk: appending and reading little-endian values in a growable byte buffer.
#include "plug/state_chunk.h"

#include <bit>
#include <cstring>
#include <limits>

namespace {

// Byte i of the stored form is bits 8i..8i+7 of the value, whatever the machine's order.
template <class T>
void StoreLittleEndian(T value, uint8_t (&bytes)[sizeof(T)]) noexcept {
  for (size_t i = 0; i < sizeof(T); ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

template <class T>
T LoadLittleEndian(const uint8_t (&bytes)[sizeof(T)]) noexcept {
  T value = 0;
  for (size_t i = 0; i < sizeof(T); ++i) value |= static_cast<T>(bytes[i]) << (8 * i);
  return value;
}

}  // namespace

bool IStateChunk::Append(const void* data, int32_t size) {
  if (size < 0 || (size > 0 && !data)) return false;
  if (size == 0) return true;
  const int32_t old = Size();
  if (size > std::numeric_limits<int32_t>::max() - old) return false;
  auto* bytes = static_cast<uint8_t*>(buffer_.Resize(old + size, true));
  if (!bytes) return false;
  std::memcpy(bytes + old, data, static_cast<size_t>(size));
  return true;
}

bool IStateChunk::AppendInt32(int32_t value) {
  uint8_t bytes[4];
  StoreLittleEndian(static_cast<uint32_t>(value), bytes);
  return Append(bytes, sizeof bytes);
}

bool IStateChunk::AppendDouble(double value) {
  uint8_t bytes[8];
  StoreLittleEndian(std::bit_cast<uint64_t>(value), bytes);
  return Append(bytes, sizeof bytes);
}

int32_t IStateChunk::Read(void* out, int32_t size, int32_t position) const noexcept {
  if (position < 0 || size < 0 || !out) return -1;
  if (static_cast<int64_t>(position) + size > Size()) return -1;
  if (size > 0) std::memcpy(out, Data() + position, static_cast<size_t>(size));
  return position + size;
}

int32_t IStateChunk::ReadInt32(int32_t* value, int32_t position) const noexcept {
  uint8_t bytes[4];
  const int32_t next = Read(bytes, sizeof bytes, position);
  if (next >= 0 && value) *value = static_cast<int32_t>(LoadLittleEndian<uint32_t>(bytes));
  return next;
}

int32_t IStateChunk::ReadDouble(double* value, int32_t position) const noexcept {
  uint8_t bytes[8];
  const int32_t next = Read(bytes, sizeof bytes, position);
  if (next >= 0 && value) *value = std::bit_cast<double>(LoadLittleEndian<uint64_t>(bytes));
  return next;
}

bool IStateChunk::Resize(int32_t size) {
  if (size < 0) return false;
  const int32_t old = Size();
  buffer_.Resize(size, true);
  if (Size() != size) return false;
  if (size > old) std::memset(Data() + old, 0, static_cast<size_t>(size - old));
  return true;
}

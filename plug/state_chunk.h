// A growable byte buffer for saved state, and the preset slot that holds one.
#pragma once

#include <cstdint>

#include "plug/heap_buffer.h"

// Values are stored little-endian whatever the machine.
class IStateChunk {
 public:
  IStateChunk() noexcept : buffer_(HeapBuffer::kPageGranularity) {}

  // Appends size bytes; false when memory could not be obtained (the chunk is unchanged).
  bool Append(const void* data, int32_t size);
  bool AppendInt32(int32_t value);
  bool AppendDouble(double value);

  // Reads size bytes at position. Returns the next position, or -1 when the chunk is too short
  // (or position is negative); out is untouched then.
  int32_t Read(void* out, int32_t size, int32_t position) const noexcept;
  int32_t ReadInt32(int32_t* value, int32_t position) const noexcept;
  int32_t ReadDouble(double* value, int32_t position) const noexcept;

  // Resizes to size bytes (shrinking allowed), zero-filling bytes beyond the old size.
  bool Resize(int32_t size);
  void Clear() { Resize(0); }

  uint8_t* Data() noexcept { return static_cast<uint8_t*>(buffer_.Data()); }
  const uint8_t* Data() const noexcept { return static_cast<const uint8_t*>(buffer_.Data()); }
  int32_t Size() const noexcept { return buffer_.Size(); }

 private:
  HeapBuffer buffer_;
};

struct IPresetEntry {
  static constexpr int kNameSize = 256;

  bool initialised = false;
  char name[kNameSize] = {};
  IStateChunk chunk;
};

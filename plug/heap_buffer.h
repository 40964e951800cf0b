// A growable block of bytes with the program's growth policy (page-sized or small-step growth).
#pragma once

#include <cstdint>

// Not thread-safe: used under the plug-in's lock or on one thread. Allocates only in Resize.
class HeapBuffer {
 public:
  static constexpr int32_t kPageGranularity = 4096;

  explicit HeapBuffer(int32_t granularity = kPageGranularity) noexcept;
  ~HeapBuffer();
  HeapBuffer(const HeapBuffer&) = delete;
  HeapBuffer& operator=(const HeapBuffer&) = delete;

  // Sets the bytes in use to newSize, reallocating per the growth policy. Returns the data, or
  // null when the resulting size is 0. On allocation failure nothing changes.
  void* Resize(int32_t newSize, bool allowShrink);

  void* Data() noexcept { return size_ ? data_ : nullptr; }
  const void* Data() const noexcept { return size_ ? data_ : nullptr; }
  int32_t Size() const noexcept { return size_; }
  int32_t Allocated() const noexcept { return allocated_; }
  int32_t Granularity() const noexcept { return granularity_; }

 private:
  void* data_ = nullptr;
  int32_t granularity_;
  int32_t allocated_ = 0;
  int32_t size_ = 0;
  int32_t minimumAllocation_ = 0;
};

// An ordered list of owned object pointers kept in a HeapBuffer.
#pragma once

#include <cstdint>
#include <cstring>

#include "plug/heap_buffer.h"

// Owns its elements: DeleteAll (and the destructor) destroys them from last to first.
template <class T>
class PointerList {
 public:
  explicit PointerList(int32_t granularity = HeapBuffer::kPageGranularity) noexcept
      : buffer_(granularity) {}
  ~PointerList() { DeleteAll(); }
  PointerList(const PointerList&) = delete;
  PointerList& operator=(const PointerList&) = delete;

  int32_t Count() const noexcept { return buffer_.Size() / kSlot; }

  T* Get(int32_t index) const noexcept {
    if (index < 0 || index >= Count()) return nullptr;
    return Slots()[index];
  }

  // Appends; returns false (and keeps nothing) when memory could not be obtained.
  bool Add(T* item) {
    const int32_t count = Count();
    if (!buffer_.Resize((count + 1) * kSlot, false)) return false;
    Slots()[count] = item;
    return true;
  }

  // Inserts at index (clamped to 0..Count()), moving later elements up one place.
  bool Insert(int32_t index, T* item) {
    const int32_t count = Count();
    if (index < 0) index = 0;
    if (index > count) index = count;
    if (!buffer_.Resize((count + 1) * kSlot, false)) return false;
    T** slots = Slots();
    std::memmove(slots + index + 1, slots + index, sizeof(T*) * static_cast<size_t>(count - index));
    slots[index] = item;
    return true;
  }

  // Removes the element at index without destroying it; later elements move down one place.
  T* Remove(int32_t index) {
    const int32_t count = Count();
    if (index < 0 || index >= count) return nullptr;
    T** slots = Slots();
    T* item = slots[index];
    std::memmove(slots + index, slots + index + 1,
                 sizeof(T*) * static_cast<size_t>(count - index - 1));
    buffer_.Resize((count - 1) * kSlot, false);
    return item;
  }

  int32_t Find(const T* item) const noexcept {
    for (int32_t i = 0; i < Count(); ++i)
      if (Slots()[i] == item) return i;
    return -1;
  }

  // Destroys every element, last to first, then releases the storage.
  void DeleteAll() {
    for (int32_t i = Count() - 1; i >= 0; --i) {
      delete Slots()[i];
      buffer_.Resize(i * kSlot, false);
    }
    buffer_.Resize(0, true);
  }

 private:
  static constexpr int32_t kSlot = static_cast<int32_t>(sizeof(T*));
  T** Slots() const noexcept { return static_cast<T**>(const_cast<void*>(buffer_.Data())); }

  HeapBuffer buffer_;
};

// Bounded text copies: every copy into a fixed-size or host-supplied buffer goes through here.
#pragma once

#include <cstddef>
#include <cstring>

// Copies at most capacity - 1 bytes of source and always terminates (when capacity > 0).
// A null source copies the empty string. Returns destination.
inline char* CopyText(char* destination, size_t capacity, const char* source) noexcept {
  if (!destination || capacity == 0) return destination;
  size_t n = 0;
  if (source)
    while (n + 1 < capacity && source[n] != '\0') ++n;
  std::memmove(destination, source ? source : "", n);
  destination[n] = '\0';
  return destination;
}

template <size_t N>
inline char* CopyText(char (&destination)[N], const char* source) noexcept {
  return CopyText(destination, N, source);
}

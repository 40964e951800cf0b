// Texts between the plug-in's 8-bit strings and the UTF-16 strings of VST 3.
#pragma once

#include <cstddef>

#include "plug/vst3_abi.h"

// The plug-in's texts are ASCII: each byte widens to one code unit. At most capacity - 1 units,
// always terminated; a null text gives the empty string.
inline void ToString16(vst3::TChar* out, size_t capacity, const char* text) noexcept {
  if (!out || capacity == 0) return;
  size_t n = 0;
  for (; text && text[n] != '\0' && n + 1 < capacity; ++n)
    out[n] = static_cast<vst3::TChar>(static_cast<unsigned char>(text[n]));
  out[n] = u'\0';
}

// A host's UTF-16 text, narrowed: what is not ASCII becomes '?'.
inline void FromString16(char* out, size_t capacity, const vst3::TChar* text) noexcept {
  if (!out || capacity == 0) return;
  size_t n = 0;
  for (; text && text[n] != u'\0' && n + 1 < capacity; ++n)
    out[n] = text[n] < 0x80 ? static_cast<char>(text[n]) : '?';
  out[n] = '\0';
}

constexpr size_t kString128Size = 128;

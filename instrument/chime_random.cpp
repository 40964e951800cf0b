// The per-thread generator behind ChimeRandom.
#include "instrument/chime_random.h"

namespace {
thread_local uint32_t state = 1;
}  // namespace

int ChimeRandom::Draw() noexcept {
  state = state * 214013u + 2531011u;
  return static_cast<int>((state >> 16) & 0x7FFF);
}

uint32_t ChimeRandom::State() noexcept {
  return state;
}

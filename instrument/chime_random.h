// The chance behind the chimes: a linear congruential generator, one per thread.
#pragma once

#include <cstdint>

// Every thread starts at state 1 and is never reseeded, so every instance processed on one thread
// shares one sequence and a run is repeatable from a fresh thread. Needs no lock.
class ChimeRandom {
 public:
  static constexpr int kMaxDraw = 32767;

  // Next value, 0..32767.
  static int Draw() noexcept;
  // Next value scaled to 0.0..1.0, both ends included.
  static double UniformDraw() noexcept { return Draw() * (1.0 / kMaxDraw); }
  // This thread's generator state (for tests that need to know where a sequence stands).
  static uint32_t State() noexcept;
};

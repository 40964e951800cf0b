// The host's transport snapshot, with defaults for whatever the host does not report.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

struct ITransportInfo {
  double samplePosition = -1.0;
  double tempo = 120.0;           // beats per minute
  double musicalPosition = -1.0;  // quarter notes
  double lastBarPosition = -1.0;  // quarter notes
  int32_t numerator = 4;
  int32_t denominator = 4;
  double cycleStart = -1.0;  // quarter notes
  double cycleEnd = -1.0;    // quarter notes
  bool playing = false;
  bool cycleActive = false;
};

// A transport value a host may leave undefined or garbled: usable when finite and not negative.
inline bool NonNegative(double value) {
  return std::isfinite(value) && value >= 0.0;
}

// A host's sample position as the engine counts it: rounded to a whole frame, 0 for no position,
// and past the int32 range (some 13 hours at 44.1 kHz) the largest value.
inline int WholeSamplePosition(double position) {
  if (!NonNegative(position)) return 0;
  const double rounded = position + 0.5;
  constexpr double kLargest = std::numeric_limits<int32_t>::max();
  return rounded >= kLargest ? std::numeric_limits<int32_t>::max() : static_cast<int>(rounded);
}

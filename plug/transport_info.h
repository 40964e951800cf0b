// The host's transport snapshot, with defaults for whatever the host does not report.
#pragma once

#include <cstdint>

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

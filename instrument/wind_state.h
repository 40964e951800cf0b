// The wind model and strike scheduler's state: the wind, the swinging energy and the countdowns.
#pragma once

// All counts are samples of the current sample rate. Starting values are those of a 44.1 kHz
// instance that has not processed a block.
struct WindState {
  double sampleRate = 44100.0;
  double secondsPerSample = 1.0 / 44100.0;
  double decayTimeBase = 0.25;   // 11025 / sampleRate: the energy decays per 1/11025 s
  int gustBaseSamples = 132300;  // three seconds: mean time between wind targets
  int gustCountdown = 132300;    // samples until the next wind target is drawn
  int samplesPer100ms = 4410;
  int samplesPerMs = 44;
  double targetWind = 0.0;
  double windSlope = 0.0;  // change of wind per sample
  double wind = 0.0;       // never negative
  double energy = 0.0;     // leaky integral of the wind, never negative
  double blockDecay = 0.9;
  double blockSeconds = 0.0;
  int lastBlockSize = 0;      // block length blockDecay and blockSeconds were computed for
  int strikeCountdown = 400;  // from the start of the next block to the next opportunity
  int refreshCountdown = 0;   // until the controller outputs are repeated unchanged
  int lastMeter = 0;          // 0..127
  int currentChime = 0;       // chime of the strike sequence under way; 0 when none
};

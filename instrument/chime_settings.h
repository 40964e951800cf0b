// The instrument's working copy of its parameters, read by the wind engine and the MIDI output.
#pragma once

// Fields start at the values the instrument had before any parameter was reported; they follow
// the parameters only through Tintinna::ParameterChanged. Chimes are numbered 1 to 8.
struct ChimeSettings {
  static constexpr int kMaxChimes = 8;

  double meanWind = 0.0;       // wind units: "WSpeed" x 0.1
  double windVariation = 0.0;  // wind units: "Variable" x 0.1
  double sensitivity = 99.0;   // S in the strike probability 1 / (1 + S e^(-2E))
  double clapSize = 0.5;       // probability that a strike bounces onto a neighbour
  int toneCount = 6;
  int notes[kMaxChimes + 1] = {0, 64, 66, 68, 69, 71, 73, 75, 76};  // [0] unused
  bool anyDistance = true;  // runs jump by a random distance instead of to a neighbour
  double noteSeconds = 0.5;
  int noteChannel = 0;
  int minVelocity = 0;
  int ccChannelA = 0;
  int ccChannelB = 0;
  int ccNumberA = 11;
  int ccNumberB = 11;
  bool ccActiveA = true;
  bool ccActiveB = true;
  bool sendA = true;
  bool sendB = false;

  // B stays silent while A is active with the same channel and controller number, so one
  // controller message never goes out twice.
  void UpdateSends() noexcept {
    sendA = ccActiveA;
    sendB = ccActiveB && !(ccActiveA && ccChannelA == ccChannelB && ccNumberA == ccNumberB);
  }
};

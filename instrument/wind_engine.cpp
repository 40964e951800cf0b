// The wind engine: gusts, the swinging energy, strike opportunities, chime choice and bounces.
#include <algorithm>
#include <cmath>

#include "graphics/graphics_core.h"
#include "instrument/chime_random.h"
#include "instrument/tintinna.h"
#include "plug/mutex.h"

namespace {

constexpr double kFullScaleWind = 3.5;  // the meter reads 127 at this wind
constexpr int kBounceDelayMs = 25;

}  // namespace

void Tintinna::ResetProcessing() {
  ScopedLock lock(&Lock());
  WindState& w = wind_;
  w.sampleRate = std::clamp(GetSampleRate(), kMinEngineRate, kMaxEngineRate);
  w.secondsPerSample = 1.0 / w.sampleRate;
  w.decayTimeBase = 11025.0 / w.sampleRate;
  w.samplesPer100ms = static_cast<int>(0.1 * w.sampleRate);
  w.samplesPerMs = static_cast<int>(0.001 * w.sampleRate);
  w.gustBaseSamples = 3 * static_cast<int>(w.sampleRate);
  w.gustCountdown = w.gustBaseSamples;
  w.lastBlockSize = 0;
}

void Tintinna::ProcessBlock(double** inputs, double** outputs, int frames) {
  if (frames <= 0) return;
  PassThroughAudio(inputs, outputs, frames);
  // A stopped transport freezes everything, pending note-offs included.
  if (!IsTransportRunning()) return;
  AdvanceWind(frames);
  UpdateMeter(frames);
  RunStrikeOpportunities(frames);
  RunNoteOffCountdowns(frames);
}

void Tintinna::AdvanceWind(int frames) {
  WindState& w = wind_;
  w.gustCountdown -= frames;
  if (w.gustCountdown <= 0) {
    // A new target two to four seconds away, reached in a straight line.
    double r = ChimeRandom::UniformDraw();
    w.gustCountdown = static_cast<int>((2.0 * r - 1.0) * w.sampleRate) + w.gustBaseSamples;
    if (w.gustCountdown < 1) w.gustCountdown = 1;
    r = ChimeRandom::UniformDraw();
    w.targetWind = std::max(0.0, (2.0 * r - 1.0) * settings_.windVariation + settings_.meanWind);
    w.windSlope = (w.targetWind - w.wind) / w.gustCountdown;
  }
  if (frames != w.lastBlockSize) {
    // 0.9999 per 1/11025 s whatever the block length: a time constant near 0.91 s.
    w.blockDecay = std::pow(0.9999, frames * w.decayTimeBase);
    w.blockSeconds = w.secondsPerSample * frames;
    w.lastBlockSize = frames;
  }
  w.wind = std::max(0.0, w.wind + frames * w.windSlope);
  w.energy = std::max(0.0, (w.energy + w.blockSeconds * w.wind) * w.blockDecay);
}

void Tintinna::UpdateMeter(int frames) {
  WindState& w = wind_;
  const int meter = std::min(127, static_cast<int>(w.wind / kFullScaleWind * 127.0));
  w.refreshCountdown -= frames;
  if (w.refreshCountdown <= 0 || meter != w.lastMeter) {
    if (meter != w.lastMeter) {
      if (IGraphicsCore* editor = GetEditor(); editor && meterControl_ >= 0)
        editor->SetControlFromPlugin(meterControl_, meter / 127.0);
    }
    w.lastMeter = meter;
    SendControllerOutputs(meter);
  }
  // Unchanged, the controllers are repeated once a second.
  if (w.refreshCountdown <= 0) w.refreshCountdown = 10 * w.samplesPer100ms;
}

void Tintinna::RunStrikeOpportunities(int frames) {
  WindState& w = wind_;
  int remaining = frames;
  int pos = 0;
  if (w.strikeCountdown <= remaining) {
    const double p =
        w.energy > 0.0 ? 1.0 / (1.0 + settings_.sensitivity * std::exp(-2.0 * w.energy)) : 0.0;
    while (w.strikeCountdown <= remaining) {
      pos += w.strikeCountdown;  // may equal frames: the opportunity at the block end
      if (ChimeRandom::UniformDraw() > p) {
        w.currentChime = 0;  // the sequence is broken
      } else {
        ChooseChime();
        StrikeChime(pos);
        Bounce(pos);
      }
      remaining = frames - pos;
      w.strikeCountdown = NextStrikeInterval();
    }
  }
  w.strikeCountdown -= remaining;  // now counted from the start of the next block
}

void Tintinna::ChooseChime() {
  int& chime = wind_.currentChime;
  const int n = settings_.toneCount;
  const double w = ChimeRandom::UniformDraw();
  const bool randomDistance = settings_.anyDistance || n < 3;
  if (chime == 0) {
    // Chime N only on a draw of exactly 1.0.
    chime = static_cast<int>(w * (n - 1)) + 1;
  } else if (w < 0.5) {
    chime -= randomDistance ? static_cast<int>(std::floor(2.0 * w * (n - 1))) : 1;
    if (chime < 1) chime += n;
  } else {
    chime += randomDistance ? static_cast<int>(std::floor(2.0 * (w - 0.5) * (n - 1))) : 1;
    if (chime > n) chime -= n;
  }
}

void Tintinna::Bounce(int offset) {
  if (ChimeRandom::UniformDraw() >= settings_.clapSize) return;
  int& chime = wind_.currentChime;
  const int n = settings_.toneCount;
  if (ChimeRandom::UniformDraw() < 0.5) {
    if (--chime < 1) chime += n;
  } else {
    if (++chime > n) chime -= n;
  }
  // 25 ms later, possibly beyond this block's end. Blocks are at most kMaxBlockSize
  // frames and 25 ms at the highest engine rate are 250000 samples, so this stays an int.
  StrikeChime(offset + kBounceDelayMs * wind_.samplesPerMs);
}

int Tintinna::NextStrikeInterval() {
  // 20 to 60 ms, 40 ms twice as likely as its neighbours.
  const double r = ChimeRandom::UniformDraw();
  const int ms = 40 - static_cast<int>((2.0 * r - 1.0) * -20.0);
  // Below 1 kHz a millisecond has no whole sample; one sample keeps every block finite.
  return std::max(1, wind_.samplesPerMs * ms);
}

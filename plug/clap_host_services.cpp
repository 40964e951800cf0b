// The instrument's time queries, answered from the transport of the running CLAP process call.
#include <cmath>

#include "plug/clap_effect.h"

bool IClapEffect::IsTransportRunning() {
  return !hasTransport_ || (transport_.flags & clap::kTransportIsPlaying) != 0;
}

int IClapEffect::GetSamplePosition() {
  if (!hasTransport_ || !(transport_.flags & clap::kTransportHasSecondsTimeline)) return 0;
  return WholeSamplePosition(clap::FromFixedTime(transport_.song_pos_seconds) * GetSampleRate());
}

double IClapEffect::GetTempo() {
  const bool known = hasTransport_ && (transport_.flags & clap::kTransportHasTempo);
  return known && NonNegative(transport_.tempo) ? transport_.tempo : 0.0;
}

void IClapEffect::GetTimeSignature(int* numerator, int* denominator) {
  const bool known = hasTransport_ && (transport_.flags & clap::kTransportHasTimeSignature);
  if (numerator) *numerator = known ? transport_.tsig_num : 0;
  if (denominator) *denominator = known ? transport_.tsig_denom : 0;
}

void IClapEffect::GetTransportInfo(ITransportInfo* info) {
  if (!info) return;
  *info = ITransportInfo{};
  if (!hasTransport_) return;
  const clap::EventTransport& t = transport_;
  if (t.flags & clap::kTransportHasSecondsTimeline) {
    const double position = clap::FromFixedTime(t.song_pos_seconds) * GetSampleRate();
    if (std::isfinite(position)) info->samplePosition = position;
  }
  if (t.flags & clap::kTransportHasBeatsTimeline) {
    const double beats = clap::FromFixedTime(t.song_pos_beats);
    const double bar = clap::FromFixedTime(t.bar_start);
    const double loopStart = clap::FromFixedTime(t.loop_start_beats);
    const double loopEnd = clap::FromFixedTime(t.loop_end_beats);
    if (NonNegative(beats)) info->musicalPosition = beats;
    if (NonNegative(bar)) info->lastBarPosition = bar;
    if (NonNegative(loopStart) && NonNegative(loopEnd)) {
      info->cycleStart = loopStart;
      info->cycleEnd = loopEnd;
    }
  }
  if ((t.flags & clap::kTransportHasTempo) && NonNegative(t.tempo) && t.tempo > 0.0)
    info->tempo = t.tempo;
  if ((t.flags & clap::kTransportHasTimeSignature) && t.tsig_num > 0 && t.tsig_denom > 0) {
    info->numerator = t.tsig_num;
    info->denominator = t.tsig_denom;
  }
  info->playing = (t.flags & clap::kTransportIsPlaying) != 0;
  info->cycleActive = (t.flags & clap::kTransportIsLoopActive) != 0;
}

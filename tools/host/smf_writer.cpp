// Standard MIDI File writer.
#include "tools/host/smf_writer.h"

#include <algorithm>
#include <cmath>
#include <fstream>

namespace host {

namespace {

__extension__ using Wide = unsigned __int128;

void AppendU32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void AppendU16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value >> 8));
  out.push_back(static_cast<uint8_t>(value));
}

// 0 for messages that are not channel messages (system messages, stray data bytes).
int ChannelMessageLength(uint8_t status) {
  if (status < 0x80 || status >= 0xF0) return 0;
  const uint8_t kind = status & 0xF0;
  return kind == 0xC0 || kind == 0xD0 ? 2 : 3;
}

// Builds one track chunk; delta times longer than a variable-length quantity can hold are
// bridged with empty text events.
class TrackBuilder {
 public:
  void At(int64_t tick) {
    int64_t delta = tick - lastTick_;
    if (delta < 0) delta = 0;
    while (delta > SmfWriter::kMaxVariableLength) {
      SmfWriter::AppendVariableLength(body_, SmfWriter::kMaxVariableLength);
      body_.insert(body_.end(), {0xFF, 0x01, 0x00});
      delta -= SmfWriter::kMaxVariableLength;
    }
    SmfWriter::AppendVariableLength(body_, static_cast<uint32_t>(delta));
    lastTick_ = std::max(lastTick_, tick);
  }
  void Bytes(std::initializer_list<uint8_t> bytes) { body_.insert(body_.end(), bytes); }
  void Meta(uint8_t type, const std::vector<uint8_t>& data) {
    body_.push_back(0xFF);
    body_.push_back(type);
    SmfWriter::AppendVariableLength(body_, static_cast<uint32_t>(data.size()));
    body_.insert(body_.end(), data.begin(), data.end());
  }
  void EndInto(std::vector<uint8_t>& file) {
    At(lastTick_);
    Meta(0x2F, {});
    file.insert(file.end(), {'M', 'T', 'r', 'k'});
    AppendU32(file, static_cast<uint32_t>(body_.size()));
    file.insert(file.end(), body_.begin(), body_.end());
  }

 private:
  std::vector<uint8_t> body_;
  int64_t lastTick_ = 0;
};

uint8_t Log2(int32_t powerOfTwo) {
  uint8_t exponent = 0;
  while (powerOfTwo > 1) {
    powerOfTwo >>= 1;
    ++exponent;
  }
  return exponent;
}

}  // namespace

uint32_t SmfWriter::MicrosecondsPerQuarter(double tempo) {
  if (!(tempo > 0.0)) return 500000;
  const double micros = std::round(60000000.0 / tempo);
  return static_cast<uint32_t>(std::clamp(micros, 1.0, static_cast<double>(0xFFFFFF)));
}

int64_t SmfWriter::SampleToTick(int64_t sample, int32_t sampleRate, int32_t ticksPerQuarter,
                                uint32_t microsecondsPerQuarter) {
  if (sample <= 0 || sampleRate <= 0 || ticksPerQuarter <= 0 || microsecondsPerQuarter == 0) {
    return 0;
  }
  // ticks = seconds * 1e6 / (µs per quarter) * ticks per quarter, rounded half up.
  const Wide numerator = static_cast<Wide>(sample) * 1000000u * static_cast<Wide>(ticksPerQuarter);
  const Wide denominator = static_cast<Wide>(sampleRate) * microsecondsPerQuarter;
  return static_cast<int64_t>((2 * numerator + denominator) / (2 * denominator));
}

void SmfWriter::AppendVariableLength(std::vector<uint8_t>& out, uint32_t value) {
  value = std::min(value, kMaxVariableLength);
  uint8_t groups[4];
  int count = 0;
  do {
    groups[count++] = static_cast<uint8_t>(value & 0x7F);
    value >>= 7;
  } while (value != 0);
  while (count > 1) out.push_back(static_cast<uint8_t>(groups[--count] | 0x80));
  out.push_back(groups[0]);
}

std::vector<uint8_t> SmfWriter::Build(const std::vector<HostMidiEvent>& events,
                                      const SmfSettings& settings) {
  const uint32_t micros = MicrosecondsPerQuarter(settings.tempo);
  std::vector<uint8_t> file = {'M', 'T', 'h', 'd'};
  AppendU32(file, 6);
  AppendU16(file, 1);  // format 1: a tempo track and the event track
  AppendU16(file, 2);
  AppendU16(file, static_cast<uint32_t>(settings.ticksPerQuarter));

  TrackBuilder tempoTrack;
  tempoTrack.At(0);
  tempoTrack.Meta(0x51, {static_cast<uint8_t>(micros >> 16), static_cast<uint8_t>(micros >> 8),
                         static_cast<uint8_t>(micros)});
  tempoTrack.At(0);
  // 24 MIDI clocks per metronome click, 8 thirty-seconds per quarter: the usual values.
  tempoTrack.Meta(0x58,
                  {static_cast<uint8_t>(settings.numerator), Log2(settings.denominator), 24, 8});
  tempoTrack.EndInto(file);

  std::vector<const HostMidiEvent*> ordered;
  ordered.reserve(events.size());
  for (const auto& event : events) ordered.push_back(&event);
  std::stable_sort(
      ordered.begin(), ordered.end(),
      [](const HostMidiEvent* a, const HostMidiEvent* b) { return a->sampleTime < b->sampleTime; });

  TrackBuilder eventTrack;
  if (!settings.trackName.empty()) {
    eventTrack.At(0);
    eventTrack.Meta(0x03,
                    std::vector<uint8_t>(settings.trackName.begin(), settings.trackName.end()));
  }
  for (const HostMidiEvent* event : ordered) {
    const int length = ChannelMessageLength(event->status);
    if (length == 0) continue;
    eventTrack.At(
        SampleToTick(event->sampleTime, settings.sampleRate, settings.ticksPerQuarter, micros));
    if (length == 2) {
      eventTrack.Bytes({event->status, static_cast<uint8_t>(event->data1 & 0x7F)});
    } else {
      eventTrack.Bytes({event->status, static_cast<uint8_t>(event->data1 & 0x7F),
                        static_cast<uint8_t>(event->data2 & 0x7F)});
    }
  }
  eventTrack.EndInto(file);
  return file;
}

bool SmfWriter::WriteFile(const std::string& path, const std::vector<uint8_t>& bytes,
                          std::string& error) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (out)
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
  if (out) out.close();
  if (!out) {
    error = path + ": cannot write the MIDI file";
    return false;
  }
  return true;
}

}  // namespace host

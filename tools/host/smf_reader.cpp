// Standard MIDI File reader.
#include "tools/host/smf_reader.h"

#include <algorithm>
#include <fstream>
#include <limits>

#include "tools/host/smf_writer.h"

namespace host {

namespace {

__extension__ using Wide = __int128;

// A MIDI file larger than this is no input for a plug-in run.
constexpr std::streamoff kMaxFileBytes = 64 * 1024 * 1024;

// Reads big-endian fields from a byte range; every read fails, leaving the range as it was,
// when the bytes run out.
class Cursor {
 public:
  explicit Cursor(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  size_t Left() const { return bytes_.size(); }
  bool Take(size_t count, std::span<const uint8_t>& out) {
    if (count > bytes_.size()) return false;
    out = bytes_.first(count);
    bytes_ = bytes_.subspan(count);
    return true;
  }
  bool Byte(uint8_t& out) {
    std::span<const uint8_t> taken;
    if (!Take(1, taken)) return false;
    out = taken[0];
    return true;
  }
  bool Number(size_t size, uint32_t& out) {
    std::span<const uint8_t> taken;
    if (!Take(size, taken)) return false;
    out = 0;
    for (uint8_t byte : taken) out = out << 8 | byte;
    return true;
  }
  // At most four bytes, as the file format has it.
  bool VariableLength(uint32_t& out) {
    out = 0;
    for (int i = 0; i < 4; ++i) {
      uint8_t byte = 0;
      if (!Byte(byte)) return false;
      out = out << 7 | (byte & 0x7Fu);
      if ((byte & 0x80) == 0) return true;
    }
    return false;
  }

 private:
  std::span<const uint8_t> bytes_;
};

struct TickedMessage {
  int64_t tick;
  uint8_t status;
  uint8_t data1;
  uint8_t data2;
};

// Running status survives SysEx and meta events, as lenient readers have it.
bool ReadTrack(Cursor track, std::vector<TickedMessage>& out, std::string& error) {
  int64_t tick = 0;
  uint8_t running = 0;
  while (track.Left() > 0) {
    uint32_t delta = 0;
    uint8_t first = 0;
    if (!track.VariableLength(delta) || !track.Byte(first)) {
      error = "an event is cut short or malformed";
      return false;
    }
    tick += delta;
    if (first == 0xFF || first == 0xF0 || first == 0xF7) {
      uint8_t type = 0;
      uint32_t length = 0;
      std::span<const uint8_t> body;
      if ((first == 0xFF && !track.Byte(type)) || !track.VariableLength(length) ||
          !track.Take(length, body)) {
        error = "a meta or SysEx event runs past the end of its track";
        return false;
      }
      if (first == 0xFF && type == 0x2F) return true;
      continue;
    }
    if (first > 0xF0) {
      error = "a system message that has no place in a file";
      return false;
    }
    uint8_t data[2] = {first, 0};
    if ((first & 0x80) != 0) {
      running = first;
      if (!track.Byte(data[0])) data[0] = 0x80;
    } else if (running == 0) {
      error = "a data byte where a status byte belongs";
      return false;
    }
    const uint8_t kind = running & 0xF0;
    if (kind != 0xC0 && kind != 0xD0 && !track.Byte(data[1])) data[1] = 0x80;
    if (((data[0] | data[1]) & 0x80) != 0) {
      error = "a message cut short or broken by a status byte";
      return false;
    }
    out.push_back({tick, running, data[0], data[1]});
  }
  return true;  // the chunk's end ends a track without an end-of-track event
}

}  // namespace

bool SmfReader::Parse(std::span<const uint8_t> bytes, int32_t sampleRate, double tempo,
                      std::vector<HostMidiEvent>& events, std::string& error) {
  events.clear();
  Cursor file(bytes);
  std::span<const uint8_t> id;
  std::span<const uint8_t> header;
  uint32_t length = 0;
  if (!file.Take(4, id) || !std::equal(id.begin(), id.end(), "MThd") || !file.Number(4, length)) {
    error = "not a Standard MIDI File";
    return false;
  }
  if (length < 6 || !file.Take(length, header)) {
    error = "the header chunk is cut short";
    return false;
  }
  Cursor fields(header);
  uint32_t format = 0;
  uint32_t tracks = 0;
  uint32_t division = 0;
  fields.Number(2, format);
  fields.Number(2, tracks);
  fields.Number(2, division);
  if (format > 1) {
    error = "a format " + std::to_string(format) + " file (only formats 0 and 1 can be played)";
    return false;
  }
  // A tick lasts tickFrames / tickDivisor frames: a share of a quarter note at the run's tempo,
  // or of an SMPTE frame (29 stands for 30 drop-frame, 29.97 frames a second).
  Wide tickFrames = 0;
  Wide tickDivisor = 0;
  if ((division & 0x8000) == 0) {
    tickFrames = Wide{sampleRate} * SmfWriter::MicrosecondsPerQuarter(tempo);
    tickDivisor = Wide{1000000} * division;
  } else {
    const uint32_t fps = 256 - (division >> 8);
    const bool known = fps == 24 || fps == 25 || fps == 29 || fps == 30;
    tickFrames = Wide{sampleRate} * (fps == 29 ? 1001 : 1);
    tickDivisor = known ? Wide{division & 0xFF} * (fps == 29 ? 30000 : fps) : 0;
  }
  if (tickDivisor == 0 || tracks == 0) {
    error = tracks == 0 ? "the file declares no tracks"
                        : "a time division the file format does not have";
    return false;
  }

  std::vector<TickedMessage> messages;
  for (uint32_t track = 1; track <= tracks;) {
    std::span<const uint8_t> body;
    if (!file.Take(4, id) || !file.Number(4, length) || !file.Take(length, body)) {
      error = "track " + std::to_string(track) + " of " + std::to_string(tracks) +
              " is missing or runs past the end of the file";
      return false;
    }
    // Chunks of other kinds are skipped, as the format asks of readers.
    if (!std::equal(id.begin(), id.end(), "MTrk")) continue;
    if (!ReadTrack(Cursor(body), messages, error)) {
      error = "track " + std::to_string(track) + ": " + error;
      return false;
    }
    ++track;
  }
  std::stable_sort(messages.begin(), messages.end(),
                   [](const TickedMessage& a, const TickedMessage& b) { return a.tick < b.tick; });
  events.reserve(messages.size());
  for (const TickedMessage& message : messages) {
    HostMidiEvent event;
    // Ticks far beyond any run saturate instead of wrapping round to the start.
    const Wide frame = (2 * message.tick * tickFrames + tickDivisor) / (2 * tickDivisor);
    event.sampleTime =
        static_cast<int64_t>(std::min<Wide>(frame, std::numeric_limits<int64_t>::max()));
    event.status = message.status;
    event.data1 = message.data1;
    event.data2 = message.data2;
    events.push_back(event);
  }
  return true;
}

bool SmfReader::ReadFile(const std::string& path, int32_t sampleRate, double tempo,
                         std::vector<HostMidiEvent>& events, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot read the MIDI file";
    return false;
  }
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0, std::ios::beg);
  if (size < 0 || size > kMaxFileBytes) {
    error = path + ": not a MIDI file (" + std::to_string(size) + " bytes)";
    return false;
  }
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) {
    error = path + ": cannot read the MIDI file";
    return false;
  }
  if (!Parse(bytes, sampleRate, tempo, events, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

}  // namespace host

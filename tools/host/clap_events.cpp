// The host's CLAP event lists and state streams.
#include "tools/host/clap_events.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace host {

namespace {

// A plug-in state larger than this is not a state: the stream fails instead of eating memory.
constexpr size_t kMaxStateBytes = size_t{64} << 20;

template <class Table>
ClapEventList& ListOf(const Table* table) {
  return *static_cast<ClapEventList*>(table->ctx);
}

clap::EventHeader Header(uint32_t size, uint32_t time, uint16_t type) {
  return {size, time, clap::kCoreEventSpaceId, type, 0};
}

}  // namespace

ClapEvent ClapMidi(uint32_t time, uint8_t status, uint8_t data1, uint8_t data2) {
  ClapEvent e{};
  e.midi = {Header(sizeof(clap::EventMidi), time, clap::kEventMidi), 0, {status, data1, data2}};
  return e;
}

ClapEvent ClapNote(uint32_t time, clap::EventType type, int16_t channel, int16_t key,
                   double velocity) {
  ClapEvent e{};
  e.note = {Header(sizeof(clap::EventNote), time, type), -1, 0, channel, key, velocity};
  return e;
}

ClapEvent ClapParam(uint32_t time, clap::Id id, double value) {
  ClapEvent e{};
  e.param = {Header(sizeof(clap::EventParamValue), time, clap::kEventParamValue),
             id,
             nullptr,
             clap::kWildcard,
             clap::kWildcard,
             clap::kWildcard,
             clap::kWildcard,
             value};
  return e;
}

const clap::InputEvents* ClapEventList::In() {
  in_ = {this,
         [](const clap::InputEvents* l) { return static_cast<uint32_t>(ListOf(l).events_.size()); },
         [](const clap::InputEvents* l, uint32_t i) -> const clap::EventHeader* {
           const auto& events = ListOf(l).events_;
           return i < events.size() ? &events[i].header : nullptr;
         }};
  return &in_;
}

const clap::OutputEvents* ClapEventList::Out() {
  out_ = {this, [](const clap::OutputEvents* l, const clap::EventHeader* event) {
            return ListOf(l).Push(event);
          }};
  return &out_;
}

bool ClapEventList::Push(const clap::EventHeader* event) {
  if (!event || event->size < sizeof(clap::EventHeader)) return false;
  ClapEvent copy{};
  std::memcpy(&copy, event, std::min<size_t>(event->size, sizeof copy));
  events_.push_back(copy);
  return true;
}

std::vector<ClapEvent> ClapEventList::OfType(uint16_t type) const {
  std::vector<ClapEvent> found;
  std::copy_if(events_.begin(), events_.end(), std::back_inserter(found),
               [&](const ClapEvent& e) { return e.header.type == type; });
  return found;
}

const clap::OStream* ClapStateWriter::Stream() {
  stream_ = {this, [](const clap::OStream* s, const void* buffer, uint64_t size) -> int64_t {
               auto& bytes = static_cast<ClapStateWriter*>(s->ctx)->bytes_;
               if (!buffer || size > kMaxStateBytes - bytes.size()) return -1;
               const auto* first = static_cast<const uint8_t*>(buffer);
               bytes.insert(bytes.end(), first, first + size);
               return static_cast<int64_t>(size);
             }};
  return &stream_;
}

const clap::IStream* ClapStateReader::Stream() {
  stream_ = {this, [](const clap::IStream* s, void* buffer, uint64_t size) -> int64_t {
               auto& reader = *static_cast<ClapStateReader*>(s->ctx);
               if (!buffer) return -1;
               const size_t count = static_cast<size_t>(
                   std::min<uint64_t>(size, reader.bytes_.size() - reader.position_));
               if (count > 0) std::memcpy(buffer, reader.bytes_.data() + reader.position_, count);
               reader.position_ += count;
               return static_cast<int64_t>(count);
             }};
  return &stream_;
}

bool MidiBytesOfNote(const clap::EventNote& note, uint8_t bytes[3]) {
  const bool on = note.header.type == clap::kEventNoteOn;
  if ((!on && note.header.type != clap::kEventNoteOff) || note.channel < 0 || note.channel > 15 ||
      note.key < 0 || note.key > 127)
    return false;
  const double velocity = std::isfinite(note.velocity) ? std::clamp(note.velocity, 0.0, 1.0) : 0.0;
  auto value = static_cast<uint8_t>(std::lround(velocity * 127.0));
  if (on && value == 0) value = 1;
  bytes[0] = static_cast<uint8_t>((on ? 0x90 : 0x80) | note.channel);
  bytes[1] = static_cast<uint8_t>(note.key);
  bytes[2] = value;
  return true;
}

}  // namespace host

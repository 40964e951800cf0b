// Feeds arbitrary bytes to the host's MIDI file reader: it must read or refuse them cleanly, and
// what it reads must lie on the timeline in time order.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "tools/host/smf_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<host::HostMidiEvent> events;
  std::string error;
  // The longest frames a tick can last: the highest rate at the slowest tempo.
  const bool read = host::SmfReader::Parse({data, size}, 1000000, 1.0, events, error);
  if (read != error.empty() || error.find('\n') != std::string::npos) std::abort();
  if (!read && !events.empty()) std::abort();
  for (size_t i = 0; i < events.size(); ++i) {
    if (events[i].sampleTime < (i == 0 ? 0 : events[i - 1].sampleTime)) std::abort();
    if ((events[i].status & 0x80) == 0 || events[i].status >= 0xF0) std::abort();
  }
  return 0;
}

// Writes seeds for the MIDI file reader's fuzzer into the directory given: files as this host
// writes them, so the run starts inside the tracks rather than at the header.
#include <string>
#include <vector>

#include "tools/host/smf_writer.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::vector<host::HostMidiEvent> events;
  const uint8_t statuses[] = {0x90, 0x80, 0xB3, 0xC1, 0xE0, 0xD2, 0xA0};
  for (int i = 0; i < 14; ++i) {
    host::HostMidiEvent event;
    event.sampleTime = i * i * 700;
    event.status = statuses[i % 7];
    event.data1 = static_cast<uint8_t>(40 + i);
    event.data2 = static_cast<uint8_t>(i * 9);
    events.push_back(event);
  }
  host::SmfSettings settings;
  settings.trackName = "seed";
  std::string error;
  const std::string dir = argv[1];
  const bool written =
      host::SmfWriter::WriteFile(dir + "/events.mid", host::SmfWriter::Build(events, settings),
                                 error) &&
      host::SmfWriter::WriteFile(dir + "/empty.mid", host::SmfWriter::Build({}, {}), error);
  return written ? 0 : 1;
}

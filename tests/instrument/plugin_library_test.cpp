// tintinna.so as a host sees it, careful or careless: loaded with dlopen and driven through its
// entry point alone.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <deque>
#include <map>
#include <random>
#include <thread>
#include <utility>
#include <vector>

#include "instrument/tintinna.h"
#include "plug/vst2_abi.h"
#include "tests/instrument/chime_host.h"
#include "tests/support/allocation_counter.h"

namespace {

using chime_test::ChimeHost;
using chime_test::Event;
using chime_test::OnFreshThread;

class PluginLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    library_ = dlopen(TINTINNA_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library_, nullptr) << dlerror();
    entry_ = reinterpret_cast<vst2::EntryProc>(dlsym(library_, "VSTPluginMain"));
    ASSERT_NE(entry_, nullptr);
  }
  void TearDown() override {
    if (library_) dlclose(library_);
  }

  // A windy run of the library on a fresh thread, whose generator starts at 1.
  std::vector<Event> WindyRun(vst2::EntryProc entry) {
    std::vector<Event> events;
    OnFreshThread([&] {
      ChimeHost host(entry, 44100.0, 512);
      host.Open();
      host.SetParameter(0, 1.0f);   // "WSpeed" 30
      host.SetParameter(1, 0.5f);   // "Variable" 15
      host.SetParameter(11, 0.0f);  // "Sensitiv" 1
      host.SetParameter(2, 1.0f);   // eight chimes
      host.ProcessBlocks(3000, 512);
      EXPECT_GT(chime_test::ExpectEveryNoteEnded(host, 512), 500);
      events = host.events;
    });
    return events;
  }

  void* library_ = nullptr;
  vst2::EntryProc entry_ = nullptr;
};

TEST_F(PluginLibrary, ExportsOnlyItsEntryPoints) {
  EXPECT_NE(dlsym(library_, "main"), nullptr);
  EXPECT_EQ(dlsym(library_, "_ZN8Tintinna16ParameterChangedEi"), nullptr);
  EXPECT_EQ(dlsym(library_, "_ZN11ChimeRandom4DrawEv"), nullptr);
  EXPECT_EQ(dlsym(library_, "_ZN11IEffectBase18SetParameterFromGUIEid"), nullptr);
}

TEST_F(PluginLibrary, DescribesTheInstrumentInItsEffectRecord) {
  OnFreshThread([&] {
    ChimeHost host(entry_, 44100.0, 512);
    vst2::AEffect* effect = host.Effect();
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->magic, vst2::kEffectMagic);
    EXPECT_EQ(effect->flags, 0x1119);
    EXPECT_EQ(effect->numParams, 28);
    EXPECT_EQ(effect->numPrograms, 6);
    EXPECT_EQ(effect->numInputs, 2);
    EXPECT_EQ(effect->numOutputs, 2);
    EXPECT_EQ(effect->uniqueID, 0x746E7461);  // "tnta"
    char name[vst2::kParamTextSize] = {};
    host.Dispatch(vst2::effGetParamName, 18, 0, name);
    EXPECT_STREQ(name, "CC num A");
  });
}

// The linked instrument with its messages taken as the engine makes them, before any queue:
// each at the host time of the call it is made in (or, passed through, the next) plus its offset.
class EngineStream : public Tintinna {
 public:
  explicit EngineStream(vst2::HostCallback callback) : Tintinna(callback) {}
  static vst2::AEffect* Entry(vst2::HostCallback callback) {
    return (new EngineStream(callback))->Effect();
  }
  bool SendMidiMessage(const IMidiMessage& m) override {
    made.push_back({m.offset + host->hostTime, m.status, m.data1, m.data2});
    return true;
  }
  struct Made {
    int64_t time;
    uint8_t status, data1, data2;
  };
  std::vector<Made> made;
  const ChimeHost* host = nullptr;
};

struct Call {
  int frames;
  bool playing;
  bool passThrough;
  int number;
};

// Frame counts that change every call, some longer than the block size of 1024 (cut into
// slices), single frames, two stops of the transport and MIDI from the host now and then.
std::vector<Call> Schedule() {
  constexpr int kSizes[] = {1024, 512, 1, 333, 2500, 1024, 4096, 77, 1023, 1025, 700, 64};
  std::vector<Call> calls;
  for (int i = 0; i < 1500; ++i) {
    const bool stopped = (i >= 600 && i < 640) || (i >= 1100 && i < 1104);
    calls.push_back({kSizes[(i * 7) % 12], !stopped, i % 37 == 5, i});
  }
  return calls;
}

void PassThrough(ChimeHost& host, int frames, int round) {
  auto midi = [](int32_t delta, uint8_t status, int data1, int data2) {
    vst2::VstMidiEvent event{};
    event.type = vst2::kVstMidiType;
    event.byteSize = sizeof(event);
    event.deltaFrames = delta;
    event.midiData[0] = static_cast<char>(status);
    event.midiData[1] = static_cast<char>(data1);
    event.midiData[2] = static_cast<char>(data2);
    return event;
  };
  // At frame 0 too, where held-over events and the instrument's controllers may stand.
  vst2::VstMidiEvent events[] = {midi(0, 0xB9, 7, round % 128), midi(frames / 2, 0x99, 40, 100),
                                 midi(frames - 1, 0x89, 40, 0)};
  struct {
    int32_t numEvents;
    intptr_t reserved;
    vst2::VstEvent* events[3];
  } three{3, 0, {}};
  for (int k = 0; k < 3; ++k) three.events[k] = reinterpret_cast<vst2::VstEvent*>(&events[k]);
  host.Dispatch(vst2::effProcessEvents, 0, 0, &three);
}

void Windy(ChimeHost& host) {
  host.Open();
  host.SetParameter(0, 1.0f);   // "WSpeed" 30
  host.SetParameter(1, 0.5f);   // "Variable" 15
  host.SetParameter(11, 0.0f);  // "Sensitiv" 1
  host.SetParameter(2, 1.0f);   // eight chimes
  host.SetParameter(12, 1.0f);  // a bounce after nearly every strike
}

TEST_F(PluginLibrary, DeliversTheEnginesStreamAtItsTimesInWhateverCallsTheHostMakes) {
  const std::vector<Call> calls = Schedule();
  std::vector<Event> delivered;
  int heardWhileStopped = 0;
  OnFreshThread([&] {
    ChimeHost host(entry_, 44100.0, 1024);
    Windy(host);
    for (const Call& call : calls) {
      if (call.passThrough) PassThrough(host, call.frames, call.number);
      host.playing = call.playing;
      const size_t before = host.events.size();
      host.Process(call.frames);
      if (!call.playing) heardWhileStopped += static_cast<int>(host.events.size() - before);
    }
    delivered = host.events;
  });
  std::vector<EngineStream::Made> expected;
  int64_t end = 0;
  OnFreshThread([&] {
    ChimeHost host(&EngineStream::Entry, 44100.0, 1024);
    auto* engine = static_cast<EngineStream*>(IVstEffect::FromEffect(host.Effect()));
    engine->host = &host;
    Windy(host);
    for (const Call& call : calls) {
      if (call.passThrough) PassThrough(host, call.frames, call.number);
      host.playing = call.playing;
      // The slices the adapter cuts a long call into, as calls of their own.
      for (int done = 0; done < call.frames; done += 1024)
        host.Process(std::min(1024, call.frames - done));
    }
    expected = engine->made;
    end = host.hostTime;
  });
  std::stable_sort(expected.begin(), expected.end(),
                   [](const auto& a, const auto& b) { return a.time < b.time; });
  std::erase_if(expected, [end](const auto& m) { return m.time >= end; });

  ASSERT_EQ(delivered.size(), expected.size());
  int notes = 0, passed = 0;
  for (size_t i = 0; i < expected.size(); ++i) {
    ASSERT_EQ(delivered[i].hostTime, expected[i].time) << i;
    ASSERT_EQ(delivered[i].status, expected[i].status) << i;
    ASSERT_EQ(delivered[i].data1, expected[i].data1) << i;
    ASSERT_EQ(delivered[i].data2, expected[i].data2) << i;
    if (delivered[i].status == 0x90) ++notes;
    if (delivered[i].Channel() == 9) ++passed;
  }
  EXPECT_GT(notes, 1000);
  EXPECT_EQ(passed, 3 * 41);
  EXPECT_GT(heardWhileStopped, 0) << "held-over events come out while the transport stands";
}

TEST_F(PluginLibrary, AnOverfullCallKeepsEveryEventInsideItAndLeavesNoNoteOn) {
  OnFreshThread([&] {
    ChimeHost host(entry_, 44100.0, 4096);
    Windy(host);
    host.WarmUp(4096);
    // The host floods the next call as well: 3000 notes, each ended at once.
    std::vector<vst2::VstMidiEvent> flood(6000);
    std::vector<vst2::VstEvent*> pointers(2 + flood.size());
    for (size_t k = 0; k < flood.size(); ++k) {
      vst2::VstMidiEvent& e = flood[k];
      e.type = vst2::kVstMidiType;
      e.byteSize = sizeof(e);
      e.deltaFrames = static_cast<int32_t>(k);
      e.midiData[0] = static_cast<char>(k % 2 ? 0x8A : 0x9A);
      e.midiData[1] = static_cast<char>(k / 2 % 128);
      e.midiData[2] = 90;
      pointers[k + 2] = reinterpret_cast<vst2::VstEvent*>(&e);
    }
    auto* list = reinterpret_cast<vst2::VstEvents*>(pointers.data());
    list->numEvents = static_cast<int32_t>(flood.size());
    list->reserved = 0;
    host.Dispatch(vst2::effProcessEvents, 0, 0, list);

    const size_t before = host.events.size();
    host.events.reserve(before + 100000);
    allocation_counter::Start();
    host.Process(ChimeHost::kMaxFrames);  // six seconds in one call, cut into 64 slices
    EXPECT_EQ(allocation_counter::Stop(), 0);
    EXPECT_LE(host.events.size() - before, 1024u + 128u);
    EXPECT_GT(host.events.size() - before, 1000u);

    // A calm tail in which every strike's note ends.
    host.SetParameter(0, 0.0f);
    host.SetParameter(1, 0.0f);
    host.SetParameter(11, 1.0f);
    host.ProcessBlocks(200, 4096);
    std::map<int, const Event*> last;
    for (const Event& e : host.events)
      if (e.IsNoteOn() || e.IsNoteOff()) last[e.Channel() * 128 + e.data1] = &e;
    for (const auto& [key, e] : last) {
      if (e->IsNoteOn()) {
        EXPECT_GT(e->hostTime, host.hostTime - 10000) << "key " << key << " left on";
      }
    }
  });
}

TEST_F(PluginLibrary, RepeatsItselfOnAFreshThread) {
  const std::vector<Event> first = WindyRun(entry_);
  const std::vector<Event> second = WindyRun(entry_);
  ASSERT_EQ(first.size(), second.size());
  for (size_t i = 0; i < first.size(); ++i) {
    ASSERT_EQ(first[i].time, second[i].time) << i;
    ASSERT_EQ(first[i].status, second[i].status) << i;
    ASSERT_EQ(first[i].data1, second[i].data1) << i;
  }
}

// ---- A careless host --------------------------------------------------------------------------

// Automation of any index with values in and out of range, a transposition, or a new program,
// sample rate or block size.
void Meddle(ChimeHost& host, std::mt19937& rng) {
  constexpr float kOdd[] = {-1.0f, 2.0f, NAN, INFINITY, -1e30f, 0.0f, 1.0f};
  constexpr float kRates[] = {22050.0f, 44100.0f, 48000.0f, 96000.0f, 192000.0f};
  const uint32_t r = rng() % 20;
  if (r < 13)
    host.SetParameter(static_cast<int>(rng() % 35) - 3,
                      rng() % 3 ? static_cast<float>(rng() % 1001) / 1000 : kOdd[rng() % 7]);
  else if (r < 17)
    host.SetParameter(24 + static_cast<int>(rng() % 2), 1.0f);
  else if (r == 17)
    host.Dispatch(vst2::effSetProgram, 0, static_cast<intptr_t>(rng() % 9) - 1);
  else if (r == 18)
    host.Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, kRates[rng() % 5]);
  else
    host.Dispatch(vst2::effSetBlockSize, 0, static_cast<intptr_t>(rng() % 5000));
}

// After a calm drain (no wind, no bounces, the shortest notes), the notes begun before its last
// fifth of a second that no note-off ended; each note-off ends the oldest open note of its key.
int NotesLeftOn(ChimeHost& host, float rate) {
  for (const int index : {0, 1, 12, 14}) host.SetParameter(index, 0.0f);
  host.SetParameter(11, 1.0f);
  host.Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, rate);
  host.Dispatch(vst2::effSetBlockSize, 0, 4096);
  host.playing = true;
  host.ProcessBlocks(11 * 192000 / 4096, 4096);  // ten-second notes counted at the highest rate
  std::map<int, std::deque<int64_t>> open;
  for (const chime_test::Event& e : host.events) {
    std::deque<int64_t>& starts = open[e.Channel() * 128 + e.data1];
    if (e.IsNoteOn()) starts.push_back(e.hostTime);
    if (e.IsNoteOff() && !starts.empty()) starts.pop_front();
  }
  int left = 0;
  for (const auto& [key, starts] : open)
    left += static_cast<int>(std::count_if(starts.begin(), starts.end(), [&](int64_t start) {
      return start < host.hostTime - rate / 5;
    }));
  return left;
}

// Mixed calls, automation, stops and suspends at two rates. These seeds left notes on at both,
// and played held notes after a resume, before every note-on had a note-off of its own.
TEST_F(PluginLibrary, LeavesNoNoteOnAndPlaysNoHeldNoteAfterAResumeWhateverTheHostDoes) {
  for (const float rate : {44100.0f, 96000.0f}) {
    for (const uint32_t seed : {5u, 10u, 13u, 15u}) {
      OnFreshThread([&] {
        ChimeHost host(entry_, rate, 1024);
        host.Open();
        std::mt19937 rng(seed);
        for (int step = 0; step < 20000; ++step) {
          const uint32_t r = rng() % 100;
          if (r < 60) {
            host.Process(1 + static_cast<int>(rng() % 4096));
          } else if (r < 97) {
            Meddle(host, rng);
          } else if (r < 99) {
            host.playing = !host.playing;
          } else {
            host.Dispatch(vst2::effMainsChanged, 0, 0);
            host.Dispatch(vst2::effMainsChanged, 0, 1);
            const bool playing = std::exchange(host.playing, false);  // what sounds was held
            const size_t before = host.events.size();
            host.Process(1 + static_cast<int>(rng() % 4096));
            EXPECT_TRUE(std::none_of(host.events.begin() + static_cast<std::ptrdiff_t>(before),
                                     host.events.end(),
                                     [](const Event& e) { return e.IsNoteOn(); }))
                << rate << " Hz, seed " << seed << ", step " << step;
            host.playing = playing;
          }
        }
        EXPECT_EQ(NotesLeftOn(host, rate), 0) << rate << " Hz, seed " << seed;
      });
    }
  }
}

// Processing on one thread, automation, programs, rates and suspends from two others.
TEST_F(PluginLibrary, LeavesNoNoteOnWhileOtherThreadsMeddle) {
  for (const float rate : {44100.0f, 96000.0f}) {
    OnFreshThread([&] {
      ChimeHost host(entry_, rate, 1024);
      host.Open();
      std::atomic<bool> stop{false};
      std::vector<std::thread> meddlers;
      for (const uint32_t seed : {7u, 8u}) {
        meddlers.emplace_back([&, seed] {
          std::mt19937 rng(seed);
          for (; !stop; std::this_thread::sleep_for(std::chrono::microseconds(20))) {
            Meddle(host, rng);
            if (rng() % 50 == 0) host.Dispatch(vst2::effMainsChanged, 0, rng() % 2);
          }
        });
      }
      std::mt19937 rng(9);
      const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
      while (std::chrono::steady_clock::now() < end)
        host.Process(1 + static_cast<int>(rng() % 4096));
      stop = true;
      for (std::thread& meddler : meddlers) meddler.join();
      host.Dispatch(vst2::effMainsChanged, 0, 1);
      EXPECT_EQ(NotesLeftOn(host, rate), 0) << rate << " Hz";
    });
  }
}

}  // namespace

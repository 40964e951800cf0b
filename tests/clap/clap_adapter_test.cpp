// tintinna.clap driven by a small CLAP host of our own, against the VST 2 build of the same
// instrument; and the adapter's editor path on a test effect.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <tuple>
#include <vector>

#include "plug/clap_effect.h"
#include "tests/instrument/chime_host.h"

namespace {

using chime_test::ChimeHost;
using chime_test::OnFreshThread;

constexpr uint32_t kBlock = 512;

union AnyEvent {
  clap::EventHeader header;
  clap::EventMidi midi;
  clap::EventNote note;
  clap::EventParamValue param;
  clap::EventParamGesture gesture;
  clap::EventTransport transport;
};

AnyEvent Midi(uint32_t time, uint8_t status, uint8_t data1, uint8_t data2) {
  AnyEvent e{};
  e.midi = {{sizeof(clap::EventMidi), time, 0, clap::kEventMidi, 0}, 0, {status, data1, data2}};
  return e;
}

AnyEvent Note(uint32_t time, clap::EventType type, int16_t channel, int16_t key, double velocity) {
  AnyEvent e{};
  e.note = {{sizeof(clap::EventNote), time, 0, type, 0}, -1, 0, channel, key, velocity};
  return e;
}

AnyEvent Param(uint32_t time, clap::Id id, double value) {
  AnyEvent e{};
  e.param = {{sizeof(clap::EventParamValue), time, 0, clap::kEventParamValue, 0},
             id,
             nullptr,
             -1,
             -1,
             -1,
             -1,
             value};
  return e;
}

// One list serves as the host's input and as the plug-in's output, which it copies.
struct EventList {
  std::vector<AnyEvent> events;
  clap::InputEvents in{
      this, [](const clap::InputEvents* l) { return static_cast<uint32_t>(Of(l).size()); },
      [](const clap::InputEvents* l, uint32_t i) -> const clap::EventHeader* {
        return i < Of(l).size() ? &Of(l)[i].header : nullptr;
      }};
  clap::OutputEvents out{this, [](const clap::OutputEvents* l, const clap::EventHeader* event) {
                           AnyEvent copy{};
                           std::memcpy(&copy, event, std::min<size_t>(event->size, sizeof copy));
                           Of(l).push_back(copy);
                           return true;
                         }};
  template <class List>
  static std::vector<AnyEvent>& Of(const List* l) {
    return static_cast<EventList*>(l->ctx)->events;
  }
  std::vector<AnyEvent> OfType(uint16_t type) const {
    std::vector<AnyEvent> found;
    std::copy_if(events.begin(), events.end(), std::back_inserter(found),
                 [&](const AnyEvent& e) { return e.header.type == type; });
    return found;
  }
};

struct TestHost {
  static TestHost& Of(const clap::Host* h) { return *static_cast<TestHost*>(h->host_data); }
  clap::HostParams params{[](const clap::Host* h, uint32_t) { ++Of(h).rescans; },
                          [](const clap::Host*, clap::Id, uint32_t) {},
                          [](const clap::Host* h) { ++Of(h).flushRequests; }};
  clap::Host host{clap::kVersion,
                  this,
                  "test host",
                  "",
                  "",
                  "1.0",
                  [](const clap::Host* h, const char* id) -> const void* {
                    return std::strcmp(id, clap::kExtParams) == 0 ? &Of(h).params : nullptr;
                  },
                  [](const clap::Host*) {},
                  [](const clap::Host*) {},
                  [](const clap::Host*) {}};
  int rescans = 0;
  int flushRequests = 0;
};

// One plug-in instance through its record: init, extension tables, and processing calls.
class Instance {
 public:
  explicit Instance(const clap::Plugin* record) : plugin(record) {
    EXPECT_TRUE(plugin && plugin->init(plugin));
    params = static_cast<const clap::PluginParams*>(plugin->get_extension(plugin, "clap.params"));
    state = static_cast<const clap::PluginState*>(plugin->get_extension(plugin, "clap.state"));
  }
  ~Instance() {
    if (active_) plugin->deactivate(plugin);
    plugin->destroy(plugin);
  }
  void Start() {
    active_ = plugin->activate(plugin, 44100.0, 1, kBlock) && plugin->start_processing(plugin);
    ASSERT_TRUE(active_);
  }
  EventList Process(std::vector<AnyEvent> input, bool playing = true) {
    EventList in{std::move(input)};
    EventList out;
    // The audio passes through unchanged, from buffers apart from the output's.
    std::vector<float> audio[4];
    for (int c = 0; c < 4; ++c)
      audio[c].assign(kBlock, c < 2 ? 0.25f * static_cast<float>(c + 1) : 0);
    float* channels[4] = {audio[0].data(), audio[1].data(), audio[2].data(), audio[3].data()};
    clap::AudioBuffer buffers[2] = {{channels, nullptr, 2, 0, 0}, {channels + 2, nullptr, 2, 0, 1}};
    clap::EventTransport transport{};
    transport.header = {sizeof transport, 0, 0, clap::kEventTransport, 0};
    transport.flags = playing ? clap::kTransportIsPlaying : 0u;
    const clap::Process process{-1, kBlock, &transport, &buffers[0], &buffers[1],
                                1,  1,      &in.in,     &out.out};
    EXPECT_EQ(plugin->process(plugin, &process), clap::kProcessContinue);
    EXPECT_TRUE(audio[2] == audio[0] && audio[3] == audio[1] && buffers[1].constant_mask == 0);
    return out;
  }
  EventList Flush(std::vector<AnyEvent> input) {
    EventList in{std::move(input)};
    EventList out;
    params->flush(plugin, &in.in, &out.out);
    return out;
  }
  double Value(clap::Id id) {
    double value = -1.0;
    EXPECT_TRUE(params->get_value(plugin, id, &value));
    return value;
  }
  std::vector<double> Values() {
    std::vector<double> values;
    for (clap::Id id = 0; id < params->count(plugin); ++id) values.push_back(Value(id));
    return values;
  }

  const clap::Plugin* plugin;
  const clap::PluginParams* params = nullptr;
  const clap::PluginState* state = nullptr;

 private:
  bool active_ = false;
};

class ClapModule : public ::testing::Test {
 protected:
  void SetUp() override {
    library_ = dlopen(TINTINNA_CLAP_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library_, nullptr) << dlerror();
    const auto* entry = static_cast<const clap::PluginEntry*>(dlsym(library_, "clap_entry"));
    ASSERT_NE(entry, nullptr);
    ASSERT_TRUE(entry->init(TINTINNA_CLAP_PATH) && entry->init(TINTINNA_CLAP_PATH));
    factory_ = static_cast<const clap::PluginFactory*>(entry->get_factory("clap.plugin-factory"));
    ASSERT_NE(factory_, nullptr);
  }
  void TearDown() override {
    if (library_) dlclose(library_);
  }
  const clap::Plugin* Create(const char* id = "com.orrinvale.tintinna") {
    return factory_->create_plugin(factory_, &host_.host, id);
  }

  TestHost host_;
  void* library_ = nullptr;
  const clap::PluginFactory* factory_ = nullptr;
};

using Midi3 = std::tuple<int64_t, int, int, int>;  // time on the host's timeline, three bytes

// The same run as VST 2 does it: wind up, a wind change at frame 200 of call 300, a transpose
// at frame 100 of call 400, MIDI in at call 500, and calls 600 to 699 with the transport stopped.
TEST_F(ClapModule, SendsTheVst2BuildsMidiWithAutomationAtOffsetsMidiInAndAStoppedTransport) {
  constexpr int kCalls = 1200;
  std::vector<Midi3> vst2;
  OnFreshThread([&] {
    ChimeHost host(44100.0, kBlock);
    host.Open();
    for (auto [index, value] : {std::pair{0, 1.0f}, {1, 0.5f}, {11, 0.0f}, {2, 1.0f}})
      host.SetParameter(index, value);
    for (int call = 0; call < kCalls; ++call) {
      host.playing = call < 600 || call >= 700;
      host.SetParameter(24, 0.0f);
      if (call == 300 || call == 400) {
        host.Process(call == 300 ? 200 : 100);
        host.SetParameter(call == 300 ? 0 : 24, call == 300 ? 0.75f : 1.0f);
      } else if (call == 500) {
        vst2::VstMidiEvent in[3] = {};
        constexpr int32_t kDeltas[3] = {5, 9, 300};
        struct {
          int32_t numEvents = 3;
          intptr_t reserved = 0;
          vst2::VstEvent* events[3];
        } list;
        const uint8_t bytes[3][3] = {{0xB3, 7, 99}, {0x91, 64, 64}, {0x81, 64, 0}};
        for (int i = 0; i < 3; ++i) {
          in[i].type = vst2::kVstMidiType;
          in[i].byteSize = sizeof in[i];
          in[i].deltaFrames = kDeltas[i];
          std::copy_n(bytes[i], 3, in[i].midiData);
          list.events[i] = reinterpret_cast<vst2::VstEvent*>(&in[i]);
        }
        host.Dispatch(vst2::effProcessEvents, 0, 0, &list);
      }
      host.Process(kBlock - (call == 300 ? 200 : call == 400 ? 100 : 0));
    }
    for (const auto& e : host.events) vst2.emplace_back(e.hostTime, e.status, e.data1, e.data2);
  });

  std::vector<Midi3> clap;
  std::vector<AnyEvent> nudges;
  OnFreshThread([&] {
    Instance plugin(Create());
    plugin.Start();
    for (int call = 0; call < kCalls; ++call) {
      std::vector<AnyEvent> in{Param(0, 24, 0.0)};
      if (call == 0)
        in = {Param(0, 0, 30.0), Param(0, 1, 15.0), Param(0, 11, 1.0), Param(0, 2, 8.0)};
      if (call == 300) in.push_back(Param(200, 0, 22.5));
      if (call == 400) in.push_back(Param(100, 24, 1.0));
      if (call == 500)
        in = {Param(0, 24, 0.0), Midi(5, 0xB3, 7, 99), Note(9, clap::kEventNoteOn, 1, 64, 0.5),
              Note(300, clap::kEventNoteOff, 1, 64, 0.0)};
      const EventList out = plugin.Process(in, call < 600 || call >= 700);
      uint32_t last = 0;
      for (const AnyEvent& e : out.events) {
        EXPECT_GE(e.header.time, last);
        last = e.header.time;
        if (e.header.type == clap::kEventParamValue && call == 400) nudges.push_back(e);
        if (e.header.type != clap::kEventMidi) continue;
        EXPECT_EQ(e.header.size, sizeof(clap::EventMidi));
        clap.emplace_back(int64_t{call} * kBlock + e.header.time, e.midi.data[0], e.midi.data[1],
                          e.midi.data[2]);
      }
    }
  });
  EXPECT_GT(vst2.size(), 200u);
  EXPECT_EQ(clap, vst2);
  // The transpose goes to the host as the eight tones' new values, at the frame it happened.
  constexpr double kRaised[8] = {49, 51, 53, 54, 56, 58, 60, 61};
  ASSERT_EQ(nudges.size(), 8u);
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(nudges[k].param.param_id, 3u + k);
    EXPECT_EQ(nudges[k].param.value, kRaised[k]);
    EXPECT_EQ(nudges[k].header.time, 100u);
  }
}

TEST_F(ClapModule, OffersOneNoteEffectAndDescribesItsParametersInPlainUnitsWithTheVst2Texts) {
  ASSERT_EQ(factory_->get_plugin_count(factory_), 1u);
  const clap::PluginDescriptor* descriptor = factory_->get_plugin_descriptor(factory_, 0);
  ASSERT_NE(descriptor, nullptr);
  EXPECT_STREQ(descriptor->name, "Tintinna");
  EXPECT_STREQ(descriptor->vendor, "Orrinvale");
  EXPECT_STREQ(descriptor->features[0], "note-effect");
  EXPECT_EQ(Create("com.orrinvale.other"), nullptr);

  Instance plugin(Create());
  ASSERT_EQ(plugin.params->count(plugin.plugin), 28u);
  constexpr uint32_t kAuto = clap::kParamIsAutomatable;
  constexpr uint32_t kStepped = kAuto | clap::kParamIsStepped;
  constexpr uint32_t kEnum = kStepped | clap::kParamIsEnum;
  const struct {
    clap::Id id;
    const char* name;
    double min, max, initial;
    uint32_t flags;
    double value;
    const char* text;
  } rows[] = {
      {0, "WSpeed", 0, 30, 10, kAuto, 25, "25"},
      {2, "NumTones", 1, 8, 6, kStepped, 8, "8"},
      {13, "Algorithm", 0, 1, 0, kEnum, 1, "Favor Neighbors"},
      {14, "Duration", 0.1, 10, 0.1, kAuto, 0.5, "0.5"},
      {17, "ChannelA", 0, 15, 0, kStepped, 3, "4"},
      {19, "CC A", 0, 1, 0, kEnum, 1, "on"},
  };
  // The defaults stay those of the new instance, whatever the values are now.
  for (const auto& row : rows) plugin.Flush({Param(0, row.id, row.value)});
  for (const auto& row : rows) {
    clap::ParamInfo info{};
    ASSERT_TRUE(plugin.params->get_info(plugin.plugin, row.id, &info));
    EXPECT_EQ(std::tie(info.id, info.min_value, info.max_value, info.default_value, info.flags),
              std::tie(row.id, row.min, row.max, row.initial, row.flags))
        << row.name;
    EXPECT_EQ(plugin.Value(row.id), row.value) << row.name;
    char text[8] = {};
    ASSERT_TRUE(plugin.params->value_to_text(plugin.plugin, row.id, row.value, text, sizeof text));
    EXPECT_STREQ(text, std::string(row.text).substr(0, 7).c_str());
    double value = -1.0;
    ASSERT_TRUE(plugin.params->text_to_value(plugin.plugin, row.id, row.text, &value));
    EXPECT_EQ(value, row.value) << row.text;
  }
  double value = 0.0;
  EXPECT_FALSE(plugin.params->text_to_value(plugin.plugin, 0, "windy", &value));
  EXPECT_FALSE(plugin.params->get_info(plugin.plugin, 28, nullptr));
}

// A stream that moves one byte per call, or fails every call with the given answer.
struct Stream {
  template <class S>
  static Stream& Of(const S* s) {
    return *static_cast<Stream*>(s->ctx);
  }
  std::vector<uint8_t> bytes;
  int64_t answer = 1;
  size_t at = 0;
  clap::OStream out{this, [](const clap::OStream* s, const void* b, uint64_t) -> int64_t {
                      if (Of(s).answer == 1) Of(s).bytes.push_back(*static_cast<const uint8_t*>(b));
                      return Of(s).answer;
                    }};
  clap::IStream in{this, [](const clap::IStream* s, void* b, uint64_t) -> int64_t {
                     Stream& t = Of(s);
                     if (t.answer != 1 || t.at == t.bytes.size())
                       return t.answer == 1 ? 0 : t.answer;
                     *static_cast<uint8_t*>(b) = t.bytes[t.at++];
                     return 1;
                   }};
};

TEST_F(ClapModule, SavesTheVst2BankChunkAndLoadsItBackThroughOneByteStreamsRefusingBadOnes) {
  ChimeHost vst(44100.0, kBlock);
  vst.Open();
  for (auto [index, value] : {std::pair{0, 0.5f}, {17, 0.2f}, {13, 1.0f}, {12, 0.25f}})
    vst.SetParameter(index, value);
  uint8_t* chunk = nullptr;
  const intptr_t size = vst.Dispatch(vst2::effGetChunk, 0, 0, &chunk);
  ASSERT_GT(size, 0);

  Instance plugin(Create());
  // Without processing, a flush alone applies values.
  plugin.Flush({Param(0, 0, 15.0), Param(0, 17, 3.0), Param(0, 13, 1.0), Param(0, 12, 0.25)});
  EXPECT_EQ(plugin.Value(0), 15.0);
  Stream saved;
  ASSERT_TRUE(plugin.state->save(plugin.plugin, &saved.out));
  EXPECT_EQ(saved.bytes, std::vector<uint8_t>(chunk, chunk + size));

  Instance copy(Create());
  ASSERT_TRUE(copy.state->load(copy.plugin, &saved.in));
  EXPECT_EQ(copy.Values(), plugin.Values());
  EXPECT_EQ(host_.rescans, 1);

  Stream refused[] = {{},
                      {{'t', 'f', 'f', 'p', 1}},
                      {saved.bytes, -1},
                      {std::vector<uint8_t>(IEffectBase::kMaxChunkSize + 1)}};
  for (Stream& bad : refused) EXPECT_FALSE(copy.state->load(copy.plugin, &bad.in));
  EXPECT_EQ(copy.Values(), plugin.Values());
  for (const int64_t answer : {0, -1}) {
    Stream failing{{}, answer};
    EXPECT_FALSE(plugin.state->save(plugin.plugin, &failing.out));
  }
}

class GestureEffect : public IClapEffect {
 public:
  explicit GestureEffect(const clap::Host* host)
      : IClapEffect(host, 2, "2-2", 1, "Gestures", "", "", 0x10000, 0, 0, 0, true, false, false) {
    for (int i = 0; i < 2; ++i) GetParameter(i)->DefineContinuous("Level", 0, 0, 10, 0.01, "");
  }
};

TEST(ClapEditorEdits, ReachTheHostAsBalancedGesturesThroughOneFlushRequestEvenPastTheQueue) {
  TestHost host;
  auto* effect = new GestureEffect(&host.host);
  const clap::PluginDescriptor descriptor{};
  Instance plugin(effect->Record(&descriptor));
  // A drag of more steps than the queue holds before the host flushes, and a second press.
  effect->BeginParameterGesture(1);
  for (int k = 1; k <= 3000; ++k) effect->SetParameterFromGUI(1, k / 3000.0);
  effect->EndParameterGesture(1);
  effect->BeginParameterGesture(0);
  EXPECT_EQ(host.flushRequests, 1);

  const EventList out = plugin.Flush({});
  ASSERT_FALSE(out.events.empty());
  EXPECT_EQ(out.events.front().header.type, clap::kEventParamGestureBegin);
  EXPECT_EQ(out.OfType(clap::kEventParamGestureBegin).size(), 2u);
  EXPECT_EQ(out.OfType(clap::kEventParamGestureEnd).size(), 1u);
  const auto values = out.OfType(clap::kEventParamValue);
  ASSERT_FALSE(values.empty());
  EXPECT_EQ(values.back().param.value, 10.0);

  // The press still open ends in the next processing call; a new batch asks for a flush again.
  effect->EndParameterGesture(0);
  EXPECT_EQ(host.flushRequests, 2);
  plugin.Start();
  const auto ends = plugin.Process({}).OfType(clap::kEventParamGestureEnd);
  ASSERT_EQ(ends.size(), 1u);
  EXPECT_EQ(ends[0].gesture.param_id, 0u);
}

}  // namespace

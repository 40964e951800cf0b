// The LV2 adapter driven as a host drives it: ports, atom sequences each way, state.
#include <gtest/gtest.h>
#include <lv2/atom/forge.h>
#include <lv2/atom/util.h>
#include <lv2/midi/midi.h>
#include <lv2/time/time.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "plug/lv2/plugin_adapter.h"
#include "tests/support/allocation_counter.h"

namespace {

constexpr uint32_t kFrames = 512;
constexpr uint32_t kWindSpeed = 0;

struct Event {
  int64_t frame;
  std::vector<uint8_t> bytes;
};

class Lv2Host {
 public:
  explicit Lv2Host(uint32_t outputCapacity = 64 * 1024)
      : in_(8192), out_(outputCapacity / 8 + 2, 0xAAAAAAAAAAAAAAAAull), capacity_(outputCapacity) {
    plugin_.reset(CreateEffectInstance(features_));
    plugin_->Open(44100.0);
    for (int i = 0; i < plugin_->ParameterCount(); ++i) {
      controls_.push_back(static_cast<float>(plugin_->GetParameter(i)->Value()));
    }
    for (uint32_t i = 0; i < controls_.size(); ++i) plugin_->ConnectPort(i, &controls_[i]);
    for (uint32_t c = 0; c < 4; ++c)
      plugin_->ConnectPort(plugin_->PortOf(ILv2Effect::kAudioIn0) + c, audio_[c].data());
    plugin_->ConnectPort(plugin_->PortOf(ILv2Effect::kEventsIn), in_.data());
    plugin_->ConnectPort(plugin_->PortOf(ILv2Effect::kMidiOut), out_.data());
    plugin_->Activate(true);
  }

  // One run: a position when speed is given, the MIDI, and the events that came out.
  std::vector<Event> Run(float speed, const std::vector<Event>& midi = {}) {
    LV2_Atom_Forge forge;
    lv2_atom_forge_init(&forge, &map_);
    lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(in_.data()), in_.size() * 8);
    LV2_Atom_Forge_Frame sequence, object;
    lv2_atom_forge_sequence_head(&forge, &sequence, 0);
    if (speed >= 0.0f) {
      lv2_atom_forge_frame_time(&forge, 0);
      lv2_atom_forge_object(&forge, &object, 0, Id(LV2_TIME__Position));
      lv2_atom_forge_key(&forge, Id(LV2_TIME__speed));
      lv2_atom_forge_float(&forge, speed);
      lv2_atom_forge_pop(&forge, &object);
    }
    for (const Event& event : midi) {
      lv2_atom_forge_frame_time(&forge, event.frame);
      lv2_atom_forge_atom(&forge, static_cast<uint32_t>(event.bytes.size()),
                          Id(LV2_MIDI__MidiEvent));
      lv2_atom_forge_write(&forge, event.bytes.data(), static_cast<uint32_t>(event.bytes.size()));
    }
    lv2_atom_forge_pop(&forge, &sequence);
    auto* output = reinterpret_cast<LV2_Atom_Sequence*>(out_.data());
    output->atom.size = capacity_ - sizeof(LV2_Atom);
    for (uint32_t i = 0; i < kFrames; ++i) {
      audio_[0][i] = 0.25f * static_cast<float>(i % 7);
      audio_[1][i] = -audio_[0][i];
    }
    allocation_counter::Start();
    plugin_->Run(kFrames);
    allocations_ += allocation_counter::Stop();
    // The audio passes through unchanged.
    EXPECT_EQ(audio_[2], audio_[0]);
    EXPECT_EQ(audio_[3], audio_[1]);
    EXPECT_LE(output->atom.size + sizeof(LV2_Atom), capacity_);
    EXPECT_EQ(out_.back(), 0xAAAAAAAAAAAAAAAAull) << "written past the output's capacity";
    std::vector<Event> events;
    LV2_ATOM_SEQUENCE_FOREACH(output, event) {
      const auto* bytes = static_cast<const uint8_t*>(LV2_ATOM_BODY_CONST(&event->body));
      events.push_back({event->time.frames, {bytes, bytes + event->body.size}});
    }
    return events;
  }

  uint32_t Id(const char* uri) { return ids_.emplace(uri, ids_.size() + 1).first->second; }

  std::unique_ptr<ILv2Effect> plugin_;
  std::vector<float> controls_;
  long allocations_ = 0;  // made inside the plug-in's runs

 private:
  static LV2_URID MapOf(LV2_URID_Map_Handle handle, const char* uri) {
    return static_cast<Lv2Host*>(handle)->Id(uri);
  }
  std::map<std::string, uint32_t> ids_;
  LV2_URID_Map map_{this, &MapOf};
  LV2_Feature mapFeature_{LV2_URID__map, &map_};
  const LV2_Feature* features_[2] = {&mapFeature_, nullptr};
  std::vector<float> audio_[4] = {std::vector<float>(kFrames), std::vector<float>(kFrames),
                                  std::vector<float>(kFrames), std::vector<float>(kFrames)};
  std::vector<uint64_t> in_;
  std::vector<uint64_t> out_;
  uint32_t capacity_;
};

int NoteOns(const std::vector<Event>& events) {
  int count = 0;
  for (const Event& event : events) count += (event.bytes[0] & 0xF0) == 0x90 && event.bytes[2] > 0;
  return count;
}

TEST(Lv2Effect, PassesHostMidiThroughInTimeOrderAmongTheChimesFreezesWhenStoppedAndNeverAllocates) {
  Lv2Host host;
  host.controls_[kWindSpeed] = 30.0f;
  int chimes = 0;
  int passed = 0;
  // Some 12 s: the wind takes a few seconds to rise.
  for (int call = 0; call < 1000; ++call) {
    const auto events = host.Run(1.0f, {{7, {0xB3, 64, 127}}, {400, {0xC1, 5}}});
    for (size_t i = 0; i < events.size(); ++i) {
      ASSERT_LT(events[i].frame, kFrames);
      if (i > 0) {
        ASSERT_LE(events[i - 1].frame, events[i].frame);
      }
      passed += (events[i].frame == 7 && events[i].bytes == std::vector<uint8_t>{0xB3, 64, 127}) +
                (events[i].frame == 400 && events[i].bytes == std::vector<uint8_t>{0xC1, 5});
    }
    chimes += NoteOns(events);
    if (call == 500) host.controls_[kWindSpeed] = 29.0f;
  }
  EXPECT_EQ(passed, 2000);
  EXPECT_GT(chimes, 10);
  // Stopped (one position with speed 0, then none): strikes made before the stop may still come
  // out in the stopping call, and then none until it rolls again.
  host.Run(0.0f);
  int whileStopped = 0;
  for (int call = 0; call < 400; ++call) whileStopped += NoteOns(host.Run(-1.0f));
  EXPECT_EQ(whileStopped, 0);
  int rolling = 0;
  for (int call = 0; call < 400; ++call) rolling += NoteOns(host.Run(1.0f));
  EXPECT_GT(rolling, 10);
  EXPECT_EQ(host.allocations_, 0) << "the audio thread allocated";
}

TEST(Lv2Effect, AFullOutputDropsEventsInsteadOfOverrunningIt) {
  // The sequence header and two three-byte events.
  Lv2Host host(sizeof(LV2_Atom_Sequence) + 2 * (sizeof(LV2_Atom_Event) + 8));
  std::vector<Event> burst;
  for (int i = 0; i < 10; ++i) burst.push_back({i, {0xB0, 1, static_cast<uint8_t>(i)}});
  const auto events = host.Run(0.0f, burst);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[1].bytes[2], 1);
  EXPECT_GE(host.plugin_->QueuedEvents().Dropped(), 8);
}

struct SavedState {
  std::vector<uint8_t> bytes;
  uint32_t type = 0;
  static LV2_State_Status Store(LV2_State_Handle handle, uint32_t, const void* value, size_t size,
                                uint32_t type, uint32_t) {
    auto* state = static_cast<SavedState*>(handle);
    state->bytes.assign(static_cast<const uint8_t*>(value),
                        static_cast<const uint8_t*>(value) + size);
    state->type = type;
    return LV2_STATE_SUCCESS;
  }
  static const void* Retrieve(LV2_State_Handle handle, uint32_t, size_t* size, uint32_t* type,
                              uint32_t*) {
    auto* state = static_cast<SavedState*>(handle);
    *size = state->bytes.size();
    *type = state->type;
    return state->bytes.empty() ? nullptr : state->bytes.data();
  }
};

TEST(Lv2Effect, ARestoredStateHoldsUntilTheHostWritesADifferentPortValueAndTheUiHearsOfIt) {
  Lv2Host saving;
  saving.controls_[kWindSpeed] = 25.0f;
  saving.Run(1.0f);
  SavedState state;
  ASSERT_EQ(saving.plugin_->Save(&SavedState::Store, &state), LV2_STATE_SUCCESS);

  Lv2Host host;
  host.Run(1.0f);
  const IParameter& wind = *host.plugin_->GetParameter(kWindSpeed);
  SavedState wrongType{state.bytes, state.type + 1};
  EXPECT_EQ(host.plugin_->Restore(&SavedState::Retrieve, &wrongType), LV2_STATE_ERR_BAD_TYPE);
  SavedState nothing;
  EXPECT_EQ(host.plugin_->Restore(&SavedState::Retrieve, &nothing), LV2_STATE_SUCCESS);
  EXPECT_EQ(wind.Value(), 10.0);

  ASSERT_EQ(host.plugin_->Restore(&SavedState::Retrieve, &state), LV2_STATE_SUCCESS);
  host.Run(1.0f);
  EXPECT_EQ(wind.Value(), 25.0) << "the port the host never changed overrode the state";
  const ILv2Effect::Notice notice = host.plugin_->TakeNotice(kWindSpeed);
  EXPECT_TRUE(notice.value);
  EXPECT_EQ(notice.plain, 25.0f);
  host.controls_[kWindSpeed] = 12.0f;
  host.Run(1.0f);
  EXPECT_EQ(wind.Value(), 12.0);
}

}  // namespace

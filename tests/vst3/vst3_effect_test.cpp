// Tintinna's VST 3 build driven as Ardour 7.3 drives it: creation, the double initialize and
// terminate, processing with events and parameter points, state through host streams.
#include <gtest/gtest.h>

#include <cstring>

#include "instrument/tintinna.h"
#include "plug/vst3_events.h"
#include "plug/vst3_factory.h"
#include "tests/vst3/vst3_test_host.h"

namespace {

using vst3::kResultOk;
using vst3_test::ProcessCall;

class Application final : public vst3_test::HostObject<vst3::IHostApplication> {
 public:
  vst3::tresult getName(vst3::String128 name) override {
    std::memcpy(name, u"Ardour", sizeof u"Ardour");
    return kResultOk;
  }
  vst3::tresult createInstance(vst3::TUID, vst3::TUID, void**) override { return 1; }
};

template <class Interface>
Interface* Query(vst3::FUnknown* object) {
  void* found = nullptr;
  return object->queryInterface(vst3::kIid<Interface>.data(), &found) == kResultOk
             ? static_cast<Interface*>(found)
             : nullptr;
}

vst3::Event NoteOn(int32_t offset, int16_t pitch, float velocity) {
  vst3::Event e{};
  e.sampleOffset = offset;
  e.type = vst3::Event::kNoteOnEvent;
  e.noteOn = {0, pitch, 0.0f, velocity, 0, -1};
  return e;
}

// An instance as Ardour holds one: component, controller and processor references, initialized
// twice, with a handler, set up for 48 kHz and active.
struct ArdourInstance {
  ArdourInstance() {
    void* object = nullptr;
    const vst3::UidBytes cid =
        vst3::ToBytes(vst3::Vst2SuccessorUid(IEffectBase::FourCC("tnta"), "Tintinna"));
    EXPECT_EQ(factory.createInstance(cid.data(), vst3::kIid<vst3::IComponent>.data(), &object),
              kResultOk);
    component = static_cast<vst3::IComponent*>(object);
    EXPECT_EQ(component->initialize(&application), kResultOk);
    controller = Query<vst3::IEditController>(component);
    controller->initialize(&application);
    EXPECT_EQ(controller->setComponentHandler(&handler), kResultOk);
    processor = Query<vst3::IAudioProcessor>(component);
    vst3::ProcessSetup setup{vst3::kRealtime, vst3::kSample32, 1024, 48000.0};
    EXPECT_EQ(processor->setupProcessing(setup), kResultOk);
    EXPECT_EQ(component->setActive(true), kResultOk);
    effect = static_cast<Tintinna*>(static_cast<IVst3Effect*>(component));
  }
  // Ardour's teardown; true when the last release destroyed the plug-in and nothing before it.
  bool TearDown() {
    bool ok = processor->release() == 2;
    component->setActive(false);
    controller->setComponentHandler(nullptr);
    controller->terminate();
    ok = controller->release() == 1 && ok;
    component->terminate();
    return component->release() == 0 && ok;
  }

  Vst3Factory factory{&CreateEffectInstance};
  Application application;
  vst3_test::Handler handler;
  vst3::IComponent* component = nullptr;
  vst3::IEditController* controller = nullptr;
  vst3::IAudioProcessor* processor = nullptr;
  Tintinna* effect = nullptr;
};

TEST(Vst3Instance, ScanThenArdoursInstantiationAndTeardownBalanceEveryReference) {
  // The scanner: never activated, switched off anyway, then gone.
  {
    Vst3Factory factory{&CreateEffectInstance};
    vst3::PClassInfo2 info{};
    ASSERT_EQ(factory.getClassInfo2(0, &info), kResultOk);
    EXPECT_STREQ(info.category, "Audio Module Class");
    EXPECT_NE(std::strstr(info.subCategories, "Instrument"), nullptr);
    void* object = nullptr;
    ASSERT_EQ(factory.createInstance(info.cid, vst3::kIid<vst3::IComponent>.data(), &object),
              kResultOk);
    auto* component = static_cast<vst3::IComponent*>(object);
    Application application;
    EXPECT_EQ(component->initialize(&application), kResultOk);
    vst3::IAudioProcessor* processor = Query<vst3::IAudioProcessor>(component);
    EXPECT_EQ(processor->canProcessSampleSize(vst3::kSample32), kResultOk);
    EXPECT_EQ(component->getBusCount(vst3::kEvent, vst3::kOutput), 1);
    EXPECT_EQ(processor->setProcessing(false), kResultOk);
    EXPECT_EQ(component->setActive(false), kResultOk);
    EXPECT_EQ(processor->release(), 1u);
    EXPECT_EQ(component->terminate(), kResultOk);
    EXPECT_EQ(application.held, 0);
    EXPECT_EQ(component->release(), 0u);
  }
  ArdourInstance ardour;
  EXPECT_EQ(ardour.handler.held, 1);
  ProcessCall call(512);
  for (int i = 0; i < 8; ++i, call.Next()) ardour.processor->process(call.data);
  vst3::IPlugView* view = ardour.controller->createView("editor");
  ASSERT_NE(view, nullptr);
  vst3::ViewRect size{};
  EXPECT_EQ(view->getSize(&size), kResultOk);
  EXPECT_EQ(size.right, 800);
  EXPECT_EQ(size.bottom, 400);
  EXPECT_EQ(view->release(), 0u);
  EXPECT_TRUE(ardour.TearDown());
  EXPECT_EQ(ardour.handler.held, 0);
  EXPECT_EQ(ardour.application.held, 0);
}

TEST(Vst3Events, EveryVelocityComesBackFromArdoursTruncationAndControllersGoOutAsLegacyEvents) {
  for (int v = 0; v <= 127; ++v) {
    const float f = Vst3MidiFloat(static_cast<uint8_t>(v));
    EXPECT_EQ(static_cast<int>(f * 127.0f), v) << v;
    EXPECT_LE(f, 1.0f);
    EXPECT_EQ(Vst3MidiByte(f), v);
  }
  const struct {
    uint8_t midi[3];
    uint16_t type;
    uint8_t controlNumber, value, value2;
  } cases[] = {
      {{0xB3, 7, 100}, vst3::Event::kLegacyMIDICCOutEvent, 7, 100, 0},
      {{0xE1, 0x12, 0x40}, vst3::Event::kLegacyMIDICCOutEvent, vst3::kPitchBend, 0x12, 0x40},
      {{0xC2, 5, 0}, vst3::Event::kLegacyMIDICCOutEvent, vst3::kCtrlProgramChange, 5, 0},
  };
  for (const auto& c : cases) {
    EventQueue::Event due;
    std::memcpy(due.midi, c.midi, 3);
    due.frame = 9;
    vst3::Event e;
    ASSERT_TRUE(ToVst3Event(due, e));
    EXPECT_EQ(e.type, c.type);
    EXPECT_EQ(e.sampleOffset, 9);
    EXPECT_EQ(e.midiCCOut.controlNumber, c.controlNumber);
    EXPECT_EQ(e.midiCCOut.channel, c.midi[0] & 0x0F);
    EXPECT_EQ(e.midiCCOut.value, c.value);
    EXPECT_EQ(e.midiCCOut.value2, c.value2);
  }
  const IMidiMessage bend = ControllerMessage(1, vst3::kPitchBend, 0x2012 / 16383.0, 4);
  EXPECT_EQ(bend.status, 0xE1);
  EXPECT_EQ(bend.data1, 0x12);
  EXPECT_EQ(bend.data2, 0x40);
}

TEST(Vst3Process, HostMidiPassesThroughInTimeOrderWhileTheStoppedEngineSendsNothing) {
  ArdourInstance ardour;
  ProcessCall call(256);
  call.context.state = vst3::ProcessContext::kTempoValid;  // stopped
  call.inEvents.events = {NoteOn(10, 60, 100 / 127.0f), NoteOn(40, 62, 1 / 127.0f)};
  vst3::ParamID controller = 0;
  vst3::IMidiMapping* mapping = Query<vst3::IMidiMapping>(ardour.component);
  ASSERT_EQ(mapping->getMidiControllerAssignment(0, 2, 74, controller), kResultOk);
  mapping->release();
  call.inChanges.Add(controller, 20, 64 / 127.0);
  ardour.processor->process(call.data);
  const auto& out = call.outEvents.events;
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[0].sampleOffset, 10);
  EXPECT_EQ(static_cast<int>(out[0].noteOn.velocity * 127.0f), 100);
  EXPECT_EQ(out[1].sampleOffset, 20);
  EXPECT_EQ(out[1].type, vst3::Event::kLegacyMIDICCOutEvent);
  EXPECT_EQ(out[1].midiCCOut.channel, 2);
  EXPECT_EQ(out[1].midiCCOut.controlNumber, 74);
  EXPECT_EQ(out[1].midiCCOut.value, 64);
  EXPECT_EQ(out[2].sampleOffset, 40);
  EXPECT_EQ(out[2].noteOn.pitch, 62);
  EXPECT_TRUE(ardour.TearDown());
}

TEST(Vst3Process, PointsApplyAtTheirFramesAndReportsFromAudioGoOutAsOutputChanges) {
  ArdourInstance ardour;
  ProcessCall call(256);
  const double tone1 = ardour.controller->getParamNormalized(Tintinna::kTone1);
  // A transpose press at frame 100 moves every tone; the block-end point waits for the next call.
  call.inChanges.Add(Tintinna::kTransposeUp, 100, 1.0);
  call.inChanges.Add(Tintinna::kWindSpeed, 256, 1.0);
  ardour.processor->process(call.data);
  EXPECT_EQ(ardour.effect->Settings().notes[1], 49);
  const vst3_test::ValueQueue* moved = nullptr;
  for (const auto& q : call.outChanges.queues) moved = q.id == Tintinna::kTone1 ? &q : moved;
  ASSERT_NE(moved, nullptr);
  ASSERT_EQ(moved->points.size(), 1u);
  EXPECT_EQ(moved->points[0].first, 100);
  EXPECT_GT(moved->points[0].second, tone1);
  EXPECT_TRUE(ardour.handler.calls.empty());
  EXPECT_LT(ardour.controller->getParamNormalized(Tintinna::kWindSpeed), 1.0);
  call.Next();
  // Ardour repeats the pressed value at every block start: the press acts once.
  call.inChanges.Add(Tintinna::kTransposeUp, 0, 1.0);
  ardour.processor->process(call.data);
  EXPECT_EQ(ardour.controller->getParamNormalized(Tintinna::kWindSpeed), 1.0);
  EXPECT_EQ(ardour.effect->Settings().notes[1], 49);
  // From the window thread outside a call the same report is an edit the host hears of, a
  // gesture by itself unless one is open.
  ardour.effect->SetParameterFromGUI(Tintinna::kWindSpeed, 0.5);
  ardour.effect->BeginParameterGesture(Tintinna::kWindSpeed);
  ardour.effect->SetParameterFromGUI(Tintinna::kWindSpeed, 0.6);
  ardour.effect->EndParameterGesture(Tintinna::kWindSpeed);
  EXPECT_EQ(ardour.handler.calls, (std::vector<std::string>{"begin 0", "perform 0", "end 0",
                                                            "begin 0", "perform 0", "end 0"}));
  EXPECT_TRUE(ardour.TearDown());
}

TEST(Vst3State, StateIsTheBankChunkAfterTheHostsHeaderAndShortOrBadStreamsLoseNothing) {
  ArdourInstance ardour;
  vst3_test::MemoryStream saved;
  saved.bytes.assign(48, 0xAA);  // Ardour's header, already written
  saved.position = 48;
  ardour.controller->setParamNormalized(Tintinna::kWindSpeed, 0.75);
  ASSERT_EQ(ardour.component->getState(&saved), kResultOk);
  ASSERT_EQ(saved.bytes.size(), 48u + 8 + 28 * 8);
  EXPECT_EQ(std::memcmp(saved.bytes.data() + 48, "tffp\0\0\1\0", 8), 0);
  double windSpeed = 0.0;
  std::memcpy(&windSpeed, saved.bytes.data() + 56, sizeof windSpeed);
  EXPECT_EQ(windSpeed, 22.5);

  const double before = ardour.controller->getParamNormalized(Tintinna::kClapSize);
  ardour.controller->setParamNormalized(Tintinna::kWindSpeed, 0.0);
  vst3_test::MemoryStream load;
  load.bytes.assign(saved.bytes.begin() + 48, saved.bytes.end());
  load.maxRead = 7;
  // Cut inside the third value: the first two load, the rest keep theirs, and it says so.
  const size_t whole = load.bytes.size();
  load.bytes.resize(8 + 2 * 8 + 3);
  EXPECT_NE(ardour.component->setState(&load), kResultOk);
  EXPECT_EQ(ardour.controller->getParamNormalized(Tintinna::kWindSpeed), 0.75);
  vst3_test::MemoryStream empty;
  EXPECT_NE(ardour.component->setState(&empty), kResultOk);
  EXPECT_EQ(ardour.controller->getParamNormalized(Tintinna::kClapSize), before);

  load.bytes.assign(saved.bytes.begin() + 48, saved.bytes.begin() + 48 + whole);
  load.position = 0;
  ardour.controller->setParamNormalized(Tintinna::kWindSpeed, 0.0);
  EXPECT_EQ(ardour.component->setState(&load), kResultOk);
  EXPECT_EQ(ardour.controller->setComponentState(&load), kResultOk);
  EXPECT_EQ(ardour.controller->getParamNormalized(Tintinna::kWindSpeed), 0.75);
  EXPECT_TRUE(ardour.TearDown());
}

}  // namespace

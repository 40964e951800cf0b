// tintinna.so as a host sees it: loaded with dlopen and driven through its entry point alone.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <vector>

#include "plug/vst2_abi.h"
#include "tests/instrument/chime_host.h"

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

TEST_F(PluginLibrary, PlaysStrikesNoteOffsAndControllersAsTheLinkedInstrumentDoes) {
  const std::vector<Event> fromLibrary = WindyRun(entry_);
  // The same run on the instrument linked into this test.
  std::vector<Event> linked;
  OnFreshThread([&] {
    ChimeHost host(44100.0, 512);
    host.Open();
    host.SetParameter(0, 1.0f);
    host.SetParameter(1, 0.5f);
    host.SetParameter(11, 0.0f);
    host.SetParameter(2, 1.0f);
    host.ProcessBlocks(3000, 512);
    linked = host.events;
  });
  ASSERT_EQ(fromLibrary.size(), linked.size());
  int notes = 0, controllers = 0;
  for (size_t i = 0; i < linked.size(); ++i) {
    const Event& a = fromLibrary[i];
    const Event& b = linked[i];
    ASSERT_EQ(a.time, b.time) << i;
    ASSERT_EQ(a.status, b.status) << i;
    ASSERT_EQ(a.data1, b.data1) << i;
    ASSERT_EQ(a.data2, b.data2) << i;
    if (a.IsNoteOn()) ++notes;
    if (a.IsController()) ++controllers;
  }
  EXPECT_GT(notes, 500);
  EXPECT_GT(controllers, 20);
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

}  // namespace

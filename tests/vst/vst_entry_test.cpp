// The library exports, loaded from a module built with the adapter's entry file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <thread>
#include <vector>

#include "tests/vst/loaded_module.h"
#include "tests/vst/recording_host.h"

namespace {

intptr_t Close(vst2::AEffect* effect) {
  return effect->dispatcher(effect, vst2::effClose, 0, 0, nullptr, 0);
}

class Entry : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(module.IsOpen()) << dlerror(); }

  LoadedModule module{TEST_MODULE_PATH};
  RecordingHost host;
};

}  // namespace

TEST_F(Entry, ExportsVstPluginMainAndMain) {
  for (const char* name : {"VSTPluginMain", "main"}) {
    vst2::EntryProc entry = module.Entry(name);
    ASSERT_NE(entry, nullptr) << name;
    vst2::AEffect* effect = entry(RecordingHost::Callback);
    ASSERT_NE(effect, nullptr) << name;
    EXPECT_EQ(effect->magic, vst2::kEffectMagic);
    EXPECT_EQ(effect->numPrograms, 3);
    EXPECT_EQ(Close(effect), 0);
  }
}

TEST_F(Entry, ExportsNothingElse) {
  EXPECT_EQ(module.Symbol("CreateEffectInstance"), nullptr);
  EXPECT_EQ(module.Symbol("VSTPluginMainLegacy"), nullptr);
  EXPECT_EQ(module.Symbol("_ZN10IVstEffect13VSTDispatcherEPN4vst27AEffectEiilPvf"), nullptr);
}

TEST_F(Entry, GivesAPlugInWithoutPresetsOneDefaultProgram) {
  host.capabilities.push_back("testWithoutPresets");
  vst2::AEffect* effect = module.Entry("VSTPluginMain")(RecordingHost::Callback);
  ASSERT_NE(effect, nullptr);
  EXPECT_EQ(effect->numPrograms, 1);
  char name[64] = {};
  EXPECT_EQ(effect->dispatcher(effect, vst2::effGetProgramNameIndexed, 0, 0, name, 0), 1);
  EXPECT_STREQ(name, "Default");
  Close(effect);
}

TEST_F(Entry, CreatesSeparatePlugInsFromManyThreadsAtOnce) {
  vst2::EntryProc entry = module.Entry("VSTPluginMain");
  ASSERT_NE(entry, nullptr);
  host.recording = false;
  host.capabilities.push_back("testSerialIds");
  constexpr int kThreads = 8;
  std::vector<vst2::AEffect*> effects(kThreads, nullptr);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i)
    threads.emplace_back([&effects, entry, i] { effects[i] = entry(RecordingHost::Callback); });
  for (std::thread& t : threads) t.join();
  std::vector<int32_t> serials;
  for (int i = 0; i < kThreads; ++i) {
    ASSERT_NE(effects[i], nullptr);
    for (int j = 0; j < i; ++j) EXPECT_NE(effects[i], effects[j]);
    EXPECT_EQ(effects[i]->numParams, 4);
    serials.push_back(effects[i]->uniqueID);
  }
  std::sort(serials.begin(), serials.end());
  for (int i = 0; i < kThreads; ++i)
    EXPECT_EQ(serials[i], i + 1) << "creations overlapped and shared a number";
  for (vst2::AEffect* effect : effects) Close(effect);
}

// The test plug-in as a loadable module: the adapter's exports create it.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <thread>

#include "plug/vst_entry.h"
#include "tests/vst/test_plugin.h"

namespace {

bool HostCan(vst2::HostCallback hostCallback, const char* what) {
  char capability[64];
  std::snprintf(capability, sizeof capability, "%s", what);
  return hostCallback && hostCallback(nullptr, vst2::audioMasterCanDo, 0, 0, capability, 0.0f) == 1;
}

// Plug-ins numbered in creation order by a plain read, pause and write: two creations that
// overlap take the same number, so only the entry's creation lock keeps the numbers apart.
int32_t NextSerial() {
  static int32_t created = 0;
  const int32_t serial = created + 1;
  std::this_thread::sleep_for(std::chrono::milliseconds(2));
  created = serial;
  return serial;
}

}  // namespace

// A host that answers "testWithoutPresets" gets a plug-in that declares none; one that answers
// "testSerialIds" gets plug-ins whose unique ids count their creations.
IVstEffect* CreateEffectInstance(vst2::HostCallback hostCallback) {
  TestPluginOptions options;
  if (HostCan(hostCallback, "testWithoutPresets")) options.presets = 0;
  auto* plugin = new TestPlugin(hostCallback, options);
  if (HostCan(hostCallback, "testSerialIds")) plugin->Effect()->uniqueID = NextSerial();
  return plugin;
}

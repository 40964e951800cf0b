// The test plug-in as a loadable module: the adapter's exports create it.
#include "plug/vst_entry.h"
#include "tests/vst/test_plugin.h"

// A host that answers "testWithoutPresets" gets a plug-in that declares none.
IVstEffect* CreateEffectInstance(vst2::HostCallback hostCallback) {
  TestPluginOptions options;
  char capability[] = "testWithoutPresets";
  if (hostCallback && hostCallback(nullptr, vst2::audioMasterCanDo, 0, 0, capability, 0.0f) == 1)
    options.presets = 0;
  return new TestPlugin(hostCallback, options);
}

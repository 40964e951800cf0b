// Picks the loader for a plug-in by its path and loads it: the one place that knows which
// formats this build can host.
#pragma once

#include <memory>
#include <string>

#include "tools/host/plugin_instance.h"

namespace host {

enum class PluginFormat { kVst2, kVst3, kClap, kLv2 };

// By name alone: a .vst3 bundle or file is VST 3, a .clap file CLAP, a .lv2 bundle LV2 (any
// case, trailing separators ignored), anything else VST 2.
PluginFormat FormatOfPath(const std::string& path);
// "VST 2", "VST 3", "CLAP", "LV2".
const char* FormatName(PluginFormat format);

// Loads the plug-in at path with the loader of its format, host behind it. On failure returns
// null with a one-line reason that starts with the path, also when this build has no loader
// for the format.
std::unique_ptr<PluginInstance> LoadPlugin(const std::string& path, PluginHost& host,
                                           std::string& error);

}  // namespace host

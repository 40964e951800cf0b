// The VST 3 loader: a module's audio class behind the host's PluginInstance, driven in the order
// Ardour drives it.
#pragma once

#include <memory>
#include <string>

#include "tools/host/plugin_instance.h"

namespace host {

// Loads the bundle (or single module file) at path, creates its first audio class with host
// behind it, initializes it as component and controller and reads its buses and parameters. On
// failure returns null with a one-line reason that starts with the path.
std::unique_ptr<PluginInstance> LoadVst3(const std::string& path, PluginHost& host,
                                         std::string& error);

}  // namespace host

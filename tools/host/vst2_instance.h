// The VST 2 loader: a plug-in library's effect behind the host's PluginInstance.
#pragma once

#include <memory>
#include <string>

#include "tools/host/plugin_instance.h"

namespace host {

// Loads the library at path, creates its effect with host behind the callback and checks the
// record. On failure returns null with a one-line reason that starts with the path.
std::unique_ptr<PluginInstance> LoadVst2(const std::string& path, PluginHost& host,
                                         std::string& error);

}  // namespace host

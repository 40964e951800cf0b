// The LV2 loader: a bundle's plug-in, through Debian's lilv, behind the host's PluginInstance.
#pragma once

#include <memory>
#include <string>

#include "tools/host/plugin_instance.h"

namespace host {

// Loads the bundle folder at path and instantiates the plug-in it describes at the host's rate
// and block size. Parameters are the control input ports in index order, normalized over each
// port's range; programs are the plug-in's presets in the order of their URIs; the state is the
// one chunk the plug-in saves. On failure returns null with a one-line reason starting with path.
std::unique_ptr<PluginInstance> LoadLv2(const std::string& path, PluginHost& host,
                                        std::string& error);

}  // namespace host

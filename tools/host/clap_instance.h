// The CLAP loader: a .clap file's first plug-in behind the host's PluginInstance.
#pragma once

#include <memory>
#include <string>

#include "tools/host/plugin_instance.h"

namespace host {

// Loads the library at path, initialises its entry, creates and initialises the first plug-in
// of its factory with host behind it, and reads its parameter descriptions. On failure returns
// null with a one-line reason that starts with the path.
//
// How the host's calls map: Open sizes the audio buffers; Start activates at the host's rate and
// block size and starts processing; parameter changes are plain values (min + normalized ×
// (max − min)) in PARAM_VALUE events, through flush before Start and at frame 0 of the block
// they are due in after it; MIDI in goes as MIDI events; notes and MIDI out come back as
// bytes, the plug-in's PARAM_VALUE events as automation. CLAP has no programs: ProgramCount is
// 0, so the session refuses --program.
std::unique_ptr<PluginInstance> LoadClap(const std::string& path, PluginHost& host,
                                         std::string& error);

}  // namespace host

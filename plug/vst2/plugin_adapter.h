// The VST 2 build: the adapter the instrument derives from, and the factory its entry calls.
// Each format has a header of this name in its own folder; the build puts that folder on the
// instrument's include path, so one instrument source serves every format.
#pragma once

#include "plug/vst_effect.h"
#include "plug/vst_entry.h"

using PluginAdapter = IVstEffect;

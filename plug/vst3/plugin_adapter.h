// The VST 3 build: the adapter the instrument derives from, and the factory its module's entry
// calls.
#pragma once

#include "plug/vst3_effect.h"
#include "plug/vst3_entry.h"

using PluginAdapter = IVst3Effect;

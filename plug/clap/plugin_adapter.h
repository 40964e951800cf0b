// The CLAP build: the adapter the instrument derives from, and the factory its entry calls.
// Each format has a header of this name in its own folder; the build puts that folder on the
// instrument's include path, so one instrument source serves every format.
#pragma once

#include "plug/clap_effect.h"
#include "plug/clap_entry.h"

using PluginAdapter = IClapEffect;

// The LV2 build: the adapter the instrument derives from, and the factory its entry calls.
#pragma once

#include "plug/lv2_effect.h"
#include "plug/lv2_entry.h"

using PluginAdapter = ILv2Effect;

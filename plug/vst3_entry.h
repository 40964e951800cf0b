// The VST 3 module's entry: the factory its GetPluginFactory export hands out.
#pragma once

#include "plug/vst3_effect.h"

// Implemented by the concrete plug-in: a new instance with one reference, or null.
IVst3Effect* CreateEffectInstance(IVst3Effect::HostHandle host);

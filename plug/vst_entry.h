// The library's entry: the exported VSTPluginMain and main create one plug-in per call.
#pragma once

#include "plug/vst2_abi.h"

class IVstEffect;

// Implemented by the concrete plug-in: a new instance for this host callback, or null.
IVstEffect* CreateEffectInstance(vst2::HostCallback hostCallback);

// The LV2 library's entry: the exported descriptors create one plug-in per instantiate.
#pragma once

#include "plug/lv2_effect.h"

// Implemented by the concrete plug-in: a new instance for the host's features, or null.
ILv2Effect* CreateEffectInstance(ILv2Effect::HostHandle features);

// The plug-in's and the UI's URIs, as the bundle's Turtle names them.
inline constexpr char kLv2PluginUri[] = "urn:tintinna:chimes";
inline constexpr char kLv2UiUri[] = "urn:tintinna:chimes#ui";

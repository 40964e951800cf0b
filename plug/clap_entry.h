// The CLAP library's entry: the exported clap_entry, its factory and the one descriptor.
#pragma once

#include "plug/clap_abi.h"

class IClapEffect;

// Implemented by the concrete plug-in: a new instance for this host, or null. It must not call
// the host: the instance's Init does that.
IClapEffect* CreateEffectInstance(const clap::Host* host);

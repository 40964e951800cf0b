// The VST 3 view on Linux. The X11 editor runs a thread of its own, and VST 3 hosts must be called
// from their window thread only, so the view stays closed until the editor can be driven by the
// host's run loop (IRunLoop: an event handler on the X connection's file descriptor and a 41 ms
// timer, registered in attached and unregistered in removed).
#include "plug/vst3_view.h"

bool Vst3View::PlatformSupported(vst3::FIDString /*type*/) {
  return false;
}

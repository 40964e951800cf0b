// Builds without FluidSynth, libsndfile and cairo (the Windows host): no audio, no picture.
#include "tools/host/run_media.h"

namespace host {

std::unique_ptr<RunMedia> PrepareRunMedia(const HostOptions& options, std::string& error) {
  if (!options.wavPath.empty() || !options.plotPath.empty()) {
    error =
        "this tintinna-host was built without FluidSynth, libsndfile and cairo, so it has "
        "no --wav and no --plot";
  }
  return nullptr;
}

}  // namespace host

// The tintinna-host command: options in, MIDI file and summary out, exit status back.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace host {

constexpr int kExitSuccess = 0;
constexpr int kExitRuntimeError = 1;
constexpr int kExitUsageError = 2;

// args excludes the program name. Summary and event list go to out; errors (one line each,
// prefixed "tintinna-host: ") and the progress bar go to err. progress enables the bar.
int RunHostCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   bool progress);

}  // namespace host

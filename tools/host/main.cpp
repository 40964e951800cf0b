// tintinna-host: runs a plug-in from the command line and records the MIDI it plays.
#include <iostream>
#include <string>
#include <vector>

#include "tools/host/host_command.h"
#include "tools/host/progress_bar.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return host::RunHostCommand(args, std::cout, std::cerr, host::StderrIsTerminal());
}

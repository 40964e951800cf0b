// Runs the tintinna-host command in-process and keeps what it printed.
#pragma once

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "tools/host/host_command.h"

namespace host {

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

inline Outcome RunCommand(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  Outcome outcome;
  outcome.status = RunHostCommand(args, out, err, false);
  outcome.out = out.str();
  outcome.err = err.str();
  return outcome;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace host

// The command line of tintinna-snapshot.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace snapshot {

struct Options {
  std::vector<std::pair<std::string, std::string>> settings;  // NAME=VALUE, in order
  double seconds = 0.0;
  int program = -1;  // -1: leave the current preset alone
  std::string output = "editor.png";
  bool help = false;
};

inline constexpr double kMaxSeconds = 3600.0;

// Parses argv[1..]; false with a message in error for anything it does not understand.
bool ParseOptions(int argc, const char* const* argv, Options& options, std::string& error);

const char* Usage();

}  // namespace snapshot

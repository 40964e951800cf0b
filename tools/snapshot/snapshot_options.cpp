// The command line of tintinna-snapshot.
#include "tools/snapshot/snapshot_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace snapshot {
namespace {

bool ParseDouble(const std::string& text, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtod(text.c_str(), &end);
  return errno == 0 && end && *end == '\0' && std::isfinite(value);
}

bool ParseInt(const std::string& text, int& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long parsed = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || !end || *end != '\0' || parsed < -1000000 || parsed > 1000000) return false;
  value = static_cast<int>(parsed);
  return true;
}

}  // namespace

const char* Usage() {
  return "usage: tintinna-snapshot [--set NAME=VALUE]... [--seconds N] [--program N] "
         "[--out FILE.png]\n"
         "  --set NAME=VALUE  set a parameter by name, in the units it displays (repeatable)\n"
         "  --seconds N       process N seconds of audio with the transport running first\n"
         "  --program N       switch to preset N (0-based) before the settings\n"
         "  --out FILE        where to write the PNG (default editor.png)\n";
}

bool ParseOptions(int argc, const char* const* argv, Options& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--help" || option == "-h") {
      options.help = true;
      continue;
    }
    if (option != "--set" && option != "--seconds" && option != "--program" && option != "--out") {
      error = "unknown option '" + option + "'";
      return false;
    }
    if (i + 1 >= argc) {
      error = option + " needs a value";
      return false;
    }
    const std::string value = argv[++i];
    if (option == "--set") {
      const auto equals = value.find('=');
      if (equals == std::string::npos || equals == 0) {
        error = "--set wants NAME=VALUE, not '" + value + "'";
        return false;
      }
      options.settings.emplace_back(value.substr(0, equals), value.substr(equals + 1));
    } else if (option == "--seconds") {
      if (!ParseDouble(value, options.seconds) || options.seconds < 0.0 ||
          options.seconds > kMaxSeconds) {
        error = "--seconds wants a number from 0 to 3600, not '" + value + "'";
        return false;
      }
    } else if (option == "--program") {
      if (!ParseInt(value, options.program) || options.program < 0) {
        error = "--program wants a preset number from 0, not '" + value + "'";
        return false;
      }
    } else {
      if (value.empty()) {
        error = "--out wants a file name";
        return false;
      }
      options.output = value;
    }
  }
  return true;
}

}  // namespace snapshot

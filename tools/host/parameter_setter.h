// Sets plug-in parameters from the command line, by name or index, either in the units the
// plug-in displays or as the raw normalized value.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/host/plugin_instance.h"

namespace host {

// Runs on the session's thread before processing starts. Probing may move the parameter through
// several values (VST 2 offers no other way to read a display text), so it is only done while
// the plug-in is not processing. Every value it sets is a float, so a VST 2 plug-in receives it
// unrounded and every format the same number.
class ParameterSetter {
 public:
  explicit ParameterSetter(PluginInstance& plugin) : plugin_(plugin) {}

  // A decimal number is an index; anything else a name, matched exactly first and then without
  // regard to case. Returns -1 and sets error when nothing matches.
  int32_t Find(const std::string& key, std::string& error);

  // value in 0..1, set as is.
  bool SetNormalized(int32_t index, const std::string& value, std::string& error) {
    return Set(index, value, true, error);
  }

  // value as the plug-in displays it. Numeric displays: the normalized values whose display
  // reads value are found by bisection (the display must grow or fall steadily with the
  // normalized value) and the middle of that range is set, which lands exactly on the value for
  // displays that round as well as for ones that truncate; the ends of the range are set
  // exactly. If no display reads value exactly (it is finer than the display), the point where
  // the display crosses it is set. Text displays ("on", "Select Any"): the value is matched
  // without regard to case.
  bool SetDisplayed(int32_t index, const std::string& value, std::string& error) {
    return Set(index, value, false, error);
  }

  bool Set(int32_t index, const std::string& value, bool normalized, std::string& error);
  // The normalized value that Set would set, found without changing the parameter.
  bool Resolve(int32_t index, const std::string& value, bool normalized, double& result,
               std::string& error);

 private:
  // Leaves the parameter where probing left it on success, at its old value on failure.
  bool ValueFor(int32_t index, const std::string& value, bool normalized, double& result,
                std::string& error);
  std::string DisplayAt(int32_t index, double normalized);
  bool DisplayedNumberAt(int32_t index, double normalized, double& number);
  // First normalized value in (0, 1] where the display passes target (or reaches it, when
  // inclusive), for a display that grows (or falls, when !rising) with the value.
  double FindCrossing(int32_t index, double target, bool rising, bool inclusive);
  bool NumericValue(int32_t index, double target, double atZero, double atOne, double& result,
                    std::string& error);
  bool TextValue(int32_t index, const std::string& value, double& result, std::string& error);

  PluginInstance& plugin_;
};

// "name = display label" for every parameter, in index order.
std::vector<std::string> ParameterDisplays(PluginInstance& plugin);

// The entries of now that differ from the same index of before.
std::vector<std::string> ChangedDisplays(const std::vector<std::string>& before,
                                         const std::vector<std::string>& now);

// Parses a whole string as a finite decimal number.
bool ParseNumber(const std::string& text, double& number);

}  // namespace host

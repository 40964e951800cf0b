// Parameter lookup and setting by displayed value or normalized value.
#include "tools/host/parameter_setter.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace host {

namespace {

// Enough steps to see every value of an enumeration or switch.
constexpr int kTextScanSteps = 1000;
// float has 24 bits of mantissa; more halvings change nothing the plug-in can see.
constexpr int kBisectionSteps = 40;

std::string Lowered(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

bool IsIndex(const std::string& key) {
  return !key.empty() && key.size() <= 9 && std::all_of(key.begin(), key.end(), [](char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
  });
}

// The number a display text starts with ("25", "0.5 sec", "-3 dB"); false for texts.
bool LeadingNumber(const std::string& text, double& number) {
  const std::string trimmed = Trimmed(text);
  if (trimmed.empty()) return false;
  char* end = nullptr;
  number = std::strtod(trimmed.c_str(), &end);
  if (end == trimmed.c_str() || !std::isfinite(number)) return false;
  // "1st" or "2x" are texts that happen to start with a digit only when letters follow at once.
  return *end == '\0' || *end == ' ' || *end == '%';
}

std::string FormatNumber(double value) {
  char text[32];
  std::snprintf(text, sizeof(text), "%g", value);
  return text;
}

}  // namespace

bool ParseNumber(const std::string& text, double& number) {
  if (text.empty() || std::isspace(static_cast<unsigned char>(text.front()))) return false;
  char* end = nullptr;
  number = std::strtod(text.c_str(), &end);
  return end != text.c_str() && *end == '\0' && std::isfinite(number);
}

int32_t ParameterSetter::Find(const std::string& key, std::string& error) {
  const int32_t count = plugin_.ParameterCount();
  if (IsIndex(key)) {
    const long index = std::strtol(key.c_str(), nullptr, 10);
    if (index >= count) {
      error = "parameter index " + key + " is out of range (the plug-in has " +
              std::to_string(count) + " parameters)";
      return -1;
    }
    return static_cast<int32_t>(index);
  }
  std::vector<std::string> names;
  for (int32_t i = 0; i < count; ++i) names.push_back(plugin_.ParameterName(i));
  for (int32_t i = 0; i < count; ++i) {
    if (names[static_cast<size_t>(i)] == key) return i;
  }
  const std::string lowered = Lowered(key);
  for (int32_t i = 0; i < count; ++i) {
    if (Lowered(names[static_cast<size_t>(i)]) == lowered) return i;
  }
  std::string known;
  for (const auto& name : names) {
    if (name.empty()) continue;
    known += (known.empty() ? "" : ", ") + name;
  }
  error = "unknown parameter '" + key + "' (parameters: " + known + ")";
  return -1;
}

bool ParameterSetter::Set(int32_t index, const std::string& value, bool normalized,
                          std::string& error) {
  double result = 0.0;
  if (!ValueFor(index, value, normalized, result, error)) return false;
  plugin_.SetNormalized(index, result);
  return true;
}

bool ParameterSetter::Resolve(int32_t index, const std::string& value, bool normalized,
                              double& result, std::string& error) {
  const double original = plugin_.GetNormalized(index);
  const bool found = ValueFor(index, value, normalized, result, error);
  plugin_.SetNormalized(index, original);
  return found;
}

std::string ParameterSetter::DisplayAt(int32_t index, double normalized) {
  return plugin_.DisplayOf(index, static_cast<float>(normalized));
}

bool ParameterSetter::DisplayedNumberAt(int32_t index, double normalized, double& number) {
  return LeadingNumber(DisplayAt(index, normalized), number);
}

bool ParameterSetter::ValueFor(int32_t index, const std::string& value, bool normalized,
                               double& result, std::string& error) {
  double number = 0.0;
  if (normalized) {
    if (!ParseNumber(value, number) || number < 0.0 || number > 1.0) {
      error = "bad normalized value '" + value + "' for " + plugin_.ParameterName(index) +
              " (expected a number from 0 to 1)";
      return false;
    }
    result = static_cast<float>(number);
    return true;
  }
  const double original = plugin_.GetNormalized(index);
  double atZero = 0.0;
  double atOne = 0.0;
  bool done = false;
  if (ParseNumber(value, number) && DisplayedNumberAt(index, 0.0, atZero) &&
      DisplayedNumberAt(index, 1.0, atOne)) {
    done = NumericValue(index, number, atZero, atOne, result, error);
  } else {
    done = TextValue(index, value, result, error);
  }
  if (!done) plugin_.SetNormalized(index, original);
  result = static_cast<float>(result);
  return done;
}

double ParameterSetter::FindCrossing(int32_t index, double target, bool rising, bool inclusive) {
  auto passed = [&](double normalized) {
    double shown = 0.0;
    if (!DisplayedNumberAt(index, normalized, shown)) return false;
    if (rising) return inclusive ? shown >= target : shown > target;
    return inclusive ? shown <= target : shown < target;
  };
  double below = 0.0;
  double above = 1.0;
  for (int i = 0; i < kBisectionSteps; ++i) {
    const double middle = 0.5 * (below + above);
    if (passed(middle)) {
      above = middle;
    } else {
      below = middle;
    }
  }
  return above;
}

bool ParameterSetter::NumericValue(int32_t index, double target, double atZero, double atOne,
                                   double& result, std::string& error) {
  const double lowest = std::min(atZero, atOne);
  const double highest = std::max(atZero, atOne);
  if (target < lowest || target > highest) {
    error = "value " + FormatNumber(target) + " for " + plugin_.ParameterName(index) +
            " is out of range (" + FormatNumber(atZero) + " to " + FormatNumber(atOne) + ")";
    return false;
  }
  double normalized = 0.0;
  if (target == atZero) {
    normalized = 0.0;
  } else if (target == atOne) {
    normalized = 1.0;
  } else {
    const bool rising = atOne > atZero;
    const double first = FindCrossing(index, target, rising, true);
    double shown = 0.0;
    if (DisplayedNumberAt(index, first, shown) && shown == target) {
      const double beyond = FindCrossing(index, target, rising, false);
      normalized = 0.5 * (first + beyond);
    } else {
      normalized = first;
    }
  }
  result = normalized;
  return true;
}

bool ParameterSetter::TextValue(int32_t index, const std::string& value, double& result,
                                std::string& error) {
  const std::string wanted = Lowered(Trimmed(value));
  int firstMatch = -1;
  int lastMatch = -1;
  bool firstRunOver = false;
  std::vector<std::string> seen;
  for (int step = 0; step <= kTextScanSteps; ++step) {
    const std::string shown = Trimmed(DisplayAt(index, static_cast<double>(step) / kTextScanSteps));
    if (std::find(seen.begin(), seen.end(), shown) == seen.end() && seen.size() < 12) {
      seen.push_back(shown);
    }
    const bool match = Lowered(shown) == wanted;
    if (match && firstMatch < 0) {
      firstMatch = step;
      lastMatch = step;
    } else if (match && !firstRunOver) {
      lastMatch = step;
    } else if (!match && firstMatch >= 0) {
      firstRunOver = true;
    }
  }
  if (firstMatch < 0) {
    std::string known;
    for (const auto& text : seen) known += (known.empty() ? "" : ", ") + text;
    error = "bad value '" + value + "' for " + plugin_.ParameterName(index) + " (it shows " +
            known + ")";
    return false;
  }
  // The ends of the range are set exactly; an inner run of matches at its middle.
  double normalized = 0.5 * (firstMatch + lastMatch) / kTextScanSteps;
  if (firstMatch == 0) {
    normalized = 0.0;
  } else if (lastMatch == kTextScanSteps) {
    normalized = 1.0;
  }
  result = normalized;
  return true;
}

std::vector<std::string> ParameterDisplays(PluginInstance& plugin) {
  std::vector<std::string> displays;
  for (int32_t index = 0; index < plugin.ParameterCount(); ++index) {
    std::string shown = plugin.ParameterName(index) + " = " + plugin.ParameterDisplay(index);
    const std::string label = plugin.ParameterLabel(index);
    if (!label.empty()) shown += " " + label;
    displays.push_back(shown);
  }
  return displays;
}

std::vector<std::string> ChangedDisplays(const std::vector<std::string>& before,
                                         const std::vector<std::string>& now) {
  std::vector<std::string> changed;
  for (size_t i = 0; i < now.size(); ++i) {
    if (i >= before.size() || before[i] != now[i]) changed.push_back(now[i]);
  }
  return changed;
}

}  // namespace host

// IParameter: definitions, normalization and display text.
#include "plug/parameter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "plug/text.h"

namespace {

constexpr int32_t kEntrySize = 36;

// Truncation toward zero that is defined for every double: false when the value has no int.
bool TruncateToInt(double value, int* result) noexcept {
  if (!(value > static_cast<double>(std::numeric_limits<int>::min()) - 1.0 &&
        value < static_cast<double>(std::numeric_limits<int>::max()) + 1.0))
    return false;
  *result = static_cast<int>(value);
  return true;
}

}  // namespace

IParameter::IParameter() noexcept = default;

void IParameter::DefineContinuous(const char* name, double defaultValue, double minimum,
                                  double maximum, double step, const char* unitLabel) {
  if (kind_ == kUndefined) kind_ = kContinuous;
  CopyText(name_, name);
  CopyText(unitLabel_, unitLabel);
  SetValue(defaultValue);
  minimum_ = minimum;
  // A range narrower than one step is widened to exactly one step.
  maximum_ = std::max(maximum, minimum + step);
  step_ = step;

  // Enough decimals to show one step; each product is rounded to a double, as the display is.
  displayPrecision_ = 0;
  double s = step;
  while (s != std::floor(s) && displayPrecision_ < kMaxPrecision) {
    ++displayPrecision_;
    s *= 10.0;
  }
}

void IParameter::DefineInteger(const char* name, int defaultValue, int minimum, int maximum,
                               const char* unitLabel) {
  if (kind_ == kUndefined) kind_ = kInteger;
  DefineContinuous(name, defaultValue, minimum, maximum, 1.0, unitLabel);
}

void IParameter::DefineEnumerated(const char* name, int defaultValue, int count) {
  if (kind_ == kUndefined) kind_ = kEnumerated;
  DefineContinuous(name, defaultValue, 0.0, static_cast<double>(count) - 1.0, 1.0, "");
}

void IParameter::DefineBool(const char* name, bool defaultValue) {
  if (kind_ == kUndefined) kind_ = kBool;
  DefineContinuous(name, defaultValue ? 1.0 : 0.0, 0.0, 1.0, 1.0, "");
  AddValueText(0, "off");
  AddValueText(1, "on");
}

void IParameter::AddValueText(int value, const char* text) {
  const int32_t count = ValueTextCount();
  if (count >= std::numeric_limits<int32_t>::max() / kEntrySize - 1) return;
  auto* bytes = static_cast<char*>(valueTexts_.Resize((count + 1) * kEntrySize, false));
  if (!bytes) return;
  ValueTextEntry entry{};
  entry.value = value;
  CopyText(entry.text, text);
  std::memcpy(bytes + count * kEntrySize, &entry, sizeof entry);
}

int IParameter::ValueTextCount() const noexcept {
  return valueTexts_.Size() / kEntrySize;
}

const IParameter::ValueTextEntry* IParameter::Entries() const noexcept {
  return static_cast<const ValueTextEntry*>(valueTexts_.Data());
}

const char* IParameter::ValueText(int value) const noexcept {
  const ValueTextEntry* entries = Entries();
  for (int i = 0; i < ValueTextCount(); ++i)
    if (entries[i].value == value) return entries[i].text;
  return "";
}

bool IParameter::ValueForText(const char* text, int* value) const noexcept {
  if (!text) return false;
  const ValueTextEntry* entries = Entries();
  for (int i = 0; i < ValueTextCount(); ++i) {
    if (std::strcmp(entries[i].text, text) == 0) {
      if (value) *value = entries[i].value;
      return true;
    }
  }
  return false;
}

void IParameter::SetFromNormalized(double normalized) noexcept {
  if (!std::isnan(normalized)) SetValue(PlainValueFor(normalized));
}

double IParameter::PlainValueFor(double normalized) const noexcept {
  // Hosts and controls send 0..1; anything else (including NaN) must not leave the range.
  if (std::isnan(normalized)) return Value();
  const double x = std::clamp(normalized, 0.0, 1.0);
  double v = minimum_ + std::pow(x, shape_) * (maximum_ - minimum_);
  if (kind_ != kContinuous) v = std::floor(v / step_ + 0.5) * step_;
  if (v >= maximum_ || x >= 1.0) v = maximum_;
  if (v < minimum_) v = minimum_;
  return std::isfinite(v) ? v : Value();
}

double IParameter::NormalizeValue(double value) const noexcept {
  const double range = maximum_ - minimum_;
  if (std::isnan(value) || !(range > 0.0)) return 0.0;
  const double v = std::clamp(value, minimum_, maximum_);
  return std::pow((v - minimum_) / range, 1.0 / shape_);
}

bool IParameter::SetValueClamped(double value) noexcept {
  if (!std::isfinite(value)) return false;
  SetValue(std::clamp(value, minimum_, maximum_));
  return true;
}

void IParameter::FormatValue(double value, bool isNormalized, Text& text) const noexcept {
  double v = value;
  if (isNormalized) v = minimum_ + std::pow(v, shape_) * (maximum_ - minimum_);

  int key = 0;
  if (ValueTextCount() > 0 && TruncateToInt(v, &key)) {
    const char* found = ValueText(key);
    if (found[0] != '\0') {
      CopyText(text, found);
      return;
    }
  }

  if (negateDisplay_) v = -v;
  int whole = 0;
  if (v == 0.0) {
    CopyText(text, "0");
  } else if (displayPrecision_ == 0) {
    if (TruncateToInt(v, &whole))
      std::snprintf(text, sizeof text, "%d", whole);
    else
      std::snprintf(text, sizeof text, "%.0f", std::trunc(v));
  } else {
    std::snprintf(text, sizeof text, "%.*f", displayPrecision_, v);
  }
}

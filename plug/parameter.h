// One automatable parameter: its kind, range and value, normalization and display text.
#pragma once

#include <atomic>
#include <cstdint>

#include "plug/heap_buffer.h"

// Holds no lock: the plug-in base locks around host reads and writes. The value itself is atomic
// so that the editor thread may read it while the host thread writes it.
class IParameter {
 public:
  enum Kind : int32_t {
    kUndefined = 0,
    kBool = 1,
    kInteger = 2,
    kEnumerated = 3,
    kContinuous = 4,
  };
  // Names, labels, value texts and display texts: 31 characters and a terminator.
  static constexpr int kTextSize = 32;
  static constexpr int kMaxPrecision = 6;
  using Text = char[kTextSize];

  IParameter() noexcept;
  IParameter(const IParameter&) = delete;
  IParameter& operator=(const IParameter&) = delete;

  // Definitions set the kind only while it is still kUndefined: a redefinition keeps the first.
  void DefineContinuous(const char* name, double defaultValue, double minimum, double maximum,
                        double step, const char* unitLabel);
  void DefineInteger(const char* name, int defaultValue, int minimum, int maximum,
                     const char* unitLabel);
  void DefineEnumerated(const char* name, int defaultValue, int count);
  void DefineBool(const char* name, bool defaultValue);

  // Value texts replace the number for particular integer values; lookups find the first entry.
  void AddValueText(int value, const char* text);
  int ValueTextCount() const noexcept;
  const char* ValueText(int value) const noexcept;  // "" when there is none
  bool ValueForText(const char* text, int* value) const noexcept;

  // Real value from a normalized one: non-continuous kinds land on whole steps (halves round
  // up); 1.0 and above give the maximum, 0.0 and below the minimum; NaN changes nothing.
  void SetFromNormalized(double normalized) noexcept;
  // The real value SetFromNormalized would store for normalized; NaN gives the current value.
  double PlainValueFor(double normalized) const noexcept;
  double Normalized() const noexcept { return NormalizeValue(Value()); }
  double NormalizeValue(double value) const noexcept;

  // Display text of value (in real units, or normalized when isNormalized), bounded to kTextSize.
  void FormatValue(double value, bool isNormalized, Text& text) const noexcept;
  void FormatCurrentValue(Text& text) const noexcept { FormatValue(Value(), false, text); }

  // Sets the value in real units clamped to the range; a non-finite value is refused (false).
  bool SetValueClamped(double value) noexcept;

  Kind GetKind() const noexcept { return kind_; }
  double Value() const noexcept { return value_.load(std::memory_order_relaxed); }
  double Minimum() const noexcept { return minimum_; }
  double Maximum() const noexcept { return maximum_; }
  double Step() const noexcept { return step_; }
  double Shape() const noexcept { return shape_; }
  int DisplayPrecision() const noexcept { return displayPrecision_; }
  bool NegateDisplay() const noexcept { return negateDisplay_; }
  const char* Name() const noexcept { return name_; }
  const char* UnitLabel() const noexcept { return unitLabel_; }

 private:
  struct ValueTextEntry {
    int32_t value;
    char text[kTextSize];
  };
  static_assert(sizeof(ValueTextEntry) == 36);

  void SetValue(double value) noexcept { value_.store(value, std::memory_order_relaxed); }
  const ValueTextEntry* Entries() const noexcept;

  Kind kind_ = kUndefined;
  std::atomic<double> value_{0.0};
  double minimum_ = 0.0;
  double maximum_ = 1.0;
  double step_ = 1.0;
  double shape_ = 1.0;
  int32_t displayPrecision_ = 0;
  char name_[kTextSize] = {};
  char unitLabel_[kTextSize] = {};
  bool negateDisplay_ = false;
  HeapBuffer valueTexts_{HeapBuffer::kPageGranularity};
};

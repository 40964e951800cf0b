// IParameter: definitions, normalized conversion, display text and value texts.
#include "plug/parameter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace {

std::string Shown(const IParameter& parameter, double value, bool normalized = false) {
  IParameter::Text text;
  std::memset(text, 'x', sizeof text);
  parameter.FormatValue(value, normalized, text);
  return text;
}

const std::string kLong(40, 'n');  // longer than a 31-character text

TEST(ParameterDefinition, AFreshParameterIsUndefinedOverZeroToOne) {
  IParameter parameter;
  EXPECT_EQ(parameter.GetKind(), IParameter::kUndefined);
  EXPECT_EQ(parameter.Value(), 0.0);
  EXPECT_EQ(parameter.Maximum(), 1.0);
  EXPECT_STREQ(parameter.Name(), "");
}

TEST(ParameterDefinition, PrecisionFollowsTheDecimalsOfTheStep) {
  IParameter parameter;
  parameter.DefineContinuous("Time", 10.0, 0.0, 30.0, 1.0, "sec");
  EXPECT_EQ(parameter.DisplayPrecision(), 0);
  parameter.DefineContinuous("Time", 10.0, 0.0, 30.0, 0.01, "sec");
  EXPECT_EQ(parameter.DisplayPrecision(), 2);
  parameter.DefineContinuous("Time", 10.0, 0.0, 30.0, 0.1, "sec");
  EXPECT_EQ(parameter.DisplayPrecision(), 1);
  parameter.DefineContinuous("Time", 10.0, 0.0, 30.0, 1e-9, "sec");
  EXPECT_EQ(parameter.DisplayPrecision(), 6);
}

TEST(ParameterDefinition, ARangeNarrowerThanOneStepIsWidenedToOneStep) {
  IParameter parameter;
  parameter.DefineContinuous("Narrow", 5.0, 5.0, 5.0, 1.0, "");
  EXPECT_EQ(parameter.Maximum(), 6.0);
  EXPECT_EQ(parameter.Value(), 5.0);
}

TEST(ParameterDefinition, TheDefaultIsTakenUnclamped) {
  IParameter parameter;
  parameter.DefineInteger("Count", 20, 1, 8, "");
  EXPECT_EQ(parameter.Value(), 20.0);
}

TEST(ParameterDefinition, ARedefinitionKeepsTheFirstKindButTakesTheNewRange) {
  IParameter parameter;
  parameter.DefineInteger("Channel", 1, 1, 16, "");
  parameter.DefineEnumerated("Mode", 0, 3);
  EXPECT_EQ(parameter.GetKind(), IParameter::kInteger);
  EXPECT_EQ(parameter.Maximum(), 2.0);
  EXPECT_STREQ(parameter.Name(), "Mode");
}

TEST(ParameterDefinition, LongNamesAndLabelsAreCutTo31Characters) {
  IParameter parameter;
  parameter.DefineContinuous(kLong.c_str(), 0.0, 0.0, 1.0, 0.1, kLong.c_str());
  EXPECT_EQ(std::string(parameter.Name()), kLong.substr(0, 31));
  EXPECT_EQ(std::string(parameter.UnitLabel()), kLong.substr(0, 31));
}

TEST(ParameterConversion, NonContinuousValuesLandOnWholeStepsWithHalvesRoundingUp) {
  IParameter parameter;
  parameter.DefineInteger("Chimes", 1, 1, 8, "");
  parameter.SetFromNormalized(0.5);  // 1 + 3.5
  EXPECT_EQ(parameter.Value(), 5.0);
  parameter.SetFromNormalized(0.2);  // 2.4
  EXPECT_EQ(parameter.Value(), 2.0);
}

TEST(ParameterConversion, NegativeHalvesRoundUpTowardPlusInfinity) {
  IParameter parameter;
  parameter.DefineInteger("Transpose", 0, -8, 8, "");
  parameter.SetFromNormalized(0.34375);  // -8 + 5.5
  EXPECT_EQ(parameter.Value(), -2.0);
}

TEST(ParameterConversion, ContinuousValuesAreNotRounded) {
  IParameter parameter;
  parameter.DefineContinuous("Wind", 0.0, 0.0, 10.0, 1.0, "");
  parameter.SetFromNormalized(0.25);
  EXPECT_DOUBLE_EQ(parameter.Value(), 2.5);
}

TEST(ParameterConversion, OneAndAboveGiveExactlyTheMaximum) {
  IParameter parameter;
  parameter.DefineContinuous("Odd", 0.1, 0.1, 0.7, 0.01, "");
  parameter.SetFromNormalized(1.0);
  EXPECT_EQ(parameter.Value(), 0.7);
  parameter.SetFromNormalized(3.0);
  EXPECT_EQ(parameter.Value(), 0.7);
}

// The instrument reads values as they are, so this layer alone keeps host values usable.
TEST(ParameterConversion, HostValuesOutsideZeroToOneOrNotANumberNeverLeaveTheRange) {
  IParameter parameter;
  parameter.DefineInteger("Chimes", 4, 1, 8, "");
  parameter.SetFromNormalized(0.5);
  ASSERT_EQ(parameter.Value(), 5.0);
  parameter.SetFromNormalized(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(parameter.Value(), 5.0) << "NaN keeps the value";
  parameter.SetFromNormalized(-0.5);
  EXPECT_EQ(parameter.Value(), 1.0);
  parameter.SetFromNormalized(-std::numeric_limits<double>::infinity());
  EXPECT_EQ(parameter.Value(), 1.0);
  parameter.SetFromNormalized(std::numeric_limits<double>::infinity());
  EXPECT_EQ(parameter.Value(), 8.0);

  IParameter duration;
  duration.DefineContinuous("Duration", 0.1, 0.1, 10.0, 0.1, "sec");
  duration.SetFromNormalized(-5.0);
  EXPECT_EQ(duration.Value(), 0.1);
}

TEST(ParameterConversion, NormalizingClampsToTheRange) {
  IParameter parameter;
  parameter.DefineInteger("Velocity", 64, 0, 127, "");
  EXPECT_DOUBLE_EQ(parameter.Normalized(), 64.0 / 127.0);
  EXPECT_EQ(parameter.NormalizeValue(-5.0), 0.0);
  EXPECT_EQ(parameter.NormalizeValue(500.0), 1.0);
  EXPECT_EQ(parameter.NormalizeValue(std::numeric_limits<double>::quiet_NaN()), 0.0);
}

TEST(ParameterConversion, SetValueClampedRefusesNonFiniteValues) {
  IParameter parameter;
  parameter.DefineContinuous("Gain", 0.5, 0.0, 1.0, 0.01, "");
  EXPECT_TRUE(parameter.SetValueClamped(7.0));
  EXPECT_EQ(parameter.Value(), 1.0);
  EXPECT_FALSE(parameter.SetValueClamped(std::numeric_limits<double>::infinity()));
  EXPECT_FALSE(parameter.SetValueClamped(std::numeric_limits<double>::quiet_NaN()));
  EXPECT_EQ(parameter.Value(), 1.0);
}

TEST(ParameterDisplay, WholeStepsShowTruncatedIntegers) {
  IParameter parameter;
  parameter.DefineContinuous("Time", 10.0, 0.0, 30.0, 1.0, "sec");
  EXPECT_EQ(Shown(parameter, 10.0), "10");
  EXPECT_EQ(Shown(parameter, 29.7), "29");
  EXPECT_EQ(Shown(parameter, 2.99), "2");
  EXPECT_EQ(Shown(parameter, -2.99), "-2");
}

TEST(ParameterDisplay, FractionalStepsShowRoundedDecimalsAndKeepTheSignOfZero) {
  IParameter parameter;
  parameter.DefineContinuous("Amount", 0.5, -1.0, 1.0, 0.01, "");
  EXPECT_EQ(Shown(parameter, 0.5), "0.50");
  EXPECT_EQ(Shown(parameter, 0.126), "0.13");
  EXPECT_EQ(Shown(parameter, -0.004), "-0.00");
  EXPECT_EQ(Shown(parameter, 0.0), "0") << "zero ignores the precision";
  EXPECT_EQ(Shown(parameter, 0.75, true), "0.50") << "normalized input maps into the range";
}

TEST(ParameterDisplay, TextIsBoundedForValuesOfAnySize) {
  IParameter parameter;
  parameter.DefineContinuous("Huge", 0.0, -1e300, 1e300, 0.000001, "");
  const std::string wide = Shown(parameter, 1e300);
  EXPECT_EQ(wide.size(), 31u);
  IParameter whole;
  whole.DefineContinuous("Huge", 0.0, -1e300, 1e300, 1.0, "");
  EXPECT_EQ(Shown(whole, 1e12), "1000000000000");
  EXPECT_LT(Shown(whole, std::numeric_limits<double>::quiet_NaN()).size(), 32u);
}

TEST(ParameterValueTexts, BoolParametersShowOffAndOn) {
  IParameter parameter;
  parameter.DefineBool("Sync", true);
  EXPECT_EQ(parameter.Value(), 1.0);
  EXPECT_EQ(Shown(parameter, 0.0), "off");
  EXPECT_EQ(Shown(parameter, 1.0), "on");
  int value = -1;
  EXPECT_TRUE(parameter.ValueForText("on", &value));
  EXPECT_EQ(value, 1);
  EXPECT_FALSE(parameter.ValueForText("On", &value));
}

TEST(ParameterValueTexts, LookupsFindTheFirstEntryForAValue) {
  IParameter parameter;
  parameter.DefineInteger("Channel", 0, 0, 15, "");
  parameter.AddValueText(3, "first");
  parameter.AddValueText(3, "second");
  EXPECT_EQ(parameter.ValueTextCount(), 2);
  EXPECT_STREQ(parameter.ValueText(3), "first");
  EXPECT_STREQ(parameter.ValueText(4), "");
  EXPECT_EQ(Shown(parameter, 3.9), "first") << "the key is the value truncated";
}

TEST(ParameterValueTexts, AnEmptyTextOrNoEntryFallsBackToTheNumber) {
  IParameter parameter;
  parameter.DefineInteger("Note", 0, 0, 127, "");
  parameter.AddValueText(5, "");
  EXPECT_EQ(Shown(parameter, 5.0), "5");
  EXPECT_EQ(Shown(parameter, 6.0), "6");
}

TEST(ParameterValueTexts, LongValueTextsAreCutTo31Characters) {
  IParameter parameter;
  parameter.DefineInteger("Note", 0, 0, 127, "");
  parameter.AddValueText(1, kLong.c_str());
  parameter.AddValueText(2, "after");
  EXPECT_EQ(std::string(parameter.ValueText(1)), kLong.substr(0, 31));
  EXPECT_STREQ(parameter.ValueText(2), "after");
  EXPECT_EQ(Shown(parameter, 1.0), kLong.substr(0, 31));
}

}  // namespace

// Tests of finding parameters and setting them by displayed or normalized value, against the
// test plug-in (Pitch 0..30 rounds, Steps 0..10 truncates, Mode off/on, Time 0.1..10 in tenths).
#include "tools/host/parameter_setter.h"

#include <gtest/gtest.h>

#include "tools/host/plugin_loader.h"
#include "tools/host/session_host.h"

namespace host {
namespace {

class ParameterSetterTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    plugin_ = LoadPlugin(TEST_PLUGIN, host_, error);
    ASSERT_NE(plugin_, nullptr) << error;
    plugin_->Open();
    setter_ = std::make_unique<ParameterSetter>(*plugin_);
  }
  void TearDown() override {
    setter_.reset();
    plugin_.reset();
  }
  bool Set(int32_t index, const std::string& value) {
    error_.clear();
    return setter_->SetDisplayed(index, value, error_);
  }

  HostObserver observer_;
  Transport transport_{44100.0, 120.0, 4, 4};
  SessionHost host_{transport_, 512, observer_};
  std::unique_ptr<PluginInstance> plugin_;
  std::unique_ptr<ParameterSetter> setter_;
  std::string error_;
};

TEST_F(ParameterSetterTest, FindsParametersByNameIgnoringCaseOrByIndex) {
  EXPECT_EQ(setter_->Find("Steps", error_), 1);
  EXPECT_EQ(setter_->Find("mode", error_), 2);
  EXPECT_EQ(setter_->Find("3", error_), 3);
}

TEST_F(ParameterSetterTest, NamesTheKnownParametersWhenOneIsUnknown) {
  EXPECT_EQ(setter_->Find("Speed", error_), -1);
  EXPECT_EQ(error_, "unknown parameter 'Speed' (parameters: Pitch, Steps, Mode, Time)");
  EXPECT_EQ(setter_->Find("4", error_), -1);
  EXPECT_EQ(error_, "parameter index 4 is out of range (the plug-in has 4 parameters)");
}

TEST_F(ParameterSetterTest, LandsOnTheValueOfARoundingDisplay) {
  ASSERT_TRUE(Set(0, "25")) << error_;
  EXPECT_EQ(plugin_->ParameterDisplay(0), "25");
  EXPECT_NEAR(plugin_->GetNormalized(0) * 30.0, 25.0, 1e-4);
}

TEST_F(ParameterSetterTest, LandsInsideTheStepOfATruncatingDisplay) {
  ASSERT_TRUE(Set(1, "7")) << error_;
  EXPECT_EQ(plugin_->ParameterDisplay(1), "7");
  EXPECT_NEAR(plugin_->GetNormalized(1) * 10.0, 7.5, 1e-4);
}

TEST_F(ParameterSetterTest, SetsTheEndsOfTheRangeExactly) {
  ASSERT_TRUE(Set(0, "30")) << error_;
  EXPECT_EQ(plugin_->GetNormalized(0), 1.0f);
  ASSERT_TRUE(Set(0, "0")) << error_;
  EXPECT_EQ(plugin_->GetNormalized(0), 0.0f);
}

TEST_F(ParameterSetterTest, SetsAValueFinerThanTheDisplayWhereTheDisplayCrossesIt) {
  ASSERT_TRUE(Set(3, "2.35")) << error_;
  EXPECT_NEAR(0.1 + plugin_->GetNormalized(3) * 9.9, 2.35, 1e-4);
}

TEST_F(ParameterSetterTest, RefusesAValueOutsideTheRangeAndKeepsTheOldOne) {
  plugin_->SetNormalized(0, 0.25f);
  EXPECT_FALSE(Set(0, "31"));
  EXPECT_EQ(error_, "value 31 for Pitch is out of range (0 to 30)");
  EXPECT_EQ(plugin_->GetNormalized(0), 0.25f);
}

TEST_F(ParameterSetterTest, MatchesTextValuesIgnoringCase) {
  ASSERT_TRUE(Set(2, "ON")) << error_;
  EXPECT_EQ(plugin_->GetNormalized(2), 1.0f);
  ASSERT_TRUE(Set(2, "off")) << error_;
  EXPECT_EQ(plugin_->GetNormalized(2), 0.0f);
}

TEST_F(ParameterSetterTest, ListsTheTextsWhenAValueMatchesNone) {
  plugin_->SetNormalized(2, 1.0f);
  EXPECT_FALSE(Set(2, "maybe"));
  EXPECT_EQ(error_, "bad value 'maybe' for Mode (it shows off, on)");
  EXPECT_EQ(plugin_->GetNormalized(2), 1.0f);
}

TEST_F(ParameterSetterTest, SetsNormalizedValuesAsGiven) {
  ASSERT_TRUE(setter_->SetNormalized(1, "0.5", error_)) << error_;
  EXPECT_EQ(plugin_->GetNormalized(1), 0.5f);
  EXPECT_FALSE(setter_->SetNormalized(1, "1.5", error_));
  EXPECT_FALSE(setter_->SetNormalized(1, "half", error_));
  EXPECT_EQ(error_, "bad normalized value 'half' for Steps (expected a number from 0 to 1)");
  EXPECT_EQ(plugin_->GetNormalized(1), 0.5f);
}

TEST_F(ParameterSetterTest, ResolvesAValueWithoutLeavingTheParameterChanged) {
  plugin_->SetNormalized(0, 0.5f);
  double value = 0.0;
  ASSERT_TRUE(setter_->Resolve(0, "25", false, value, error_)) << error_;
  EXPECT_NEAR(value * 30.0, 25.0, 1e-4);
  EXPECT_EQ(value, static_cast<float>(value)) << "VST 2 carries floats";
  EXPECT_EQ(plugin_->GetNormalized(0), 0.5f);
  EXPECT_FALSE(setter_->Resolve(0, "31", false, value, error_));
  EXPECT_EQ(plugin_->GetNormalized(0), 0.5f);
}

TEST(NumberParsing, AcceptsOnlyWholeFiniteNumbers) {
  double number = 0.0;
  EXPECT_TRUE(ParseNumber("-2.5", number));
  EXPECT_EQ(number, -2.5);
  EXPECT_FALSE(ParseNumber("2.5x", number));
  EXPECT_FALSE(ParseNumber(" 2", number));
  EXPECT_FALSE(ParseNumber("inf", number));
  EXPECT_FALSE(ParseNumber("", number));
}

}  // namespace
}  // namespace host

#include "engine/model_types.h"

#include <cmath>
#include <limits>
#include <stdexcept>

#include <gtest/gtest.h>

namespace kavrel {
namespace {

TEST(StatementRealTest, FixedScientificText) {
  const std::pair<double, const char*> cases[] = {
      {0.0015, " 1.50000000000000E-0003"},
      {-2.0, "-2.00000000000000E+0000"},
      {0.0, " 0.00000000000000E+0000"},
      {1.0, " 1.00000000000000E+0000"},
      {123456.789, " 1.23456789000000E+0005"},
      {1e-300, " 1.00000000000000E-0300"},
      {-1.7976931348623157e308, "-1.79769313486232E+0308"},
      {9.999999999999999e-4, " 1.00000000000000E-0003"},  // rounding carries into the exponent
  };
  for (const auto& [value, text] : cases) {
    const auto written = StatementReal(value);
    EXPECT_EQ(written, text);
    EXPECT_EQ(written.size(), 23u);
  }
}

TEST(StatementRealTest, NonFiniteNumbersAreRefused) {
  EXPECT_THROW(StatementReal(std::numeric_limits<double>::quiet_NaN()), std::domain_error);
  EXPECT_THROW(StatementReal(std::numeric_limits<double>::infinity()), std::domain_error);
}

TEST(StatementRealTest, ReadsBackToTheSameNumber) {
  for (double value : {0.1, 1.0 / 3.0, 2.718281828459045e-7}) {
    EXPECT_NEAR(std::stod(StatementReal(value)), value, std::fabs(value) * 1e-14);
  }
}

TEST(GroupLabelTest, SingleSpannedAndOpenGroups) {
  EXPECT_EQ(GroupLabel(7, 8, 100), "7");
  EXPECT_EQ(GroupLabel(0, 5, 100), "0-4");
  EXPECT_EQ(GroupLabel(85, 86, 85), "85+");
  EXPECT_EQ(GroupLabel(95, 101, 100), "95+");
  EXPECT_EQ(GroupLabel(100, 101, 100), "100+");
}

TEST(NamesTest, VariableNameLists) {
  EXPECT_EQ(kVariableDisplayNames[kRRMortality], "RR Mortality");
  EXPECT_EQ(kVariableCaptions[kRRMortality], "RR mortality");
  EXPECT_EQ(kVariableTableWords[kCaseFatality], "Casefatality");
  EXPECT_EQ(kInputFlagColumns[kFemales][kCaseFatality], "FCasefatality");
  EXPECT_EQ(kProcessedFlagColumns[kMales][kRRMortality], "MRRMortalityproc");
  EXPECT_EQ(kOutputFlagColumns[kFemales], "Foutput");
  EXPECT_EQ(kSexNames[kFemales], "Females");
  for (int h = 0; h < kTrendHazardCount; ++h) {
    EXPECT_TRUE(IsHazard(kTrendHazardVariables[h]));
    EXPECT_EQ(kTrendHazardNames[h], kVariableDisplayNames[kTrendHazardVariables[h]]);
  }
  EXPECT_FALSE(IsHazard(kPrevalence));
}

}  // namespace
}  // namespace kavrel

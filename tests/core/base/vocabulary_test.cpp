#include "core/base/vocabulary.h"

#include <optional>

#include <gtest/gtest.h>

#include "core/base/number_text.h"

namespace kavrel {
namespace {

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
  EXPECT_EQ(kSexNames[kFemales], "Females");
  for (int h = 0; h < kTrendHazardCount; ++h) {
    EXPECT_TRUE(IsHazard(kTrendHazardVariables[h]));
    EXPECT_EQ(kTrendHazardNames[h], kVariableDisplayNames[kTrendHazardVariables[h]]);
  }
  EXPECT_FALSE(IsHazard(kPrevalence));
}

TEST(NumberTextTest, ReadsWhatTheUserTypesInTheLocale) {
  const struct {
    const char* text;
    char separator;
    std::optional<double> value;
  } cases[] = {
      {"0.25", '.', 0.25},         {" 2.5 ", '.', 2.5},  {"0,25", ',', 0.25},
      {"0.25", ',', std::nullopt},  // a period where the locale writes a comma
      {"", '.', std::nullopt},     {"1e3", '.', 1000.0}, {"abc", '.', std::nullopt},
      {"2x", '.', std::nullopt},   {"-3", '.', -3.0},    {"inf", '.', std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadNumberText(c.text, c.separator), c.value) << c.text;
}

TEST(NumberTextTest, ShownWithTheLocaleSeparatorAndReadBack) {
  EXPECT_EQ(NumberText(0.0015, 9), "0.0015");
  EXPECT_EQ(NumberText(2.5, 9, ','), "2,5");
  EXPECT_EQ(NumberText(1.0 / 3.0, 4, ','), "0,3333");
  EXPECT_EQ(ReadNumberText(NumberText(1234.5678, 15, ','), ','), 1234.5678);
}

}  // namespace
}  // namespace kavrel

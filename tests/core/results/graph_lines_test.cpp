#include "core/results/graph_lines.h"

#include <gtest/gtest.h>

#include "core/engine/disease.h"

namespace kavrel {
namespace {

TEST(GraphLinesTest, InputLinesThenOutputLinesOnceCalculated) {
  Tdisease disease("Asthma");
  disease.InputPresent[kIncidence][kMales] = true;
  disease.InputPresent[kRRMortality][kMales] = true;
  disease.FromOutput[kPrevalence][kMales] = true;
  disease.InputPresent[kRemission][kFemales] = true;  // the other sex does not count
  const ViewOptionsState view;
  auto lines = ProcessingGraphLines(disease, kMales, view);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].Title, "Incidence (i)");
  EXPECT_EQ(lines[1].Title, "Prevalence (i)");
  EXPECT_EQ(lines[2].Title, "RR Mortality (i)");
  EXPECT_EQ(lines[0].Data, &disease.InputSeries[kIncidence][kMales]);
  EXPECT_EQ(lines[0].Width, view.InputLineWidth);
  EXPECT_FALSE(lines[2].Visible);  // RR mortality starts hidden, on the right axis
  EXPECT_TRUE(lines[2].RightAxis);

  disease.Calculated[kMales] = true;
  lines = ProcessingGraphLines(disease, kMales, view);
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[3].Title, "Incidence (o)");
  EXPECT_EQ(lines[3].Data, &disease.OutputSeries[kIncidence][kMales]);
  EXPECT_EQ(lines[3].LineColour, view.OutputLines[kIncidence].LineColour);
  EXPECT_EQ(GraphCaption(disease, kMales), "Disease: Asthma, Males");
}

TEST(GraphLinesTest, SmallValuesFixTheAxisAtOneInAThousand) {
  Series small{};
  Series large{};
  Series hidden{};
  small.fill(0.0005);
  large.fill(0.0005);
  large[100] = 0.02;
  hidden.fill(40.0);
  std::vector<PlotLine> lines = {{"a", &small, true, false, 0, 1},
                                 {"b", &hidden, false, false, 0, 1}};
  EXPECT_EQ(FixedAxisMaximum(lines, false, 100), 0.001);  // the hidden line does not count
  EXPECT_EQ(FixedAxisMaximum(lines, true, 100), 0.001);   // an empty axis too
  lines.push_back({"c", &large, true, false, 0, 1});
  EXPECT_FALSE(FixedAxisMaximum(lines, false, 100).has_value());
  EXPECT_EQ(FixedAxisMaximum(lines, false, 99), 0.001);  // ages above the highest do not count
}

TEST(GraphLinesTest, TicksAtRoundValues) {
  struct Case {
    double largest;
    double step, maximum;
    int decimals;
  };
  const Case cases[] = {
      {0.234, 0.05, 0.25, 2},      // not 0.0585, 0.117, 0.175, 0.234
      {0.2026, 0.05, 0.25, 2},     //
      {1.0, 0.2, 1.0, 1},          // the largest value on a tick
      {0.3, 0.1, 0.3, 1},          //
      {0.012, 0.0025, 0.0125, 4},  // 2.5 needs one decimal more
      {102.8, 25.0, 125.0, 0},     //
      {7.0, 2.0, 8.0, 0},          //
      {0.001, 0.0002, 0.001, 4},   //
      {48000.0, 10000.0, 50000.0, 0},
      {0.0, 1.0, 1.0, 0},  // nothing to show
  };
  for (const Case& c : cases) {
    const AxisTicks ticks = RoundTicks(c.largest);
    EXPECT_NEAR(ticks.Step, c.step, c.step * 1e-12) << c.largest;
    EXPECT_NEAR(ticks.Maximum, c.maximum, c.maximum * 1e-12) << c.largest;
    EXPECT_EQ(ticks.Decimals, c.decimals) << c.largest;
  }
}

}  // namespace
}  // namespace kavrel

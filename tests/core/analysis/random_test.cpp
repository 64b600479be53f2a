#include "core/analysis/random.h"

#include <cmath>

#include <gtest/gtest.h>

#include "core/analysis/distributions.h"
#include "core/base/user_dialogs.h"

namespace kavrel {
namespace {

TEST(GeneratorTest, CongruentialValuesFromTheRecurrences) {
  TeoRandomGood one(123459876);  // the mask itself: state 1
  EXPECT_EQ(one.Seed, 1);
  EXPECT_EQ(one.Next(), 16807.0 / 2147483647.0);
  TeoRandomGood good(0);
  EXPECT_EQ(good.Seed, 123459876);
  std::int64_t s = 123459876;
  for (int k = 0; k < 3; ++k) {
    s = s * 16807 % 2147483647;
    EXPECT_EQ(good.Next(), static_cast<double>(static_cast<long double>(s) / 2147483647.0L));
  }
  TeoRandomQAD quick(0);
  std::uint32_t q = 0;
  for (int k = 0; k < 3; ++k) {
    q = q * 1664525u + 1013904223u;
    const double value = quick.Next();
    EXPECT_EQ(value, (q & 0x7FFFFFu) / 8388608.0);  // multiples of 2^-23
  }
  Trandom system(0);
  EXPECT_EQ(system.Next(), 1.0 / 4294967296.0);
  EXPECT_EQ(system.Next(), 134775814.0 / 4294967296.0);
}

TEST(GeneratorTest, RangesOfEveryGenerator) {
  for (int g = 0; g < 7; ++g) {
    RandomSource random(g, 987654321u);
    double low = 1.0, high = 0.0;
    for (int k = 0; k < 200000; ++k) {
      const double u = random.Next();
      low = std::min(low, u);
      high = std::max(high, u);
    }
    EXPECT_GE(low, g >= 5 ? -std::ldexp(1.0, -32) : 0.0) << kGeneratorNames[g];
    EXPECT_LT(high, 1.0) << kGeneratorNames[g];
    if (g == 3 || g == 4) {
      EXPECT_LE(high, 0.99999988) << kGeneratorNames[g];
    }
    EXPECT_GT(high, 0.999) << kGeneratorNames[g];
    EXPECT_LT(low, 0.001) << kGeneratorNames[g];
  }
}

TEST(GeneratorTest, ShuffleAndMarsagliaState) {
  TeoRandomBetter better(7);
  std::int64_t s = 7 ^ 123459876;
  for (int k = 0; k < 8; ++k) s = s * 16807 % 2147483647;
  std::array<std::int64_t, 32> table{};
  for (int k = 31; k >= 0; --k) table[static_cast<std::size_t>(k)] = s = s * 16807 % 2147483647;
  EXPECT_EQ(better.Y, table[0]);
  s = s * 16807 % 2147483647;
  const auto j = static_cast<std::size_t>(table[0] / 67108864);
  EXPECT_EQ(better.Next(), static_cast<double>(table[j] / 2147483647.0L));

  // The first number regenerates the 37 words; the next 36 words come from that batch.
  TeoRandomMarsagliaFast fast(12345, 100000 - 12345);
  EXPECT_EQ(fast.Index, 38);
  const auto before = fast.Lag;
  fast.Next();
  EXPECT_EQ(fast.Index, 1);
  EXPECT_NE(fast.Lag, before);
  const auto batch = fast.Lag;
  for (int k = 0; k < 17; ++k) fast.Next();  // words 2 ... 35
  EXPECT_EQ(fast.Lag, batch);
  EXPECT_EQ(fast.Index, 35);
  // Seeding: the first word from the shift register and the congruential state.
  std::uint32_t c = 2u * 12345u + 1u;
  std::uint32_t shift = 100000 - 12345;
  std::uint32_t w = 0;
  for (int bit = 0; bit < 32; ++bit) {
    c *= 69069u;
    shift ^= shift >> 15;
    shift ^= shift << 17;
    w = (w >> 1) | ((c ^ shift) & 0x80000000u);
  }
  EXPECT_EQ(before[0], w);
}

TEST(DistributionTest, IntervalsDefaultsAndDraws) {
  RandomSource random(5, 42u);
  Tstedevinstnorm normal(kIncidence, 5, 0);
  normal.Param = 0.001;
  double lower, upper;
  normal.IntervalAt(6, lower, upper, 0.01);
  EXPECT_NEAR(lower, 0.0080396, 1e-12);
  EXPECT_NEAR(upper, 0.0119604, 1e-12);
  EXPECT_EQ(IntervalLabel(0.95), "95%");

  Tstedevinstnorm prevalence(kPrevalence, 5, 0);
  prevalence.Param = 2.0;  // far wider than 0 ... 1
  for (int k = 0; k < 2000; ++k) {
    const double v = prevalence.Draw(random, 0.5);
    EXPECT_GE(v, 0.0);
    EXPECT_LE(v, 1.0);
  }
  Tstedevinstuni uniform(kIncidence, 5, 0);
  uniform.Param = 0.2;
  EXPECT_EQ(uniform.Draw(random, 0.0), 0.0);

  Tstedevinstdrie triangle(kIncidence, 5, 0);
  triangle.Param = 0.2;
  triangle.HiDev = 0.2;
  triangle.Derive(1.0);
  EXPECT_NEAR(triangle.Mode, 1.0, 1e-15);
  triangle.Param = 0.1;
  triangle.HiDev = 0.5;
  triangle.Derive(1.0);
  EXPECT_NEAR(triangle.Mode, 0.6, 1e-15);  // below the lower limit 0.9
  const double drawn = triangle.Draw(random, 1.0);
  EXPECT_TRUE(std::isfinite(drawn));

  Series saved{};
  for (int a = 0; a < 5; ++a) saved[a] = 0.01;
  Tstedevinstbinom binomial(kPrevalence, 5, 0);
  binomial.SetDefaults(saved, 0.1);
  EXPECT_EQ(binomial.Param, 10.0);
  EXPECT_EQ(binomial.Draw(random, 0.0), 0.0);
  EXPECT_TRUE(std::isfinite(binomial.Draw(random, 1.0)));  // arcsin 1 for a value of 1

  ScriptedDialogs dialogs;
  normal.Mean = 0.5;
  EXPECT_FALSE(normal.ParamsFromText({"2", "x", "", ""}, 100.0, dialogs));
  EXPECT_EQ(dialogs.Texts().back(), kInvalidNumberInCell);
  EXPECT_EQ(normal.Mean, 0.02);  // read before the bad field
  EXPECT_EQ(normal.ParamsToText(100.0)[0], "2");
  // A negative standard deviation is refused and leaves the one before.
  const double stdev = normal.Param;
  EXPECT_FALSE(normal.ParamsFromText({"2", "-0.5", "", ""}, 100.0, dialogs));
  EXPECT_EQ(dialogs.Texts().back(), std::string(kNegativeParameter) + " (-0.5)");
  EXPECT_EQ(normal.Param, stdev);
  EXPECT_EQ(TruncatedNormal(random, 1.0, 0.5, 1e-9, 0.0), 0.5);  // gives up: clipped mean
}

}  // namespace
}  // namespace kavrel

#include "core/analysis/distributions.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <optional>

#include "core/base/user_dialogs.h"

namespace kavrel {

namespace {

const IntervalLevel& Level(int number) {
  return kIntervalTable.at(static_cast<std::size_t>(std::clamp(number, 1, 7) - 1));
}

std::string General(double value) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.9g", value);
  return buffer;
}

std::optional<double> Number(const std::string& text) {
  try {
    std::size_t used = 0;
    const double value = std::stod(text, &used);
    if (used != text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

// Reads the fields of texts in order into targets, each divided by its multiplier; stops at the
// first that is not a number.
template <std::size_t N>
bool ReadFields(const std::array<std::string, 4>& texts, std::array<int, N> columns,
                std::array<double*, N> targets, std::array<double, N> divisors,
                UserDialogs& dialogs) {
  for (std::size_t k = 0; k < N; ++k) {
    const auto value = Number(texts[static_cast<std::size_t>(columns[k])]);
    if (!value) {
      dialogs.ShowError(kInvalidNumberInCell);
      return false;
    }
    // Every parameter (a mean, a standard deviation, a relative deviation, a count) is a size:
    // one below 0 would put the central value outside its own intervals.
    if (*value < 0.0) {
      dialogs.ShowError(std::string(kNegativeParameter) + " (" +
                        texts[static_cast<std::size_t>(columns[k])] + ")");
      return false;
    }
    *targets[k] = *value / divisors[k];
  }
  return true;
}

// The arcsine as arctan(y / sqrt(1 - y^2)); a central value of 1 or more counts as arcsin 1.
double ArcSin(double y) {
  if (y >= 1.0) return std::numbers::pi / 2.0;
  return std::atan(y / std::sqrt(1.0 - y * y));
}

}  // namespace

std::string IntervalLabel(double level) {
  return std::to_string(static_cast<int>(std::lround(level * 100.0))) + "%";
}

double NormalDeviate(RandomSource& random, double sd, double mean) {
  return random.StandardNormal() * sd + mean;
}

double TruncatedNormal(RandomSource& random, double upper, double lower, double sd, double mean) {
  for (int tries = 0; tries < 10000; ++tries) {
    const double v = NormalDeviate(random, sd, mean);
    if (v >= lower && v <= upper) return v;
  }
  return std::clamp(mean, lower, upper);
}

double UniformDeviate(RandomSource& random, double a, double b) {
  return b + random.Next() * (a - b);
}

double TriangularDeviate(RandomSource& random, double mode, double upper, double lower) {
  if (!(upper > lower)) return mode;
  const double h = 1.0 / (upper - lower);
  const double l = lower + (mode - lower) / 2.0;
  const double r = mode + (upper - mode) / 2.0;
  const double g = UniformDeviate(random, upper, lower);
  if (g < l) {
    const double w = UniformDeviate(random, h, 0.0);
    if (w > (g - lower) * h / (l - lower)) return 2.0 * l - g;
  } else if (g > r) {
    const double w = UniformDeviate(random, h, 0.0);
    if (w > h * (upper - g) / (upper - r)) return 2.0 * r - g;
  }
  return g;
}

Tstedevinst::Tstedevinst(int variable, int hage, int lage)
    : Lage(lage), Hage(hage), MaxValue(variable == kPrevalence ? 1.0 : 1.7e308) {}

void Tstedevinst::MeanOf(const Series& saved) {
  double sum = 0.0;
  int count = 0;
  for (int a = std::max(Lage, 0); a < Hage && a <= kHighestPossibleAge; ++a, ++count)
    sum += saved[a];
  Mean = count > 0 ? sum / count : 0.0;
}

// normal
void Tstedevinstnorm::IntervalAt(int number, double& lower, double& upper, double x) {
  const double z = Level(number).Quantile;
  lower = x - z * Param;
  upper = x + z * Param;
}
std::array<std::string, 4> Tstedevinstnorm::ParamsToText(double m) const {
  return {General(Mean * m), General(Param * m), "", ""};
}
bool Tstedevinstnorm::ParamsFromText(const std::array<std::string, 4>& texts, double m,
                                     UserDialogs& dialogs) {
  return ReadFields<2>(texts, {0, 1}, {&Mean, &Param}, {m, m}, dialogs);
}
void Tstedevinstnorm::SetDefaults(const Series& saved, double c) {
  MeanOf(saved);
  Param = c * Mean;
}
double Tstedevinstnorm::Draw(RandomSource& random, double x) {
  if (!(x > 0.0)) return 0.0;
  return TruncatedNormal(random, MaxValue, 0.0, Param, x);
}

// uniform
void Tstedevinstuni::IntervalAt(int number, double& lower, double& upper, double x) {
  const double level = Level(number).Level;
  lower = std::max(0.0, x - x * level * Param);
  upper = std::min(MaxValue, x + x * level * Param);
}
std::array<std::string, 4> Tstedevinstuni::ParamsToText(double m) const {
  return {General(Mean * m), General(Param * m), "", ""};
}
bool Tstedevinstuni::ParamsFromText(const std::array<std::string, 4>& texts, double m,
                                    UserDialogs& dialogs) {
  return ReadFields<1>(texts, {1}, {&Param}, {m}, dialogs);
}
void Tstedevinstuni::SetDefaults(const Series& saved, double c) {
  MeanOf(saved);
  Param = c;
}
double Tstedevinstuni::Draw(RandomSource& random, double x) {
  Lower = std::max(0.0, x - x * Param);
  Upper = std::min(MaxValue, x + x * Param);
  return UniformDeviate(random, Upper, Lower);
}

// triangular
void Tstedevinstdrie::Derive(double x) {
  Lower = std::max(0.0, (1.0 - Param) * x);
  Upper = std::min(MaxValue, (1.0 + HiDev) * x);
  Mode = 3.0 * x - Lower - Upper;
}
void Tstedevinstdrie::IntervalAt(int number, double& lower, double& upper, double x) {
  Derive(x);
  if (!(Upper > 0.0)) {
    lower = upper = 0.0;
    return;
  }
  const double g = (1.0 - Level(number).Level) / 2.0;
  const double p = 2.0 / (Upper - Lower);
  const double m = (Mode - Lower) * p / 2.0;
  lower = g <= m ? Lower + std::sqrt(g / m) * (Mode - Lower)
                 : Upper - std::sqrt(2.0 * (Upper - Mode) * (1.0 - g) / p);
  upper = g <= 1.0 - m ? Mode + (1.0 - std::sqrt(g / (1.0 - m))) * (Upper - Mode)
                       : Lower + std::sqrt(2.0 * (1.0 - g) * (Mode - Lower) / p);
}
std::array<std::string, 4> Tstedevinstdrie::ParamsToText(double m) const {
  return {General(Mean * m), General(Mode * m), General(Param * m), General(HiDev * m)};
}
bool Tstedevinstdrie::ParamsFromText(const std::array<std::string, 4>& texts, double m,
                                     UserDialogs& dialogs) {
  const bool read = ReadFields<2>(texts, {2, 3}, {&Param, &HiDev}, {m, m}, dialogs);
  Derive(Mean);
  return read;
}
void Tstedevinstdrie::SetDefaults(const Series& saved, double c) {
  MeanOf(saved);
  Param = HiDev = c;
  Derive(Mean);
}
double Tstedevinstdrie::Draw(RandomSource& random, double x) {
  Derive(x);
  return TriangularDeviate(random, Mode, Upper, Lower);
}

// Poisson: normal on the log scale
void Tstedevinstpoisson::IntervalAt(int number, double& lower, double& upper, double x) {
  if (!(x > 0.0)) {
    lower = upper = 0.0;
    return;
  }
  const double z = Level(number).Quantile;
  lower = std::exp(std::log(x) - z * Param);
  upper = std::exp(std::log(x) + z * Param);
}
void Tstedevinstpoisson::SetDefaults(const Series& saved, double) {
  MeanOf(saved);
  Param = std::sqrt(std::max(Mean, 0.0));
}
double Tstedevinstpoisson::Draw(RandomSource& random, double x) {
  if (!(x > 0.0)) return 0.0;
  return std::exp(std::log(x) + random.StandardNormal() * Param);
}

// binomial: normal on the arcsine scale
void Tstedevinstbinom::IntervalAt(int number, double& lower, double& upper, double x) {
  if (!(Param > 0.0)) {
    lower = upper = 0.0;
    return;
  }
  const double z = Level(number).Quantile;
  const double centre = ArcSin(std::sqrt(std::max(x, 0.0)));
  const double spread = z * std::sqrt(1.0 / (4.0 * Param));
  lower = std::pow(std::sin(centre - spread), 2);
  upper = std::pow(std::sin(centre + spread), 2);
}
std::array<std::string, 4> Tstedevinstbinom::ParamsToText(double m) const {
  return {General(Mean * m), General(Param), "", ""};
}
bool Tstedevinstbinom::ParamsFromText(const std::array<std::string, 4>& texts, double m,
                                      UserDialogs& dialogs) {
  return ReadFields<2>(texts, {0, 1}, {&Mean, &Param}, {m, 1.0}, dialogs);
}
void Tstedevinstbinom::SetDefaults(const Series& saved, double) {
  MeanOf(saved);
  Param = std::max(100.0 * Mean, 10.0);
}
double Tstedevinstbinom::Draw(RandomSource& random, double x) {
  if (!(x > 0.0)) return 0.0;
  if (!(Param > 0.0)) return x;
  const double value =
      ArcSin(std::sqrt(x)) + random.StandardNormal() * std::sqrt(1.0 / (4.0 * Param));
  return std::pow(std::sin(value), 2);
}

std::unique_ptr<Tstedevinst> MakeDistribution(int kind, int variable, int hage, int lage) {
  switch (kind) {
    case 1:
      return std::make_unique<Tstedevinstuni>(variable, hage, lage);
    case 2:
      return std::make_unique<Tstedevinstdrie>(variable, hage, lage);
    case 3:
      return std::make_unique<Tstedevinstpoisson>(variable, hage, lage);
    case 4:
      return std::make_unique<Tstedevinstbinom>(variable, hage, lage);
    default:
      return std::make_unique<Tstedevinstnorm>(variable, hage, lage);
  }
}

}  // namespace kavrel

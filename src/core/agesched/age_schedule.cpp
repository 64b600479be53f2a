#include "core/agesched/age_schedule.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <vector>

#include "core/base/number_text.h"
#include "core/engine/disease.h"
#include "core/engine/interpolation.h"

namespace kavrel {

std::optional<double> ReadEndPointValue(std::string_view text, char decimalSeparator) {
  std::string trimmed(text);
  trimmed.erase(0, trimmed.find_first_not_of(' '));
  trimmed.erase(trimmed.find_last_not_of(' ') + 1);
  std::string lower = trimmed;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (lower == "default") return 0.0;
  return ReadNumberText(trimmed, decimalSeparator);
}

Tagesched::Tagesched(AgeScheduleWorkspace& workspace, const AgeScheduleContext& context)
    : ws_(workspace), ctx_(context) {
  ws_.FitLow = context.Options.Lower;
  ws_.FitHigh = context.Options.Higher;
}

double Tagesched::Cost(std::span<const double>) { return 0.0; }

namespace {

const std::vector<Tinputdat>& Groups(const AgeScheduleContext& ctx) {
  return ctx.Disease.InputRows[ctx.Variable][ctx.Disease.Sex];
}

// The nodes of the polynomial and the spline: the low end point, the group midpoints, the high
// end point, in this order. They must increase strictly: an end point inside the groups' span is
// refused rather than giving meaningless values.
void InterpolationNodes(const AgeScheduleContext& ctx, std::vector<double>& x,
                        std::vector<double>& y) {
  const auto& options = ctx.Options;
  const auto endValue = [&ctx](const std::string& text, const char* which) {
    const auto value = ReadEndPointValue(text, ctx.DecimalSeparator);
    if (!value) {
      throw ScheduleError(std::string("The ") + which + " end point value \"" + text +
                          "\" is not a number");
    }
    return *value;
  };
  if (options.AddLow) {
    x.push_back(options.LowAge);
    y.push_back(endValue(options.LowValue, "low"));
  }
  for (const Tinputdat& g : Groups(ctx)) {
    x.push_back(g.Lage + (g.Hage - g.Lage) / 2.0);
    y.push_back(g.Waarde);
  }
  if (options.AddHigh) {
    x.push_back(options.HighAge);
    y.push_back(endValue(options.HighValue, "high"));
  }
  const auto age = [](double a) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", a);
    return std::string(text);
  };
  const std::size_t n = x.size();
  if (options.AddLow && n > 1 && !(x[1] > x[0])) {
    throw ScheduleError("The low end point (age " + age(x[0]) +
                        ") must lie below the first age group's midpoint (" + age(x[1]) +
                        "). Move the end point or leave it out.");
  }
  if (options.AddHigh && n > 1 && !(x[n - 1] > x[n - 2])) {
    throw ScheduleError("The high end point (age " + age(x[n - 1]) +
                        ") must lie above the last age group's midpoint (" + age(x[n - 2]) +
                        "). Move the end point or leave it out.");
  }
  for (std::size_t k = 1; k < n; ++k) {
    if (!(x[k] > x[k - 1])) {
      throw ScheduleError(
          "The age groups overlap or are out of order: the interpolation points "
          "must lie at increasing ages.");
    }
  }
}

}  // namespace

void Tlinearinterpol::Execute() {
  const auto& groups = Groups(ctx_);
  if (groups.empty()) throw ScheduleError("There are no age groups to interpolate");
  Series adjusted = ws_.Adjusted;
  const auto mid = [](const Tinputdat& g) { return g.Lage + (g.Hage - g.Lage) / 2; };
  int m = mid(groups[0]);
  for (int a = 0; a <= std::min(m, ctx_.MaxAge); ++a) adjusted[a] = groups[0].Waarde;
  for (std::size_t k = 1; k < groups.size(); ++k) {
    const int next = mid(groups[k]);
    const double step = (groups[k].Waarde - groups[k - 1].Waarde) / (next - m);
    for (int a = m + 1; a <= next && a <= kHighestPossibleAge; ++a)
      adjusted[a] = adjusted[a - 1] + step;
    m = next;
  }
  for (int a = std::max(m, 0); a <= ctx_.MaxAge; ++a) adjusted[a] = groups.back().Waarde;
  ws_.Adjusted = adjusted;
  ws_.Draw(ScheduleLine::kAdjusted);
}

void Tpolynomialinterpol::Execute() {
  std::vector<double> x;
  std::vector<double> y;
  InterpolationNodes(ctx_, x, y);
  if (x.empty()) throw ScheduleError("There are no points to interpolate");
  Tpolinomint polynomial(static_cast<int>(x.size()));
  polynomial.XA = x;
  polynomial.YA = y;
  Series adjusted = ws_.Adjusted;
  for (int a = 0; a <= ctx_.MaxAge; ++a) adjusted[a] = polynomial.Interpolate(a);
  ws_.Adjusted = adjusted;
  ws_.Draw(ScheduleLine::kAdjusted);
}

void Tcubicsplineinterpol::Execute() {
  std::vector<double> x;
  std::vector<double> y;
  InterpolationNodes(ctx_, x, y);
  if (x.size() < 2) throw ScheduleError("A cubic spline needs at least two points");
  Tcubicspline spline(static_cast<int>(x.size()));
  spline.X = x;
  spline.Y = y;
  spline.SlopeLow = 0.0;
  spline.SlopeHigh = 0.0;
  spline.ComputeSecondDerivatives();
  Series adjusted = ws_.Adjusted;
  for (int a = 0; a <= ctx_.MaxAge; ++a) adjusted[a] = spline.Interpolate(a);
  ws_.Adjusted = adjusted;
  ws_.Draw(ScheduleLine::kAdjusted);
}

// An even period (possible from stored preferences) is raised to the next odd one.
Tmovingaverage::Tmovingaverage(AgeScheduleWorkspace& workspace, const AgeScheduleContext& context)
    : Tagesched(workspace, context), Period(context.Options.Period | 1) {}

void Tmovingaverage::Execute() {
  const Series source = ws_.Source();
  const int p = Period;
  const int d = p / 2;
  const int lo = ws_.FitLow;
  const int hi = std::min(ws_.FitHigh, ctx_.MaxAge);
  if (lo < 0 || hi - lo + 1 < p) {
    throw ScheduleError("The age range " + std::to_string(lo) + " to " + std::to_string(hi) +
                        " is narrower than the moving average period of " + std::to_string(p) +
                        " years");
  }
  const auto mean = [&source](int centre, int width) {
    double sum = 0.0;
    for (int a = centre - width / 2; a <= centre + width / 2; ++a) sum += source[a];
    return sum / width;
  };
  Series adjusted = ws_.Adjusted;
  adjusted[lo] = source[lo];
  int w = 3;
  for (int a = lo + 1; a < lo + d; ++a, w += 2) adjusted[a] = mean(a, w);
  for (int a = lo + d; a <= hi - d; ++a) adjusted[a] = mean(a, p);
  w = p - 2;
  for (int a = hi - d + 1; a < hi; ++a, w -= 2) adjusted[a] = mean(a, w);
  adjusted[hi] = source[hi];
  ws_.Adjusted = adjusted;
  ws_.Draw(ScheduleLine::kAdjusted);
}

Tmanual::Tmanual(AgeScheduleWorkspace& workspace, const AgeScheduleContext& context)
    : Tagesched(workspace, context) {
  ws_.Adjusted = ws_.Source();
  ws_.Draw(ScheduleLine::kAdjusted);
  ws_.ManualMode = true;
}

Tmanual::~Tmanual() { ws_.ManualMode = false; }

void Tmanual::SetPoint(double age, double value) {
  if (!ws_.ManualMode || !std::isfinite(age) || !std::isfinite(value)) return;
  const double rounded = std::round(age);
  if (rounded < 0 || rounded > ctx_.MaxAge) return;
  ws_.Adjusted[static_cast<std::size_t>(rounded)] = value;
  ws_.Draw(ScheduleLine::kAdjusted);
}

}  // namespace kavrel

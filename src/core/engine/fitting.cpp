// The fitting calculation: the hazards that are not given exactly are searched age group by age
// group so that the model reproduces the available data.

#include <algorithm>
#include <array>
#include <cmath>
#include <exception>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include <Eigen/Dense>

#include "core/base/errors.h"
#include "core/base/messages_log.h"
#include "core/base/user_dialogs.h"
#include "core/engine/amoeba.h"
#include "core/engine/basic_equations.h"
#include "core/engine/calc_options.h"
#include "core/engine/calc_settings.h"
#include "core/engine/disease.h"
#include "core/engine/fitter.h"
#include "core/engine/interpolation.h"

namespace kavrel {

namespace {

constexpr char kFinalPassError[] = "Internal error: basic equations final calculation";
constexpr char kDurationError[] = "Internal error: duration calculation";
constexpr char kLinearError[] = "Internal error: linear interpolation error";
constexpr char kMovingAverageError[] = "Internal error: moving average error";
constexpr char kSplineError[] = "Internal error: cubic spline error";
constexpr char kMaxIterationsWarning[] =
    "Warning: the downhill simplex method has at least once reached the maximum number of "
    "iterations";

}  // namespace

int Tfitter::AgeGroupEnd(int g) const {
  return std::min(g * AgeGroupWidth + AgeGroupWidth - 1, env_.MaxAge);
}

double Tfitter::ErrorTerm(int v, int a) const {
  const int s = d_.Sex;
  const double x = inputs_[v][s][a];
  const double w = Weights[s][v];
  if (x > 0.0) {
    const double m = v == kIncidence && !d_.IncidenceIsHazard ? PopRate[a] : Model[v][s][a];
    const double relative = m / x - 1.0;
    return w * relative * relative;
  }
  const double scaled = 1000.0 * Model[v][s][a];
  return w * scaled * scaled;
}

double Tfitter::Cost(std::span<const double> p) {
  const int s = d_.Sex;
  const int first = CurrentAgeGroup * AgeGroupWidth;
  const int last = AgeGroupEnd(CurrentAgeGroup);
  double criterion = 0.0;
  for (int a = first; a <= last; ++a) {
    for (int k = 0; k < ParamCount; ++k) Model[ParamVar[k]][s][a] = std::exp(p[k]);
    Step(a);
    for (int k = 0; k < ParamCount; ++k) {
      const int v = ParamVar[k];
      const double hazard = Model[v][s][a];
      if (hazard > HazardMax[v]) criterion += (hazard - HazardMax[v]) * (EnforceWeight[v] + 0.5);
    }
  }
  for (int v = 0; v < kVariableCount; ++v) {
    if (!Available[v][s]) continue;
    for (int a = first; a <= last; ++a) criterion += ErrorTerm(v, a);
  }
  const auto& input = inputs_;
  const bool mortality = Available[kMortality][s];
  const bool prevalence = Available[kPrevalence][s];
  const bool rrMortality = Available[kRRMortality][s];
  if (mortality && !Available[kCaseFatality][s]) {
    // Disease mortality of 0 means no case fatality there.
    for (int a = first; a <= last; ++a) {
      if (input[kMortality][s][a] == 0.0) criterion += 100.0 * Model[kCaseFatality][s][a];
    }
  }
  // Floor penalty: where the data show disease, a hazard may not sink towards zero.
  for (int k = 0; k < ParamCount; ++k) {
    if (p[k] >= -12.0) continue;
    const int v = ParamVar[k];
    const double below = p[k] + 12.0;
    for (int a = first; a <= last; ++a) {
      const bool mortalityShows = mortality && input[kMortality][s][a] > 0.0;
      const bool prevalenceShows = prevalence && input[kPrevalence][s][a] > 0.0;
      bool shows = false;
      if (v == kIncidence) {
        shows = mortalityShows || prevalenceShows;
      } else if (v == kRemission) {
        shows = prevalenceShows;
      } else {
        shows =
            mortalityShows || (rrMortality && input[kRRMortality][s][a] > 1.0) || prevalenceShows;
      }
      if (shows) criterion += below * below;
    }
  }
  FitCriterion = criterion;
  return criterion;
}

Tfitter::Tfitter(const Tdisease& disease, const ModelEnvironment& env, const CalcOptions& options,
                 const PerVariableAndSex<Series>* inputs)
    : d_(disease),
      inputs_(inputs != nullptr ? *inputs : disease.InputSeries),
      env_(env),
      options_(options) {
  const int s = d_.Sex;
  for (int v = 0; v < kVariableCount; ++v) {
    Available[v][s] = d_.InputPresent[v][s] || d_.FromOutput[v][s];
  }
  for (int h = 0; h < kHazardCount; ++h) {
    HazardMax[kHazardVariables[h]] = options.HazardMaximum[h];
    EnforceWeight[kHazardVariables[h]] = options.Enforced[h];
  }
  AgeGroupWidth = std::clamp(options.AgeGroupWidth, 1, 20);
  for (int v = 0; v < kVariableCount; ++v) {
    double weight = 1.0;
    if (d_.InputPresent[v][s]) {
      if (options.Ignore[v] || (v == kPrevalence && options.InputForAge0Only)) {
        weight = 0.0;
      } else {
        weight = 10.0 * options.Weight[v] + 1.0;
      }
    }
    Weights[s][v] = weight;
  }
  ParamCount = 0;
  for (int h = 0; h < kHazardCount; ++h) {
    if (!options.Exact[h]) ParamVar[ParamCount++] = static_cast<std::uint8_t>(kHazardVariables[h]);
  }
}

Tfitter::~Tfitter() = default;

int Tfitter::Sex() const { return d_.Sex; }

void Tfitter::PrepareModel() {
  const int s = d_.Sex;
  if (d_.TrendsOn) {
    equations_ = std::make_unique<Tdynbasicequations>(
        Model, PopRate, s, env_.AllCauseMortality, env_.Log, BirthPrevalence, d_.TrendStart,
        [this](int h, int t) { return d_.TrendFactor(h, t); });
  } else {
    equations_ = std::make_unique<Tbasicequations>(Model, PopRate, s, env_.AllCauseMortality,
                                                   env_.Log, BirthPrevalence);
  }
}

void Tfitter::Step(int a) { equations_->Step(a); }

std::optional<int> Tfitter::UndeterminedHazard() {
  if (ParamCount == 0) return std::nullopt;
  const int s = d_.Sex;
  const int maxAge = env_.MaxAge;
  std::vector<int> used;
  for (int v = 0; v < kVariableCount; ++v) {
    if (Available[v][s] && Weights[s][v] > 0.0) used.push_back(v);
  }
  // Moderate hazards to start from: the sensitivities of a hazard at 0 would all be 0.
  constexpr std::array<double, kVariableCount> kStart = {0.01, 0.0, 0.05, 0.05, 0.0, 0.0, 0.0};
  Model = inputs_;
  PopRate = d_.PopRateIncidence;
  BirthPrevalence = 0.0;
  for (int k = 0; k < ParamCount; ++k) Model[ParamVar[k]][s].fill(kStart[ParamVar[k]]);
  const bool duration = std::find(used.begin(), used.end(), kDuration) != used.end();
  Series other{};
  const auto outputs = [&] {
    PrepareModel();
    for (int a = 0; a <= maxAge; ++a) Step(a);
    if (duration) {
      for (int a = 0; a <= maxAge; ++a) {
        other[a] = std::max(env_.AllCauseMortality[s][a] - Model[kMortality][s][a], 1e-6);
      }
      try {
        CalculateDuration(Model, s, maxAge, other);
      } catch (const std::exception&) {
        // Left as it is: a duration that cannot be had changes with nothing.
      }
    }
    std::vector<Series> values;
    for (int v : used) {
      values.push_back(v == kIncidence && !d_.IncidenceIsHazard ? PopRate : Model[v][s]);
    }
    return values;
  };
  const std::vector<Series> base = outputs();
  const double step = std::log(1.05);
  std::vector<std::vector<Series>> changed;
  for (int k = 0; k < ParamCount; ++k) {
    Series& hazard = Model[ParamVar[k]][s];
    const Series kept = hazard;
    for (double& h : hazard) h *= 1.05;
    changed.push_back(outputs());
    hazard = kept;
  }
  const auto sensitivity = [&](std::size_t row, int k, int a) {
    const double before = base[row][a];
    const double after = changed[static_cast<std::size_t>(k)][row][a];
    if (!(before > 0.0) || !(after > 0.0)) return 0.0;
    return std::log(after / before) / step;
  };
  std::optional<int> undetermined;
  for (int a = 5; a < maxAge; a += 10) {
    Eigen::MatrixXd m(static_cast<Eigen::Index>(used.size()), ParamCount);
    for (std::size_t row = 0; row < used.size(); ++row) {
      for (int k = 0; k < ParamCount; ++k) {
        m(static_cast<Eigen::Index>(row), k) = sensitivity(row, k, a);
      }
    }
    const Eigen::JacobiSVD<Eigen::MatrixXd> svd(m);
    const auto& singular = svd.singularValues();
    int rank = 0;
    for (Eigen::Index j = 0; j < singular.size(); ++j) {
      if (singular(0) > 0.0 && singular(j) > 1e-4 * singular(0)) ++rank;
    }
    if (rank >= ParamCount) return std::nullopt;  // determined at this age
    if (undetermined) continue;
    // The hazard least set apart: the smallest part of its column outside the others' span.
    double least = std::numeric_limits<double>::infinity();
    for (int k = 0; k < ParamCount; ++k) {
      const Eigen::VectorXd column = m.col(k);
      double apart = column.norm();
      if (ParamCount > 1 && apart > 0.0) {
        Eigen::MatrixXd others(m.rows(), ParamCount - 1);
        for (int j = 0, c = 0; j < ParamCount; ++j) {
          if (j != k) others.col(c++) = m.col(j);
        }
        const Eigen::VectorXd fit = others * others.completeOrthogonalDecomposition().solve(column);
        apart = (column - fit).norm() / column.norm();
      }
      if (apart < least) {
        least = apart;
        undetermined = ParamVar[k];
      }
    }
  }
  return undetermined;
}

bool CalculatedPlainly(const Tdisease& disease, int s) {
  const auto available = [&](int v) {
    return disease.InputPresent[v][s] || disease.FromOutput[v][s];
  };
  return available(kIncidence) && available(kRemission) && available(kCaseFatality) &&
         !available(kPrevalence) && !available(kDuration) && !available(kMortality) &&
         !available(kRRMortality);
}

bool Tdiseaseam::Calculate(const ModelEnvironment& env, const CalcOptions& options,
                           UserDialogs& dialogs) {
  const int s = Sex;
  FitSmoothness = std::numeric_limits<double>::quiet_NaN();
  Intervals[s] = {};
  if (CalculatedPlainly(*this, s)) {
    if (IncidenceIsHazard) {
      CalculatePlain(env, options.PrevalenceAtBirth);
    } else {
      CalculatePlainFromPopulationRate(env, options.PrevalenceAtBirth);
    }
    return true;
  }
  if (env.MaxAge < 0 || env.MaxAge > kHighestPossibleAge) {
    throw std::invalid_argument("The highest age of the data set must lie between 0 and 110");
  }
  // A maximum that is not a number, or out of its range, stops the calculation before anything
  // changes.
  if (const auto problem = options.Validate()) {
    dialogs.ShowError(problem->Message);
    return false;
  }
  const FitResult result = Tfitter(*this, env, options).Run(dialogs);
  ModelSeries = result.Model;
  PopRateIncidence = result.PopRateIncidence;
  BirthPrevalence[s] = result.BirthPrevalence;
  FitSmoothness = result.Smoothness;
  Intervals[s] = result.Intervals;
  return true;
}

FitResult Tfitter::Run(UserDialogs& dialogs) {
  const int s = d_.Sex;
  const int maxAge = env_.MaxAge;
  const CalcOptions& options = options_;
  Model = inputs_;
  PopRate = d_.PopRateIncidence;

  BirthPrevalence = options.PrevalenceAtBirth ? inputs_[kPrevalence][s][0] : 0.0;
  PrepareModel();
  auto& otherCause = env_.OtherCauseMortality[s];
  for (int a = 0; a <= maxAge; ++a) otherCause[a] = 0.0;

  std::unique_ptr<Tdelegatingamoeba> amoeba;
  if (ParamCount > 0) {
    amoeba =
        std::make_unique<Tdelegatingamoeba>(ParamCount, options.Simplex, dialogs, env_.Log, *this);
    for (int k = 0; k < ParamCount; ++k) amoeba->Start[k] = -2.0 * (1.0 + 0.2 * k);
    for (int g = 0; g <= maxAge / AgeGroupWidth; ++g) {
      CurrentAgeGroup = g;
      amoeba->Minimize();
      for (int a = g * AgeGroupWidth; a <= AgeGroupEnd(g); ++a) {
        for (int k = 0; k < ParamCount; ++k) {
          Model[ParamVar[k]][s][a] = std::exp(amoeba->Best[k]);
        }
      }
    }
    for (int k = 0; k < ParamCount; ++k) {
      Series& hazard = Model[ParamVar[k]][s];
      if (options.LinearInterpolation) {
        try {
          Tdiseaseam::SmoothLinear(hazard, AgeGroupWidth, maxAge);
        } catch (const ArithmeticError&) {
          env_.Log.AddMessage(kLinearError);
        }
      }
      if (options.MovingAverage) {
        try {
          Tdiseaseam::SmoothMovingAverage(hazard, AgeGroupWidth, maxAge);
        } catch (const ArithmeticError&) {
          env_.Log.AddMessage(kMovingAverageError);
        }
      }
      if (options.CubicSpline) {
        try {
          Tdiseaseam::SmoothSpline(hazard, AgeGroupWidth, maxAge);
        } catch (const std::exception&) {
          env_.Log.AddMessage(kSplineError);
        }
      }
    }
    // "All ages at once" goes on from the groups' smoothed hazards.
    if (options.Method == FitMethod::kAllAges) FitAllAges(dialogs);
  }

  try {
    for (int a = 0; a <= maxAge; ++a) Step(a);
  } catch (const std::exception&) {
    env_.Log.AddMessage(kFinalPassError);
  }
  for (int a = 0; a <= maxAge; ++a) {
    otherCause[a] = env_.AllCauseMortality[s][a] - Model[kMortality][s][a];
  }
  try {
    CalculateDuration(Model, s, maxAge, otherCause);
  } catch (const ArithmeticError&) {
    env_.Log.AddMessage(kDurationError);
  }
  MaxIterReached = amoeba && amoeba->MaxIterReached;
  if (MaxIterReached) env_.Log.AddMessage(kMaxIterationsWarning);
  return FitResult{Model,     PopRate,         BirthPrevalence, MaxIterReached, ChosenSmoothness,
                   Intervals, std::move(Draws)};
}

void Tdiseaseam::SmoothLinear(Series& series, int w, int maxAge) {
  if (w < 1) return;
  const Series before = series;
  const int h = w / 2;
  int prev = h;
  for (int n = 0; n < maxAge / w; ++n) {
    const int next = std::min(prev + w, maxAge);
    if (next <= prev) break;
    const double slope = (before[next] - before[prev]) / (next - prev);
    for (int a = prev + 1; a <= next; ++a) {
      const double value = before[prev] + slope * (a - prev);
      if (!std::isfinite(value)) {
        series = before;
        throw ArithmeticError(kLinearError);
      }
      series[a] = value;
    }
    prev = next;
  }
}

void Tdiseaseam::SmoothMovingAverage(Series& series, int w, int maxAge) {
  if (w < 1) return;
  const Series before = series;
  const int period = w % 2 == 1 ? w : w + 1;
  const int half = period / 2;
  const auto mean = [&before](int from, int to) {
    double sum = 0.0;
    for (int a = from; a <= to; ++a) sum += before[a];
    return sum / (to - from + 1);
  };
  for (int k = 1; k < maxAge; ++k) {
    double value;
    if (k < half) {
      value = mean(0, 2 * k);
    } else if (k <= maxAge - half) {
      value = mean(k - half, k + half);
    } else {
      value = mean(k - (maxAge - k), maxAge);
    }
    if (!std::isfinite(value)) {
      series = before;
      throw ArithmeticError(kMovingAverageError);
    }
    series[k] = value;
  }
}

void Tdiseaseam::SmoothSpline(Series& series, int w, int maxAge) {
  // With groups of one year every age is a knot: nothing to smooth.
  if (w < 2 || maxAge < 2) return;
  const int h = w / 2;
  const int count = maxAge % w != 0 ? maxAge / w + 2 : maxAge / w + 1;
  Tcubicspline spline(count);
  spline.X[0] = 0.0;
  spline.Y[0] = series[0];
  for (int j = 1; j < count - 1; ++j) {
    const int age = h + (j - 1) * w;
    spline.X[j] = age;
    spline.Y[j] = series[age];
  }
  spline.X[count - 1] = maxAge;
  spline.Y[count - 1] = series[maxAge];
  spline.SlopeLow = 0.0;
  spline.SlopeHigh = 0.0;
  spline.ComputeSecondDerivatives();
  Series smoothed = series;
  for (int a = 0; a <= maxAge; ++a) {
    const double value = spline.Interpolate(a);
    if (!std::isfinite(value)) throw ArithmeticError(kSplineError);
    smoothed[a] = std::max(0.0, value);
  }
  series = smoothed;
}

}  // namespace kavrel

// The fit over all ages at once: the hazards that are not given exactly are curves through knots
// every few years (their logarithms linear between the knots), and one least-squares problem over
// every input group of every available variable decides them together. Unlike the fit per age
// group, each residual compares what a user entered with what the program reports: the
// population-weighted mean of the output over the input's own age group, and for a duration the
// duration by age at onset. A group whose precision is known counts by its likelihood (binomial
// for a prevalence from cases among persons, Poisson for events over person-years, normal on the
// log scale for a 95 % interval), as a deviance residual; a group without counts by its relative
// error and the user's weight. The smoothness penalty is the second differences of the
// log-hazards at the knots; unless the user fixes its strength, the fit chooses it by the
// restricted likelihood of the problem linearised at its current solution.

#include <algorithm>
#include <array>
#include <cmath>
#include <exception>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <Eigen/Dense>
#include <ceres/ceres.h>

#include "core/base/messages_log.h"
#include "core/base/number_text.h"
#include "core/base/user_dialogs.h"
#include "core/engine/basic_equations.h"
#include "core/engine/calc_options.h"
#include "core/engine/disease.h"
#include "core/engine/fit_report.h"
#include "core/engine/fitter.h"

namespace kavrel {

namespace {

constexpr int kKnotSpacing = 5;
constexpr double kLowestLogHazard = -30.0;
constexpr double kAssumedRelativeError = 0.003;
constexpr char kIterationWarning[] =
    "Warning: the fit over all ages stopped at its iteration limit before it converged";

// One input group of one variable: the model's mean over the group against the input's mean.
struct GroupTerm {
  int Variable;
  int Lage;
  int Hage;
  double Input;
  double Root;  // square root of the variable's weight
  InputPrecision Precision{};
  double CountScale = 1.0;  // a run's input over the stored one: its count scales alike
};

// The problem as Ceres sees it: one block of log-hazards at the knots, one residual per group
// term, then the smoothness penalty's second differences.
class AllAgesProblem {
 public:
  AllAgesProblem(Tfitter& fit, const ModelEnvironment& env, std::vector<int> knots,
                 std::vector<GroupTerm> terms, double smoothness)
      : fit_(fit),
        env_(env),
        knots_(std::move(knots)),
        terms_(std::move(terms)),
        penaltyRoot_(std::sqrt(smoothness)),
        needDuration_(std::any_of(terms_.begin(), terms_.end(),
                                  [](const GroupTerm& t) { return t.Variable == kDuration; })) {}

  int ParameterCount() const { return fit_.ParamCount * static_cast<int>(knots_.size()); }
  int DataCount() const { return static_cast<int>(terms_.size()); }
  // The penalty's residuals are always there (0 without smoothness), so that the smoothness can
  // change between solves of one problem.
  int ResidualCount() const {
    const int interior = std::max(0, static_cast<int>(knots_.size()) - 2);
    return static_cast<int>(terms_.size()) + fit_.ParamCount * interior +
           fit_.ParamCount * static_cast<int>(knots_.size());
  }
  void SetSmoothness(double smoothness) { penaltyRoot_ = std::sqrt(smoothness); }
  // The penalty's matrix: the sum of its squared second differences is p' S p.
  Eigen::MatrixXd PenaltyMatrix() const {
    const int n = static_cast<int>(knots_.size());
    const int count = ParameterCount();
    Eigen::MatrixXd penalty = Eigen::MatrixXd::Zero(count, count);
    for (int k = 0; k < fit_.ParamCount; ++k) {
      for (int j = 1; j + 1 < n; ++j) {
        const int at[3] = {k * n + j - 1, k * n + j, k * n + j + 1};
        const double c[3] = {1.0, -2.0, 1.0};
        for (int x = 0; x < 3; ++x) {
          for (int y = 0; y < 3; ++y) penalty(at[x], at[y]) += c[x] * c[y];
        }
      }
    }
    return penalty;
  }

  // The hazards of every age from the knot values, log-linear between knots.
  void SetHazards(const double* p) const {
    const int s = fit_.Sex();
    const int n = static_cast<int>(knots_.size());
    for (int k = 0; k < fit_.ParamCount; ++k) {
      Series& hazard = fit_.Model[fit_.ParamVar[k]][s];
      const double* values = p + k * n;
      for (int j = 0; j + 1 < n; ++j) {
        const int from = knots_[j];
        const int to = knots_[j + 1];
        // Log-linear: a constant factor from one age to the next.
        const double factor = std::exp((values[j + 1] - values[j]) / (to - from));
        double value = std::exp(values[j]);
        for (int a = from; a < to; ++a) {
          hazard[a] = value;
          value *= factor;
        }
        hazard[to] = std::exp(values[j + 1]);
      }
      if (n == 1) hazard[knots_[0]] = std::exp(values[0]);
    }
  }

  // The outputs of the model at p, by variable as a result gives them (incidence as the input
  // gives it), the duration by age at onset among them.
  void Outputs(const double* p, std::array<Series, kVariableCount>& outputs) const {
    SetHazards(p);
    Run(true);
    const int s = fit_.Sex();
    for (int v = 0; v < kVariableCount; ++v) {
      outputs[static_cast<std::size_t>(v)] =
          v == kIncidence && !fit_.Disease().IncidenceIsHazard ? fit_.PopRate : fit_.Model[v][s];
    }
  }

  // The model over all ages, and the duration by age at onset when a duration is compared (or
  // asked for).
  void Run(bool withDuration = false) const {
    const int maxAge = env_.MaxAge;
    const int s = fit_.Sex();
    for (int a = 0; a <= maxAge; ++a) fit_.Step(a);
    if (needDuration_ || withDuration) {
      Series& other = env_.OtherCauseMortality[s];
      for (int a = 0; a <= maxAge; ++a) {
        other[a] = env_.AllCauseMortality[s][a] - fit_.Model[kMortality][s][a];
      }
      try {
        CalculateDuration(fit_.Model, s, maxAge, other);
      } catch (const std::exception&) {
        // A non-finite duration gives non-finite residuals, which the solver steps back from.
      }
    }
  }

  bool operator()(double const* const* parameters, double* residuals) const {
    const double* p = parameters[0];
    SetHazards(p);
    Run();
    const int s = fit_.Sex();
    const Series* persons =
        env_.PopulationNumbers != nullptr ? &(*env_.PopulationNumbers)[s] : nullptr;
    int r = 0;
    for (const GroupTerm& term : terms_) {
      const Series& model = term.Variable == kIncidence && !fit_.Disease().IncidenceIsHazard
                                ? fit_.PopRate
                                : fit_.Model[term.Variable][s];
      const double mean = GroupMean(model, term.Lage, term.Hage, env_.MaxAge, persons);
      if (term.Precision.Known()) {
        // Signed as the model's side of the difference, like the relative error.
        residuals[r++] = term.Root > 0.0 ? -PrecisionResidual(term.Variable, term.Input, mean,
                                                              term.Precision, term.CountScale)
                                         : 0.0;
      } else {
        residuals[r++] =
            term.Input > 0.0 ? term.Root * (mean / term.Input - 1.0) : term.Root * 1000.0 * mean;
      }
    }
    // A hazard above its maximum costs as the user's "Enforced" weight says. Between knots a
    // hazard runs monotonely, so its largest values are at the knots: one term per knot, the
    // excess times the weight and the ages the knot stands for (squared, as in the fit per age
    // group).
    for (int k = 0; k < fit_.ParamCount; ++k) {
      const int v = fit_.ParamVar[k];
      const double maximum = fit_.HazardMax[v];
      const double enforce = fit_.EnforceWeight[v] + 0.5;
      const Series& hazard = fit_.Model[v][s];
      const int n = static_cast<int>(knots_.size());
      for (int j = 0; j < n; ++j) {
        const int a = knots_[j];
        const int span = (j + 1 < n ? knots_[j + 1] - a : 0) + (j > 0 ? a - knots_[j - 1] : 0);
        const double ages = std::max(1.0, 0.5 * span);
        residuals[r++] =
            hazard[a] > maximum ? std::sqrt((hazard[a] - maximum) * enforce * ages) : 0.0;
      }
    }
    {
      const int n = static_cast<int>(knots_.size());
      for (int k = 0; k < fit_.ParamCount; ++k) {
        const double* values = p + k * n;
        for (int j = 1; j + 1 < n; ++j) {
          residuals[r++] = penaltyRoot_ * (values[j - 1] - 2.0 * values[j] + values[j + 1]);
        }
      }
    }
    for (int k = 0; k < r; ++k) {
      if (!std::isfinite(residuals[k])) return false;
    }
    return true;
  }

 private:
  Tfitter& fit_;
  const ModelEnvironment& env_;
  std::vector<int> knots_;
  std::vector<GroupTerm> terms_;
  double penaltyRoot_;
  bool needDuration_;
};

// The problem linearised at a point: the data residuals r and their Jacobian J.
struct Linearised {
  Eigen::MatrixXd JtJ;
  Eigen::VectorXd Jtr;
  double SumOfSquares = 0.0;
  int Count = 0;  // data residuals that count
};

Linearised Linearise(ceres::Problem& problem, int dataCount, int parameterCount) {
  Linearised lin;
  double cost = 0.0;
  std::vector<double> residuals;
  ceres::CRSMatrix jacobian;
  ceres::Problem::EvaluateOptions evaluate;
  evaluate.num_threads = 1;
  lin.JtJ = Eigen::MatrixXd::Zero(parameterCount, parameterCount);
  lin.Jtr = Eigen::VectorXd::Zero(parameterCount);
  if (!problem.Evaluate(evaluate, &cost, &residuals, nullptr, &jacobian)) return lin;
  Eigen::MatrixXd j = Eigen::MatrixXd::Zero(dataCount, parameterCount);
  for (int row = 0; row < dataCount && row < jacobian.num_rows; ++row) {
    for (int k = jacobian.rows[row]; k < jacobian.rows[row + 1]; ++k) {
      j(row, jacobian.cols[k]) = jacobian.values[k];
    }
  }
  Eigen::VectorXd r(dataCount);
  for (int row = 0; row < dataCount; ++row) r(row) = residuals[static_cast<std::size_t>(row)];
  if (!r.allFinite() || !j.allFinite()) return lin;
  lin.JtJ = j.transpose() * j;
  lin.Jtr = j.transpose() * r;
  lin.SumOfSquares = r.squaredNorm();
  for (int row = 0; row < dataCount; ++row) {
    if (j.row(row).squaredNorm() > 0.0 || r(row) != 0.0) ++lin.Count;
  }
  return lin;
}

// The restricted (marginal) likelihood of a smoothness at the fit it gives, as -2 log, up to a
// constant: the penalty read as a prior on the log-hazards' second differences and the hazards
// integrated out (Laplace, with the Gauss-Newton curvature J'J). With D the penalised sum of
// squares at the fit and V = log det(J'J + l S) - r log l (r the rank of S), the score is D + V
// when every residual is a likelihood's (scale known) and (n - m) log D + V otherwise (the scale
// of the relative errors estimated; m the dimension of the penalty's null space). Infinite when
// it cannot be had.
double RestrictedScore(const Linearised& lin, const Eigen::MatrixXd& penalty,
                       const Eigen::VectorXd& p, double lambda, int nullSpace, bool knownScale) {
  const Eigen::Index count = p.size();
  const int rank = static_cast<int>(count) - nullSpace;
  const int n = lin.Count;
  const double dataTrace = lin.JtJ.trace();
  if (n <= nullSpace || rank <= 0 || !(lambda > 0.0) || !(dataTrace > 0.0)) {
    return std::numeric_limits<double>::infinity();
  }
  const Eigen::MatrixXd ridge =
      Eigen::MatrixXd::Identity(count, count) * (1e-9 * dataTrace / static_cast<double>(count));
  const Eigen::LLT<Eigen::MatrixXd> factor(lin.JtJ + lambda * penalty + ridge);
  if (factor.info() != Eigen::Success) return std::numeric_limits<double>::infinity();
  double logDet = 0.0;
  const Eigen::MatrixXd l = factor.matrixL();
  for (Eigen::Index k = 0; k < count; ++k) logDet += 2.0 * std::log(l(k, k));
  const double penalised = lin.SumOfSquares + lambda * p.dot(penalty * p);
  const double v = logDet - rank * std::log(lambda);
  const double score =
      knownScale ? penalised + v : (n - nullSpace) * std::log(std::max(penalised, 1e-300)) + v;
  return std::isfinite(score) ? score : std::numeric_limits<double>::infinity();
}

// The standard normal quantile of probability q (0 < q < 1), by bisection on the distribution.
double NormalQuantile(double q) {
  double low = -40.0;
  double high = 40.0;
  for (int k = 0; k < 200 && high - low > 1e-12; ++k) {
    const double mid = 0.5 * (low + high);
    (0.5 * std::erfc(-mid / std::sqrt(2.0)) < q ? low : high) = mid;
  }
  return 0.5 * (low + high);
}

// The intervals of the outputs at the fit p. The penalty read as a prior on the log-hazards'
// second differences makes the fit a posterior mode; its curvature there, J'J + l S from the
// likelihood's residuals (Gauss-Newton), is the inverse of the log-hazards' covariance. Each
// output's logarithm is carried through the model by its derivatives at p (the delta method), so
// that a limit is never below zero. An output of 0 has the interval [0, 0]. Nothing when the
// curvature cannot be had.
// With draws > 0, also that many sets of outputs from log-hazards drawn from the same normal
// distribution (p + L'^-1 z, z standard normal from the seed), each kept within the bounds.
struct FitDrawing {
  int Count = 0;
  std::uint64_t Seed = 0;
  std::vector<double> Lowest;
  std::vector<double> Highest;
  std::vector<std::array<Series, kVariableCount>>* Outputs = nullptr;
};

OutputIntervals IntervalsOfFit(ceres::Problem& problem, const AllAgesProblem& function,
                               std::vector<double>& p, double lambda, double level, int maxAge,
                               const FitDrawing& drawing) {
  OutputIntervals intervals;
  const int count = static_cast<int>(p.size());
  const Linearised lin = Linearise(problem, function.DataCount(), count);
  const double dataTrace = lin.JtJ.trace();
  if (!(dataTrace > 0.0) || !std::isfinite(dataTrace)) return intervals;
  const Eigen::MatrixXd ridge =
      Eigen::MatrixXd::Identity(count, count) * (1e-9 * dataTrace / static_cast<double>(count));
  const Eigen::LLT<Eigen::MatrixXd> factor(lin.JtJ + lambda * function.PenaltyMatrix() + ridge);
  if (factor.info() != Eigen::Success) return intervals;

  std::array<Series, kVariableCount> centre{};
  std::array<Series, kVariableCount> shifted{};
  function.Outputs(p.data(), centre);
  const int ages = maxAge + 1;
  Eigen::MatrixXd slopes = Eigen::MatrixXd::Zero(count, kVariableCount * ages);
  constexpr double kStep = 1e-5;
  for (int j = 0; j < count; ++j) {
    const double kept = p[static_cast<std::size_t>(j)];
    p[static_cast<std::size_t>(j)] = kept + kStep;
    function.Outputs(p.data(), shifted);
    p[static_cast<std::size_t>(j)] = kept;
    for (int v = 0; v < kVariableCount; ++v) {
      for (int a = 0; a < ages; ++a) {
        const double from = centre[static_cast<std::size_t>(v)][static_cast<std::size_t>(a)];
        const double to = shifted[static_cast<std::size_t>(v)][static_cast<std::size_t>(a)];
        if (from > 0.0 && to > 0.0 && std::isfinite(from) && std::isfinite(to)) {
          slopes(j, v * ages + a) = (std::log(to) - std::log(from)) / kStep;
        }
      }
    }
  }
  // Var(log output) = g' (J'J + l S)^-1 g = |L^-1 g|^2.
  const Eigen::MatrixXd scaled = factor.matrixL().solve(slopes);
  if (!scaled.allFinite()) return intervals;
  const double z = NormalQuantile(0.5 + 0.5 * level);
  constexpr double kLargest = std::numeric_limits<double>::max();
  for (int v = 0; v < kVariableCount; ++v) {
    for (int a = 0; a < ages; ++a) {
      const double value = centre[static_cast<std::size_t>(v)][static_cast<std::size_t>(a)];
      const double spread = z * scaled.col(v * ages + a).norm();
      const bool shown = value > 0.0 && std::isfinite(value) && std::isfinite(spread);
      // An output the inputs hardly determine gets limits as far apart as numbers go, never
      // infinite ones; a proportion's upper limit stays at or below 1.
      const double ceiling = v == kPrevalence ? std::max(value, 1.0) : kLargest;
      intervals.Lower[static_cast<std::size_t>(v)][static_cast<std::size_t>(a)] =
          shown ? value * std::exp(-std::min(spread, 700.0)) : 0.0;
      intervals.Upper[static_cast<std::size_t>(v)][static_cast<std::size_t>(a)] =
          shown ? std::min(value * std::exp(std::min(spread, 700.0)), ceiling)
                : (value > 0.0 ? ceiling : 0.0);
    }
  }
  intervals.Present = true;
  intervals.Level = level;
  if (drawing.Count > 0 && drawing.Outputs != nullptr) {
    std::mt19937_64 random(drawing.Seed);
    std::normal_distribution<double> normal;
    const Eigen::Map<const Eigen::VectorXd> centreP(p.data(), count);
    std::vector<double> drawn(p.size());
    std::array<Series, kVariableCount> outputs{};
    for (int k = 0; k < drawing.Count; ++k) {
      Eigen::VectorXd z(count);
      for (int j = 0; j < count; ++j) z(j) = normal(random);
      const Eigen::VectorXd step = factor.matrixU().solve(z);
      for (int j = 0; j < count; ++j) {
        const auto at = static_cast<std::size_t>(j);
        drawn[at] = std::clamp(centreP(j) + step(j), drawing.Lowest[at], drawing.Highest[at]);
      }
      function.Outputs(drawn.data(), outputs);
      drawing.Outputs->push_back(outputs);
    }
    // The model is left at the fit.
    function.Outputs(p.data(), outputs);
  }
  return intervals;
}

}  // namespace

bool Tfitter::FitAllAges(UserDialogs& dialogs) {
  const CalcOptions& options = options_;
  const ModelEnvironment& env = env_;
  // The calculation checks the options before it starts; a caller of this alone is told too.
  if (!options.SmoothnessAutomatic &&
      (options.SmoothnessUnreadable || !(options.FitSmoothness >= 0.0))) {
    dialogs.ShowError(kSmoothnessRefusal);
    return false;
  }
  if (ParamCount == 0) return true;
  const int s = d_.Sex;
  const int maxAge = env.MaxAge;
  std::vector<int> knots;
  for (int a = 0; a < maxAge; a += kKnotSpacing) knots.push_back(a);
  knots.push_back(maxAge);
  const Series* persons = env.PopulationNumbers != nullptr ? &(*env.PopulationNumbers)[s] : nullptr;
  std::vector<GroupTerm> terms;
  for (int v = 0; v < kVariableCount; ++v) {
    if (!Available[v][s] || Weights[s][v] <= 0.0) continue;
    for (const auto& [lage, hage] : InputGroups(d_, v, s, maxAge, kKnotSpacing)) {
      GroupTerm term{v, lage, hage, GroupMean(inputs_[v][s], lage, hage, maxAge, persons),
                     std::sqrt(Weights[s][v])};
      if (d_.InputPresent[v][s]) {
        term.Precision = StoredPrecision(d_, v, s, lage, hage, maxAge);
        if (PrecisionProblem(v, term.Input, term.Precision)) term.Precision = {};
        const double stored = GroupMean(d_.InputSeries[v][s], lage, hage, maxAge, persons);
        if (stored > 0.0) term.CountScale = term.Input / stored;
      }
      terms.push_back(term);
    }
  }
  if (terms.empty()) return true;
  const bool automatic = options.SmoothnessAutomatic;
  if (automatic) {
    // Choosing the smoothness needs every residual on the scale of its evidence. A figure without
    // precision is taken as known within a relative standard error of kAssumedRelativeError at
    // the default weight (the weight's factor over that of weight 1 narrows it).
    const double defaultRoot = std::sqrt(11.0);
    const double assumed = kAssumedRelativeError;
    for (GroupTerm& term : terms) {
      if (!term.Precision.Known()) term.Root /= defaultRoot * assumed;
    }
  }

  double smoothness = automatic ? 0.0 : options.FitSmoothness;
  auto* problemFunction = new AllAgesProblem(*this, env, knots, terms, smoothness);
  const int n = static_cast<int>(knots.size());
  const int parameterCount = problemFunction->ParameterCount();
  std::vector<double> p(static_cast<std::size_t>(parameterCount));
  for (int k = 0; k < ParamCount; ++k) {
    const Series& hazard = Model[ParamVar[k]][s];
    const double ceiling =
        HazardMax[ParamVar[k]] > 0.0 ? std::log(10.0 * HazardMax[ParamVar[k]]) : 30.0;
    for (int j = 0; j < n; ++j) {
      const double start = std::log(std::max(hazard[knots[j]], 1e-9));
      p[static_cast<std::size_t>(k * n + j)] = std::clamp(
          start, kLowestLogHazard + 1.0, std::max(ceiling - 1e-6, kLowestLogHazard + 2.0));
    }
  }
  auto* cost = new ceres::DynamicNumericDiffCostFunction<AllAgesProblem, ceres::FORWARD>(
      problemFunction, ceres::TAKE_OWNERSHIP);
  cost->AddParameterBlock(parameterCount);
  cost->SetNumResiduals(problemFunction->ResidualCount());
  ceres::Problem problem;
  problem.AddResidualBlock(cost, nullptr, p.data());
  for (int k = 0; k < ParamCount; ++k) {
    // Above its maximum a hazard is penalised; ten times the maximum it cannot pass.
    const double ceiling =
        HazardMax[ParamVar[k]] > 0.0 ? std::log(10.0 * HazardMax[ParamVar[k]]) : 30.0;
    for (int j = 0; j < n; ++j) {
      problem.SetParameterLowerBound(p.data(), k * n + j, kLowestLogHazard);
      problem.SetParameterUpperBound(p.data(), k * n + j,
                                     std::max(ceiling, kLowestLogHazard + 1.0));
    }
  }
  ceres::Solver::Options solverOptions;
  solverOptions.minimizer_type = ceres::TRUST_REGION;
  solverOptions.trust_region_strategy_type = ceres::LEVENBERG_MARQUARDT;
  solverOptions.linear_solver_type = ceres::DENSE_NORMAL_CHOLESKY;
  solverOptions.num_threads = 1;  // deterministic; the analyses run fits side by side
  solverOptions.max_num_iterations = 200;
  solverOptions.function_tolerance = 1e-6;
  solverOptions.gradient_tolerance = 1e-10;
  solverOptions.parameter_tolerance = 1e-6;
  solverOptions.logging_type = ceres::SILENT;
  solverOptions.minimizer_progress_to_stdout = false;
  ceres::Solver::Summary summary;
  const auto solve = [&] {
    problemFunction->SetSmoothness(smoothness);
    ceres::Solve(solverOptions, &problem, &summary);
  };
  if (!automatic) {
    solve();
  } else {
    // The smoothness with the best restricted likelihood: from smooth to rough two decades at a
    // time, each fit started from the last; then a decade and half a decade either side of the
    // best. The best fit found is the result.
    const Eigen::MatrixXd penalty = problemFunction->PenaltyMatrix();
    const bool knownScale = true;
    const auto score = [&](double lambda) {
      const Linearised lin = Linearise(problem, problemFunction->DataCount(), parameterCount);
      return RestrictedScore(lin, penalty, Eigen::Map<const Eigen::VectorXd>(p.data(), p.size()),
                             lambda, 2 * ParamCount, knownScale);
    };
    const double scale = [&] {
      const Linearised lin = Linearise(problem, problemFunction->DataCount(), parameterCount);
      const double data = lin.JtJ.trace();
      return data > 0.0 ? data / penalty.trace() : 1.0;
    }();
    double bestScore = std::numeric_limits<double>::infinity();
    double best = scale;
    std::vector<double> bestP = p;
    const auto tryAt = [&](double lambda) {
      smoothness = lambda;
      solve();
      const double value = score(lambda);
      if (value < bestScore) {
        bestScore = value;
        best = lambda;
        bestP = p;
        return true;
      }
      return false;
    };
    // The search's fits stop earlier than the final one, which starts from the best of them.
    const ceres::Solver::Options finalOptions = solverOptions;
    solverOptions.function_tolerance = 1e-4;
    solverOptions.parameter_tolerance = 1e-4;
    solverOptions.max_num_iterations = 30;
    for (int step = 4; step >= -10; step -= 2) tryAt(scale * std::pow(10.0, step));
    for (const double factor : {10.0, std::sqrt(10.0)}) {
      const double centre = best;
      for (const double side : {factor, 1.0 / factor}) {
        p = bestP;
        tryAt(centre * side);
      }
    }
    solverOptions = finalOptions;
    smoothness = best;
    p = bestP;
    solve();
  }
  ChosenSmoothness = smoothness;
  // Intervals are claimed only where every input that bears on the fitted hazards says how
  // precise it is (a hazard given exactly is what it is: its own input bears on nothing).
  Intervals = {};
  const auto given = [&](int v) {
    const bool hazard =
        v == kRemission || v == kCaseFatality || (v == kIncidence && d_.IncidenceIsHazard);
    return hazard && std::find(ParamVar.begin(), ParamVar.begin() + ParamCount, v) ==
                         ParamVar.begin() + ParamCount;
  };
  const bool everyPrecision = std::all_of(terms.begin(), terms.end(), [&](const GroupTerm& t) {
    return t.Precision.Known() || t.Root <= 0.0 || given(t.Variable);
  });
  if (!everyPrecision) {
    for (const GroupTerm& t : terms) {
      if (!t.Precision.Known() && t.Root > 0.0 && !given(t.Variable)) {
        Intervals.WithoutPrecision = t.Variable;
        break;
      }
    }
  }
  if (everyPrecision && options.IntervalLevel > 0.0 && options.IntervalLevel < 1.0) {
    FitDrawing drawing{options.FitDraws, options.FitDrawSeed, {}, {}, &Draws};
    for (int j = 0; j < parameterCount; ++j) {
      drawing.Lowest.push_back(problem.GetParameterLowerBound(p.data(), j));
      drawing.Highest.push_back(problem.GetParameterUpperBound(p.data(), j));
    }
    Draws.clear();
    Intervals = IntervalsOfFit(problem, *problemFunction, p, smoothness, options.IntervalLevel,
                               maxAge, drawing);
  }
  // The hazards of the best point found (the solver leaves it in p).
  AllAgesProblem(*this, env, knots, terms, smoothness).SetHazards(p.data());
  if (summary.termination_type == ceres::NO_CONVERGENCE) env.Log.AddMessage(kIterationWarning);
  return true;
}

}  // namespace kavrel

// The fit over all ages at once: the hazards that are not given exactly are curves through knots
// every few years (their logarithms linear between the knots), and one least-squares problem over
// every input group of every available variable decides them together. Unlike the fit per age
// group, each residual compares what a user entered with what the program reports: the
// population-weighted mean of the output over the input's own age group, and for a duration the
// duration by age at onset.

#include <algorithm>
#include <cmath>
#include <exception>
#include <memory>
#include <string>
#include <vector>

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
constexpr char kIterationWarning[] =
    "Warning: the fit over all ages stopped at its iteration limit before it converged";

// One input group of one variable: the model's mean over the group against the input's mean.
struct GroupTerm {
  int Variable;
  int Lage;
  int Hage;
  double Input;
  double Root;  // square root of the variable's weight
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
  int ResidualCount() const {
    const int interior = std::max(0, static_cast<int>(knots_.size()) - 2);
    return static_cast<int>(terms_.size()) + (penaltyRoot_ > 0.0 ? fit_.ParamCount * interior : 0) +
           fit_.ParamCount * static_cast<int>(knots_.size());
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

  // The model over all ages, and the duration by age at onset when a duration is compared.
  void Run() const {
    const int maxAge = env_.MaxAge;
    const int s = fit_.Sex();
    for (int a = 0; a <= maxAge; ++a) fit_.Step(a);
    if (needDuration_) {
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
      residuals[r++] =
          term.Input > 0.0 ? term.Root * (mean / term.Input - 1.0) : term.Root * 1000.0 * mean;
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
    if (penaltyRoot_ > 0.0) {
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

}  // namespace

bool Tfitter::FitAllAges(UserDialogs& dialogs) {
  const CalcOptions& options = options_;
  const ModelEnvironment& env = env_;
  // The calculation checks the options before it starts; a caller of this alone is told too.
  if (options.SmoothnessUnreadable || !(options.FitSmoothness >= 0.0)) {
    dialogs.ShowError("The smoothness of the fit over all ages is not a valid number (0 or more)");
    return false;
  }
  const double smoothness = options.FitSmoothness;
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
      terms.push_back({v, lage, hage, GroupMean(inputs_[v][s], lage, hage, maxAge, persons),
                       std::sqrt(Weights[s][v])});
    }
  }
  if (terms.empty()) return true;

  auto* problemFunction = new AllAgesProblem(*this, env, knots, terms, smoothness);
  const int n = static_cast<int>(knots.size());
  std::vector<double> p(static_cast<std::size_t>(problemFunction->ParameterCount()));
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
  cost->AddParameterBlock(problemFunction->ParameterCount());
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
  ceres::Solve(solverOptions, &problem, &summary);
  // The hazards of the best point found (the solver leaves it in p).
  AllAgesProblem(*this, env, knots, terms, smoothness).SetHazards(p.data());
  if (summary.termination_type == ceres::NO_CONVERGENCE) env.Log.AddMessage(kIterationWarning);
  return true;
}

}  // namespace kavrel

#include "core/agesched/curves.h"

#include <cmath>
#include <exception>

#include "core/base/errors.h"
#include "core/base/messages_log.h"
#include "core/engine/disease.h"

namespace kavrel {

double Tmathagesched::Criterion() const {
  const Series& source = ws_.Source();
  const auto& weight = ctx_.PopulationNumbers[ctx_.Disease.Sex];
  const bool weighted = ctx_.Options.WeightByPopulation;
  const bool means = ctx_.Options.UseMeanValues;
  double sum = 0.0;
  double model = 0.0;
  double data = 0.0;
  for (int age = FirstFitAge(); age <= LastFitAge(); ++age) {
    const double w = weighted ? weight[age] : 1.0;
    if (means) {
      model += ws_.Adjusted[age] * w;
      data += source[age] * w;
    } else {
      const double difference = (ws_.Adjusted[age] - source[age]) * w;
      sum += difference * difference;
    }
  }
  if (means) return (model - data) * (model - data);
  return sum;
}

double Tmathagesched::Evaluate(std::span<const double> p) {
  SetFields(p);
  ComputeCurve();
  const double cost = Criterion() + Penalty(p);
  if (!std::isfinite(cost)) throw ArithmeticError("not finite");
  return cost;
}

double Tmathagesched::Cost(std::span<const double> p) {
  try {
    return Evaluate(p);
  } catch (const std::exception&) {
    return kFailedCandidateCost;
  }
}

void Tmathagesched::KeepOwnValuesOutside() {
  const auto& own = ctx_.Disease.ModelSeries[ctx_.Variable][ctx_.Disease.Sex];
  for (int age = 0; age < ws_.FitLow && age <= ctx_.MaxAge; ++age) ws_.Adjusted[age] = own[age];
  for (int age = ws_.FitHigh + 1; age <= ctx_.MaxAge; ++age) ws_.Adjusted[age] = own[age];
}

void Tmathagesched::Execute() {
  Tmathamoeba amoeba(Dimension(), ctx_.Simplex, ctx_.Dialogs, ctx_.Log, *this);
  amoeba.Start = StartPoint();
  try {
    amoeba.Minimize();
  } catch (const std::exception&) {
    ctx_.Log.AddMessage(kFitError);
  }
  TakeBest(amoeba.Best);
  ComputeCurve();
  KeepOwnValuesOutside();
  ws_.Draw(ScheduleLine::kAdjusted);
}

Tlineartwee::Tlineartwee(AgeScheduleWorkspace& ws, const AgeScheduleContext& ctx)
    : Tmathagesched(ws, ctx) {
  ComputeCurve();
}
void Tlineartwee::SetFields(std::span<const double> p) {
  a = p[0];
  b = p[1];
}
void Tlineartwee::ComputeCurve() {
  for (int age = FirstFitAge(); age <= LastFitAge(); ++age)
    ws_.Adjusted[age] = a + b * (age - ws_.FitLow);
}

Tquadraticdrie::Tquadraticdrie(AgeScheduleWorkspace& ws, const AgeScheduleContext& ctx)
    : Tmathagesched(ws, ctx) {
  ComputeCurve();
}
void Tquadraticdrie::SetFields(std::span<const double> p) {
  b1 = p[0];
  b2 = p[1];
  b0 = p[2];
}
void Tquadraticdrie::ComputeCurve() {
  for (int age = FirstFitAge(); age <= LastFitAge(); ++age)
    ws_.Adjusted[age] = b2 * age * age + b1 * age + b0;
}

Tsigmoiddrie::Tsigmoiddrie(AgeScheduleWorkspace& ws, const AgeScheduleContext& ctx)
    : Tmathagesched(ws, ctx) {
  ComputeCurve();
}
void Tsigmoiddrie::SetFields(std::span<const double> p) {
  a = std::exp(-p[0]);
  b = p[1];
  c = p[2];
}
void Tsigmoiddrie::ComputeCurve() {
  for (int age = FirstFitAge(); age <= LastFitAge(); ++age) {
    if (b == 0.0) {
      ws_.Adjusted[age] = age > c ? 0.0 : a;
    } else {
      ws_.Adjusted[age] = a / (std::exp(-(age - c) / b) + 1.0);
    }
  }
}

Tsimpexpotwee::Tsimpexpotwee(AgeScheduleWorkspace& ws, const AgeScheduleContext& ctx)
    : Tmathagesched(ws, ctx) {
  ComputeCurve();
}
std::vector<double> Tsimpexpotwee::StartPoint() const { return {a, std::exp(b)}; }
void Tsimpexpotwee::SetFields(std::span<const double> p) {
  a = std::exp(p[0]);
  b = std::exp(p[1]);
}
double Tsimpexpotwee::Penalty(std::span<const double> p) const {
  double penalty = 0.0;
  for (int k = 0; k < 2; ++k) {
    if (p[k] < -12.0) penalty += (p[k] + 12.0) * (p[k] + 12.0);
  }
  return penalty;
}
// Each age on its own: a value that cannot be computed is noted and the age keeps its value.
void Tsimpexpotwee::ComputeCurve() {
  const double growth = std::exp(b);
  for (int age = FirstFitAge(); age <= LastFitAge(); ++age) {
    const double value = a * std::pow(growth, age + ws_.FitLow);
    if (std::isfinite(value)) {
      ws_.Adjusted[age] = value;
    } else {
      ctx_.Log.AddMessage(kFitErrorMathFunc);
    }
  }
}
void Tsimpexpotwee::Execute() {
  Tmathamoeba amoeba(Dimension(), ctx_.Simplex, ctx_.Dialogs, ctx_.Log, *this);
  amoeba.Start = StartPoint();
  try {
    amoeba.Minimize();
  } catch (const std::exception&) {
    ctx_.Log.AddMessage(kFitError);
  }
  try {
    TakeBest(amoeba.Best);
    ComputeCurve();
  } catch (const std::exception&) {
    ctx_.Log.AddMessage(kFitErrorFinish);
  }
  KeepOwnValuesOutside();
  ws_.Draw(ScheduleLine::kAdjusted);
}

Tpolynomialfitn::Tpolynomialfitn(AgeScheduleWorkspace& ws, const AgeScheduleContext& ctx)
    : Tmathagesched(ws, ctx), CoefCount(ctx.Options.PolynomialOrder + 1) {
  Coef.assign(static_cast<std::size_t>(CoefCount), 0.00001);
  ComputeCurve();
}
std::vector<double> Tpolynomialfitn::StartPoint() const {
  std::vector<double> start = Coef;
  start.push_back(0.0);  // a last coordinate Cost does not read
  return start;
}
void Tpolynomialfitn::SetFields(std::span<const double> p) {
  for (int j = 0; j < CoefCount; ++j)
    Coef[static_cast<std::size_t>(j)] = p[static_cast<std::size_t>(j)];
}
void Tpolynomialfitn::ComputeCurve() {
  for (int age = FirstFitAge(); age <= LastFitAge(); ++age) {
    double value = 0.0;
    double power = 1.0;
    for (int j = 0; j < CoefCount; ++j) {
      value += Coef[static_cast<std::size_t>(j)] * power;
      power *= age;
    }
    ws_.Adjusted[age] = value;
  }
}
void Tpolynomialfitn::Execute() {
  Tmathagesched::Execute();
  Coef.clear();
}

Tfitpattern::Tfitpattern(AgeScheduleWorkspace& ws, const AgeScheduleContext& ctx)
    : Tmathagesched(ws, ctx) {
  if (ctx.Variable == kRRMortality) {
    for (int age = FirstFitAge(); age <= LastFitAge(); ++age)
      Pattern[age] = ws_.Adjusted[age] - 1.0;
  } else {
    Pattern = ws_.Adjusted;
  }
}
void Tfitpattern::ComputeCurve() {
  const double shift = ctx_.Variable == kRRMortality ? 1.0 : 0.0;
  for (int age = FirstFitAge(); age <= LastFitAge(); ++age)
    ws_.Adjusted[age] = Pattern[age] * k + shift;
}

std::unique_ptr<Tmathagesched> MakeCurve(int choice, AgeScheduleWorkspace& ws,
                                         const AgeScheduleContext& ctx) {
  switch (choice) {
    case 0:
      return std::make_unique<Tlineartwee>(ws, ctx);
    case 1:
      return std::make_unique<Tquadraticdrie>(ws, ctx);
    case 2:
      return std::make_unique<Tsigmoiddrie>(ws, ctx);
    case 3:
      return std::make_unique<Tsimpexpotwee>(ws, ctx);
    case 4:
      return std::make_unique<Tpolynomialfitn>(ws, ctx);
    default:
      return nullptr;
  }
}

}  // namespace kavrel

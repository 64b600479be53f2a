#pragma once

// Mathematical age curves and the standard pattern fit: a function of age fitted by the downhill
// simplex to the source series over the fit range, the disease's own series kept outside it.

#include <algorithm>
#include <array>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/agesched/age_schedule.h"
#include "core/engine/amoeba.h"

namespace kavrel {

inline constexpr char kFitError[] = "Internal error: fit algoritm";
inline constexpr char kFitErrorMathFunc[] = "Internal error: fit algoritm (mathfunc)";
inline constexpr char kFitErrorFinish[] = "Internal error: fit algoritm (afwerking)";
// What a candidate whose evaluation failed costs: never better than any other.
inline constexpr double kFailedCandidateCost = 1e300;

class Tmathagesched : public Tagesched, public CostFunction {
 public:
  using Tagesched::Tagesched;

  // The criterion of the current fields (one of its four forms, by the options).
  double Criterion() const;
  // Sets the fields from p, computes the curve and returns the criterion; a failed evaluation
  // costs kFailedCandidateCost.
  double Cost(std::span<const double> p) override;
  // The fit: Start, Minimize, fields from Best, the final curve, the disease's own values outside
  // the fit range, and the line drawn.
  void Execute() override;
  // Adjusted over FitLow ... FitHigh from the fields.
  virtual void ComputeCurve() = 0;

 protected:
  virtual int Dimension() const = 0;
  virtual std::vector<double> StartPoint() const = 0;
  virtual void SetFields(std::span<const double> p) = 0;  // as Cost reads a candidate
  virtual void TakeBest(std::span<const double> p) { SetFields(p); }
  virtual double Penalty(std::span<const double>) const { return 0.0; }
  // The fit range, kept inside the ages a series has.
  int FirstFitAge() const { return std::max(ws_.FitLow, 0); }
  int LastFitAge() const { return std::min(ws_.FitHigh, kHighestPossibleAge); }
  // Outside the fit range the result keeps the disease's own series.
  void KeepOwnValuesOutside();
  double Evaluate(std::span<const double> p);
};

class Tlineartwee final : public Tmathagesched {
 public:
  Tlineartwee(AgeScheduleWorkspace& ws, const AgeScheduleContext& ctx);
  void ComputeCurve() override;
  double a = 0.005, b = 0.03;

 protected:
  int Dimension() const override { return 2; }
  std::vector<double> StartPoint() const override { return {a, b}; }
  void SetFields(std::span<const double> p) override;
};

class Tquadraticdrie final : public Tmathagesched {
 public:
  Tquadraticdrie(AgeScheduleWorkspace& ws, const AgeScheduleContext& ctx);
  void ComputeCurve() override;
  double b1 = 0.1, b2 = 0.02, b0 = 0.03;

 protected:
  int Dimension() const override { return 3; }
  std::vector<double> StartPoint() const override { return {b1, b2, b0}; }
  void SetFields(std::span<const double> p) override;
};

class Tsigmoiddrie final : public Tmathagesched {
 public:
  Tsigmoiddrie(AgeScheduleWorkspace& ws, const AgeScheduleContext& ctx);
  void ComputeCurve() override;
  double a = 0.1, b = 10, c = 65;

 protected:
  int Dimension() const override { return 3; }
  // Handed over as they stand, although Cost reads the first coordinate as -ln a.
  std::vector<double> StartPoint() const override { return {a, b, c}; }
  void SetFields(std::span<const double> p) override;
};

class Tsimpexpotwee final : public Tmathagesched {
 public:
  Tsimpexpotwee(AgeScheduleWorkspace& ws, const AgeScheduleContext& ctx);
  void ComputeCurve() override;
  void Execute() override;
  double a = 0.005, b = 0.03;

 protected:
  int Dimension() const override { return 2; }
  std::vector<double> StartPoint() const override;
  void SetFields(std::span<const double> p) override;
  double Penalty(std::span<const double> p) const override;
};

class Tpolynomialfitn final : public Tmathagesched {
 public:
  Tpolynomialfitn(AgeScheduleWorkspace& ws, const AgeScheduleContext& ctx);
  void ComputeCurve() override;
  void Execute() override;
  int CoefCount = 3;
  std::vector<double> Coef;

 protected:
  int Dimension() const override { return CoefCount + 1; }
  std::vector<double> StartPoint() const override;
  void SetFields(std::span<const double> p) override;
};

// A standard pattern scaled by one factor; for RR mortality the excess over 1 is scaled.
class Tfitpattern final : public Tmathagesched {
 public:
  // Adjusted must already hold the pattern spread over single ages.
  Tfitpattern(AgeScheduleWorkspace& ws, const AgeScheduleContext& ctx);
  void ComputeCurve() override;
  double k = 1.0;
  Series Pattern{};

 protected:
  int Dimension() const override { return 1; }
  std::vector<double> StartPoint() const override { return {1.0}; }
  void SetFields(std::span<const double> p) override { k = p[0]; }
};

// The curves offered under "Mathematical curves", in the list's order.
inline constexpr std::array<const char*, 5> kCurveNames = {"Linear", "Quadratic", "Sigmoid",
                                                           "Simple exponent", "Polynomial"};
std::unique_ptr<Tmathagesched> MakeCurve(int choice, AgeScheduleWorkspace& ws,
                                         const AgeScheduleContext& ctx);

}  // namespace kavrel

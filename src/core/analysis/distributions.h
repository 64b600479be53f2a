#pragma once

// Random variates and the input distributions of the uncertainty analysis: one distribution object
// per age group of a varied variable draws each age's value around its central value, shows and
// reads its parameters as text, and gives the interval it implies at a central value.

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "core/analysis/random.h"
#include "core/base/vocabulary.h"

namespace kavrel {

inline constexpr std::string_view kNegativeParameter =
    "The parameters of a distribution cannot be below 0: the value was not taken";

class UserDialogs;

inline constexpr std::string_view kInvalidNumberInCell = "Invalid number in at least one cell";

// The interval levels, numbered 1 to 7, with their normal quantiles.
struct IntervalLevel {
  int Number;
  double Level;
  double Quantile;
};
inline constexpr std::array<IntervalLevel, 7> kIntervalTable = {{{1, 0.5, 0.6742},
                                                                 {2, 0.6, 0.8415},
                                                                 {3, 0.7, 1.0364},
                                                                 {4, 0.8, 1.2817},
                                                                 {5, 0.9, 1.6452},
                                                                 {6, 0.95, 1.9604},
                                                                 {7, 0.99, 2.5762}}};
// "50%" ... "99%".
std::string IntervalLabel(double level);

double NormalDeviate(RandomSource& random, double sd, double mean);
// Draws until the value lies in [lower, upper]; after 10,000 tries gives the mean clipped into
// the range.
double TruncatedNormal(RandomSource& random, double upper, double lower, double sd, double mean);
double UniformDeviate(RandomSource& random, double a, double b);
double TriangularDeviate(RandomSource& random, double mode, double upper, double lower);

inline constexpr std::array<std::string_view, 5> kDistributionNames = {
    "normal", "uniform", "triangular", "Poisson", "binomial"};

class Tstedevinst {
 public:
  Tstedevinst(int variable, int hage, int lage);
  virtual ~Tstedevinst() = default;

  // The interval of IntervalTable number `number` around central value x.
  virtual void IntervalAt(int number, double& lower, double& upper, double x) = 0;
  // The four grid texts (columns 1 to 4), values times the multiplier.
  virtual std::array<std::string, 4> ParamsToText(double multiplier) const = 0;
  // Reads the texts back; false, after "Invalid number in at least one cell", at the first text
  // that is not a number (the fields read before it keep their new values).
  virtual bool ParamsFromText(const std::array<std::string, 4>& texts, double multiplier,
                              UserDialogs& dialogs) = 0;
  // Mean := the plain average of the saved series over the group; the parameters from the
  // default variation coefficient c.
  virtual void SetDefaults(const Series& saved, double c) = 0;
  virtual double Draw(RandomSource& random, double x) = 0;
  virtual int ParameterCount() const { return 2; }
  virtual std::array<std::string_view, 4> ParameterNames() const = 0;

  int Lage;
  int Hage;
  double Mean = 0.0;
  double MaxValue;
  double Param = 0.0;

 protected:
  void MeanOf(const Series& saved);
};

class Tstedevinstnorm : public Tstedevinst {
 public:
  using Tstedevinst::Tstedevinst;
  void IntervalAt(int number, double& lower, double& upper, double x) override;
  std::array<std::string, 4> ParamsToText(double multiplier) const override;
  bool ParamsFromText(const std::array<std::string, 4>& texts, double multiplier,
                      UserDialogs& dialogs) override;
  void SetDefaults(const Series& saved, double c) override;
  double Draw(RandomSource& random, double x) override;
  std::array<std::string_view, 4> ParameterNames() const override {
    return {"Mean", "Stdev", "", ""};
  }
};

class Tstedevinstuni final : public Tstedevinst {
 public:
  using Tstedevinst::Tstedevinst;
  void IntervalAt(int number, double& lower, double& upper, double x) override;
  std::array<std::string, 4> ParamsToText(double multiplier) const override;
  bool ParamsFromText(const std::array<std::string, 4>& texts, double multiplier,
                      UserDialogs& dialogs) override;
  void SetDefaults(const Series& saved, double c) override;
  double Draw(RandomSource& random, double x) override;
  std::array<std::string_view, 4> ParameterNames() const override {
    return {"Mean", "Deviation", "", ""};
  }
  double Lower = 0.0;
  double Upper = 0.0;
};

class Tstedevinstdrie final : public Tstedevinst {
 public:
  using Tstedevinst::Tstedevinst;
  void IntervalAt(int number, double& lower, double& upper, double x) override;
  std::array<std::string, 4> ParamsToText(double multiplier) const override;
  bool ParamsFromText(const std::array<std::string, 4>& texts, double multiplier,
                      UserDialogs& dialogs) override;
  void SetDefaults(const Series& saved, double c) override;
  double Draw(RandomSource& random, double x) override;
  int ParameterCount() const override { return 4; }
  std::array<std::string_view, 4> ParameterNames() const override {
    return {"Mean", "Modal", "Low dev", "Hi dev"};
  }
  // Lower, Upper and Mode around a central value.
  void Derive(double x);
  double HiDev = 0.0;
  double Lower = 0.0;
  double Upper = 0.0;
  double Mode = 0.0;
};

class Tstedevinstpoisson final : public Tstedevinstnorm {
 public:
  using Tstedevinstnorm::Tstedevinstnorm;
  void IntervalAt(int number, double& lower, double& upper, double x) override;
  void SetDefaults(const Series& saved, double c) override;
  double Draw(RandomSource& random, double x) override;
  std::array<std::string_view, 4> ParameterNames() const override {
    return {"Mean", "StDev", "", ""};
  }
};

class Tstedevinstbinom final : public Tstedevinst {
 public:
  using Tstedevinst::Tstedevinst;
  void IntervalAt(int number, double& lower, double& upper, double x) override;
  std::array<std::string, 4> ParamsToText(double multiplier) const override;
  bool ParamsFromText(const std::array<std::string, 4>& texts, double multiplier,
                      UserDialogs& dialogs) override;
  void SetDefaults(const Series& saved, double c) override;
  double Draw(RandomSource& random, double x) override;
  std::array<std::string_view, 4> ParameterNames() const override { return {"Mean", "N", "", ""}; }
};

// A distribution object of the list's index (0 normal ... 4 binomial).
std::unique_ptr<Tstedevinst> MakeDistribution(int kind, int variable, int hage, int lage);

}  // namespace kavrel

#pragma once

// The downhill simplex (Nelder-Mead) minimiser shared by the disease fit, the fitting of
// mathematical age curves and the population input window. They differ only in their cost.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kavrel {

class MessagesLog;
class UserDialogs;

inline constexpr char kAmoebaError[] = "Internal error: downhill simplex method";
inline constexpr char kAmoebaMoreIterationsQuestion[] =
    "The downhill simplex method has reached the maximum number of \n"
    "iterations. Do you want more iterations?";

// The controls of the window "Downhill simplex options", as typed. The minimiser converts the
// texts when it is created; preferences and the disease's stored options carry the same texts.
struct SimplexSettings {
  static constexpr std::string_view kCaption = "Downhill simplex options";
  static constexpr std::string_view kWarningLine1 = "Warning: unless you know what you are doing,";
  static constexpr std::string_view kWarningLine2 = "these settings are best left alone";
  static constexpr std::string_view kWarnCaption = "Warn on reaching max iterations";
  static constexpr std::string_view kAskCaption = "Ask for additional iterations";
  static constexpr std::string_view kMaxIterationsCaption = "Maximum iterations";
  static constexpr std::string_view kPrecisionCaption = "Precision";
  static constexpr std::string_view kSimplexCaption = "Simplex";
  static constexpr std::string_view kAlphaCaption = "Alpha";
  static constexpr std::string_view kBetaCaption = "Beta";
  static constexpr std::string_view kGammaCaption = "Gamma";
  static constexpr std::string_view kResetCaption = "&Reset defaults";
  static constexpr std::string_view kCloseCaption = "&Close";

  bool WarnOnMaxIterations = true;  // WarnCheck
  bool AskMoreIterations = false;   // ItCheckBox
  std::string MaxIterations = "1000";
  std::string Precision = "1.0E-09";
  std::string Simplex = "0.05";
  std::string Alpha = "1.0";
  std::string Beta = "0.5";
  std::string Gamma = "2.0";

  // "&Reset defaults": the six values, "Ask for additional iterations" cleared, "Warn on reaching
  // max iterations" checked.
  void ResetDefaults() { *this = SimplexSettings{}; }

  // The window's input forms: up to six digits; "1.0E-" and two digits; "0." and two digits; a
  // digit, a period and a digit; "0." and one digit; a digit, a period and a digit.
  static bool MaxIterationsFits(std::string_view text);
  static bool PrecisionFits(std::string_view text);
  static bool SimplexFits(std::string_view text);
  static bool AlphaFits(std::string_view text);
  static bool BetaFits(std::string_view text);
  static bool GammaFits(std::string_view text);

  bool operator==(const SimplexSettings&) const = default;
};

// The same settings as numbers. Problem holds the minimiser's refusal of the first text that is
// no number (in the order it reads them); a minimiser made with a problem throws it.
struct SimplexNumbers {
  double Precision = 1.0E-09;
  int MaxIter = 1000;
  double Alpha = 1.0;
  double Beta = 0.5;
  double Gamma = 2.0;
  double SimplexScale = 0.05;
  bool WarnOnMaxIterations = true;
  bool AskMoreIterations = false;
  std::optional<std::string> Problem;
};
SimplexNumbers ParseSimplex(const SimplexSettings& texts);

class Tamoeba {
 public:
  // Throws std::invalid_argument naming the field when one of the settings was no number.
  Tamoeba(int n, const SimplexNumbers& options, UserDialogs& dialogs, MessagesLog& log);
  // The settings as they stand in the texts.
  Tamoeba(int n, const SimplexSettings& options, UserDialogs& dialogs, MessagesLog& log)
      : Tamoeba(n, ParseSimplex(options), dialogs, log) {}
  virtual ~Tamoeba() = default;
  Tamoeba(const Tamoeba&) = delete;
  Tamoeba& operator=(const Tamoeba&) = delete;

  // The cost at a point. May throw ArithmeticError; a cost or point that is not finite counts as
  // an arithmetic fault too.
  virtual double Cost(std::span<const double> point) = 0;

  // From Start to Best. Iter and Converged restart; MaxIterReached is kept across runs. A fault
  // ends the run with Best the lowest vertex and a note in the log. With no parameters there is
  // nothing to search and the call returns at once.
  void Minimize();

  double Precision;
  int MaxIter;
  double Alpha;
  double Beta;
  double Gamma;
  double SimplexScale;
  int LastIndex;
  int Dim;
  int Iter = 0;
  int Lowest = 0;
  int Highest = 0;
  int NextHighest = 0;
  double TryCost = 0.0;
  double TrialCost = 0.0;
  double Spread = 0.0;
  bool Converged = false;
  bool MaxIterReached = false;
  std::vector<double> Best;
  std::vector<double> Start;
  std::vector<double> TryPoint;
  std::vector<double> TrialPoint;
  std::vector<double> Centroid;
  std::vector<double> Costs;
  std::vector<std::vector<double>> Vertices;

 private:
  double CheckedCost(std::span<const double> point);
  void Rank();
  void Replace(int vertex, const std::vector<double>& point, double cost);
  void Iterate();

  bool warnOnMaxIterations_;
  bool askMoreIterations_;
  UserDialogs& dialogs_;
  MessagesLog& log_;
};

// A cost computed by another object: the disease fit, an age curve being fitted, the population
// window's criterion.
class CostFunction {
 public:
  virtual ~CostFunction() = default;
  virtual double Cost(std::span<const double> point) = 0;
};

class Tdelegatingamoeba : public Tamoeba {
 public:
  Tdelegatingamoeba(int n, const SimplexSettings& options, UserDialogs& dialogs, MessagesLog& log,
                    CostFunction& target)
      : Tamoeba(n, options, dialogs, log), target_(target) {}
  Tdelegatingamoeba(int n, const SimplexNumbers& options, UserDialogs& dialogs, MessagesLog& log,
                    CostFunction& target)
      : Tamoeba(n, options, dialogs, log), target_(target) {}
  double Cost(std::span<const double> point) final { return target_.Cost(point); }

 private:
  CostFunction& target_;
};

// Fitting of a mathematical curve or standard pattern to an age schedule.
class Tmathamoeba final : public Tdelegatingamoeba {
 public:
  using Tdelegatingamoeba::Tdelegatingamoeba;
};

// Fitting in the population input window.
class Tmortamoeba final : public Tdelegatingamoeba {
 public:
  using Tdelegatingamoeba::Tdelegatingamoeba;
};

}  // namespace kavrel

#pragma once

// Age schedule procedures: they make a single-year series for one input variable of the current
// disease and sex, from its age-group input or from a single-year series, into the workspace's
// Adjusted series. Interpolations, moving average and manual adjustment here; the curves and the
// pattern fit in curves.h.

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/base/vocabulary.h"

namespace kavrel {

class MessagesLog;
class Tdisease;
class UserDialogs;
struct SimplexSettings;

// The smooth-and-fit options window TFitOpForm.
struct FitOptionsWindowState {
  static constexpr std::string_view kCaption = "Smooth and fit options ";
  static constexpr std::array<std::string_view, 4> kPages = {"Fitting", "Interpolation",
                                                             "Smoothing", "Age range"};
  static constexpr std::array<int, 4> kPageHelpTopics = {5310, 5320, 5330, 5340};

  // "Fitting"
  bool WeightByPopulation = false;  // preference FitOp
  bool UseMeanValues = false;       // not stored
  int PolynomialOrder = 2;          // 1 ... 9, preference PolyOrder
  // "Interpolation": end points
  bool AddLow = true;                 // addlow
  int LowAge = 0;                     // AgeLow
  std::string LowValue = "default";   // ValueLow
  bool AddHigh = true;                // addhigh
  int HighAge = 95;                   // AgeHigh
  std::string HighValue = "default";  // ValueHigh
  // "Smoothing"
  int Period = 5;  // 3 ... 30 in steps of 2, maperiod
  // "Age range" (not stored)
  int Lower = 0;
  int Higher = 100;

  int Page = 0;
  int HelpTopic() const { return kPageHelpTopics.at(static_cast<size_t>(Page)); }
  // A cleared end point box disables its age and value.
  bool LowControlsEnabled() const { return AddLow; }
  bool HighControlsEnabled() const { return AddHigh; }
  // The range a data set or the age schedule window sets: 0 ... maxAge.
  void ResetAgeRange(int maxAge) {
    Lower = 0;
    Higher = maxAge;
  }

  bool operator==(const FitOptionsWindowState&) const = default;
};

// An end point's value text: a number with the locale's decimal separator (the window writes it
// that way), or "default" in any letter case for 0. Nothing for any other text.
std::optional<double> ReadEndPointValue(std::string_view text, char decimalSeparator);

// The three lines of the age schedule chart.
enum class ScheduleLine { kOriginal, kCurrent, kAdjusted };

// The age schedule window's workspace, shared by the procedures.
struct AgeScheduleWorkspace {
  Series Original{};
  Series Current{};
  Series Adjusted{};
  int FitLow = 0;
  int FitHigh = 100;
  int ApplyRadio = 0;  // "Apply to": 0 "Original data", 1 "Current data"
  bool ManualMode = false;

  // Notified when a line is to be drawn again (or hidden): the window draws, the core does not.
  std::function<void(ScheduleLine line, bool visible)> OnDraw;
  void Draw(ScheduleLine line) const {
    if (line == ScheduleLine::kAdjusted) adjustedShown_ = true;
    if (OnDraw) OnDraw(line, true);
  }
  void Hide(ScheduleLine line) const {
    if (line == ScheduleLine::kAdjusted) adjustedShown_ = false;
    if (OnDraw) OnDraw(line, false);
  }
  // An adjusted result is on show that has not been kept.
  bool AdjustedShown() const { return adjustedShown_; }
  // The series smoothing, fitting and manual adjustment start from.
  const Series& Source() const { return ApplyRadio == 0 ? Original : Current; }

 private:
  mutable bool adjustedShown_ = false;  // what is drawn, not what is computed
};

// What the procedures work on besides the workspace.
struct AgeScheduleContext {
  Tdisease& Disease;
  int Variable;  // CurrentInputVariable
  int MaxAge;
  const std::array<Series, kSexCount>& PopulationNumbers;
  const FitOptionsWindowState& Options;
  const SimplexSettings& Simplex;
  UserDialogs& Dialogs;
  MessagesLog& Log;
  char DecimalSeparator = '.';
};

// A procedure refused before it changed anything (bad nodes, a period wider than the range, an
// end point text that is not a number); its text is for the user.
class ScheduleError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Tagesched {
 public:
  Tagesched(AgeScheduleWorkspace& workspace, const AgeScheduleContext& context);
  virtual ~Tagesched() = default;
  Tagesched(const Tagesched&) = delete;
  Tagesched& operator=(const Tagesched&) = delete;

  // The fitting criterion; only the curves have one.
  virtual double Cost(std::span<const double> p);
  // Computes Adjusted and draws it.
  virtual void Execute() = 0;

 protected:
  AgeScheduleWorkspace& ws_;
  const AgeScheduleContext& ctx_;
};

class Tlinearinterpol final : public Tagesched {
 public:
  using Tagesched::Tagesched;
  void Execute() override;
};

class Tpolynomialinterpol final : public Tagesched {
 public:
  using Tagesched::Tagesched;
  void Execute() override;
};

class Tcubicsplineinterpol final : public Tagesched {
 public:
  using Tagesched::Tagesched;
  void Execute() override;
};

class Tmovingaverage final : public Tagesched {
 public:
  Tmovingaverage(AgeScheduleWorkspace& workspace, const AgeScheduleContext& context);
  void Execute() override;
  int Period;
};

// Manual adjustment: works between its construction and its destruction.
class Tmanual final : public Tagesched {
 public:
  Tmanual(AgeScheduleWorkspace& workspace, const AgeScheduleContext& context);
  ~Tmanual() override;
  void Execute() override {}
  // The pointer at (age, value) with the button held: ages outside 0 ... MaxAge are ignored.
  void SetPoint(double age, double value);
};

}  // namespace kavrel

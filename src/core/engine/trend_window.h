#pragma once

// The trend window as a model: the past yearly changes of incidence, remission and case fatality
// of the current disease and sex, as consecutive periods going back from the present.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavrel {

class Tdisease;
class UserDialogs;

inline constexpr std::string_view kInvalidPercentMessage = "Invalid text for % change";

// c percent a year as a factor: 1 + c/100 for a rise, 1/(1 - c/100) for a fall, so that -10 %
// undoes +10 % exactly.
double PercentToFactor(double percent);
// The factor back as the percentage text the window shows.
std::string FactorToPercentText(double factor, char decimalSeparator = '.');

class TrendWindow {
 public:
  TrendWindow(Tdisease& disease, UserDialogs& dialogs, char decimalSeparator = '.');

  std::string Caption() const;

  // "Hazards": -1 before one is chosen, then 0 incidence, 1 remission, 2 case fatality.
  int Hazard = -1;
  int Number = 0;               // "Number": 0 ... count + 1, the last being a new block
  int NumberMax = 0;            // count + 1 once a hazard is chosen
  int Start = 0;                // "Start"
  int StartMax = 0;             // its upper limit for the shown block
  int End = 0;                  // "End", never edited
  std::string ValueText = "0";  // "Value (%)"
  bool BlockControlsEnabled = false;
  bool StartEnabled = false;
  bool ValueEnabled = false;
  bool AddEnabled = false;
  bool DeleteEnabled = false;

  // Typing in "Value (%)"; read by "Add" and by leaving the field.
  void SetValueText(std::string text);
  void ChooseHazard(int hazard);
  void SetNumber(int number);
  // A new block's start; its end follows ("End" = the year before the previous block's start).
  void SetStart(int start);
  // "Add": false with "Invalid text for % change" when the value is not a number.
  bool Add();
  void Delete();
  // Leaving "Value (%)": the shown block takes the new percentage; a text that is not a number
  // gets the message and the block keeps its value.
  bool LeaveValue(const std::string& text);
  // "&Close": the check the calculation runs; true when any hazard has a period. The disease's
  // TrendsOn follows it.
  bool Close();
  // A new period with a start or value typed and not added.
  bool HasUnsavedChanges() const {
    return AddEnabled && (ValueText != shownValue_ || Start != shownStart_);
  }
  // Closing: with such a period, "Save changes to the trends of Asthma?" with Yes (add it; the
  // window stays when its value is refused), No and Cancel. True: may close.
  bool MayClose();
  // The periods entered, every hazard, as the window lists them: "Incidence: 20 to 11 years ago,
  // +2 % a year".
  std::vector<std::string> Periods() const;

 private:
  int Count() const;
  void ShowBlock();
  std::optional<double> ReadPercent(const std::string& text) const;

  Tdisease& disease_;
  UserDialogs& dialogs_;
  char decimalSeparator_;
  int shownStart_ = 0;
  std::string shownValue_ = "0";
};

}  // namespace kavrel

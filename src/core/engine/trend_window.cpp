#include "core/engine/trend_window.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "core/base/number_text.h"
#include "core/base/user_dialogs.h"
#include "core/engine/disease.h"

namespace kavrel {

double PercentToFactor(double percent) {
  return percent >= 0.0 ? 1.0 + percent / 100.0 : 1.0 / (1.0 - percent / 100.0);
}

std::string FactorToPercentText(double factor, char decimalSeparator) {
  const double percent = factor >= 1.0 ? (factor - 1.0) * 100.0 : (1.0 - 1.0 / factor) * 100.0;
  if (percent == 0.0) return "0";
  // Twelve significant digits: 2.5 % reads back as 2.5, not as 2.49999999999999.
  return NumberText(percent, 12, decimalSeparator);
}

TrendWindow::TrendWindow(Tdisease& disease, UserDialogs& dialogs, char decimalSeparator)
    : disease_(disease), dialogs_(dialogs), decimalSeparator_(decimalSeparator) {}

std::string TrendWindow::Caption() const {
  return "Past trends for " + disease_.DiseaseName + ", " + std::string(kSexNames[disease_.Sex]);
}

int TrendWindow::Count() const {
  return Hazard < 0 ? 0 : static_cast<int>(disease_.Trends[Hazard].Blocks.size());
}

void TrendWindow::SetValueText(std::string text) { ValueText = std::move(text); }

void TrendWindow::ChooseHazard(int hazard) {
  if (hazard < 0 || hazard >= kTrendHazardCount) return;
  Hazard = hazard;
  BlockControlsEnabled = true;
  Number = Count();
  NumberMax = Count() + 1;
  ShowBlock();
}

void TrendWindow::SetNumber(int number) {
  Number = std::clamp(number, 0, NumberMax);
  ShowBlock();
}

void TrendWindow::ShowBlock() {
  const int count = Count();
  AddEnabled = DeleteEnabled = StartEnabled = ValueEnabled = false;
  if (Hazard < 0 || Number == 0) {
    Start = End = StartMax = 0;
    ValueText.assign(1, '0');  // not = "0": GCC 12 reports a false -Wrestrict for that at -O3
    return;
  }
  const auto& blocks = disease_.Trends[Hazard].Blocks;
  if (Number > count) {
    // A new block: it ends the year before the last block starts.
    Start = End = StartMax = blocks.empty() ? 0 : blocks.back().Startt - 1;
    ValueText.assign(1, '0');  // not = "0": GCC 12 reports a false -Wrestrict for that at -O3
    StartEnabled = ValueEnabled = AddEnabled = true;
    shownStart_ = Start;
    shownValue_ = ValueText;
    return;
  }
  const Trendblok& block = blocks[static_cast<std::size_t>(Number - 1)];
  Start = StartMax = block.Startt;
  End = block.Endt;
  ValueText = FactorToPercentText(block.Waarde, decimalSeparator_);
  ValueEnabled = true;
  DeleteEnabled = StartEnabled = Number == count;
}

void TrendWindow::SetStart(int start) {
  if (!StartEnabled) return;
  // "Start" runs from -110 up to its limit for the block.
  Start = std::clamp(start, -110, StartMax);
  if (Number >= 1 && Number <= Count()) {
    disease_.Trends[Hazard].Blocks[static_cast<std::size_t>(Number - 1)].Startt = Start;
  }
}

std::optional<double> TrendWindow::ReadPercent(const std::string& text) const {
  const auto value = ReadNumberText(text, decimalSeparator_);
  // A fall of 100 % or more a year has no factor.
  if (!value || !(*value > -100.0) || *value > 1e6) return std::nullopt;
  return value;
}

bool TrendWindow::Add() {
  if (!AddEnabled || Hazard < 0) return false;
  const auto percent = ReadPercent(ValueText);
  if (!percent) {
    dialogs_.ShowError(kInvalidPercentMessage);
    return false;
  }
  disease_.Trends[Hazard].Blocks.push_back({Start, End, PercentToFactor(*percent)});
  Number = Count();
  NumberMax = Count() + 1;
  ShowBlock();
  return true;
}

void TrendWindow::Delete() {
  if (Hazard < 0 || Count() == 0) return;
  disease_.Trends[Hazard].Blocks.pop_back();
  Number = Count();
  NumberMax = Count() + 1;
  ShowBlock();
}

bool TrendWindow::LeaveValue(const std::string& text) {
  const auto percent = ReadPercent(text);
  if (!percent) {
    dialogs_.ShowError(kInvalidPercentMessage);
    ShowBlock();  // the old value back
    return false;
  }
  ValueText = text;
  if (Hazard >= 0 && Number >= 1 && Number <= Count()) {
    disease_.Trends[Hazard].Blocks[static_cast<std::size_t>(Number - 1)].Waarde =
        PercentToFactor(*percent);
  }
  return true;
}

bool TrendWindow::Close() {
  disease_.TrendsEdited = true;
  disease_.TrendsOn = disease_.CheckTrends();
  return disease_.TrendsOn;
}

bool TrendWindow::MayClose() {
  return dialogs_.MayCloseWindow(HasUnsavedChanges(), "the trends of " + disease_.DiseaseName,
                                 [this] { return Add(); });
}

std::vector<std::string> TrendWindow::Periods() const {
  static constexpr std::array<const char*, kTrendHazardCount> kNames = {"Incidence", "Remission",
                                                                        "Case fatality"};
  std::vector<std::string> lines;
  for (int h = 0; h < kTrendHazardCount; ++h) {
    for (const Trendblok& block : disease_.Trends[h].Blocks) {
      std::string line = kNames[static_cast<std::size_t>(h)];
      line += ": " + std::to_string(-block.Startt) + " to " + std::to_string(-block.Endt);
      line += " years ago, ";
      if (block.Waarde > 1.0) line += '+';
      line += FactorToPercentText(block.Waarde, decimalSeparator_);
      line += " % a year";
      lines.push_back(std::move(line));
    }
  }
  return lines;
}

}  // namespace kavrel

#pragma once

// "Set graph and table options": the settings every new graph line and result table column
// starts from, and the display settings of the other windows that keep a multiplier and decimals.

#include <array>
#include <cstdint>

#include "core/base/vocabulary.h"

namespace kavrel {

// A colour with red in the low byte, green in the middle and blue in the high byte.
using Colour = std::uint32_t;
constexpr Colour Rgb(int red, int green, int blue) {
  return static_cast<Colour>(red) | (static_cast<Colour>(green) << 8) |
         (static_cast<Colour>(blue) << 16);
}

struct LineSettings {
  bool Visible = true;
  bool RightAxis = false;
  Colour LineColour = 0;
  bool operator==(const LineSettings&) const = default;
};

struct ViewOptionsState {
  // Graphs
  int InputLineWidth = 2;
  int OutputLineWidth = 3;
  int UncertaintyLineWidth = 2;
  std::array<LineSettings, kVariableCount> InputLines{};
  std::array<LineSettings, kVariableCount> OutputLines{};
  // "Central value", then 50% ... 99% UI.
  std::array<Colour, 8> UncertaintyColours{};
  // Outputs' intervals drawn as bands around their lines, where a result has them.
  bool IntervalBands = true;
  // Tables
  std::array<bool, kVariableCount> InputVisible = {true, true, true, true, true, true, true};
  std::array<bool, kVariableCount + 1> OutputVisible = {true, true, true, true,
                                                        true, true, true, true};
  int RatesIndex = 0;
  int Decimals = 4;
  bool Numbers = false;
  bool HazardsOutput = false;  // "Output rates": "Hazards" (false: "Population")
  // Result tables add each output's lower and upper limits where the result has intervals.
  bool IntervalColumns = false;

  ViewOptionsState();
  bool operator==(const ViewOptionsState&) const = default;
};

// The "Rates per:" and "Decimals" of a window that keeps no other preference.
struct DisplaySettings {
  int RatesIndex = 0;
  int Decimals = 4;
};

}  // namespace kavrel

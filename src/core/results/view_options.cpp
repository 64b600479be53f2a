#include "core/results/view_options.h"

namespace kavrel {

ViewOptionsState::ViewOptionsState() {
  const std::array<Colour, kVariableCount> input = {
      Rgb(0, 0, 255),     Rgb(0, 217, 0),    Rgb(214, 170, 0), Rgb(255, 0, 255),
      Rgb(128, 128, 128), Rgb(253, 107, 77), Rgb(128, 64, 0)};
  const std::array<Colour, kVariableCount> output = {
      Rgb(15, 1, 190), Rgb(0, 128, 64), Rgb(184, 134, 11), Rgb(128, 0, 128),
      Rgb(64, 0, 64),  Rgb(217, 2, 29), Rgb(128, 0, 0)};
  for (int v = 0; v < kVariableCount; ++v) {
    const bool hidden = v == kDuration || v == kRRMortality;
    const bool right = v == kCaseFatality || v == kDuration || v == kRRMortality;
    InputLines[v] = {!hidden, right, input[v]};
    OutputLines[v] = {!hidden, right, output[v]};
  }
  UncertaintyColours = {Rgb(64, 0, 64),  Rgb(217, 2, 29),  Rgb(0, 128, 64), Rgb(255, 255, 0),
                        Rgb(15, 1, 190), Rgb(128, 0, 128), Rgb(0, 255, 0),  Rgb(255, 0, 255)};
}

}  // namespace kavrel

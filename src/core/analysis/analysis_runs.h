#pragma once

// Running the fitting calculation many times for one disease and sex with different inputs, as
// the uncertainty and sensitivity analyses do: on all cores, each worker with its own disease
// object, the results in run order whatever the thread count.

#include <array>
#include <cstdint>
#include <vector>

#include "core/base/vocabulary.h"
#include "core/engine/amoeba.h"
#include "core/engine/calc_options.h"

namespace kavrel {

class MessagesLog;
class Progress;
class Tdisease;
class UserDialogs;

// The analyses run where nobody may be asked anything: their workers never see the program's
// dialogs. A question a run would put is answered No (or cancelled), an error it would show is
// kept; after the runs the first kept error, with their count, fails the analysis.

// One run's result: the sex and its seven output series.
struct Tresultin {
  std::uint8_t Sex = kMales;
  std::array<Series, kVariableCount> Outputs{};
};

// The input series of the sex, by variable, for one run.
using RunInputs = std::array<Series, kVariableCount>;

// What every run is calculated with. The minimiser's two questions are off: nothing may stop a
// run to ask. Only the log is shared between the runs (it is safe across threads).
struct AnalysisSetup {
  int MaxAge;
  const std::array<Series, kSexCount>& AllCauseMortality;
  MessagesLog& Log;
  CalcOptions Options;
  int Threads = 0;  // 0: every core
  // The weights of the fit over all ages (see ModelEnvironment).
  const std::array<Series, kSexCount>* PopulationNumbers = nullptr;
};

// Calculates the disease (its current sex, its trends and options) once per inputs entry.
// Returns the results in the entries' order; empty when cancelled through progress. Runs on any
// thread: it reads the disease and the setup and writes nothing else but the log and progress.
// Throws std::runtime_error when a run failed or showed an error.
std::vector<Tresultin> RunCalculations(const Tdisease& disease,
                                       const std::vector<RunInputs>& inputs,
                                       const AnalysisSetup& setup, Progress& progress);

// "Uncertainty from the fit": the disease's sex fitted once over all ages from its inputs with
// their precision (the disease must hold its original input rows), then `count` sets of fitted
// hazards drawn from their joint distribution around the fit and run through the model: no
// distribution of the inputs needs inventing. The draws are made in order from the seed, so the
// figures are the same on any number of cores. Throws std::runtime_error, saying why, when the
// fit gives no intervals (an input without precision, say) or fails.
std::vector<Tresultin> RunsFromFit(const Tdisease& disease, const AnalysisSetup& setup, int count,
                                   std::uint64_t seed, Progress& progress);

// The number of workers for a thread setting (0: every core), at least 1.
int WorkerCount(int threads, std::size_t runs);

}  // namespace kavrel

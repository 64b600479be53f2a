#include "core/analysis/analysis_runs.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>

#include "core/base/messages_log.h"
#include "core/base/progress.h"
#include "core/base/user_dialogs.h"
#include "core/engine/disease.h"
#include "core/engine/fitter.h"
#include "core/engine/processing.h"

namespace kavrel {

int WorkerCount(int threads, std::size_t runs) {
  int workers = threads > 0 ? threads : static_cast<int>(std::thread::hardware_concurrency());
  workers = std::max(workers, 1);
  return static_cast<int>(
      std::min<std::size_t>(static_cast<std::size_t>(workers), std::max<std::size_t>(runs, 1)));
}

std::vector<Tresultin> RunCalculations(const Tdisease& disease,
                                       const std::vector<RunInputs>& inputs,
                                       const AnalysisSetup& setup, Progress& progress) {
  std::vector<Tresultin> results(inputs.size());
  const int sex = disease.Sex;
  std::atomic<std::size_t> next{0};
  std::atomic<bool> stop{false};
  std::mutex progressMutex;
  std::exception_ptr failure;
  std::mutex failureMutex;
  int errors = 0;
  std::string firstError;

  // A disease whose hazards are fitted is shared by the workers, read only: each fit works on
  // series of its own. One calculated plainly (exactly incidence, remission and case fatality)
  // is calculated on a copy per worker.
  const bool shared = !CalculatedPlainly(disease, sex);
  const auto work = [&] {
    UnattendedDialogs dialogs;
    try {
      std::array<Series, kSexCount> otherCause{};
      const ModelEnvironment env{setup.MaxAge, setup.AllCauseMortality, otherCause, setup.Log,
                                 setup.PopulationNumbers};
      std::unique_ptr<Tdiseaseam> own = shared ? nullptr : CopyForCalculation(disease);
      PerVariableAndSex<Series> runInputs = disease.InputSeries;
      PerVariableAndSex<Series> outputs{};
      // A run's outputs are one draw among many: the intervals of each fit are not wanted.
      CalcOptions options = setup.Options;
      options.IntervalLevel = 0.0;
      if (shared) {
        if (env.MaxAge < 0 || env.MaxAge > kHighestPossibleAge) {
          throw std::invalid_argument("The highest age of the data set must lie between 0 and 110");
        }
        if (const auto problem = options.Validate()) {
          dialogs.ShowError(problem->Message);
          throw std::runtime_error("The calculation did not run");
        }
      }
      while (!stop) {
        const std::size_t k = next++;
        if (k >= inputs.size()) break;
        if (shared) {
          for (int v = 0; v < kVariableCount; ++v) runInputs[v][sex] = inputs[k][v];
          const FitResult fit = Tfitter(disease, env, options, &runInputs).Run(dialogs);
          OutputsFromModel(fit.Model, fit.PopRateIncidence, disease.IncidenceIsHazard, sex,
                           outputs);
        } else {
          for (int v = 0; v < kVariableCount; ++v) own->InputSeries[v][sex] = inputs[k][v];
          if (!own->Calculate(env, options, dialogs))
            throw std::runtime_error("The calculation did not run");
          own->CopyToOutput();
          outputs = own->OutputSeries;
        }
        results[k].Sex = static_cast<std::uint8_t>(sex);
        for (int v = 0; v < kVariableCount; ++v) results[k].Outputs[v] = outputs[v][sex];
        std::lock_guard<std::mutex> lock(progressMutex);
        progress.Advance();
        if (progress.CancelRequested()) stop = true;
      }
    } catch (...) {
      std::lock_guard<std::mutex> lock(failureMutex);
      if (!failure) failure = std::current_exception();
      stop = true;
    }
    if (dialogs.ErrorsShown() > 0) {
      std::lock_guard<std::mutex> lock(failureMutex);
      if (errors == 0) firstError = dialogs.FirstError();
      errors += dialogs.ErrorsShown();
    }
  };

  const int workers = WorkerCount(setup.Threads, inputs.size());
  progress.Start(static_cast<int>(inputs.size()));
  if (workers == 1) {
    work();
  } else {
    std::vector<std::thread> threads;
    for (int w = 0; w < workers; ++w) threads.emplace_back(work);
    for (auto& thread : threads) thread.join();
  }
  progress.Finish();
  if (errors > 0) {
    throw std::runtime_error("The analysis failed: its runs showed " + std::to_string(errors) +
                             " error" + (errors == 1 ? "" : "s") + ", the first \"" + firstError +
                             "\". Nothing was kept.");
  }
  if (failure) std::rethrow_exception(failure);
  if (stop) return {};
  return results;
}

std::vector<Tresultin> RunsFromFit(const Tdisease& disease, const AnalysisSetup& setup, int count,
                                   std::uint64_t seed, Progress& progress) {
  UnattendedDialogs dialogs;
  const int sex = disease.Sex;
  std::array<Series, kSexCount> otherCause{};
  const ModelEnvironment env{setup.MaxAge, setup.AllCauseMortality, otherCause, setup.Log,
                             setup.PopulationNumbers};
  CalcOptions options = setup.Options;
  options.Method = FitMethod::kAllAges;
  if (!(options.IntervalLevel > 0.0 && options.IntervalLevel < 1.0)) options.IntervalLevel = 0.95;
  options.FitDraws = count;
  options.FitDrawSeed = seed;
  if (CalculatedPlainly(disease, sex)) {
    throw std::runtime_error(
        "Uncertainty from the fit needs a fit: with exactly incidence, remission and case "
        "fatality given nothing is fitted");
  }
  if (const auto problem = options.Validate()) throw std::runtime_error(problem->Message);
  progress.Start(1);
  FitResult fit = Tfitter(disease, env, options).Run(dialogs);
  progress.Finish();
  if (dialogs.ErrorsShown() > 0) throw std::runtime_error(dialogs.FirstError());
  if (!fit.Intervals.Present || static_cast<int>(fit.Draws.size()) != count) {
    throw std::runtime_error("Uncertainty from the fit: " + NoIntervalsMessage(fit.Intervals));
  }
  std::vector<Tresultin> results(fit.Draws.size());
  for (std::size_t k = 0; k < fit.Draws.size(); ++k) {
    results[k].Sex = static_cast<std::uint8_t>(sex);
    PerVariableAndSex<Series> model{};
    for (int v = 0; v < kVariableCount; ++v) model[v][sex] = fit.Draws[k][v];
    // The draws hold incidence as the input gives it already.
    PerVariableAndSex<Series> outputs{};
    OutputsFromModel(model, fit.Draws[k][kIncidence], true, sex, outputs);
    for (int v = 0; v < kVariableCount; ++v) results[k].Outputs[v] = outputs[v][sex];
  }
  return results;
}

}  // namespace kavrel

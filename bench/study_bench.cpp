// A study calculated and saved by the batch on every core. The figure that matters is its ratio to
// the number of fits times BM_FitPrevalenceMortality (processing_bench.cpp) divided by the cores:
// what reading, saving in groups and handing out the work add to the fits themselves.

#include <filesystem>
#include <string>
#include <thread>

#include <benchmark/benchmark.h>
#include <unistd.h>

#include "core/shell/batch.h"
#include "example_data.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;

// 20 data sets of 50 diseases (the example's five kinds, varied), written once per run.
struct Study {
  Study() {
    dir = fs::temp_directory_path() / ("kavrel-bench-study-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    install::BuildTemplates((dir / "bin").string());
    files = install::BuildStudy((dir / "bin").string(), (dir / "pristine").string(), 20, 50);
  }
  ~Study() { fs::remove_all(dir); }
  fs::path dir;
  std::vector<std::string> files;
};

void BM_BatchStudy(benchmark::State& state) {
  static Study study;
  const fs::path work = study.dir / "work";
  BatchRequest request;
  request.ProgramDir = (study.dir / "nowhere").string() + "/";
  request.Save = true;
  for (const auto& file : study.files) {
    request.Datasets.push_back((work / fs::path(file).filename()).string());
  }
  BatchObserver quiet;
  std::size_t saved = 0;
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(work);
    fs::copy(study.dir / "pristine", work);
    state.ResumeTiming();
    const auto rows = RunBatch(request, quiet);
    saved = 0;
    for (const auto& row : rows) saved += row.Status == BatchStatus::kSaved ? 1 : 0;
  }
  state.counters["fits"] = static_cast<double>(saved);
  state.counters["cores"] = static_cast<double>(std::thread::hardware_concurrency());
}
BENCHMARK(BM_BatchStudy)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
}  // namespace kavrel

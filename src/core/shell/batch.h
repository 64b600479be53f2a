#pragma once

// Many diseases of many data sets calculated in one go, for a study: every chosen disease and sex
// of every data set, each with its stored calculation options (plus the given changes), fitted in
// parallel over all of them. With Save each result is stored as "Save result" stores it, the
// results of a data set committed in groups: a study is not bound by one disk commit per
// disease, and a batch interrupted at any moment leaves each data set with whole results only
// (those of the groups committed before). A disease that fails is reported and the others go on.

#include <optional>
#include <string>
#include <vector>

#include "core/base/vocabulary.h"

namespace kavrel {

struct BatchRequest {
  std::vector<std::string> Datasets;  // data set files; one named twice is calculated once
  std::string Collection;             // takes over an older data set's patterns and schedules
  std::string ProgramDir;             // where the installation's settings are looked for
  std::vector<std::string> Diseases;  // by name; empty for every disease
  std::vector<int> Sexes{kMales, kFemales};
  // COLUMN=VALUE calculation options applied over each disease's stored ones.
  std::vector<std::string> Options;
  // Each disease is calculated from what is stored for it, as "Adjusted" does: its adjusted inputs
  // and trends where it has them, its original inputs otherwise. Original: from the original
  // inputs, and a save leaves stored adjusted inputs alone unless ReplaceAdjusted.
  bool Original = false;
  bool ReplaceAdjusted = false;
  bool Save = false;
  int Threads = 0;     // 0: every core
  int GroupSize = 50;  // results of one data set per commit
  // How the data sets it saves into are marked as open, for other programs to tell their users.
  std::string Program = "kavrel-cli batch";
};

enum class BatchStatus {
  kCalculated,  // calculated, not saved
  kSaved,       // calculated and stored
  kNoInput,     // the disease has no input for the sex: nothing to do
  kFailed,      // the data set, the disease or its calculation or save failed (Message says why)
};

// One row of the summary: a disease and sex of a data set, or a data set that could not be read
// (Disease empty).
struct BatchRow {
  std::string Dataset;  // the file as given
  std::string Disease;
  int Sex = kMales;
  BatchStatus Status = BatchStatus::kFailed;
  std::string Inputs = {};  // "adjusted" or "original": what the calculation started from
  std::string Message = {};
  // The input group the fit reproduces worst: "Prevalence 95-99" and output / input - 1.
  std::string WorstGroup = {};
  std::optional<double> WorstDeviation = {};
  std::vector<std::string> Warnings =
      {};                        // the calculation's messages (iteration limit, input warnings)
  double Seconds = 0.0;          // the calculation's own time
  std::string DatasetName = {};  // its name in the collection that lists it, else the file's stem
};

// Told of the batch's progress, from any of its threads but one call at a time.
class BatchObserver {
 public:
  virtual ~BatchObserver() = default;
  // `added` more calculations are known (a data set has been read); planned is the total so far.
  virtual void Planned(int /*added*/, int /*planned*/) {}
  // A calculation has ended (calculated or failed; a save follows with its group).
  virtual void Done(const BatchRow& /*row*/, int /*done*/, int /*planned*/) {}
};

// Runs the batch. The rows come in the order of the data sets as given, their diseases in the
// data set's order, the sexes as requested. Throws std::invalid_argument for bad option changes
// (before anything is read).
std::vector<BatchRow> RunBatch(const BatchRequest& request, BatchObserver& observer);

// "saved", "calculated", "no input", "failed".
const char* BatchStatusText(BatchStatus status);

// The summary as CSV: Dataset,File,Disease,Sex,Status,Inputs,Worst group,Worst deviation (%),
// Warnings,Seconds,Message; one line per row. Dataset is the data set's name, File its file as
// given, as `kavrel-cli results` writes them.
std::string BatchSummaryCsv(const std::vector<BatchRow>& rows);

}  // namespace kavrel

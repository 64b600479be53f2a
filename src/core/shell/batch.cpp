#include "core/shell/batch.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <exception>
#include <filesystem>
#include <limits>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <utility>
#include <variant>

#include "core/analysis/analysis_runs.h"
#include "core/base/csv_text.h"
#include "core/base/messages_log.h"
#include "core/base/user_dialogs.h"
#include "core/engine/amoeba.h"
#include "core/engine/calc_options.h"
#include "core/engine/calc_settings.h"
#include "core/engine/disease.h"
#include "core/engine/disease_store.h"
#include "core/engine/fit_report.h"
#include "core/engine/population_series.h"
#include "core/engine/processing.h"
#include "core/shell/dataset_session.h"
#include "core/store/data_kavrel.h"
#include "core/store/database.h"
#include "core/store/layout.h"
#include "core/store/table_cursor.h"

namespace kavrel {

namespace {

struct Dataset;

// One disease and sex to calculate, with everything its calculation reads and writes.
struct Job {
  Dataset* Set = nullptr;
  BatchRow* Row = nullptr;
  std::unique_ptr<Tdiseaseam> Disease;
  CalcOptions Options;
  bool Ready = false;         // read and set up: to be calculated
  bool KeepAdjusted = false;  // the save leaves the stored adjusted inputs as they are
  bool Calculated = false;
};

// A data set of the batch. Its connection, session, rows and group are used under Mutex only; its
// population is read by the calculations once the data set has been read.
struct Dataset {
  std::string File;
  std::string Name;  // its name in the collection, once read
  std::mutex Mutex;
  // A stored result is replaced without a question, as the batch was told to.
  UnattendedDialogs Dialogs{DialogButton::kYes};
  MessagesLog Log;
  std::unique_ptr<TDataKavrel> Data;
  std::unique_ptr<DatasetSession> Session;
  PopulationSeries Population;
  int MaxAge = 0;
  std::deque<BatchRow> Rows;  // stable addresses while rows are added

  // The group of results written since the last commit.
  std::optional<Database::Transaction> Group;
  std::vector<BatchRow*> InGroup;
  int Unfinished = 0;   // jobs handed out and not yet finished
  bool Read = false;    // every job has been handed out
  bool Broken = false;  // a save failed: nothing more is written to this data set
  std::string BrokenMessage;

  // Calculations waiting to be saved. Whoever finds nobody writing writes them all, so that a
  // worker never waits for another's save: it leaves its result here and calculates on.
  std::mutex WaitingMutex;
  std::vector<std::unique_ptr<Job>> Waiting;
  bool Writing = false;
};

// Whether the disease has stored adjusted inputs for the sex.
bool HasAdjustedInputs(TDataKavrel& data, std::int32_t inputId, int sex) {
  QueryResult& flags =
      data.QueryDataset("select * from InputDiseases where InputId=" + std::to_string(inputId));
  if (flags.RecordCount() == 0) return false;
  for (const auto& column : kProcessedFlagColumns[static_cast<std::size_t>(sex)]) {
    if (flags.AsBoolean(column)) return true;
  }
  return false;
}

class Batch {
 public:
  Batch(const BatchRequest& request, BatchObserver& observer)
      : request_(request), observer_(observer) {
    // A file named twice is calculated once: two connections saving into one file would only
    // wait for each other.
    std::vector<std::filesystem::path> seen;
    for (const std::string& file : request.Datasets) {
      std::error_code error;
      const auto path = std::filesystem::weakly_canonical(file, error);
      if (!error && std::find(seen.begin(), seen.end(), path) != seen.end()) continue;
      if (!error) seen.push_back(path);
      sets_.push_back(std::make_unique<Dataset>());
      sets_.back()->File = file;
    }
  }

  std::vector<BatchRow> Run() {
    // Any number of calculations can run side by side, also within one data set.
    const int workers = WorkerCount(request_.Threads, std::numeric_limits<std::size_t>::max());
    lowWater_ = static_cast<std::size_t>(4 * workers);
    if (workers == 1) {
      Work();
    } else {
      std::vector<std::thread> threads;
      for (int w = 0; w < workers; ++w) threads.emplace_back([this] { Work(); });
      for (auto& thread : threads) thread.join();
    }
    std::vector<BatchRow> rows;
    for (auto& set : sets_) {
      const std::string name =
          set->Name.empty() ? std::filesystem::path(set->File).stem().string() : set->Name;
      for (BatchRow& row : set->Rows) {
        row.DatasetName = name;
        rows.push_back(std::move(row));
      }
    }
    return rows;
  }

 private:
  // Each worker takes a calculation when there are enough waiting, and otherwise reads the next
  // data set (so that the calculations never run dry while memory holds only a few data sets).
  void Work() {
    for (;;) {
      std::unique_ptr<Job> job;
      Dataset* toRead = nullptr;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
          const bool setsLeft = nextSet_ < sets_.size();
          if (!jobs_.empty() && (jobs_.size() >= lowWater_ || !setsLeft)) {
            job = std::move(jobs_.front());
            jobs_.pop_front();
            break;
          }
          if (setsLeft) {
            toRead = sets_[nextSet_++].get();
            ++reading_;
            break;
          }
          if (reading_ == 0) return;
          wake_.wait(lock);
        }
      }
      if (toRead != nullptr) {
        ReadDataset(*toRead);
        std::lock_guard<std::mutex> lock(mutex_);
        --reading_;
        wake_.notify_all();
      } else {
        Calculate(*job);
        Finish(std::move(job));
      }
    }
  }

  void Enqueue(std::unique_ptr<Job> job) {
    std::lock_guard<std::mutex> lock(mutex_);
    jobs_.push_back(std::move(job));
    wake_.notify_one();
  }

  void Planned(int added) {
    std::lock_guard<std::mutex> lock(observerMutex_);
    planned_ += added;
    observer_.Planned(added, planned_);
  }

  // Opens the data set and hands out a job per chosen disease and sex.
  void ReadDataset(Dataset& set) {
    std::vector<std::string> names;
    {
      std::lock_guard<std::mutex> lock(set.Mutex);
      try {
        set.Data = std::make_unique<TDataKavrel>(set.Dialogs);
        set.Data->MarkOpenAs(request_.Program);
        set.Session = std::make_unique<DatasetSession>(*set.Data, set.Dialogs, set.Log);
        if (!set.Session->Open(set.File, request_.Collection, request_.ProgramDir, request_.Save) ||
            !set.Session->LoadPopulation(set.Population)) {
          FailDataset(set, set.Dialogs.Problem());
          return;
        }
        set.MaxAge = set.Session->MaxAge();
        set.Name = set.Session->DatasetName();
        TableCursor& diseases = set.Data->KavrelTable1();
        diseases.First();
        for (int k = 0; k < diseases.RecordCount(); ++k) {
          if (k > 0) diseases.Next();
          names.push_back(diseases.FieldText("DiseaseName"));
        }
      } catch (const std::exception& e) {
        FailDataset(set, e.what());
        return;
      }
    }
    std::vector<std::string> chosen;
    if (request_.Diseases.empty()) {
      chosen = names;
    } else {
      chosen = request_.Diseases;
    }
    Planned(static_cast<int>(chosen.size() * request_.Sexes.size()));
    for (const std::string& name : chosen) {
      const bool known = std::find(names.begin(), names.end(), name) != names.end();
      // The disease is read once, for its first sex; the other sexes calculate copies. Its jobs
      // are handed out together, once nothing reads them any more.
      std::vector<std::unique_ptr<Job>> jobs;
      const Tdiseaseam* loaded = nullptr;
      std::unique_lock<std::mutex> lock(set.Mutex);
      for (int sex : request_.Sexes) {
        auto& job = jobs.emplace_back(std::make_unique<Job>());
        job->Set = &set;
        set.Rows.push_back({set.File, name, sex});
        job->Row = &set.Rows.back();
        if (!known) {
          job->Row->Message = "The data set has no disease named " + name;
        } else {
          job->Ready = Load(set, *job, loaded);
          if (loaded == nullptr) loaded = job->Disease.get();
        }
        if (!job->Ready) Report(*job->Row);
      }
      for (auto& job : jobs) {
        if (!job->Ready) continue;
        ++set.Unfinished;
        Enqueue(std::move(job));
      }
      lock.unlock();
      Write(set, true);  // what finished while the disease was read
    }
    {
      std::lock_guard<std::mutex> lock(set.Mutex);
      set.Read = true;
      if (set.Unfinished == 0) Close(set);
    }
    Write(set, true);
  }

  // The disease with its stored options and the batch's changes; false (the row says why) when it
  // cannot be calculated. `loaded`: the same disease as read for another sex, copied instead of
  // read again.
  bool Load(Dataset& set, Job& job, const Tdiseaseam* loaded) {
    BatchRow& row = *job.Row;
    const int sex = row.Sex;
    set.Dialogs.Forget();
    // The data set's dialogs count every error shown: only this disease's own count against it.
    const int errorsBefore = set.Dialogs.ErrorsShown();
    try {
      // One read transaction for all the disease's queries: the file is locked and checked once.
      Database::Transaction reading(set.Data->Dataset(), false);
      DiseaseStore store = set.Session->Store();
      const bool asStored = !request_.Original;
      if (loaded != nullptr) {
        job.Disease = CopyForCalculation(*loaded);
        job.Disease->Sex = static_cast<std::uint8_t>(sex);
        // The stored trends are those of each sex.
        if (asStored) store.LoadTrends(*job.Disease, sex);
      } else {
        job.Disease = set.Session->LoadDisease(
            row.Disease, sex, kOriginalInputs | (asStored ? kAdjustedInputs : kRecordOnly));
      }
      if (!job.Disease || set.Dialogs.ErrorsShown() > errorsBefore) {
        // What could not be read is not calculated, nor copied for the other sex.
        job.Disease.reset();
        row.Message = set.Dialogs.Problem();
        return false;
      }
      Tdiseaseam& disease = *job.Disease;
      const bool storedAdjusted = HasAdjustedInputs(*set.Data, disease.InputId, sex);
      row.Inputs = asStored && storedAdjusted ? "adjusted" : "original";
      job.KeepAdjusted = !asStored && storedAdjusted && !request_.ReplaceAdjusted;
      bool anyInput = false;
      for (int v = 0; v < kVariableCount; ++v) anyInput = anyInput || disease.InputPresent[v][sex];
      if (!anyInput) {
        row.Status = BatchStatus::kNoInput;
        row.Message = "No input for " + std::string(kSexNames[static_cast<size_t>(sex)]);
        return false;
      }
      // The stored options of the sex with the batch's changes; the stored trends when they
      // apply and did not come with the adjusted inputs.
      CalculationRequest request;
      request.OptionChanges = request_.Options;
      request.TrendsLoaded = asStored;
      auto prepared = PrepareCalculation(disease, store, request);
      if (const auto* refusal = std::get_if<std::string>(&prepared)) {
        row.Message = *refusal;
        return false;
      }
      job.Options = std::get<CalcOptions>(prepared);
      if (set.Dialogs.ErrorsShown() > errorsBefore) {
        job.Disease.reset();
        row.Message = set.Dialogs.Problem();
        return false;
      }
      reading.Commit();
    } catch (const std::exception& e) {
      job.Disease.reset();
      row.Message = e.what();
      return false;
    }
    return true;
  }

  // The calculation, on the worker's own log and dialogs: nothing shared but the population.
  void Calculate(Job& job) {
    Dataset& set = *job.Set;
    BatchRow result;
    const auto start = std::chrono::steady_clock::now();
    UnattendedDialogs dialogs;
    MessagesLog log;
    try {
      Tdiseaseam& disease = *job.Disease;
      std::array<Series, kSexCount> otherCause{};
      const ModelEnvironment env{set.MaxAge, set.Population.AllCauseMortality, otherCause, log,
                                 &set.Population.PopulationNumbers};
      FitReport report;
      job.Calculated =
          RunCalculation(disease, env, job.Options, dialogs, &report) && dialogs.ErrorsShown() == 0;
      if (job.Calculated) {
        if (const FitReportRow* worst = report.Worst()) {
          result.WorstGroup =
              std::string(kVariableDisplayNames[static_cast<size_t>(worst->Variable)]) + " " +
              worst->Label;
          result.WorstDeviation = worst->Deviation;
        }
      } else {
        result.Message = dialogs.Problem().empty() ? "The calculation failed" : dialogs.Problem();
      }
    } catch (const std::exception& e) {
      job.Calculated = false;
      result.Message = e.what();
    }
    result.Warnings = dialogs.TakeWarnings();
    for (std::string& text : log.Texts()) {
      // The failure itself is the message; the log's own copy would repeat it.
      if (text != result.Message) result.Warnings.push_back(std::move(text));
    }
    result.Seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.Status = job.Calculated ? BatchStatus::kCalculated : BatchStatus::kFailed;

    std::lock_guard<std::mutex> lock(set.Mutex);
    BatchRow& row = *job.Row;
    row.Status = result.Status;
    row.Message = std::move(result.Message);
    row.WorstGroup = std::move(result.WorstGroup);
    row.WorstDeviation = result.WorstDeviation;
    row.Warnings = std::move(result.Warnings);
    row.Seconds = result.Seconds;
    Report(row);
  }

  // After the calculation: the save into the data set's group, the commit of a full group, and
  // the data set closed after its last job.
  void Finish(std::unique_ptr<Job> job) {
    Dataset& set = *job->Set;
    {
      std::lock_guard<std::mutex> waiting(set.WaitingMutex);
      set.Waiting.push_back(std::move(job));
    }
    Write(set, false);
  }

  // Writes the calculations waiting for the data set, by whoever finds nobody writing. wait false:
  // while the data set is being read they stay waiting, and its reader writes them after the
  // disease it is reading, so that no worker waits for another.
  void Write(Dataset& set, bool wait) {
    std::unique_lock<std::mutex> waiting(set.WaitingMutex);
    if (set.Writing) return;
    set.Writing = true;
    while (!set.Waiting.empty()) {
      std::vector<std::unique_ptr<Job>> jobs = std::exchange(set.Waiting, {});
      waiting.unlock();
      std::unique_lock<std::mutex> lock(set.Mutex, std::defer_lock);
      if (wait) {
        lock.lock();
      } else if (!lock.try_lock()) {
        waiting.lock();
        for (auto& later : set.Waiting) jobs.push_back(std::move(later));
        set.Waiting = std::move(jobs);
        set.Writing = false;
        return;
      }
      for (auto& done : jobs) {
        if (request_.Save && done->Calculated) Save(set, *done);
        done->Disease.reset();
        --set.Unfinished;
        if (static_cast<int>(set.InGroup.size()) >= request_.GroupSize) Commit(set);
      }
      if (set.Read && set.Unfinished == 0) Close(set);
      lock.unlock();
      jobs.clear();
      waiting.lock();
    }
    set.Writing = false;
  }

  void Save(Dataset& set, Job& job) {
    BatchRow& row = *job.Row;
    if (set.Broken) {
      NotSaved(row, set.BrokenMessage);
      return;
    }
    try {
      if (!set.Group) set.Group.emplace(set.Data->Dataset());
      Tdiseaseam& disease = *job.Disease;
      if (!set.Data->KavrelTable1().Locate("DiseaseName", disease.DiseaseName)) {
        NotSaved(row, "The disease is no longer in the data set");
        return;
      }
      DiseaseStore store = set.Session->Store();
      // Inputs another program changed since this disease was read: its result is not saved,
      // and the data set's other results are.
      if (store.InputsChangedOnDisk(disease)) {
        NotSaved(row, InputsChangedMessage(disease));
        return;
      }
      store.SaveResult(disease, true, !job.KeepAdjusted);
      set.InGroup.push_back(&row);
    } catch (const std::exception& e) {
      Break(set, e.what());
      NotSaved(row, set.BrokenMessage);
    }
  }

  void Commit(Dataset& set) {
    if (!set.Group) return;
    try {
      set.Group->Commit();
      for (BatchRow* row : set.InGroup) row->Status = BatchStatus::kSaved;
      set.InGroup.clear();
      set.Group.reset();
    } catch (const std::exception& e) {
      Break(set, e.what());
    }
  }

  // A save or commit failed: the open group is rolled back, its rows are not saved, and nothing
  // more is written to the data set.
  void Break(Dataset& set, const std::string& why) {
    set.Broken = true;
    set.BrokenMessage = "Not saved: " + why;
    set.Group.reset();
    for (BatchRow* row : set.InGroup) NotSaved(*row, set.BrokenMessage);
    set.InGroup.clear();
    try {
      set.Data->KavrelTable1().Refresh();
    } catch (const std::exception&) {
      // The cursor is not used again for writing.
    }
  }

  static void NotSaved(BatchRow& row, const std::string& why) {
    row.Status = BatchStatus::kFailed;
    row.Message = why.rfind("Not saved", 0) == 0 ? why : "Not saved: " + why;
  }

  void Close(Dataset& set) {
    if (!set.Data) return;
    Commit(set);
    set.Session.reset();
    set.Data.reset();
  }

  void FailDataset(Dataset& set, const std::string& why) {
    set.Rows.push_back({set.File, "", kMales});
    set.Rows.back().Message = why.empty() ? "The data set cannot be read" : why;
    set.Read = true;
    set.Session.reset();
    set.Data.reset();
    Planned(1);
    Report(set.Rows.back());
  }

  void Report(const BatchRow& row) {
    std::lock_guard<std::mutex> lock(observerMutex_);
    ++done_;
    observer_.Done(row, done_, planned_);
  }

  const BatchRequest& request_;
  BatchObserver& observer_;
  std::vector<std::unique_ptr<Dataset>> sets_;

  std::mutex mutex_;  // the queue below
  std::condition_variable wake_;
  std::deque<std::unique_ptr<Job>> jobs_;
  std::size_t nextSet_ = 0;
  int reading_ = 0;
  std::size_t lowWater_ = 8;

  std::mutex observerMutex_;
  int planned_ = 0;
  int done_ = 0;
};

}  // namespace

std::vector<BatchRow> RunBatch(const BatchRequest& request, BatchObserver& observer) {
  if (auto refusal = CheckOptionChanges(request.Options)) throw std::invalid_argument(*refusal);
  if (request.GroupSize < 1) throw std::invalid_argument("The group size must be at least 1");
  Batch batch(request, observer);
  return batch.Run();
}

const char* BatchStatusText(BatchStatus status) {
  switch (status) {
    case BatchStatus::kCalculated:
      return "calculated";
    case BatchStatus::kSaved:
      return "saved";
    case BatchStatus::kNoInput:
      return "no input";
    case BatchStatus::kFailed:
      return "failed";
  }
  return "failed";
}

namespace {

// A deviation (output / input - 1) in percent, as the windows and the warnings show it.
std::string PercentText(double deviation) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", 100.0 * deviation);
  return text;
}

}  // namespace

std::string BatchSummaryCsv(const std::vector<BatchRow>& rows) {
  std::string csv =
      "Dataset,File,Disease,Sex,Status,Inputs,Worst group,Worst deviation (%),Warnings,Seconds,"
      "Message\n";
  for (const BatchRow& row : rows) {
    std::string warnings;
    for (const std::string& warning : row.Warnings) {
      if (!warnings.empty()) warnings += "; ";
      warnings += warning;
    }
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.4f", row.Seconds);
    csv += CsvField(row.DatasetName) + ',' + CsvField(row.Dataset) + ',' + CsvField(row.Disease) +
           ',' +
           (row.Disease.empty() ? std::string()
                                : std::string(kSexNames[static_cast<size_t>(row.Sex)])) +
           ',' + BatchStatusText(row.Status) + ',' + row.Inputs + ',' + CsvField(row.WorstGroup) +
           ',' + (row.WorstDeviation ? PercentText(*row.WorstDeviation) : std::string()) + ',' +
           CsvField(warnings) + ',' + seconds + ',' + CsvField(row.Message) + '\n';
  }
  return csv;
}

}  // namespace kavrel

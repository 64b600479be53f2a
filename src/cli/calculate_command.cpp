#include "calculate_command.h"

#include <cstdio>
#include <filesystem>
#include <optional>

#include "cli_dialogs.h"
#include "cli_names.h"
#include "csv_output.h"
#include "engine/amoeba.h"
#include "engine/calc_options.h"
#include "engine/disease.h"
#include "engine/processing.h"
#include "exchange/population.h"
#include "opened_dataset.h"
#include "shell/messages_log.h"
#include "store/data_kavrel.h"
#include "store/datasets.h"
#include "store/settings.h"

namespace kavrel::cli {

int RunList(const CalculateOptions& options, std::ostream& out, std::ostream& err) {
  OpenedDataset set(err);
  if (!set.Open(options.dataset, options.collection)) return kError;
  TableCursor& diseases = set.data.KavrelTable1();
  out << "InputId,DiseaseName,ICDcode";
  for (int s = 0; s < kSexCount; ++s) {
    for (auto column : kInputFlagColumns[s]) out << ',' << column;
  }
  out << ",MOutput,FOutput,IncidencePopRate\n";
  diseases.First();
  for (int k = 0; k < diseases.RecordCount(); ++k) {
    if (k > 0) diseases.Next();
    out << diseases.Key() << ',' << CsvField(diseases.FieldText("DiseaseName")) << ','
        << CsvField(diseases.FieldText("ICDcode"));
    for (int s = 0; s < kSexCount; ++s) {
      for (auto column : kInputFlagColumns[s])
        out << ',' << (diseases.FieldBoolean(column) ? 1 : 0);
    }
    for (auto column : {"MOutput", "FOutput", "IncidencePopRate"}) {
      out << ',' << (diseases.FieldBoolean(column) ? 1 : 0);
    }
    out << '\n';
  }
  return 0;
}

int RunCalculate(const CalculateOptions& options, std::ostream& out, std::ostream& err) {
  const int sex = SexByName(options.sex);
  OpenedDataset set(err);
  if (!set.Open(options.dataset, options.collection)) return kError;

  PopulationSeries population;
  if (!set.LoadPopulationData(population)) return kError;

  Tdiseaseam disease(options.disease);
  if (!set.LocateDisease(options.disease, disease)) return kError;
  Tdisease::Store store{set.data, set.dialogs, set.maxAge};
  disease.LoadInputs(store);
  disease.Sex = static_cast<std::uint8_t>(sex);
  if (options.adjusted) {
    disease.LoadProcessedFlags(store);
    disease.LoadAdjusted(store, sex);
  }

  // The disease's stored options of the sex (defaults where none), then the command line's.
  disease.CalcSettings.LoadFromTable(sex, set.data, disease.InputId);
  CalcSettingsRecord& record = disease.CalcSettings.Records[static_cast<size_t>(sex)];
  for (const std::string& option : options.options) {
    const auto equals = option.find('=');
    if (equals == std::string::npos ||
        !Tcalcsettings::SetColumn(record, option.substr(0, equals), option.substr(equals + 1))) {
      err << "--option " << option
          << ": not a calculation options column with a value of its type (COLUMN=VALUE)\n";
      return kUsage;
    }
  }
  CalcOptionsWindowState windows;
  AmoebaWindowState simplex;
  ProcessingWindowState processing;
  windows.SetUpWeights(disease, sex);
  disease.CalcSettings.ShowInWindows(sex, windows, simplex, processing);
  if (options.trends) {
    if (!options.adjusted) disease.LoadTrends(store, sex);
    processing.TrendApplyChecked = true;
  } else {
    processing.TrendApplyChecked = false;
  }
  CalcControls controls{windows, simplex, processing, set.dialogs};
  std::array<Series, kSexCount> otherCause{};
  const ModelEnvironment calculation{set.maxAge, population.AllCauseMortality, otherCause, set.log};
  if (!SufficientInput(disease, sex)) {
    err << kInsufficientInputMessage << '\n';
    return kUsage;
  }
  if (!RunCalculation(disease, calculation, controls)) return kError;

  out << "Age,Incidence,Prevalence,Remission,Case fatality,Duration,Mortality,RR mortality\n";
  for (int a = 0; a <= set.maxAge; ++a) {
    out << a;
    for (int v = 0; v < kVariableCount; ++v)
      out << ',' << CsvNumber(disease.OutputSeries[v][sex][a]);
    out << '\n';
  }
  if (options.save) {
    set.dialogs.AnswerQuestionsWith(DialogButton::kYes);
    disease.SaveResult(store);
    if (!disease.CalcSettings.SaveToTable(sex, set.data, disease.InputId, set.dialogs)) {
      return kError;
    }
  }
  return 0;
}

}  // namespace kavrel::cli

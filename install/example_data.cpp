#include "example_data.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/base/messages_log.h"
#include "core/base/user_dialogs.h"
#include "core/base/vocabulary.h"
#include "core/engine/calc_settings.h"
#include "core/engine/demo_disease.h"
#include "core/engine/disease.h"
#include "core/store/data_kavrel.h"
#include "core/store/database.h"
#include "core/store/datasets.h"
#include "core/store/layout.h"

namespace kavrel::install {

namespace fs = std::filesystem;

namespace {

constexpr int kMaxAge = kExampleHighestAge;

// Rounds to the given number of significant digits, as a published table would.
double Published(double value, int digits = 3) {
  if (value == 0.0 || !std::isfinite(value)) return 0.0;
  const double scale = std::pow(10.0, digits - 1 - std::floor(std::log10(std::fabs(value))));
  return std::round(value * scale) / scale;
}

struct Group {
  int lage;
  int hage;  // first age after the group; kMaxAge + 1 for the open top group
};

// 0, 1-4, 5-9, ... 95-99, 100+ for the population tables.
std::vector<Group> LifeTableGroups() {
  std::vector<Group> groups = {{0, 1}, {1, 5}};
  for (int a = 5; a < kMaxAge; a += 5) groups.push_back({a, a + 5});
  groups.push_back({kMaxAge, kMaxAge + 1});
  return groups;
}

// 0-4, 5-9, ... 95-99, 100+ for the disease inputs.
std::vector<Group> FiveYearGroups() {
  std::vector<Group> groups;
  for (int a = 0; a < kMaxAge; a += 5) groups.push_back({a, a + 5});
  groups.push_back({kMaxAge, kMaxAge + 1});
  return groups;
}

// A weighted mean of a single-year series over a group.
double GroupMean(const Series& values, const Series& weights, const Group& g) {
  double sum = 0.0;
  double weight = 0.0;
  for (int a = g.lage; a < g.hage; ++a) {
    sum += values[a] * weights[a];
    weight += weights[a];
  }
  return weight > 0.0 ? sum / weight : 0.0;
}

// A population of about ten million: survivors of slowly growing birth cohorts.
std::array<Series, kSexCount> Population(const std::array<Series, kSexCount>& mortality) {
  std::array<Series, kSexCount> population{};
  double total = 0.0;
  for (int s = 0; s < kSexCount; ++s) {
    const double births = s == kMales ? 0.512 : 0.488;
    double alive = births;
    for (int a = 0; a <= kMaxAge; ++a) {
      // Person-years lived in the year of age, in cohorts born 0.4 % fewer each year back.
      const double surviving = alive * std::exp(-mortality[s][a]);
      population[s][a] = 0.5 * (alive + surviving) * std::exp(-0.004 * a);
      alive = surviving;
      total += population[s][a];
    }
  }
  for (auto& series : population) {
    for (double& n : series) n = std::round(n * 10.0e6 / total);
  }
  return population;
}

struct ExampleDisease {
  std::string name;
  std::string icd;
  std::string notes;
  // Single-year hazards per sex: incidence, remission, case fatality.
  std::function<void(int sex, int age, double& incidence, double& remission, double& fatality)>
      hazards;
  std::vector<Variable> inputs;
  bool incidencePopRate = false;
  bool adjustedInputs = false;
  double incidenceTrend = 1.0;        // yearly factor over the last 20 years; 1 for none
  std::string incidenceMaximum = {};  // the stored maximum of the fitted incidence; empty: default
};

std::vector<ExampleDisease> Diseases() {
  std::vector<ExampleDisease> list;
  list.push_back({"Asthma",
                  "J45 ",
                  "Synthetic example. Input: incidence, remission and case fatality, so the "
                  "model needs no fitting.",
                  [](int s, int a, double& i, double& r, double& f) {
                    i = (s == kMales ? 0.0040 : 0.0030) * std::exp(-0.03 * a) + 0.0008;
                    r = 0.08 * std::exp(-0.02 * a);
                    f = 0.0002 * std::exp(0.06 * a);
                  },
                  {kIncidence, kRemission, kCaseFatality}});
  list.push_back({"Ischaemic heart disease",
                  "I20-I25 ",
                  "Synthetic example. Input: prevalence, disease mortality and remission 0; "
                  "incidence and case fatality are fitted. Incidence in men passes 0.1 a year "
                  "after age 95, so its maximum is set to 0.5 in the calculation options.",
                  [](int s, int a, double& i, double& r, double& f) {
                    i = (s == kMales ? 1.0 : 0.55) * 0.00003 * std::exp(0.085 * a);
                    r = 0.0;
                    f = 0.004 * std::exp(0.05 * a);
                  },
                  {kPrevalence, kMortality, kRemission},
                  false,
                  false,
                  1.0,
                  "0.5"});
  list.push_back({"Colorectal cancer",
                  "C18-C20 ",
                  "Synthetic example. Input: incidence as a rate in the whole population, "
                  "remission (cure) and case fatality.",
                  [](int s, int a, double& i, double& r, double& f) {
                    i = (s == kMales ? 1.0 : 0.75) * 0.0000045 * std::exp(0.085 * a);
                    r = 0.09;
                    f = 0.05 + 0.001 * std::exp(0.05 * a);
                  },
                  {kIncidence, kRemission, kCaseFatality},
                  true});
  list.push_back({"Diabetes mellitus",
                  "E10-E14 ",
                  "Synthetic example. Input: prevalence, duration and relative risk of "
                  "mortality.",
                  [](int s, int a, double& i, double& r, double& f) {
                    i = 0.0001 + (s == kMales ? 1.0 : 0.85) * 0.00035 * std::exp(0.045 * a);
                    r = 0.0;
                    f = 0.0008 * std::exp(0.055 * a);
                  },
                  {kPrevalence, kDuration, kRRMortality}});
  list.push_back({"Stroke",
                  "I60-I69 ",
                  "Synthetic example. Input: incidence, remission and case fatality with "
                  "stored adjusted (single-year) inputs, and a fall of incidence of 1.5 % a "
                  "year over the last 20 years.",
                  [](int s, int a, double& i, double& r, double& f) {
                    i = (s == kMales ? 1.0 : 0.8) * 0.000012 * std::exp(0.085 * a);
                    r = 0.05;
                    f = 0.01 * std::exp(0.035 * a);
                  },
                  {kIncidence, kRemission, kCaseFatality},
                  false,
                  true,
                  0.985});
  return list;
}

std::string SeriesValues(const Series& series) {
  std::string values;
  for (int a = 0; a <= kMaxAge; ++a) values += ", " + StatementReal(series[a]);
  return values;
}

// The calculation options row of one sex: the defaults with the example's own changes.
std::string OptionsInsert(int id, int sex, const CalcSettingsRecord& r) {
  const auto b = [](bool v) { return std::string(StatementBool(v)); };
  const auto i = [](int v) { return std::to_string(v); };
  return "insert into CalculationOptions values (" + i(id) + ", " +
         Quote(kSexNames[static_cast<size_t>(sex)]) + ", " + i(r.Agegroup) + ", " +
         b(r.Linearsmooth) + ", " + b(r.MovAvsmooth) + ", " + b(r.CuSplinesmooth) + ", " +
         b(r.BirthPrev) + ", " + b(r.Only0) + ", " + b(r.Trends) + ", " + Quote(r.InciValue) +
         ", " + Quote(r.RemiValue) + ", " + Quote(r.CfatValue) + ", " + i(r.InciEnforce) + ", " +
         i(r.RemiEnforce) + ", " + i(r.CfatEnforce) + ", " + i(r.InciWeight) + ", " +
         i(r.PrevWeight) + ", " + i(r.RemiWeight) + ", " + i(r.CfatWeight) + ", " +
         i(r.DuraWeight) + ", " + i(r.MortWeight) + ", " + i(r.RRMortWeight) + ", " + b(r.InciIgn) +
         ", " + b(r.PrevIgn) + ", " + b(r.RemiIgn) + ", " + b(r.CfatIgn) + ", " + b(r.DuraIgn) +
         ", " + b(r.MortIgn) + ", " + b(r.RRMortIgn) + ", " + b(r.InciExact) + ", " +
         b(r.RemiExact) + ", " + b(r.CfatExact) + ", " + Quote(r.MaxIter) + ", " +
         Quote(r.Precision) + ", " + Quote(r.Simplex) + ", " + Quote(r.Alpha) + ", " +
         Quote(r.Beta) + ", " + Quote(r.Gamma) + ", " + i(r.FitMethod) + ", " +
         Quote(r.FitSmoothness) + ")";
}

void WriteDisease(Database& db, const ExampleDisease& example, int id,
                  const std::array<Series, kSexCount>& mortality,
                  const std::array<Series, kSexCount>& population) {
  MessagesLog log;
  std::array<Series, kSexCount> otherCause{};
  const ModelEnvironment env{kMaxAge, mortality, otherCause, log};
  Tdisease disease(example.name);
  for (int s = 0; s < kSexCount; ++s) {
    for (int a = 0; a <= kMaxAge; ++a) {
      example.hazards(s, a, disease.InputSeries[kIncidence][s][a],
                      disease.InputSeries[kRemission][s][a],
                      disease.InputSeries[kCaseFatality][s][a]);
    }
  }

  const std::string name = Quote(example.name);
  std::string flags;
  for (int s = 0; s < kSexCount; ++s) {
    disease.Sex = static_cast<std::uint8_t>(s);
    disease.Trends[0].Blocks.clear();  // the trend belongs to the current sex
    if (example.incidenceTrend != 1.0) {
      disease.Trends[0].Blocks = {{-20, 0, example.incidenceTrend}};
    }
    disease.TrendsOn = disease.CheckTrends();
    disease.CalculatePlain(env, false);
    const std::string sex = Quote(kSexNames[static_cast<size_t>(s)]);
    for (Variable v : example.inputs) {
      Series values = disease.ModelSeries[v][s];
      if (v == kIncidence && example.incidencePopRate) {
        // New cases per person in the whole population: the hazard among the healthy times
        // the share that is healthy.
        for (int a = 0; a <= kMaxAge; ++a)
          values[a] *= 1.0 - disease.ModelSeries[kPrevalence][s][a];
      }
      for (const Group& g : FiveYearGroups()) {
        const double value = Published(GroupMean(values, population[s], g));
        db.Exec("insert into " + InputTable(v) + " values (" + name + ", " + std::to_string(id) +
                ", " + sex + ", " + std::to_string(g.lage) + ", " + std::to_string(g.hage) + ", " +
                StatementReal(value) + ")");
      }
      flags += ", " + std::string(kInputFlagColumns[static_cast<size_t>(s)][v]) + "=True";
      if (example.adjustedInputs) {
        db.Exec("insert into " + IntermTable(v) + " values (" + name + ", " + std::to_string(id) +
                ", " + sex + SeriesValues(disease.InputSeries[v][s]) + ")");
        flags += ", " + std::string(kProcessedFlagColumns[static_cast<size_t>(s)][v]) + "=True";
      }
    }
    if (example.incidenceTrend != 1.0) {
      db.Exec("insert into Trends values (" + name + ", " + std::to_string(id) + ", " + sex +
              ", 'Incidence', -20, 0, " + StatementReal(example.incidenceTrend) + ")");
    }
    if (example.incidenceTrend != 1.0 || !example.incidenceMaximum.empty()) {
      CalcSettingsRecord options;
      options.Trends = example.incidenceTrend != 1.0;
      if (!example.incidenceMaximum.empty()) options.InciValue = example.incidenceMaximum;
      db.Exec(OptionsInsert(id, s, options));
    }
  }
  db.Exec("insert into InputDiseases (InputId, DiseaseName, ICDcode, Remarks) values (" +
          std::to_string(id) + ", " + name + ", " + Quote(example.icd) + ", " +
          Quote(example.notes) + ")");
  db.Exec("update InputDiseases set IncidencePopRate=" +
          std::string(StatementBool(example.incidencePopRate)) + flags +
          " where InputId=" + std::to_string(id));
}

}  // namespace

void BuildTemplates(const std::string& programDir) {
  const fs::path templates = fs::path(programDir) / "Templates";
  fs::create_directories(templates);
  BuildInputTemplate((templates / "KavrelInputTemplate.mdb").string());
  BuildCollectionTemplate((templates / "KavrelCollectionTemplate.mdb").string());
}

namespace {

// The variation of one data set of a study: its mortality level and its population size.
struct DatasetVariation {
  double mortality = 1.0;
  double persons = 10.0e6;
};

// Writes a data set file of the example's layout: mortality, population and the diseases.
void WriteDatasetFile(TDataKavrel& module, const std::string& file,
                      const std::vector<ExampleDisease>& diseases,
                      const DatasetVariation& variation) {
  module.OpenDataset(file);
  Database& db = module.Dataset();
  {
    Database::Transaction transaction(db);
    CreateSeriesTables(db, kMaxAge);
    auto mortality = DemoAllCauseMortality(kMaxAge);
    for (auto& series : mortality) {
      for (double& m : series) m = std::min(1.0, m * variation.mortality);
    }
    auto population = Population(mortality);
    for (auto& series : population) {
      for (double& n : series) n = std::round(n * variation.persons / 10.0e6);
    }
    for (const Group& g : LifeTableGroups()) {
      const auto at = [&](int s) {
        return GroupMean(mortality[static_cast<size_t>(s)], population[static_cast<size_t>(s)], g);
      };
      db.Exec(PopulationGroupInsert("TotalMortality", g.lage, g.hage, Published(at(kMales), 4),
                                    Published(at(kFemales), 4)));
      double males = 0.0;
      double females = 0.0;
      for (int a = g.lage; a < g.hage; ++a) {
        males += population[kMales][a];
        females += population[kFemales][a];
      }
      db.Exec(PopulationGroupInsert("Population", g.lage, g.hage, males, females));
    }
    db.Exec(kCreateCalculationOptions);
    db.Exec(CreateIndexStatement("CalculationOptions", "InputID"));
    int id = 0;
    for (const auto& disease : diseases) WriteDisease(db, disease, ++id, mortality, population);
    transaction.Commit();
  }
  module.CloseDataset();
}

TDataKavrel& ModuleOnTemplates(TDataKavrel& module, const std::string& programDir) {
  const fs::path templates = fs::path(programDir) / "Templates";
  module.InputTemplatePath = (templates / "KavrelInputTemplate.mdb").string();
  module.CollectionTemplatePath = (templates / "KavrelCollectionTemplate.mdb").string();
  return module;
}

// A uniform number in [low, high) from the generator.
double Uniform(std::mt19937& random, double low, double high) {
  return low + (high - low) * (static_cast<double>(random()) + 0.5) / 4294967296.0;
}

// Disease k of a study: the example's kind k mod 5 with its levels and age slopes varied.
ExampleDisease StudyDisease(const std::vector<ExampleDisease>& kinds, int k, std::mt19937& random) {
  ExampleDisease disease = kinds[static_cast<size_t>(k) % kinds.size()];
  disease.name += " " + std::to_string(k / static_cast<int>(kinds.size()) + 1);
  disease.notes = "Synthetic study disease, a variation of the example's " +
                  kinds[static_cast<size_t>(k) % kinds.size()].name + ".";
  const double incidence = std::exp(Uniform(random, -0.5, 0.5));
  const double slope = Uniform(random, -0.008, 0.008);
  const double remission = std::exp(Uniform(random, -0.3, 0.3));
  const double fatality = std::exp(Uniform(random, -0.4, 0.4));
  const auto base = disease.hazards;
  disease.hazards = [=](int s, int a, double& i, double& r, double& f) {
    base(s, a, i, r, f);
    i *= incidence * std::exp(slope * (a - 50));
    r *= remission;
    f *= fatality;
  };
  return disease;
}

}  // namespace

void BuildExampleData(const std::string& programDir, const std::string& dataDir) {
  const fs::path templates = fs::path(programDir) / "Templates";
  const fs::path data = fs::path(dataDir) / "data";
  fs::create_directories(data);
  const std::string example = (data / "Example.mdb").string();
  const std::string local = (fs::path(dataDir) / "KavrelLocal.mdb").string();
  fs::remove(example);
  fs::remove(local);

  ScriptedDialogs dialogs;  // nothing is asked while building
  TDataKavrel module(dialogs);
  ModuleOnTemplates(module, programDir);
  if (!module.NewDatasetFile(example) || !module.NewCollectionFile(local)) {
    throw InOutError("Cannot copy the templates from " + templates.string());
  }
  WriteDatasetFile(module, example, Diseases(), {});
  module.CompactDatabase(example);

  module.OpenCollection(local);
  module.ExecCollection(
      "insert into Datasets (DataSetName, DataBaseName, ReadOnly, Group1, Group2, Group3, "
      "HighestAge, DatasetNotes) values ('Example', " +
      Quote((fs::path("data") / "Example.mdb").string()) +
      ", No, 'Example country ', 'Example ', ' ', " + std::to_string(kMaxAge) +
      ", 'A synthetic population of about ten million with a life-table shaped mortality, and "
      "five example diseases whose inputs were generated from smooth hazards through the model "
      "and rounded as published figures would be. None of it describes a real country.')");
  module.CloseCollection();
}

std::vector<std::string> BuildStudy(const std::string& programDir, const std::string& dir,
                                    int datasets, int diseases, unsigned seed) {
  if (datasets < 1 || diseases < 1) {
    throw std::invalid_argument("A study needs at least one data set and one disease");
  }
  fs::create_directories(dir);
  ScriptedDialogs dialogs;
  TDataKavrel module(dialogs);
  ModuleOnTemplates(module, programDir);
  const auto kinds = Diseases();
  std::mt19937 random(seed);
  std::vector<std::string> files;
  const int digits = std::max(3, static_cast<int>(std::to_string(datasets).size()));
  for (int d = 1; d <= datasets; ++d) {
    std::string number = std::to_string(d);
    number.insert(0, static_cast<size_t>(digits) - number.size(), '0');
    const std::string file = (fs::path(dir) / ("region-" + number + ".mdb")).string();
    fs::remove(file);
    if (!module.NewDatasetFile(file)) {
      throw InOutError("Cannot copy the data set template from " + module.InputTemplatePath);
    }
    DatasetVariation variation;
    variation.mortality = std::exp(Uniform(random, -0.3, 0.3));
    variation.persons = std::round(std::exp(Uniform(random, std::log(2.0e5), std::log(5.0e7))));
    std::vector<ExampleDisease> list;
    for (int k = 0; k < diseases; ++k) list.push_back(StudyDisease(kinds, k, random));
    WriteDatasetFile(module, file, list, variation);
    files.push_back(file);
  }
  return files;
}

}  // namespace kavrel::install

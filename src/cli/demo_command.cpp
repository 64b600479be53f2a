#include "cli/demo_command.h"

#include <cstdio>
#include <memory>
#include <string>

#include "cli/command.h"
#include "cli/csv_output.h"
#include "core/base/errors.h"
#include "core/base/messages_log.h"
#include "core/engine/demo_disease.h"
#include "core/engine/disease.h"

namespace kavrel::cli {

int RunDemo(const DemoOptions& options, std::ostream& out, std::ostream& err) {
  MessagesLog log;
  log.SetListener([&err](const std::string& line) { err << line << '\n'; });

  const int maxAge = options.maxAge;
  const auto allCause = DemoAllCauseMortality(maxAge);
  std::array<Series, kSexCount> otherCause{};
  const ModelEnvironment env{maxAge, allCause, otherCause, log, nullptr};

  Tdisease disease("Demonstration disease");
  FillDemoHazards(disease, maxAge);
  disease.Sex = static_cast<std::uint8_t>(options.sex);
  if (options.trend) {
    disease.Trends[0].Blocks.push_back({-20, 0, 1.02});
  }
  disease.TrendsOn = disease.CheckTrends();
  try {
    disease.CalculatePlain(env, false);
  } catch (const ArithmeticError& e) {
    err << e.what() << '\n';
    return 1;
  }

  if (options.table) {
    char line[256];
    std::snprintf(line, sizeof line, "%5s  %-8s %11s %11s %11s %11s %11s %11s %11s %11s\n", "Age",
                  "Sex", "Incidence", "Prevalence", "Remission", "Casefatal", "Duration",
                  "Mortality", "RR mort", "All-cause");
    out << line;
    for (int a = 0; a <= maxAge; a += options.step) {
      const int s = disease.Sex;
      const auto& m = disease.ModelSeries;
      std::snprintf(line, sizeof line,
                    "%5d  %-8s %11.6f %11.6f %11.6f %11.6f %11.3f %11.6f %11.3f %11.6f\n", a,
                    std::string(kSexNames[s]).c_str(), m[kIncidence][s][a], m[kPrevalence][s][a],
                    m[kRemission][s][a], m[kCaseFatality][s][a], m[kDuration][s][a],
                    m[kMortality][s][a], m[kRRMortality][s][a], allCause[s][a]);
      out << line;
    }
    return 0;
  }
  out << "Age,Sex";
  for (auto name : kVariableCaptions) out << ',' << name;
  out << ",All-cause mortality\n";
  for (int a = 0; a <= maxAge; a += options.step) {
    out << a << ',' << kSexNames[disease.Sex];
    for (int v = 0; v < kVariableCount; ++v) {
      out << ',' << CsvNumber(disease.ModelSeries[v][disease.Sex][a]);
    }
    out << ',' << CsvNumber(allCause[disease.Sex][a]) << '\n';
  }
  return 0;
}

void RegisterDemo(Commands& commands) {
  auto demo = std::make_shared<DemoOptions>();
  auto sex = std::make_shared<std::string>("Males");
  CLI::App* command = commands.Add(
      "demo", "Run the model on a synthetic demonstration disease and print all seven variables",
      [demo, sex](std::ostream& out, std::ostream& err) {
        demo->sex = CLI::detail::to_lower(*sex) == "females" ? 1 : 0;
        try {
          return RunDemo(*demo, out, err);
        } catch (const std::exception& e) {
          err << e.what() << '\n';
          return 1;
        }
      });
  command->add_option("--max-age", demo->maxAge, "Highest age")->check(CLI::Range(0, 110));
  command->add_option("--sex", *sex, "Males or Females")
      ->check(CLI::IsMember({"Males", "Females"}, CLI::ignore_case));
  command->add_option("--every", demo->step, "Print every n-th age")->check(CLI::Range(1, 110));
  command->add_flag("--trend", demo->trend,
                    "Let incidence have risen 2 % a year over the last 20 years");
  command->add_flag("--table", demo->table, "Aligned columns for reading instead of CSV");
}

}  // namespace kavrel::cli

#include "demo_command.h"

#include <cstdio>
#include <string>

#include "csv_output.h"
#include "engine/arithmetic_error.h"
#include "engine/demo_disease.h"
#include "engine/disease.h"
#include "shell/messages_log.h"

namespace kavrel::cli {

int RunDemo(const DemoOptions& options, std::ostream& out, std::ostream& err) {
  MessagesLog log;
  log.SetListener([&err](const std::string& line) { err << line << '\n'; });

  const int maxAge = options.maxAge;
  const auto allCause = DemoAllCauseMortality(maxAge);
  std::array<Series, kSexCount> otherCause{};
  const ModelEnvironment env{maxAge, allCause, otherCause, log};

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

}  // namespace kavrel::cli

#include "core/results/fit_table.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "core/base/number_text.h"
#include "core/engine/disease.h"
#include "core/engine/fit_report.h"

namespace kavrel {

TableText FitReportTable(const Tdisease& disease, int sex, int maxAge,
                         const std::array<Series, kSexCount>* population, int thresholdPercent) {
  TableText text;
  text.Headers = {"Variable", "Age group",     "Input",
                  "Output",   "Deviation (%)", "Beyond " + std::to_string(thresholdPercent) + " %"};
  text.Groups.assign(text.Headers.size(), "");
  text.Decimals.assign(text.Headers.size(), 0);
  text.Sex = sex;
  if (!disease.Calculated[sex]) return text;
  for (const FitReportRow& row : BuildFitReport(disease, sex, maxAge, population).Rows) {
    std::string deviation;
    if (row.Deviation) {
      char buffer[32];
      std::snprintf(buffer, sizeof buffer, "%+.2f", 100.0 * *row.Deviation);
      deviation = buffer;
    }
    const bool beyond = row.Deviation && std::fabs(*row.Deviation) > thresholdPercent / 100.0;
    text.Rows.push_back({std::string(kVariableDisplayNames[row.Variable]), row.Label,
                         NumberText(row.Input, 4), NumberText(row.Output, 4), deviation,
                         std::string(beyond ? 1 : 0, '*')});
  }
  return text;
}

}  // namespace kavrel

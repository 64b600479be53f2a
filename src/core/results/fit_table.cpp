#include "core/results/fit_table.h"

#include <algorithm>
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
  text.Headers = {
      "Variable",        "Age group",     "Input",
      "Output",          "Deviation (%)", "Difference",
      "Standard errors", "Precision",     "Beyond " + std::to_string(thresholdPercent) + " %"};
  text.Groups.assign(text.Headers.size(), "");
  text.Decimals.assign(text.Headers.size(), 0);
  text.Sex = sex;
  if (!disease.Calculated[sex]) return text;
  const FitReport report = BuildFitReport(disease, sex, maxAge, population);
  const auto beyondRows = report.Beyond(thresholdPercent / 100.0);
  for (const FitReportRow& row : report.Rows) {
    char buffer[64];
    std::string deviation;
    if (row.Deviation) {
      std::snprintf(buffer, sizeof buffer, "%+.2f", 100.0 * *row.Deviation);
      deviation = buffer;
    }
    std::string residual;
    if (row.Residual) {
      std::snprintf(buffer, sizeof buffer, "%+.1f", *row.Residual);
      residual = buffer;
    }
    std::string precision;
    if (row.Precision.Type == InputPrecision::Kind::kCount) {
      precision =
          NumberText(row.Precision.Count, 6) + " of " + NumberText(row.Precision.Denominator, 6);
    } else if (row.Precision.Type == InputPrecision::Kind::kInterval) {
      precision = NumberText(row.Precision.Lower, 4) + " to " + NumberText(row.Precision.Upper, 4);
    }
    const bool beyond = std::find(beyondRows.begin(), beyondRows.end(), &row) != beyondRows.end();
    text.Rows.push_back({std::string(kVariableDisplayNames[row.Variable]), row.Label,
                         NumberText(row.Input, 4), NumberText(row.Output, 4), deviation,
                         NumberText(row.Difference, 3), residual, precision,
                         std::string(beyond ? 1 : 0, '*')});
  }
  return text;
}

}  // namespace kavrel

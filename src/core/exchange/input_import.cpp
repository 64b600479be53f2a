#include "core/exchange/input_import.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <optional>

#include "core/base/input_precision.h"
#include "core/base/number_text.h"
#include "core/base/vocabulary.h"
#include "core/engine/input_checks.h"
#include "core/store/data_kavrel.h"
#include "core/store/database.h"
#include "core/store/disease_list.h"
#include "core/store/input_precision_store.h"
#include "core/store/layout.h"
#include "core/store/output_intervals_store.h"
#include "core/store/table_cursor.h"

namespace kavrel {

namespace {

std::optional<int> VariableNamed(const std::string& name) {
  const std::string wanted = SimpleName(name);
  for (int v = 0; v < kVariableCount; ++v) {
    if (SimpleName(kVariableDisplayNames[v]) == wanted ||
        SimpleName(kVariableTableWords[v]) == wanted) {
      return v;
    }
  }
  return std::nullopt;
}

std::optional<int> SexNamed(const std::string& name) {
  const std::string s = SimpleName(name);
  if (s == "males" || s == "male" || s == "men" || s == "m") return kMales;
  if (s == "females" || s == "female" || s == "women" || s == "f") return kFemales;
  return std::nullopt;
}

std::optional<bool> YesNo(const std::string& text) {
  const std::string s = SimpleName(text);
  if (s.empty() || s == "no" || s == "false" || s == "0") return false;
  if (s == "yes" || s == "true" || s == "1") return true;
  return std::nullopt;
}

struct Row {
  int Line;
  int Lage;
  int Hage;
  double Value;
  InputPrecision Precision;
};

bool Blank(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

struct Disease {
  std::string Name;
  std::string Icd;
  std::optional<bool> PopulationRate;
  int PopulationRateLine = 0;
  std::array<std::array<std::vector<Row>, kSexCount>, kVariableCount> Rows;
};

}  // namespace

ImportOutcome ImportInputs(TDataKavrel& data, const CsvTable& table, int maxAge) {
  ImportOutcome outcome;
  auto& refusals = outcome.Refusals;
  const auto refuse = [&refusals](int line, const std::string& why) {
    refusals.push_back("Line " + std::to_string(line) + ": " + why);
  };
  refusals = table.Refusals;
  if (table.Headings.empty()) {
    refusals.emplace_back("The file is empty: it needs a line of headings and a line per value");
    return outcome;
  }
  const std::vector<int> column = table.Columns(kImportHeadings, kImportOptionalHeadings, refusals);
  if (!refusals.empty()) return outcome;
  table.RefuseExtraFields(refusals);
  const auto number = [&table](const std::string& text) { return table.Number(text); };

  std::vector<Disease> diseases;
  for (const CsvRow& row : table.Rows) {
    const int line = row.Line;
    const auto field = [&](int h) {
      return CsvTable::Field(row, column[static_cast<std::size_t>(h)]);
    };
    const std::string name = Trim(field(0));
    if (name.empty()) {
      refuse(line, "the disease has no name");
      continue;
    }
    const auto sex = SexNamed(field(2));
    const auto variable = VariableNamed(field(3));
    const auto from = number(field(4));
    const std::string toText = field(5);
    const bool open = toText.find_first_not_of(' ') == std::string::npos;
    const auto to = open ? std::optional<double>(maxAge) : number(toText);
    const auto value = number(field(6));
    bool fine = true;
    if (!sex) {
      refuse(line, "\"" + field(2) + "\" is no sex (Males or Females)");
      fine = false;
    }
    if (!variable) {
      refuse(line, "\"" + field(3) +
                       "\" is no variable (Incidence, Prevalence, Remission, Case fatality, "
                       "Duration, Mortality or RR mortality)");
      fine = false;
    }
    const bool fromFine = from && *from == static_cast<int>(*from) && *from >= 0 && *from <= maxAge;
    if (!fromFine) {
      refuse(line, "\"" + field(4) + "\" is no age from 0 to " + std::to_string(maxAge));
      fine = false;
    }
    if (!to || *to != static_cast<int>(*to) || (fromFine && *to < *from)) {
      refuse(line, "\"" + toText +
                       "\" is no last age of the group (at least the first; empty "
                       "for the open top group)");
      fine = false;
    } else if (*to > maxAge) {
      refuse(line, "\"" + toText + "\" is beyond the highest age of the data set, " +
                       std::to_string(maxAge) + " (leave \"Age to\" empty for the open top group)");
      fine = false;
    }
    if (!value) {
      refuse(line, "\"" + field(6) + "\" is no number (this file writes one and a half as " +
                       table.NumberExample() + ")");
      fine = false;
    }
    if (!fine) continue;
    const std::string where = std::string(kVariableDisplayNames[*variable]) + " of " + name +
                              " for " + std::string(kSexNames[*sex]);
    if (auto refusal = CheckInputValue(*variable, *value, where)) {
      refuse(line, *refusal);
      continue;
    }
    // The group's precision: a count and its denominator, or a 95 % interval, or neither.
    InputPrecision precision;
    const auto pair = [&](int first, InputPrecision::Kind kind, double& a, double& b) {
      if (column[first] < 0 && column[first + 1] < 0) return true;
      const std::string textA = column[first] >= 0 ? field(first) : std::string();
      const std::string textB = column[first + 1] >= 0 ? field(first + 1) : std::string();
      if (Blank(textA) && Blank(textB)) return true;
      const auto numberA = number(textA);
      const auto numberB = number(textB);
      if (!numberA || !numberB) {
        refuse(line, "\"" + (numberA ? textB : textA) + "\" is no number; give both " +
                         kImportOptionalHeadings[static_cast<std::size_t>(first - 7)] + " and " +
                         kImportOptionalHeadings[static_cast<std::size_t>(first - 6)] +
                         ", or neither");
        return false;
      }
      if (precision.Known()) {
        refuse(line, "give a count and its denominator or an interval, not both");
        return false;
      }
      precision.Type = kind;
      a = *numberA;
      b = *numberB;
      return true;
    };
    if (!pair(8, InputPrecision::Kind::kCount, precision.Count, precision.Denominator) ||
        !pair(10, InputPrecision::Kind::kInterval, precision.Lower, precision.Upper)) {
      continue;
    }
    if (auto problem = PrecisionProblem(*variable, *value, precision)) {
      refuse(line, "the precision of " + where + ": " + *problem);
      continue;
    }
    auto found = std::find_if(diseases.begin(), diseases.end(),
                              [&name](const Disease& d) { return d.Name == name; });
    if (found == diseases.end()) {
      // One disease, one name: a name that differs from another only in letter case or blanks
      // at either end would make two diseases the user cannot tell apart.
      const auto alike = std::find_if(diseases.begin(), diseases.end(), [&name](const Disease& d) {
        return DiseaseNameKey(d.Name) == DiseaseNameKey(name);
      });
      if (alike != diseases.end()) {
        refuse(line, "\"" + name + "\" and \"" + alike->Name +
                         "\" (on an earlier line) would be two diseases of one name");
        continue;
      }
      if (auto stored = SimilarDiseaseName(data.Dataset(), name); stored && *stored != name) {
        refuse(line, "the data set has a disease named \"" + *stored +
                         "\"; write its name as it "
                         "stands to replace its inputs, or choose another name");
        continue;
      }
      diseases.push_back(Disease{name, "", std::nullopt, 0, {}});
      found = diseases.end() - 1;
    }
    if (found->Icd.empty()) found->Icd = Trim(field(1));
    if (column[7] >= 0) {
      const auto rate = YesNo(field(7));
      if (!rate) {
        refuse(line, "\"" + field(7) + "\" is no yes or no");
      } else if (found->PopulationRate && *found->PopulationRate != *rate) {
        refuse(line, "incidence of " + name + " was said to be " +
                         (*found->PopulationRate ? "" : "no ") + "population rate on line " +
                         std::to_string(found->PopulationRateLine));
      } else if (!found->PopulationRate) {
        found->PopulationRate = rate;
        found->PopulationRateLine = line;
      }
    }
    const int lage = static_cast<int>(*from);
    const int hage = *to >= maxAge ? maxAge + 1 : static_cast<int>(*to) + 1;
    found->Rows[*variable][*sex].push_back(Row{line, lage, hage, *value, precision});
  }
  // Each variable's groups of each sex: in order, not overlapping.
  for (Disease& d : diseases) {
    for (int v = 0; v < kVariableCount; ++v) {
      for (int s = 0; s < kSexCount; ++s) {
        auto& rows = d.Rows[v][s];
        if (rows.empty()) continue;
        std::stable_sort(rows.begin(), rows.end(),
                         [](const Row& a, const Row& b) { return a.Lage < b.Lage; });
        for (std::size_t k = 1; k < rows.size(); ++k) {
          if (rows[k].Lage < rows[k - 1].Hage) {
            refuse(rows[k].Line, "the age group " + GroupLabel(rows[k].Lage, rows[k].Hage, maxAge) +
                                     " of " + std::string(kVariableDisplayNames[v]) + " of " +
                                     d.Name + " for " + std::string(kSexNames[s]) +
                                     " overlaps the group " +
                                     GroupLabel(rows[k - 1].Lage, rows[k - 1].Hage, maxAge) +
                                     " on line " + std::to_string(rows[k - 1].Line));
          }
        }
      }
    }
  }
  if (diseases.empty() && refusals.empty()) refusals.emplace_back("The file holds no values");
  if (!refusals.empty()) return outcome;

  // Stored in one transaction: all of it or, should anything fail, nothing.
  Database& db = data.Dataset();
  {
    Database::Transaction transaction(db);
    for (const Disease& d : diseases) {
      std::int64_t id = 0;
      {
        QueryResult existing =
            db.Query("select InputId from InputDiseases where DiseaseName=" + Quote(d.Name));
        if (existing.RecordCount() > 0) id = existing.AsInteger(0);
      }
      std::string flags;
      for (int s = 0; s < kSexCount; ++s) {
        for (int v = 0; v < kVariableCount; ++v) {
          flags += std::string(kInputFlagColumns[s][v]) + "=" +
                   std::string(StatementBool(!d.Rows[v][s].empty())) + ", ";
        }
      }
      const bool rate = d.PopulationRate.value_or(false);
      if (id > 0) {
        // New inputs: the results and adjusted inputs made from the old ones no longer belong to
        // the disease, and a later calculation must not start from them.
        for (int v = 0; v < kVariableCount; ++v) {
          for (const std::string& table : {InputTable(v), IntermTable(v), OutputTable(v)}) {
            db.Exec("delete from " + table + " where InputId=" + std::to_string(id));
          }
        }
        DeleteInputPrecision(db, id);
        DeleteOutputIntervals(db, id);
        for (int s = 0; s < kSexCount; ++s) {
          flags +=
              std::string(kOutputFlagColumns[s]) + "=" + std::string(StatementBool(false)) + ", ";
          for (int v = 0; v < kVariableCount; ++v) {
            flags += std::string(kProcessedFlagColumns[s][v]) + "=" +
                     std::string(StatementBool(false)) + ", ";
          }
        }
        db.Exec("update InputDiseases set " + flags + "ICDcode=" + Quote(d.Icd + " ") +
                ", IncidencePopRate=" + std::string(StatementBool(rate)) +
                " where InputId=" + std::to_string(id));
        outcome.Replaced.push_back(d.Name);
      } else {
        db.Exec("insert into InputDiseases (DiseaseName, ICDcode) values (" + Quote(d.Name) + ", " +
                Quote(d.Icd + " ") + ")");
        id = db.LastInsertId();
        db.Exec("update InputDiseases set " + flags + "IncidencePopRate=" +
                std::string(StatementBool(rate)) + " where InputId=" + std::to_string(id));
        outcome.Added.push_back(d.Name);
      }
      for (int v = 0; v < kVariableCount; ++v) {
        for (int s = 0; s < kSexCount; ++s) {
          for (const Row& row : d.Rows[v][s]) {
            db.Exec("insert into " + InputTable(v) + " values (" + Quote(d.Name) + ", " +
                    std::to_string(id) + ", " + Quote(kSexNames[static_cast<std::size_t>(s)]) +
                    ", " + std::to_string(row.Lage) + ", " + std::to_string(row.Hage) + ", " +
                    StatementReal(row.Value) + ")");
            ++outcome.Rows;
          }
          std::vector<PrecisionRow> precision;
          for (const Row& row : d.Rows[v][s]) {
            precision.push_back({row.Lage, row.Hage, row.Precision});
          }
          WriteInputPrecision(db, id, v, s, precision);
        }
      }
    }
    transaction.Commit();
  }
  if (data.KavrelTable1().Active()) data.KavrelTable1().Refresh();
  return outcome;
}

PopulationImport ReadPopulationGroups(const CsvTable& table, int highestAge) {
  PopulationImport result;
  auto& refusals = result.Refusals;
  refusals = table.Refusals;
  if (table.Headings.empty()) {
    refusals.emplace_back("The file is empty: it needs a line of headings and a line per group");
    return result;
  }
  const std::vector<int> column = table.Columns(kPopulationHeadings, {}, refusals);
  if (!refusals.empty()) return result;
  table.RefuseExtraFields(refusals);
  int nextAge = 0;  // where the next group must start
  for (const CsvRow& row : table.Rows) {
    const std::string line = "Line " + std::to_string(row.Line) + ": ";
    const auto field = [&](std::size_t h) { return CsvTable::Field(row, column[h]); };
    const auto from = table.Number(field(0));
    const bool open = field(1).find_first_not_of(' ') == std::string::npos;
    const auto to = open ? std::optional<double>(highestAge) : table.Number(field(1));
    if (!from || !to || *from != static_cast<int>(*from) || *to != static_cast<int>(*to) ||
        *from < 0 || *to < *from) {
      refusals.push_back(line + "\"" + field(0) + "\" to \"" + field(1) + "\" is no age group");
      continue;
    }
    if (*to > highestAge) {
      refusals.push_back(line + "\"" + field(1) + "\" is beyond the highest age, " +
                         std::to_string(highestAge) +
                         " (leave \"Age to\" empty for the open top group)");
      continue;
    }
    PopulationGroup group{static_cast<int>(*from),
                          *to >= highestAge ? highestAge + 1 : static_cast<int>(*to) + 1,
                          {}};
    bool fine = true;
    if (group.Lage != nextAge) {
      refusals.push_back(line + "the group should start at age " + std::to_string(nextAge));
      fine = false;
    }
    nextAge = group.Hage;
    for (std::size_t c = 0; c < 4; ++c) {
      const auto value = table.Number(field(c + 2));
      const bool mortality = c < 2;
      if (!value || *value < 0.0 || (mortality && *value <= 0.0)) {
        refusals.push_back(line + "\"" + field(c + 2) + "\" is no " +
                           (mortality ? "mortality above 0" : "number of persons") + " (" +
                           kPopulationHeadings[c + 2] + "; this file writes one and a half as " +
                           table.NumberExample() + ")");
        fine = false;
      } else {
        group.Values[c] = *value;
      }
    }
    if (fine) result.Groups.push_back(group);
  }
  if (refusals.empty() && (result.Groups.empty() || result.Groups.back().Hage != highestAge + 1)) {
    refusals.push_back("The groups must reach the highest age, " + std::to_string(highestAge) +
                       " (an empty \"Age to\" for the last)");
  }
  return result;
}

}  // namespace kavrel

#include "core/exchange/input_import.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <optional>

#include "core/base/number_text.h"
#include "core/base/vocabulary.h"
#include "core/engine/input_checks.h"
#include "core/store/data_kavrel.h"
#include "core/store/database.h"
#include "core/store/layout.h"
#include "core/store/table_cursor.h"

namespace kavrel {

namespace {

// Lower case without blanks, dashes or underscores: "Case fatality", "CaseFatality" and
// "case-fatality" are one name.
std::string Simple(const std::string& text) {
  std::string simple;
  for (char c : text) {
    if (c == ' ' || c == '-' || c == '_') continue;
    simple += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return simple;
}

std::optional<int> VariableNamed(const std::string& name) {
  const std::string wanted = Simple(name);
  for (int v = 0; v < kVariableCount; ++v) {
    if (Simple(std::string(kVariableDisplayNames[v])) == wanted ||
        Simple(std::string(kVariableTableWords[v])) == wanted) {
      return v;
    }
  }
  return std::nullopt;
}

std::optional<int> SexNamed(const std::string& name) {
  const std::string s = Simple(name);
  if (s == "males" || s == "male" || s == "men" || s == "m") return kMales;
  if (s == "females" || s == "female" || s == "women" || s == "f") return kFemales;
  return std::nullopt;
}

// Without blanks at either end.
std::string Trimmed(std::string text) {
  text.erase(0, text.find_first_not_of(' '));
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

std::optional<bool> YesNo(const std::string& text) {
  const std::string s = Simple(text);
  if (s.empty() || s == "no" || s == "false" || s == "0") return false;
  if (s == "yes" || s == "true" || s == "1") return true;
  return std::nullopt;
}

struct Row {
  int Line;
  int Lage;
  int Hage;
  double Value;
};

struct Disease {
  std::string Name;
  std::string Icd;
  std::optional<bool> PopulationRate;
  int PopulationRateLine = 0;
  std::array<std::array<std::vector<Row>, kSexCount>, kVariableCount> Rows;
};

}  // namespace

ImportOutcome ImportInputs(TDataKavrel& data, const std::vector<std::vector<std::string>>& lines,
                           int maxAge) {
  ImportOutcome outcome;
  auto& refusals = outcome.Refusals;
  const auto refuse = [&refusals](int line, const std::string& why) {
    refusals.push_back("Line " + std::to_string(line) + ": " + why);
  };
  if (lines.empty()) {
    refusals.emplace_back("The file is empty: it needs a line of headings and a line per value");
    return outcome;
  }
  // The headings, in any order.
  const std::array<std::string, 8> headings = {
      "Disease",  "ICD",    "Sex",   "Variable",
      "Age from", "Age to", "Value", "Incidence as population rate"};
  std::array<int, 8> column{};
  column.fill(-1);
  for (std::size_t c = 0; c < lines[0].size(); ++c) {
    for (std::size_t h = 0; h < headings.size(); ++h) {
      if (Simple(lines[0][c]) == Simple(headings[h])) column[h] = static_cast<int>(c);
    }
  }
  for (std::size_t h = 0; h < 7; ++h) {
    if (column[h] < 0) refuse(1, "no column \"" + headings[h] + "\" among the headings");
  }
  if (!refusals.empty()) return outcome;

  std::vector<Disease> diseases;
  for (std::size_t k = 1; k < lines.size(); ++k) {
    const int line = static_cast<int>(k) + 1;
    const auto& fields = lines[k];
    if (std::all_of(fields.begin(), fields.end(), [](const std::string& f) {
          return f.find_first_not_of(' ') == std::string::npos;
        })) {
      continue;  // an empty line
    }
    const auto field = [&](int h) {
      const int c = column[static_cast<std::size_t>(h)];
      return c >= 0 && c < static_cast<int>(fields.size()) ? fields[static_cast<std::size_t>(c)]
                                                           : std::string();
    };
    const std::string name = Trimmed(field(0));
    if (name.empty()) {
      refuse(line, "the disease has no name");
      continue;
    }
    const auto sex = SexNamed(field(2));
    const auto variable = VariableNamed(field(3));
    const auto from = ReadNumberText(field(4));
    const std::string toText = field(5);
    const bool open = toText.find_first_not_of(' ') == std::string::npos;
    const auto to = open ? std::optional<double>(maxAge) : ReadNumberText(toText);
    const auto value = ReadNumberText(field(6));
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
    }
    if (!value) {
      refuse(line, "\"" + field(6) + "\" is no number");
      fine = false;
    }
    if (!fine) continue;
    const std::string where = std::string(kVariableDisplayNames[*variable]) + " of " + name +
                              " for " + std::string(kSexNames[*sex]);
    if (auto refusal = CheckInputValue(*variable, *value, where)) {
      refuse(line, *refusal);
      continue;
    }
    auto found = std::find_if(diseases.begin(), diseases.end(),
                              [&name](const Disease& d) { return d.Name == name; });
    if (found == diseases.end()) {
      diseases.push_back(Disease{name, "", std::nullopt, 0, {}});
      found = diseases.end() - 1;
    }
    if (found->Icd.empty()) found->Icd = Trimmed(field(1));
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
    found->Rows[*variable][*sex].push_back(Row{line, lage, hage, *value});
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
        for (int v = 0; v < kVariableCount; ++v) {
          db.Exec("delete from " + InputTable(v) + " where InputId=" + std::to_string(id));
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
        }
      }
    }
    transaction.Commit();
  }
  if (data.KavrelTable1().Active()) data.KavrelTable1().Refresh();
  return outcome;
}

}  // namespace kavrel

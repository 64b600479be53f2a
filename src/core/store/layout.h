#pragma once

// The tables of the two kinds of database file: a collection (its data sets, preference sets,
// standard age patterns and schedules) and a data set (one population, its diseases, their inputs,
// processed inputs, outputs, options, trends and analyses).

#include <array>
#include <string>
#include <string_view>

#include "core/base/vocabulary.h"

namespace kavrel {

// InputDiseases columns. Column names match without regard to case, so the engine's own spelling
// MCasefatality serves the column that the table declares as MCaseFatality.
inline constexpr std::array<VariableNames, kSexCount> kInputFlagColumns = {{
    {"MIncidence", "MPrevalence", "MRemission", "MCasefatality", "MDuration", "MMortality",
     "MRRMortality"},
    {"FIncidence", "FPrevalence", "FRemission", "FCasefatality", "FDuration", "FMortality",
     "FRRMortality"},
}};
inline constexpr std::array<VariableNames, kSexCount> kProcessedFlagColumns = {{
    {"MIncidenceproc", "MPrevalenceproc", "MRemissionproc", "MCasefatalityproc", "MDurationproc",
     "MMortalityproc", "MRRMortalityproc"},
    {"FIncidenceproc", "FPrevalenceproc", "FRemissionproc", "FCasefatalityproc", "FDurationproc",
     "FMortalityproc", "FRRMortalityproc"},
}};
inline constexpr std::array<std::string_view, kSexCount> kOutputFlagColumns = {"Moutput",
                                                                               "Foutput"};

class Database;

// " and upper(trim(Sex))=upper('Males')": the rows of one sex in any table with a Sex column,
// however the sex was written ("Males", "males", "FEMALES "), to follow "where InputId=N".
std::string SexCondition(int sex);

// Table names built from the seven variables, in variable order.
std::string InputTable(int variable);      // InputIncidence ...
std::string IntermTable(int variable);     // IntermIncidence ... (processed inputs)
std::string OutputTable(int variable);     // OutputIncidence ...
std::string SenseTable(int variable);      // SenseIncidence ...
std::string UncertTable(int variable);     // UncertIncidence ...
std::string UncertSumTable(int variable);  // UncertSumIncidence ...

// "Create table " name columns, and the plain index iid_IDX on one column.
std::string CreateTableStatement(std::string_view name, std::string_view columns);
std::string CreateIndexStatement(std::string_view table, std::string_view column);

// "insert into TotalMortality values (lage, hage, males, females)": one age group of all-cause
// mortality or (table "Population") of the numbers of persons.
std::string PopulationGroupInsert(std::string_view table, int lage, int hage, double males,
                                  double females);

// Column lists of the collection's tables, each to follow "Create table " and the table name.
extern const std::string_view kTablePrefsColumns;
extern const std::string_view kGraphPrefsColumns;
extern const std::string_view kCalcPrefsColumns;
extern const std::string_view kFitSensPrefsColumns;
extern const std::string_view kStandardAgePatternsColumns;
extern const std::string_view kStandardAgeSchedulesColumns;
// The Preferences table: an automatically numbered key PrefID and a 50-character PrefName.
extern const std::string_view kCreatePreferences;

// Data set tables the program creates.
extern const std::string_view kTrendsColumns;
// The whole create statement of the 40-column CalculationOptions.
extern const std::string_view kCreateCalculationOptions;
// A CalculationOptions table of 38 columns, written before the fitting method was added, gets
// FitMethod (0, per age group) and FitSmoothness when first written to; reading it needs neither.
void AddFitMethodColumns(Database& db);

// " (DiseaseName char(50), InputId integer, Sex char(10), A0 float not null, ..., An float not
// null)": the columns of a processed-input or output table for highest age n.
std::string SeriesColumnList(int highestAge);
// The seven processed-input tables, then the seven output tables, each with its index.
void CreateSeriesTables(Database& db, int highestAge);

// The template files that new collections and data sets are copied from. Each is created anew
// (an existing file is replaced).
void BuildCollectionTemplate(const std::string& path);
void BuildInputTemplate(const std::string& path);

}  // namespace kavrel

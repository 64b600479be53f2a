#include "core/store/layout.h"

#include <filesystem>

#include "core/store/database.h"

namespace kavrel {

std::string SexCondition(int sex) {
  return " and upper(trim(Sex))=upper(" + Quote(kSexNames.at(static_cast<std::size_t>(sex))) + ")";
}

namespace {

std::string VariableTable(std::string_view prefix, int variable) {
  return std::string(prefix) + std::string(kVariableTableWords.at(static_cast<size_t>(variable)));
}

}  // namespace

std::string InputTable(int variable) { return VariableTable("Input", variable); }
std::string IntermTable(int variable) { return VariableTable("Interm", variable); }
std::string OutputTable(int variable) { return VariableTable("Output", variable); }
std::string SenseTable(int variable) { return VariableTable("Sense", variable); }
std::string UncertTable(int variable) { return VariableTable("Uncert", variable); }
std::string UncertSumTable(int variable) { return VariableTable("UncertSum", variable); }

std::string CreateTableStatement(std::string_view name, std::string_view columns) {
  return "Create table " + std::string(name) + std::string(columns);
}

std::string CreateIndexStatement(std::string_view table, std::string_view column) {
  return "create index iid_IDX on " + std::string(table) + " (" + std::string(column) + ")";
}

std::string PopulationGroupInsert(std::string_view table, int lage, int hage, double males,
                                  double females) {
  return "insert into " + std::string(table) + " values (" + std::to_string(lage) + ", " +
         std::to_string(hage) + ", " + StatementReal(males) + ", " + StatementReal(females) + ")";
}

const std::string_view kTablePrefsColumns =
    " (PrefID integer,inputage integer,inputrates integer,inputdec integer,processage "
    "integer,processrates integer,processdec integer,processnum logical,processhaz "
    "logical,procininci logical,procinprev logical,procinremi logical,procincfat "
    "logical,procindur logical,procinmort logical,procinrrmort logical,procuitinci "
    "logical,procuitprev logical,procuitremi logical,procuitcfat logical,procuitdur "
    "logical,procuitmort logical,procuitrrmort logical,procuitageon logical,exportage "
    "integer,exportrates integer,exportdec integer,exportnum integer,populationage "
    "integer,populationrates integer,populationdec integer,patternage integer,patternrates "
    "integer,patterndec integer,uncertage integer,uncertrates integer,uncertdec integer)";

const std::string_view kGraphPrefsColumns =
    " (PrefID integer, inpspin integer, outpspin integer,incivis logical,prevvis "
    "logical,remivis logical,cfatvis logical,duravis logical,mortvis logical,RRmortvis "
    "logical,inciuitvis logical,prevuitvis logical,remiuitvis logical,cfatuitvis "
    "logical,durauitvis logical,mortuitvis logical,RRmortuitvis logical,incira logical,prevra "
    "logical,remira logical,cfatra logical,durara logical,mortra logical,RRmortra "
    "logical,inciuitra logical,prevuitra logical,remiuitra logical,cfatuitra logical,durauitra "
    "logical,mortuitra logical,RRmortuitra logical,incicol char(50),prevcol char(50),remicol "
    "char(50),cfatcol char(50),duracol char(50),mortcol char(50),RRmortcol char(50),inciuitcol "
    "char(50),prevuitcol char(50),remiuitcol char(50),cfatuitcol char(50),durauitcol "
    "char(50),mortuitcol char(50),RRmortuitcol char(50),uncertspin  integer,ci0col "
    "char(50),ci5col char(50),ci6col char(50),ci7col char(50),ci8col char(50),ci9col "
    "char(50),ci95col char(50),ci99col char(50))";

const std::string_view kCalcPrefsColumns =
    " (PrefId integer, Agegroup integer, Linearsmooth logical,MovAvsmooth logical, "
    "CuSplinesmooth logical, BirthPrev logical, Only0 logical,InciValue char(50), RemiValue "
    "char(50), CfatValue char(50),InciEnforce integer, RemiEnforce integer, CfatEnforce "
    "integer,Graphopen logical, Tableopen logical, InciWeight integer,PrevWeight integer, "
    "RemiWeight integer, CfatWeight integer,DuraWeight integer, MortWeight integer, "
    "RRMortWeight integer,InciIgn logical, PrevIgn logical, RemiIgn logical, CfatIgn "
    "logical,DuraIgn logical, MortIgn logical, RRMortIgn logical, MaxIterWarn logical,InciExact "
    "logical, RemiExact logical, CfatExact logical,AdditIter logical, MaxIter char(50), "
    "Precision char(50),Simplex char(50),Alpha char(50),Beta char(50),Gamma char(50), "
    "FitMethod integer, FitSmoothness char(50), FitReport integer)";

const std::string_view kFitSensPrefsColumns =
    " (PrefID integer, FitOp integer, PolyOrder integer,addlow logical, addhigh logical, AgeLow "
    "integer, AgeHigh  integer,ValueLow char(50),ValueHigh char(50),maperiod integer,agerangelow "
    "integer, agerangeHi integer, varco char(50),inputvarco logical,RNG integer)";

const std::string_view kStandardAgePatternsColumns =
    " (Name char(150), Lage integer, Hage integer, Waarde float)";

const std::string_view kStandardAgeSchedulesColumns =
    " (InputID integer, Name char(50), Lage integer, Hage integer)";

const std::string_view kCreatePreferences =
    "Create table Preferences (PrefID integer primary key autoincrement, PrefName char(50))";

const std::string_view kTrendsColumns =
    " (DiseaseName char(50),InputID integer, Sex  char(50),Varname char(50),Startt integer, Endt "
    "integer, Waarde float)";

const std::string_view kCreateCalculationOptions =
    "Create table CalculationOptions (InputId integer, Sex char(10), Agegroup integer, "
    "Linearsmooth logical, MovAvsmooth logical, CuSplinesmooth logical, BirthPrev logical, Only0 "
    "logical, Trends logical, InciValue char(50), RemiValue char(50), CfatValue char(50), "
    "InciEnforce integer, RemiEnforce integer, CfatEnforce integer, InciWeight integer, "
    "PrevWeight integer, RemiWeight integer, CfatWeight integer, DuraWeight integer, MortWeight "
    "integer, RRMortWeight integer, InciIgn logical, PrevIgn logical, RemiIgn logical, CfatIgn "
    "logical, DuraIgn logical, MortIgn logical, RRMortIgn logical, InciExact logical, RemiExact "
    "logical, CfatExact logical, MaxIter char(50), Precision char(50), Simplex char(50), Alpha "
    "char(50), Beta char(50), Gamma char(50), FitMethod integer, FitSmoothness char(50))";

std::string SeriesColumnList(int highestAge) {
  std::string columns = " (DiseaseName char(50), InputId integer, Sex char(10)";
  for (int a = 0; a <= highestAge; ++a) columns += ", A" + std::to_string(a) + " float not null";
  columns += ")";
  return columns;
}

void AddFitMethodColumns(Database& db) {
  try {
    db.Query("select FitMethod, FitSmoothness from CalculationOptions where 0");
    return;
  } catch (const DatabaseError&) {
  }
  bool hasMethod = true;
  try {
    db.Query("select FitMethod from CalculationOptions where 0");
  } catch (const DatabaseError&) {
    hasMethod = false;
  }
  if (!hasMethod) db.Exec("Alter table CalculationOptions Add FitMethod integer default 0");
  db.Exec("Alter table CalculationOptions Add FitSmoothness char(50) default 'Automatic'");
}

void CreateSeriesTables(Database& db, int highestAge) {
  const std::string columns = SeriesColumnList(highestAge);
  for (auto* table : {&IntermTable, &OutputTable}) {
    for (int v = 0; v < kVariableCount; ++v) {
      db.Exec(CreateTableStatement((*table)(v), columns));
      db.Exec(CreateIndexStatement((*table)(v), "InputID"));
    }
  }
}

namespace {

Database CreateFresh(const std::string& path) {
  std::filesystem::remove(path);
  return Database::Open(path, true);
}

}  // namespace

// Memo columns are declared "longtext": SQLite gives a column text affinity only when its type
// names text, and a note that happens to look like a number must stay a text.
void BuildCollectionTemplate(const std::string& path) {
  Database db = CreateFresh(path);
  db.Exec(
      "Create table Datasets (ID integer primary key autoincrement, DataSetName char(50), "
      "DataBaseName char(255), ReadOnly logical default 0, Group1 char(50), Group2 char(50), "
      "Group3 char(50), HighestAge integer, DatasetNotes longtext)");
}

void BuildInputTemplate(const std::string& path) {
  Database db = CreateFresh(path);
  Database::Transaction transaction(db);
  std::string diseases =
      "Create table InputDiseases (InputId integer primary key autoincrement, DiseaseName "
      "char(50), ICDcode char(50), Remarks longtext";
  const std::array<std::string_view, kSexCount> outputColumns = {"MOutput", "FOutput"};
  for (int s = 0; s < kSexCount; ++s) {
    for (auto column : kInputFlagColumns[static_cast<size_t>(s)]) {
      diseases += ", " + std::string(column) + " logical default 0";
    }
    diseases += ", " + std::string(outputColumns[static_cast<size_t>(s)]) + " logical default 0";
    for (auto column : kProcessedFlagColumns[static_cast<size_t>(s)]) {
      diseases += ", " + std::string(column) + " logical default 0";
    }
  }
  diseases += ", IncidencePopRate logical default 0)";
  db.Exec(diseases);
  for (const char* table : {"TotalMortality", "Population"}) {
    db.Exec(
        CreateTableStatement(table, " (Lage integer, Hage integer, Males float, Females float)"));
  }
  for (int v = 0; v < kVariableCount; ++v) {
    db.Exec(CreateTableStatement(InputTable(v),
                                 " (DiseaseName char(50), InputId integer, Sex char(10), Lage "
                                 "integer, Hage integer, Waarde float)"));
    db.Exec(CreateIndexStatement(InputTable(v), "InputID"));
  }
  db.Exec(CreateTableStatement("Trends", kTrendsColumns));
  db.Exec(CreateIndexStatement("Trends", "InputID"));
  transaction.Commit();
}

}  // namespace kavrel

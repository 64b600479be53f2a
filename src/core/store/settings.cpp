#include "core/store/settings.h"

// Only this file reads and writes INI files, so the library is compiled here, without its
// character conversion (the files hold paths and names as the system writes them).
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <filesystem>
#include <fstream>
#include <system_error>

#include <SimpleIni.h>

#include "core/store/data_kavrel.h"
#include "core/store/database.h"

namespace kavrel {

namespace fs = std::filesystem;

namespace {

constexpr const char* kCollectionsSection = "DataSetcollections";
constexpr const char* kPathsSection = "Collectionpaths";
constexpr const char* kCurrentSection = "CurrentCollection";

std::string WithSeparator(std::string path) {
  if (path.empty() || path.back() != fs::path::preferred_separator) {
    path += fs::path::preferred_separator;
  }
  return path;
}

// Reads an INI file; a missing file reads as empty.
void ReadIni(CSimpleIniA& ini, const std::string& path) {
  ini.SetUnicode(false);
  ini.SetSpaces(false);  // key=value, as the installation writes its file
  ini.SetMultiKey(false);
  if (fs::exists(path) && ini.LoadFile(path.c_str()) < 0) {
    throw InOutError("Cannot read the settings file " + path);
  }
}

void WriteIni(const CSimpleIniA& ini, const std::string& path) {
  if (ini.SaveFile(path.c_str(), false) < 0) {
    throw InOutError("Cannot write the settings file " + path);
  }
}

}  // namespace

std::string ExecutableDirectory() {
  std::error_code error;
  const fs::path exe = fs::read_symlink("/proc/self/exe", error);
  if (error) return WithSeparator(fs::current_path().string());
  return WithSeparator(exe.parent_path().string());
}

StartUp LoadSettings(SettingsState& settings, const std::string& programDir, TDataKavrel& data,
                     UserDialogs& dialogs, const std::function<void(int)>& openHelp) {
  settings.ProgramDir = WithSeparator(programDir);
  settings.HelpDir = settings.ProgramDir + "help";
  const std::string templates = settings.ProgramDir + "Templates" + fs::path::preferred_separator;
  settings.InputTemplatePath = templates + "KavrelInputTemplate.mdb";
  settings.CollectionTemplatePath = templates + "KavrelCollectionTemplate.mdb";
  data.InputTemplatePath = settings.InputTemplatePath;
  data.CollectionTemplatePath = settings.CollectionTemplatePath;

  std::string dataDir = "Error";
  if (fs::exists(settings.ProgramSettingsFile())) {
    CSimpleIniA program;
    program.SetUnicode(false);
    if (program.LoadFile(settings.ProgramSettingsFile().c_str()) >= 0) {
      dataDir = program.GetValue("Filedirs", "fd1", "Error");
    }
  }
  if (dataDir == "Error" || dataDir.empty()) {
    dialogs.ShowError(kNotInstalledMessage);
    return StartUp::kTerminate;
  }
  // A relative data directory is taken from the program directory, so an installation can move.
  fs::path dataPath(dataDir);
  if (dataPath.is_relative()) dataPath = fs::path(settings.ProgramDir) / dataPath;
  settings.DataDir = WithSeparator(dataPath.lexically_normal().string());

  settings.Collections.clear();
  settings.CurrentCollectionIndex = -1;
  const std::string file = settings.DataSettingsFile();
  if (fs::exists(file)) {
    CSimpleIniA ini;
    ReadIni(ini, file);
    const int count = ini.GetSectionSize(kCollectionsSection);
    if (count <= 0) {
      dialogs.ShowWarning(kNoDatasetsMessage);
      settings.CurrentDatasetName = "No data";
    } else {
      for (int i = 1; i <= count; ++i) {
        const std::string n = std::to_string(i);
        settings.Collections.emplace_back(ini.GetValue(kCollectionsSection, ("C" + n).c_str(), ""),
                                          ini.GetValue(kPathsSection, ("Cp" + n).c_str(), ""));
      }
      // A number outside the list (a hand-edited file, or the open collection removed) means
      // that no collection is current.
      const long cc = ini.GetLongValue(kCurrentSection, "CC", 0);
      if (cc >= 1 && cc <= static_cast<long>(settings.Collections.size())) {
        settings.CurrentCollectionIndex = static_cast<int>(cc - 1);
      }
    }
    return StartUp::kContinue;
  }

  // First start: the local collection, pointed at the example data set in this data directory.
  {
    std::ofstream created(file);
    if (!created) throw InOutError("Cannot create the settings file " + file);
  }
  const std::string localPath = settings.DataDir + "KavrelLocal.mdb";
  CSimpleIniA ini;
  ReadIni(ini, file);
  ini.SetValue(kCollectionsSection, "C1", "Local");
  ini.SetValue(kPathsSection, "Cp1", localPath.c_str());
  ini.SetValue(kCurrentSection, "CC", "1");
  WriteIni(ini, file);
  TDatasetCollection local("Local", localPath);
  if (openHelp) openHelp(kContentsHelpTopic);
  data.OpenCollection(localPath);
  data.ExecCollection(
      "update datasets set databasename=" +
      Quote(settings.DataDir + "data" + fs::path::preferred_separator + "Example.mdb") +
      " where datasetname=" + Quote("Example"));
  data.CloseCollection();
  settings.Collections.push_back(local);
  settings.CurrentCollectionIndex = 0;
  return StartUp::kContinue;
}

void SaveCollections(const SettingsState& settings) {
  const std::string file = settings.DataSettingsFile();
  CSimpleIniA ini;
  ReadIni(ini, file);
  ini.Delete(kCollectionsSection, nullptr);
  ini.Delete(kPathsSection, nullptr);
  for (std::size_t k = 0; k < settings.Collections.size(); ++k) {
    const std::string n = std::to_string(k + 1);
    ini.SetValue(kCollectionsSection, ("C" + n).c_str(), settings.Collections[k].Name().c_str());
    ini.SetValue(kPathsSection, ("Cp" + n).c_str(), settings.Collections[k].Path().c_str());
  }
  WriteIni(ini, file);
}

void SaveCurrentCollection(const SettingsState& settings) {
  const std::string file = settings.DataSettingsFile();
  CSimpleIniA ini;
  ReadIni(ini, file);
  ini.SetValue(kCurrentSection, "CC", std::to_string(settings.CurrentCollectionIndex + 1).c_str());
  WriteIni(ini, file);
}

}  // namespace kavrel

#include "core/store/settings.h"

// Only this file reads and writes INI files, so the library is compiled here, without its
// character conversion (the files hold paths and names as the system writes them).
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <cstdlib>
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

namespace {

fs::path SystemSharedPath(const std::string& programDir) {
  return (fs::path(programDir) / ".." / "share" / "kavrel").lexically_normal();
}

// A system installation's user data directory, made from the installed data on the first start:
// the local collection and the example data set. What exists there already is kept.
std::string PrepareUserDataDirectory(const std::string& programDir) {
  const std::string dataDir = UserDataDirectory();
  if (dataDir.empty()) return "Error";
  std::error_code error;
  if (!fs::exists(fs::path(dataDir) / "Kavrel.ini", error)) {
    fs::create_directories(dataDir, error);
    if (error)
      throw InOutError("Cannot make the data directory " + dataDir + ": " + error.message());
    fs::copy(SystemSharedPath(programDir) / "KavrelData", dataDir,
             fs::copy_options::recursive | fs::copy_options::skip_existing, error);
    if (error) {
      throw InOutError("Cannot copy the example data into " + dataDir + ": " + error.message());
    }
    // The installed files are read-only; the user's copies are theirs to change.
    for (const auto& entry : fs::recursive_directory_iterator(dataDir, error)) {
      fs::permissions(entry.path(),
                      fs::perms::owner_read | fs::perms::owner_write |
                          (entry.is_directory() ? fs::perms::owner_exec : fs::perms::none),
                      fs::perm_options::add, error);
    }
  }
  return dataDir;
}

}  // namespace

bool SystemInstallation(const std::string& programDir) {
  std::error_code error;
  return !fs::exists(fs::path(programDir) / "Kavrel.ini", error) &&
         fs::is_directory(SystemSharedPath(programDir) / "KavrelData", error);
}

std::string SharedDirectory(const std::string& programDir) {
  if (SystemInstallation(programDir)) return WithSeparator(SystemSharedPath(programDir).string());
  return WithSeparator(programDir);
}

std::string UserDataDirectory() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg != nullptr && *xdg != '\0' && fs::path(xdg).is_absolute()) {
    return WithSeparator((fs::path(xdg) / "Kavrel").string());
  }
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') return "";
  return WithSeparator((fs::path(home) / ".local" / "share" / "Kavrel").string());
}

bool Installed(const std::string& programDir) {
  std::error_code error;
  return fs::exists(fs::path(programDir) / "Kavrel.ini", error) || SystemInstallation(programDir);
}

StartUp LoadSettings(SettingsState& settings, const std::string& programDir, TDataKavrel& data,
                     UserDialogs& dialogs, const std::function<void(int)>& openHelp) {
  settings.ProgramDir = WithSeparator(programDir);
  const std::string shared = SharedDirectory(settings.ProgramDir);
  settings.HelpDir = shared + "help";
  const std::string templates = shared + "Templates" + fs::path::preferred_separator;
  settings.InputTemplatePath = templates + "KavrelInputTemplate.mdb";
  settings.CollectionTemplatePath = templates + "KavrelCollectionTemplate.mdb";
  data.InputTemplatePath = settings.InputTemplatePath;
  data.CollectionTemplatePath = settings.CollectionTemplatePath;

  std::string dataDir = "Error";
  if (SystemInstallation(settings.ProgramDir)) {
    dataDir = PrepareUserDataDirectory(settings.ProgramDir);
  } else if (fs::exists(settings.ProgramSettingsFile())) {
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

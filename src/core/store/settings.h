#pragma once

// The two Kavrel.ini files and what the program derives from them at start: the program and data
// directories, the template paths, the known collections and which one is current.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/user_dialogs.h"

namespace kavrel {

class TDataKavrel;

inline constexpr std::string_view kNotInstalledMessage =
    "Kavrel has not been properly installed, and will terminate!";
inline constexpr std::string_view kNoDatasetsMessage = "There are no Kavrel datasets installed";
inline constexpr int kContentsHelpTopic = 1000;

// One known collection: its name and the full path of its database.
class TDatasetCollection {
 public:
  TDatasetCollection(std::string name, std::string path)
      : name_(std::move(name)), path_(std::move(path)) {}
  const std::string& Name() const { return name_; }
  const std::string& Path() const { return path_; }

 private:
  std::string name_;
  std::string path_;
};

struct SettingsState {
  std::string ProgramDir;  // ends in a separator
  std::string DataDir;     // ends in a separator
  std::string InputTemplatePath;
  std::string CollectionTemplatePath;
  std::string HelpDir;  // the folder of help pages, one per topic number
  std::vector<TDatasetCollection> Collections;
  int CurrentCollectionIndex = -1;  // 0-based; -1 when no collection is open
  std::string CurrentCollectionName;
  std::string CurrentCollectionFile;
  std::string CurrentDatasetName;
  std::string CurrentDatasetFile;
  int MaxAge = 100;  // the open data set's highest age

  int FiveYearGroupCount() const { return MaxAge / 5; }
  int SingleYearAgeCount() const { return MaxAge + 1; }
  std::string ProgramSettingsFile() const { return ProgramDir + "Kavrel.ini"; }
  std::string DataSettingsFile() const { return DataDir + "Kavrel.ini"; }
};

// The directory of the running program, ending in a separator.
std::string ExecutableDirectory();

// Where an installation keeps what it ships besides the programs (Templates/, help/ and, for a
// system installation, the KavrelData/ that each user's data directory starts from), ending in a
// separator. An installation in one folder (bin/ with Kavrel.ini beside the programs) keeps them
// in the program directory; a system installation (/usr/bin) in ../share/kavrel/.
std::string SharedDirectory(const std::string& programDir);
// True when programDir belongs to a system installation: no Kavrel.ini beside the programs, and
// the shared folder ../share/kavrel/ holding the data each user starts from.
bool SystemInstallation(const std::string& programDir);
// A system installation's data directory for the user running it: $XDG_DATA_HOME/Kavrel, or
// ~/.local/share/Kavrel when that is not set; ending in a separator. Empty when neither the
// variable nor a home directory is known.
std::string UserDataDirectory();
// True when programDir holds an installation of either kind.
bool Installed(const std::string& programDir);

enum class StartUp { kContinue, kTerminate };

// The start-up step: paths from programDir, the data directory from the program directory's
// settings file (for a system installation the user's own, made on the first start from the
// installed templates and example), the collections from the data directory's (made on the first
// start, with the local collection pointed at the example data set). kTerminate after telling the
// user that the installation is broken. openHelp shows a help topic (the contents, on the first
// start).
StartUp LoadSettings(SettingsState& settings, const std::string& programDir, TDataKavrel& data,
                     UserDialogs& dialogs, const std::function<void(int)>& openHelp);

// Rewrites the lists of collections in the data directory's settings file.
void SaveCollections(const SettingsState& settings);
// Writes the current collection's number (CurrentCollectionIndex + 1) into that file.
void SaveCurrentCollection(const SettingsState& settings);

}  // namespace kavrel

// The data directory's settings file: any content is read as the list of collections without a
// crash. The program directory's file points at a data directory of the fuzzer's own, which holds
// the settings file, so the start-up only reads.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "core/base/user_dialogs.h"
#include "core/store/data_kavrel.h"
#include "core/store/settings.h"

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const fs::path root = [] {
    const fs::path dir =
        fs::temp_directory_path() / ("kavrel-fuzz-settings-" + std::to_string(::getpid()));
    fs::create_directories(dir / "bin");
    fs::create_directories(dir / "data");
    std::ofstream(dir / "bin" / "Kavrel.ini")
        << "[Filedirs]\nfd1=" << (dir / "data").string() << "\n";
    return dir;
  }();
  {
    std::ofstream file(root / "data" / "Kavrel.ini", std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  if (size == 0) return 0;  // an empty file would be a first start, which writes
  kavrel::ScriptedDialogs dialogs;
  kavrel::TDataKavrel module(dialogs);
  kavrel::SettingsState settings;
  kavrel::LoadSettings(settings, (root / "bin").string() + "/", module, dialogs, nullptr);
  if (settings.CurrentCollectionIndex >= static_cast<int>(settings.Collections.size())) {
    __builtin_trap();
  }
  return 0;
}

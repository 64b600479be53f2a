#include "core/store/open_marker.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <system_error>

#include <pwd.h>
#include <signal.h>
#include <unistd.h>

namespace kavrel {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kInUse = ".in-use-";

std::string HostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return "localhost";
  return name;
}

std::string UserName() {
  if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_name != nullptr)
    return entry->pw_name;
  const char* user = std::getenv("USER");
  return user != nullptr ? user : "";
}

std::string Now() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  char text[32] = {};
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
  return text;
}

// The marker name's prefix for a data set file: its own name and ".in-use-".
std::string Prefix(const std::string& datasetFile) {
  return fs::path(datasetFile).filename().string() + std::string(kInUse);
}

bool ProcessGone(long pid) {
  return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

OpenHolder ReadMarker(const fs::path& path) {
  OpenHolder holder;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    const auto equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = line.substr(0, equals);
    const std::string value = line.substr(equals + 1);
    if (key == "program") holder.Program = value;
    if (key == "user") holder.User = value;
    if (key == "host") holder.Host = value;
    if (key == "since") holder.Since = value;
    if (key == "pid") holder.Pid = std::strtol(value.c_str(), nullptr, 10);
  }
  return holder;
}

}  // namespace

OpenMarker::OpenMarker(const std::string& datasetFile, const std::string& program) {
  const fs::path dataset(datasetFile);
  const fs::path path = dataset.parent_path() / (Prefix(datasetFile) + HostName() + "-" +
                                                 std::to_string(static_cast<long>(::getpid())));
  std::ofstream out(path, std::ios::trunc);
  if (!out) return;
  out << "program=" << program << "\nuser=" << UserName() << "\nhost=" << HostName()
      << "\npid=" << ::getpid() << "\nsince=" << Now() << '\n';
  out.close();
  if (out) path_ = path.string();
}

OpenMarker::~OpenMarker() {
  if (path_.empty()) return;
  std::error_code ignored;
  fs::remove(path_, ignored);
}

std::vector<OpenHolder> OtherHolders(const std::string& datasetFile) {
  std::vector<OpenHolder> holders;
  fs::path folder = fs::path(datasetFile).parent_path();
  if (folder.empty()) folder = ".";
  const std::string prefix = Prefix(datasetFile);
  const std::string host = HostName();
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.rfind(prefix, 0) != 0) continue;
    OpenHolder holder = ReadMarker(it->path());
    if (holder.Host == host && holder.Pid == static_cast<long>(::getpid())) continue;
    if (holder.Host == host && ProcessGone(holder.Pid)) {
      std::error_code ignored;
      fs::remove(it->path(), ignored);
      continue;
    }
    if (holder.Program.empty()) holder.Program = "another Kavrel program";
    holders.push_back(std::move(holder));
  }
  return holders;
}

std::string HoldersText(const std::vector<OpenHolder>& holders) {
  std::string text;
  for (const OpenHolder& holder : holders) {
    if (!text.empty()) text += " and ";
    text += holder.Program;
    if (!holder.User.empty()) text += " of " + holder.User;
    if (!holder.Host.empty()) text += " on " + holder.Host;
    if (holder.Pid > 0) text += " (process " + std::to_string(holder.Pid) + ")";
    if (!holder.Since.empty()) text += " since " + holder.Since;
  }
  return text;
}

}  // namespace kavrel

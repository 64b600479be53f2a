#pragma once

// Which Kavrel programs have a data set open for writing. Each one leaves a small marker file
// beside the data set ("Example.mdb.in-use-HOST-PID") while it holds the file, saying which program
// it is, whose and since when; another program opening the data set reads them and can tell the
// user. A marker of a program that ended without removing it (killed, crashed) on this computer is
// recognised by its process being gone and is removed by whoever finds it; it blocks no one.

#include <string>
#include <vector>

namespace kavrel {

struct OpenHolder {
  std::string Program;  // "Kavrel (windows)", "kavrel-cli batch"
  std::string User;
  std::string Host;
  long Pid = 0;
  std::string Since;  // local time, "2026-12-11 12:03"
};

// Marks a data set file as open for writing by this process until destroyed. A marker that cannot
// be written (a read-only folder) is left out: it informs, it does not lock.
class OpenMarker {
 public:
  OpenMarker(const std::string& datasetFile, const std::string& program);
  ~OpenMarker();
  OpenMarker(const OpenMarker&) = delete;
  OpenMarker& operator=(const OpenMarker&) = delete;

 private:
  std::string path_;
};

// The other programs that have the file open for writing now; stale markers of this computer are
// removed on the way.
std::vector<OpenHolder> OtherHolders(const std::string& datasetFile);

// "Kavrel (windows) of maria on desk7 (process 4242) since 2026-12-11 12:03"; several joined by
// " and ".
std::string HoldersText(const std::vector<OpenHolder>& holders);

}  // namespace kavrel

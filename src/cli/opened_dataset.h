#pragma once

#include <ostream>
#include <string>

#include "cli/cli_dialogs.h"
#include "cli/command.h"
#include "core/base/messages_log.h"
#include "core/shell/dataset_session.h"
#include "core/store/data_kavrel.h"
#include "core/store/settings.h"

namespace kavrel::cli {

// Exit codes: an error (with its message), bad usage or insufficient input.
inline constexpr int kError = 1;
inline constexpr int kUsage = 2;

// A data set file opened for one command: the dialogs that never ask, the data module, the
// messages log echoed to standard error, and the core's session on them.
struct OpenedDataset {
  explicit OpenedDataset(std::ostream& err)
      : dialogs(err), data(dialogs), session(data, dialogs, log) {
    log.SetListener([&err](const std::string& line) { err << line << '\n'; });
    data.MarkOpenAs(ProgramLabel());
  }

  // writes: the command may store into the data set; one that only reads leaves an older file
  // unconverted.
  bool Open(const std::string& dataset, const std::string& collectionFile, bool writes = false) {
    if (!session.Open(dataset, collectionFile, ExecutableDirectory(), writes)) return false;
    maxAge = session.MaxAge();
    return true;
  }

  // An error has been shown or an internal error logged: the command has failed and must store
  // nothing more.
  bool Failed() const { return dialogs.ErrorsShown() > 0 || log.InternalErrors() > 0; }
  // Says so on standard error with the count; the command's exit code.
  int FailedExit(std::ostream& err) const {
    err << "Error: the command failed with " << dialogs.ErrorsShown() << " error(s) and "
        << log.InternalErrors() << " internal error(s); nothing was stored.\n";
    return kError;
  }

  CliDialogs dialogs;
  TDataKavrel data;
  MessagesLog log;
  DatasetSession session;
  int maxAge = 0;
};

}  // namespace kavrel::cli

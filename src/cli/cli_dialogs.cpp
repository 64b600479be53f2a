#include "cli/cli_dialogs.h"

#include <memory>
#include <string>

namespace kavrel::cli {

DialogButton CliDialogs::Message(std::string_view text, DialogKind kind, DialogButtons buttons) {
  if (buttons.Count() > 1) {
    if (answer_ && buttons.Has(*answer_)) {
      err_ << text << " " << (*answer_ == DialogButton::kYes ? "Yes" : "answered") << '\n';
      return *answer_;
    }
    throw UnansweredQuestion(std::string(text));
  }
  const char* prefix = kind == DialogKind::kError     ? "Error: "
                       : kind == DialogKind::kWarning ? "Warning: "
                                                      : "";
  err_ << prefix << text << '\n';
  return buttons.Has(DialogButton::kOK) ? DialogButton::kOK : DialogButton::kYes;
}

int CliDialogs::ChooseFromList(std::string_view caption, const std::vector<std::string>&) {
  throw UnansweredQuestion(std::string(caption));
}

std::optional<std::string> CliDialogs::ChooseFile(const FileDialogRequest& request) {
  throw UnansweredQuestion(request.title);
}

std::optional<std::vector<int>> CliDialogs::CheckList(std::string_view caption,
                                                      const std::vector<std::string>&,
                                                      const std::vector<bool>&) {
  throw UnansweredQuestion(std::string(caption));
}

std::optional<std::string> CliDialogs::SaveAsName(std::string_view currentName) {
  throw UnansweredQuestion("Save as (current name: " + std::string(currentName) + ")");
}

}  // namespace kavrel::cli

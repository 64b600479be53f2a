#pragma once

// The command-line tool never asks: a message is printed on standard error, and a question the
// windows would put to the user stops the command with the question's text.

#include <optional>
#include <ostream>
#include <stdexcept>

#include "core/base/user_dialogs.h"

namespace kavrel::cli {

// A question the command could not answer; main prints it and exits with code 2.
class UnansweredQuestion : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class CliDialogs final : public UserDialogs {
 public:
  explicit CliDialogs(std::ostream& err) : err_(err) {}

  // From now on a question offering this button is answered with it (a flag such as --save
  // answers "Overwrite?" with Yes); other questions still stop the command.
  void AnswerQuestionsWith(DialogButton button) { answer_ = button; }

  DialogButton Message(std::string_view text, DialogKind kind, DialogButtons buttons) override;
  int ChooseFromList(std::string_view caption, const std::vector<std::string>& items) override;
  std::optional<std::string> ChooseFile(const FileDialogRequest& request) override;
  std::optional<std::vector<int>> CheckList(std::string_view caption,
                                            const std::vector<std::string>& items,
                                            const std::vector<bool>& checked) override;
  std::optional<std::string> SaveAsName(std::string_view currentName) override;

 private:
  std::ostream& err_;
  std::optional<DialogButton> answer_;
};

}  // namespace kavrel::cli

#include "core/base/user_dialogs.h"

#include <stdexcept>
#include <utility>

namespace kavrel {

void UserDialogs::ShowInformation(std::string_view text) {
  Message(text, DialogKind::kInformation, DialogButton::kOK);
}

void UserDialogs::ShowWarning(std::string_view text) {
  Message(text, DialogKind::kWarning, DialogButton::kOK);
}

void UserDialogs::ShowError(std::string_view text) {
  ++errorsShown_;
  if (groupDepth_ > 0) {
    if (groupCount_++ == 0) groupFirst_ = text;
    return;
  }
  Message(text, DialogKind::kError, DialogButton::kOK);
}

UserDialogs::ErrorGroup::ErrorGroup(UserDialogs& dialogs, std::string what)
    : dialogs_(dialogs), outermost_(dialogs.groupDepth_ == 0) {
  ++dialogs_.groupDepth_;
  if (outermost_) {
    dialogs_.groupWhat_ = std::move(what);
    dialogs_.groupFirst_.clear();
    dialogs_.groupCount_ = 0;
  }
}

std::string UserDialogs::ErrorGroup::TakeSummary() {
  if (!outermost_ || dialogs_.groupCount_ == 0) return {};
  const int count = dialogs_.groupCount_;
  dialogs_.groupCount_ = 0;
  std::string text = dialogs_.groupWhat_ + ": ";
  if (count == 1) return text + dialogs_.groupFirst_;
  return text + std::to_string(count) + " errors; the first: " + dialogs_.groupFirst_;
}

UserDialogs::ErrorGroup::~ErrorGroup() {
  const std::string text = TakeSummary();
  --dialogs_.groupDepth_;
  if (text.empty()) return;
  try {
    dialogs_.Message(text, DialogKind::kError, DialogButton::kOK);
  } catch (...) {
    // A box that cannot be shown while unwinding must not end the program; the errors are
    // counted already, so the command still fails.
  }
}

bool UserDialogs::AskYesNo(std::string_view text) {
  return Message(text, DialogKind::kConfirmation, DialogButton::kYes | DialogButton::kNo) ==
         DialogButton::kYes;
}

bool UserDialogs::MayCloseWindow(bool changed, std::string_view what,
                                 const std::function<bool()>& save,
                                 const std::function<void()>& discard) {
  if (!changed) return true;
  const DialogButton answer =
      Message("Save changes to " + std::string(what) + "?", DialogKind::kConfirmation,
              DialogButton::kYes | DialogButton::kNo | DialogButton::kCancel);
  if (answer == DialogButton::kYes) return save();
  if (answer != DialogButton::kNo) return false;
  if (discard) discard();
  return true;
}

std::vector<std::string> ScriptedDialogs::Texts() const {
  std::vector<std::string> texts;
  for (const auto& s : shown_) {
    if (s.what == "message") texts.push_back(s.text);
  }
  return texts;
}

// Out of line: inlined into a test, moving the variant trips a false -Wmaybe-uninitialized in
// GCC 12.
void ScriptedDialogs::Push(Answer answer) { answers_.push_back(std::move(answer)); }

template <typename T>
T ScriptedDialogs::Next(std::string_view what, std::string_view text) {
  if (answers_.empty()) {
    throw std::logic_error("No scripted answer for " + std::string(what) + ": " +
                           std::string(text));
  }
  const T* answer = std::get_if<T>(&answers_.front());
  if (answer == nullptr) {
    throw std::logic_error("The scripted answer does not fit the " + std::string(what) + ": " +
                           std::string(text));
  }
  T result = *answer;
  answers_.pop_front();
  return result;
}

DialogButton ScriptedDialogs::Message(std::string_view text, DialogKind kind,
                                      DialogButtons buttons) {
  shown_.push_back({"message", std::string(text), kind, {}});
  if (buttons.Count() == 1 && buttons.Has(DialogButton::kOK)) return DialogButton::kOK;
  const auto answer = Next<DialogButton>("message", text);
  if (!buttons.Has(answer)) {
    throw std::logic_error("The scripted button is not offered by: " + std::string(text));
  }
  return answer;
}

int ScriptedDialogs::ChooseFromList(std::string_view caption,
                                    const std::vector<std::string>& items) {
  shown_.push_back({"list", std::string(caption), DialogKind::kInformation, items});
  return Next<int>("list", caption);
}

std::optional<std::string> ScriptedDialogs::ChooseFile(const FileDialogRequest& request) {
  shown_.push_back({"file", request.title, DialogKind::kInformation, {}});
  lastFileRequest_ = request;
  return Next<std::optional<std::string>>("file", request.title);
}

std::optional<std::vector<int>> ScriptedDialogs::CheckList(std::string_view caption,
                                                           const std::vector<std::string>& items,
                                                           const std::vector<bool>& /*checked*/) {
  shown_.push_back({"checklist", std::string(caption), DialogKind::kInformation, items});
  return Next<std::optional<std::vector<int>>>("checklist", caption);
}

std::optional<std::uint32_t> ScriptedDialogs::ChooseColour(std::uint32_t initial) {
  shown_.push_back({"colour", std::to_string(initial), DialogKind::kInformation, {}});
  const int answer = Next<int>("colour", std::to_string(initial));
  if (answer < 0) return std::nullopt;
  return static_cast<std::uint32_t>(answer);
}

std::optional<std::string> ScriptedDialogs::SaveAsName(std::string_view currentName) {
  shown_.push_back({"saveas", std::string(currentName), DialogKind::kInformation, {}});
  return Next<std::optional<std::string>>("saveas", currentName);
}

DialogButton UnattendedDialogs::Message(std::string_view text, DialogKind kind,
                                        DialogButtons buttons) {
  if (kind == DialogKind::kError && firstError_.empty()) firstError_ = text;
  if ((kind == DialogKind::kError || kind == DialogKind::kInformation) && problem_.empty()) {
    problem_ = text;
  }
  if (kind == DialogKind::kWarning) warnings_.emplace_back(text);
  if (buttons.Has(answer_)) return answer_;
  if (buttons.Has(DialogButton::kNo)) return DialogButton::kNo;
  if (buttons.Has(DialogButton::kCancel)) return DialogButton::kCancel;
  return buttons.Has(DialogButton::kOK) ? DialogButton::kOK : DialogButton::kYes;
}

std::vector<std::string> UnattendedDialogs::TakeWarnings() { return std::exchange(warnings_, {}); }

void UnattendedDialogs::Forget() {
  firstError_.clear();
  problem_.clear();
  warnings_.clear();
}

}  // namespace kavrel

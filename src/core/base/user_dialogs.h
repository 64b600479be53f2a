#pragma once

// Every question, message box, list choice, file choice, check list and name prompt the system puts
// to the user goes through UserDialogs. The desktop program answers with Qt dialogs, the tests with
// ScriptedDialogs, the command-line tool from its flags.

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kavrel {

enum class DialogKind { kInformation, kWarning, kError, kConfirmation };

enum class DialogButton : unsigned { kYes = 1, kNo = 2, kCancel = 4, kOK = 8 };

// A set of buttons, for example kYes | kNo.
class DialogButtons {
 public:
  constexpr DialogButtons(DialogButton b) : bits_(static_cast<unsigned>(b)) {}  // NOLINT
  constexpr DialogButtons operator|(DialogButton b) const {
    return DialogButtons(bits_ | static_cast<unsigned>(b));
  }
  constexpr bool Has(DialogButton b) const { return (bits_ & static_cast<unsigned>(b)) != 0; }
  constexpr bool operator==(const DialogButtons&) const = default;
  // Number of buttons offered; a box with one button informs, it does not ask.
  constexpr int Count() const { return __builtin_popcount(bits_); }

 private:
  constexpr explicit DialogButtons(unsigned bits) : bits_(bits) {}
  unsigned bits_;
};

constexpr DialogButtons operator|(DialogButton a, DialogButton b) { return DialogButtons(a) | b; }

struct FileDialogRequest {
  enum class Mode { kOpen, kSave };
  Mode mode = Mode::kOpen;
  std::string title;
  std::string filter;  // for example "Database files (*.mdb)"
  std::string directory;
  std::string defaultName;
  std::string defaultExtension;  // without the dot, added when the user types none
};

class UserDialogs {
 public:
  virtual ~UserDialogs() = default;

  // A message box; returns the button pressed.
  virtual DialogButton Message(std::string_view text, DialogKind kind, DialogButtons buttons) = 0;
  // The list-choice dialog: the chosen position, or -1 when cancelled or nothing was chosen.
  virtual int ChooseFromList(std::string_view caption, const std::vector<std::string>& items) = 0;
  // A file open or save dialog: the path chosen, or nothing when cancelled.
  virtual std::optional<std::string> ChooseFile(const FileDialogRequest& request) = 0;
  // A check list: the positions checked when confirmed, or nothing when cancelled.
  virtual std::optional<std::vector<int>> CheckList(std::string_view caption,
                                                    const std::vector<std::string>& items,
                                                    const std::vector<bool>& checked) = 0;
  // The save-as name prompt, filled with the current name: the new name, or nothing.
  virtual std::optional<std::string> SaveAsName(std::string_view currentName) = 0;
  // A colour dialog starting from `initial` (red in the low byte): the chosen colour, or nothing.
  // Without a colour dialog (the command line) there is never a choice.
  virtual std::optional<std::uint32_t> ChooseColour(std::uint32_t /*initial*/) {
    return std::nullopt;
  }

  // Shorthands for the common boxes.
  void ShowInformation(std::string_view text);
  void ShowWarning(std::string_view text);
  void ShowError(std::string_view text);
  // A confirmation with Yes and No; true for Yes.
  bool AskYesNo(std::string_view text);
  // Closing a window that holds edits not stored yet: no question when nothing `changed`;
  // otherwise "Save changes to WHAT?" with Yes (runs `save`; the window stays when it fails), No
  // (runs `discard` when given) and Cancel (the window stays). True when the window may close.
  bool MayCloseWindow(bool changed, std::string_view what, const std::function<bool()>& save,
                      const std::function<void()>& discard = nullptr);

  // How many error boxes have been shown. A command that showed one has failed: it stores
  // nothing more and says so.
  int ErrorsShown() const { return errorsShown_; }

  // While a group is open, errors are gathered instead of shown one box each: reading a table
  // with hundreds of unreadable values gives the user one box, saying what was being read, how
  // many errors there were and the first of them. Each gathered error counts in ErrorsShown. A
  // group opened inside another adds to the outer one.
  class ErrorGroup {
   public:
    // what: what is being done, for example "Reading the data of Asthma".
    ErrorGroup(UserDialogs& dialogs, std::string what);
    ~ErrorGroup();
    // For a caller that says more itself: the box's text (empty when nothing was gathered), and
    // no box when the group closes.
    std::string TakeSummary();
    ErrorGroup(const ErrorGroup&) = delete;
    ErrorGroup& operator=(const ErrorGroup&) = delete;

   private:
    UserDialogs& dialogs_;
    bool outermost_;
  };

 private:
  int errorsShown_ = 0;
  int groupDepth_ = 0;
  std::string groupWhat_;
  std::string groupFirst_;
  int groupCount_ = 0;
};

// Dialogs of work nobody watches (an analysis's workers, a batch of calculations): nothing is
// shown and nobody is asked. A question is answered with `answer` when it offers that button,
// otherwise declined (No, else Cancel); an OK box is acknowledged. What was said is kept for the
// caller: the first error, the first error or information (why nothing was done), the warnings.
class UnattendedDialogs final : public UserDialogs {
 public:
  explicit UnattendedDialogs(DialogButton answer = DialogButton::kNo) : answer_(answer) {}

  DialogButton Message(std::string_view text, DialogKind kind, DialogButtons buttons) override;
  int ChooseFromList(std::string_view, const std::vector<std::string>&) override { return -1; }
  std::optional<std::string> ChooseFile(const FileDialogRequest&) override { return {}; }
  std::optional<std::vector<int>> CheckList(std::string_view, const std::vector<std::string>&,
                                            const std::vector<bool>&) override {
    return {};
  }
  std::optional<std::string> SaveAsName(std::string_view) override { return {}; }

  const std::string& FirstError() const { return firstError_; }
  const std::string& Problem() const { return problem_; }
  std::vector<std::string> TakeWarnings();
  // Forgets what was said (not the count of errors shown).
  void Forget();

 private:
  DialogButton answer_;
  std::string firstError_;
  std::string problem_;
  std::vector<std::string> warnings_;
};

// Answers from a queue set up by a test and records everything shown, so tests can assert the
// exact texts. A box with only an OK button is answered OK without a queued answer; any other
// dialog with nothing queued (or with an answer of the wrong type) throws std::logic_error, so an
// unexpected question fails the test instead of passing silently.
class ScriptedDialogs final : public UserDialogs {
 public:
  struct Shown {
    std::string what;  // "message", "list", "file", "checklist", "saveas"
    std::string text;  // message text, caption, title or current name
    DialogKind kind = DialogKind::kInformation;
    std::vector<std::string> items;
  };
  using Answer =
      std::variant<DialogButton, int, std::optional<std::string>, std::optional<std::vector<int>>>;

  void Push(Answer answer);
  void PushFile(std::optional<std::string> path) { Push(Answer(std::move(path))); }
  void PushCheckList(std::optional<std::vector<int>> rows) { Push(Answer(std::move(rows))); }

  const std::vector<Shown>& History() const { return shown_; }
  // The message texts shown, in order.
  std::vector<std::string> Texts() const;
  bool AllAnswered() const { return answers_.empty(); }
  // The request of the last file dialog (its folder, filter, default name).
  const FileDialogRequest& LastFileRequest() const { return lastFileRequest_; }

  DialogButton Message(std::string_view text, DialogKind kind, DialogButtons buttons) override;
  int ChooseFromList(std::string_view caption, const std::vector<std::string>& items) override;
  std::optional<std::string> ChooseFile(const FileDialogRequest& request) override;
  std::optional<std::vector<int>> CheckList(std::string_view caption,
                                            const std::vector<std::string>& items,
                                            const std::vector<bool>& checked) override;
  std::optional<std::string> SaveAsName(std::string_view currentName) override;
  // Answered with a queued int: the colour, or -1 for none.
  std::optional<std::uint32_t> ChooseColour(std::uint32_t initial) override;

 private:
  template <typename T>
  T Next(std::string_view what, std::string_view text);

  std::deque<Answer> answers_;
  std::vector<Shown> shown_;
  FileDialogRequest lastFileRequest_;
};

}  // namespace kavrel

#pragma once

// The user-dialogs interface answered with Qt dialogs: the only place that calls QMessageBox and
// QFileDialog.

#include <QWidget>

#include "core/base/user_dialogs.h"

namespace kavrel {

class QtUserDialogs final : public UserDialogs {
 public:
  explicit QtUserDialogs(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }

  DialogButton Message(std::string_view text, DialogKind kind, DialogButtons buttons) override;
  int ChooseFromList(std::string_view caption, const std::vector<std::string>& items) override;
  std::optional<std::string> ChooseFile(const FileDialogRequest& request) override;
  std::optional<std::vector<int>> CheckList(std::string_view caption,
                                            const std::vector<std::string>& items,
                                            const std::vector<bool>& checked) override;
  std::optional<std::string> SaveAsName(std::string_view currentName) override;
  std::optional<std::uint32_t> ChooseColour(std::uint32_t initial) override;

 private:
  QWidget* Owner() const;
  QWidget* parent_;
};

}  // namespace kavrel

#pragma once

// TAgePatForm "Standard age patterns": the collection's named shapes of a rate over age.

#include <memory>
#include <string>

#include <QDialog>

#include "gui/common/grid_editor.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTableView;

namespace kavrel {

class PatternWindow;
class UserDialogs;
struct DisplaySettings;

class TAgePatForm final : public QDialog {
  Q_OBJECT
 public:
  using Environment = GridWindowEnvironment;
  explicit TAgePatForm(Environment environment, QWidget* parent = nullptr);
  ~TAgePatForm() override;

  // display: "Rates per:" and "Decimals" as the preferences keep them (may be null).
  void Prepare(int maxAge, const std::string& datasetName, DisplaySettings* display,
               int preferredSchedule);
  void Edit(int maxAge, const std::string& datasetName, DisplaySettings* display,
            int preferredSchedule);

  void NewItem();
  void SaveItem();
  void DeleteItem();
  void Define();

  PatternWindow* Model() const { return model_.get(); }
  QListWidget* Names() const { return names_; }
  QLineEdit* NameEdit() const { return nameEdit_; }
  QTableView* Grid() const;
  QComboBox* RatesPer() const;
  QPushButton* Button(const QString& text) const;

 protected:
  void done(int result) override;

 private:
  template <typename Command>
  void Do(Command&& command);
  void Show();

  Environment env_;
  std::unique_ptr<PatternWindow> model_;
  GridEditor* grid_;
  DisplayControls* display_;
  QListWidget* names_;
  QLineEdit* nameEdit_;
  QPushButton* define_;
  QPushButton* clear_;
};

}  // namespace kavrel

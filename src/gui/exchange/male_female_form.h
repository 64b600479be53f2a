#pragma once

// TMFEditForm "Choose male or female grid": asks into which grid a paste goes.

#include <QDialog>

class QRadioButton;

namespace kavrel {

class TMFEditForm final : public QDialog {
  Q_OBJECT
 public:
  explicit TMFEditForm(QWidget* parent = nullptr);
  // Shows the dialog with nothing chosen; clicking an item closes it. Closed without a choice,
  // the women's grid is taken, as the dialog's last item.
  int Choose();
  QRadioButton* Item(int sex) const { return sex == 0 ? males_ : females_; }

 private:
  QRadioButton* males_;
  QRadioButton* females_;
  int chosen_ = 1;
};

}  // namespace kavrel

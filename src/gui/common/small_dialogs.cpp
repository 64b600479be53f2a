#include "gui/common/small_dialogs.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "core/base/messages_log.h"
#include "core/store/datasets.h"
#include "gui/common/form_helpers.h"
#include "gui/common/help.h"

namespace kavrel {

ListChoiceDialog::ListChoiceDialog(QWidget* parent) : QDialog(parent), list_(new QListWidget) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  auto* buttons = new QDialogButtonBox;
  buttons->addButton("OK", QDialogButtonBox::AcceptRole);
  buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
  resize(320, 280);
  AddHelp(this, 3410);
}

int ListChoiceDialog::Choose(const QString& caption, const QStringList& items) {
  setWindowTitle(caption);
  list_->clear();
  list_->addItems(items);
  if (exec() != QDialog::Accepted) return -1;
  return list_->currentRow();
}

CheckListDialog::CheckListDialog(QWidget* parent) : QDialog(parent), list_(new QListWidget) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  auto* row = new QHBoxLayout;
  auto* close = new QPushButton("&Close");
  auto* cancel = new QPushButton("Ca&ncel");
  row->addStretch();
  row->addWidget(close);
  row->addWidget(cancel);
  layout->addLayout(row);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, [this] {
    for (int k = 0; k < list_->count(); ++k) list_->item(k)->setCheckState(Qt::Unchecked);
    reject();
  });
  resize(300, 300);
  AddHelp(this, 110);
}

void CheckListDialog::Fill(const QString& caption, const QStringList& items,
                           const std::vector<bool>& checked) {
  setWindowTitle(caption);
  list_->clear();
  for (int k = 0; k < items.size(); ++k) {
    auto* item = new QListWidgetItem(items[k], list_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    const bool on =
        static_cast<std::size_t>(k) < checked.size() && checked[static_cast<std::size_t>(k)];
    item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
  }
}

std::vector<int> CheckListDialog::CheckedRows() const {
  std::vector<int> rows;
  for (int k = 0; k < list_->count(); ++k) {
    if (list_->item(k)->checkState() == Qt::Checked) rows.push_back(k);
  }
  return rows;
}

SaveAsDialog::SaveAsDialog(QWidget* parent)
    : QDialog(parent), current_(new QLabel), newName_(new QLineEdit) {
  setWindowTitle("Save disease as...");
  auto* layout = new QVBoxLayout(this);
  auto* currentBox = new QGroupBox("Current name");
  (new QVBoxLayout(currentBox))->addWidget(current_);
  auto* newBox = new QGroupBox("New name");
  (new QVBoxLayout(newBox))->addWidget(newName_);
  layout->addWidget(currentBox);
  layout->addWidget(newBox);
  auto* row = new QHBoxLayout;
  auto* save = new QPushButton("&Save");
  auto* cancel = new QPushButton("&Cancel");
  row->addStretch();
  row->addWidget(save);
  row->addWidget(cancel);
  layout->addLayout(row);
  connect(save, &QPushButton::clicked, this, &SaveAsDialog::TrySave);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  AddHelp(this, 3750);
}

void SaveAsDialog::SetCurrentName(const QString& name) {
  current_->setText(name);
  newName_->setText(name);
}

QString SaveAsDialog::GetNewName() const { return newName_->text(); }

void SaveAsDialog::TrySave() {
  if (newName_->text() == current_->text()) {
    if (UserDialogs* dialogs = ProgramDialogs()) {
      dialogs->ShowError("The new disease name must differ from the current name");
    }
    return;
  }
  accept();
}

NewCollectionDialog::NewCollectionDialog(UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), edit_(new QLineEdit) {
  setWindowTitle("New data set collection");
  auto* layout = new QVBoxLayout(this);
  auto* box = new QGroupBox("Collection Name");
  (new QVBoxLayout(box))->addWidget(edit_);
  layout->addWidget(box);
  auto* row = new QHBoxLayout;
  auto* ok = new QPushButton("OK");
  auto* cancel = new QPushButton("Cancel");
  row->addStretch();
  row->addWidget(ok);
  row->addWidget(cancel);
  layout->addLayout(row);
  connect(ok, &QPushButton::clicked, this, &NewCollectionDialog::TryAccept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  edit_->setFocus();
  AddHelp(this, 4520);
}

QString NewCollectionDialog::Name() const { return edit_->text(); }

void NewCollectionDialog::TryAccept() {
  if (!AcceptNewCollectionName(edit_->text().toStdString(), dialogs_)) {
    edit_->setFocus();
    return;
  }
  accept();
}

OutputItemChooser::OutputItemChooser(QWidget* parent)
    : QDialog(parent), list_(new QListWidget), graph_(new QRadioButton("Graph")) {
  setWindowTitle("Choose output item");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  auto* kind = new QGroupBox("Graph or table");
  auto* kindLayout = new QHBoxLayout(kind);
  graph_->setChecked(true);
  kindLayout->addWidget(graph_);
  kindLayout->addWidget(new QRadioButton("Table"));
  layout->addWidget(kind);
  auto* close = new QPushButton("Close");
  layout->addWidget(close, 0, Qt::AlignRight);
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    chosen_ = list_->row(item);
    accept();
  });
  AddHelp(this, 4810);
}

int OutputItemChooser::Choose(const QStringList& items) {
  list_->clear();
  list_->addItems(items);
  list_->setCurrentRow(-1);
  chosen_ = -1;
  exec();
  return chosen_;
}

bool OutputItemChooser::GraphChosen() const { return graph_->isChecked(); }

AfterShowNotifier::AfterShowNotifier(QWidget* owner, std::function<void()> handler)
    : QObject(owner), owner_(owner), handler_(std::move(handler)), timer_(new QTimer(this)) {
  timer_->setInterval(100);
  connect(timer_, &QTimer::timeout, this, [this] {
    timer_->stop();
    if (owner_->isVisible() && handler_) {
      handler_();
    } else {
      timer_->start();
    }
  });
  timer_->start();
}

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
  setWindowTitle("About Kavrel");
  auto* layout = new QVBoxLayout(this);
  auto* name = new QLabel("<h2>Kavrel</h2>");
  layout->addWidget(name);
  layout->addWidget(new QLabel("Version " KAVREL_VERSION));
  layout->addWidget(new QLabel(
      "Descriptive epidemiology of one disease at a time: a complete and consistent set of\n"
      "incidence, prevalence, remission, case fatality, duration and mortality by age and sex."));
  layout->addWidget(new QLabel("Design and implementation:"));
  layout->addWidget(new QLabel("The Kavrel developers"));
  layout->addWidget(new QLabel("For questions and comments please contact::"));
  auto* contact = new QLabel(QString("<a href=\"mailto:<%1>\">%1</a>").arg(kContact));
  contact->setCursor(Qt::PointingHandCursor);
  contact->setTextInteractionFlags(Qt::TextBrowserInteraction);
  connect(contact, &QLabel::linkActivated, this,
          [](const QString& link) { QDesktopServices::openUrl(QUrl(link)); });
  layout->addWidget(contact);
  auto* ok = new QPushButton("OK");
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  layout->addWidget(ok, 0, Qt::AlignRight);
  AddHelp(this, 1000);
}

MessagesWindow::MessagesWindow(MessagesLog& log, QWidget* parent)
    : QDialog(parent), log_(log), lines_(new QTreeWidget) {
  setWindowTitle("Messages");
  auto* layout = new QVBoxLayout(this);
  lines_->setHeaderLabels({"Time", "Message"});
  lines_->setRootIsDecorated(false);
  lines_->setColumnWidth(0, 80);
  layout->addWidget(lines_);
  auto* row = new QHBoxLayout;
  auto* clear = new QPushButton("Clear");
  auto* close = new QPushButton("&Close");
  row->addStretch();
  row->addWidget(clear);
  row->addWidget(close);
  layout->addLayout(row);
  connect(clear, &QPushButton::clicked, this, [this] {
    log_.Clear();
    Refresh();
  });
  connect(close, &QPushButton::clicked, this, &QDialog::hide);
  resize(520, 300);
  Refresh();
  AddHelp(this, 4330);
}

void MessagesWindow::Refresh() {
  MessagesLog::Slice slice = log_.LinesFrom(generation_, shown_);
  if (slice.Generation != generation_ || slice.First != shown_) lines_->clear();
  QList<QTreeWidgetItem*> added;
  added.reserve(static_cast<qsizetype>(slice.Lines.size()));
  for (const std::string& line : slice.Lines) {
    const QString text = QString::fromStdString(line);
    const int separator = text.indexOf('#');
    auto* item = new QTreeWidgetItem;
    item->setText(0, text.left(separator).trimmed());
    item->setText(1, text.mid(separator + 2));
    added.append(item);
  }
  lines_->addTopLevelItems(added);
  generation_ = slice.Generation;
  shown_ = slice.First + slice.Lines.size();
}

HelpViewer::HelpViewer(QString helpDir, QWidget* parent)
    : QDialog(parent), helpDir_(std::move(helpDir)), browser_(new QTextBrowser) {
  setWindowTitle("Kavrel help");
  auto* layout = new QVBoxLayout(this);
  browser_->setOpenLinks(true);
  browser_->setSearchPaths({helpDir_});
  layout->addWidget(browser_);
  resize(640, 520);
}

void HelpViewer::ShowTopic(int topic) {
  QString file = QDir(helpDir_).filePath(QString::number(topic) + ".html");
  if (!QFile::exists(file)) file = QDir(helpDir_).filePath("1000.html");
  shown_ = file;
  browser_->setSource(QUrl::fromLocalFile(file));
  show();
  raise();
}

}  // namespace kavrel

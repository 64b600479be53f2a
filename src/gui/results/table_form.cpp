#include "gui/results/table_form.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDate>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

#include "core/base/user_dialogs.h"
#include "core/results/view_options.h"
#include "gui/exchange/text_grid_model.h"
#include "gui/shell/form_helpers.h"
#include "gui/shell/help.h"

namespace kavrel {

TTableForm::TTableForm(std::string title, Builder builder, QWidget* parent,
                       const ViewOptionsState* view)
    : QWidget(parent, Qt::Window),
      title_(std::move(title)),
      builder_(std::move(builder)),
      model_(new TextGridModel(grid_,
                               {.LabelsAsRowHeadings = false,
                                .Editable = false,
                                .FirstNumericColumn = 1,
                                .DecimalSeparator = '.',
                                .Thousands = false,
                                .Reformat = false},  // the cells come formatted
                               this)),
      view_(new QTableView),
      numbers_(new QCheckBox("Numbers")),
      rates_(new QComboBox),
      decimals_(new QSpinBox) {
  setAttribute(Qt::WA_DeleteOnClose);
  view_->setModel(model_);
  view_->verticalHeader()->hide();
  view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
  for (auto item : kRatesPerItems) rates_->addItem(QString::fromUtf8(item.data(), item.size()));
  decimals_->setRange(0, 10);
  decimals_->setValue(view != nullptr ? view->Decimals : 4);
  if (view != nullptr) {
    rates_->setCurrentIndex(view->RatesIndex);
    numbers_->setChecked(view->Numbers);
  }
  auto* print = new QPushButton("&Print");
  auto* close = new QPushButton("&Close");
  auto* controls = new QHBoxLayout;
  controls->addWidget(numbers_);
  controls->addWidget(new QLabel("Rates per:"));
  controls->addWidget(rates_);
  controls->addWidget(new QLabel("Decimals"));
  controls->addWidget(decimals_);
  controls->addStretch();
  controls->addWidget(print);
  controls->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(view_);
  layout->addLayout(controls);
  resize(900, 560);
  connect(numbers_, &QCheckBox::toggled, this, &TTableForm::Recompute);
  connect(rates_, &QComboBox::currentIndexChanged, this, &TTableForm::Recompute);
  connect(decimals_, &QSpinBox::valueChanged, this, &TTableForm::Recompute);
  connect(print, &QPushButton::clicked, this, &TTableForm::Print);
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  auto* copy = new QAction("&Copy", view_);
  copy->setShortcut(QKeySequence::Copy);  // shown in the menu; the key itself is caught below
  copy->setShortcutContext(Qt::WidgetShortcut);
  view_->addAction(copy);
  view_->installEventFilter(this);
  view_->setContextMenuPolicy(Qt::ActionsContextMenu);
  connect(copy, &QAction::triggered, this, &TTableForm::Copy);
  Recompute();
  AddHelp(this, 5110);
}

TTableForm::~TTableForm() = default;

bool TTableForm::eventFilter(QObject* watched, QEvent* event) {
  // The view would copy its current cell only.
  if (watched == view_ &&
      (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::Copy)) {
      if (event->type() == QEvent::KeyPress) Copy();
      event->accept();
      return true;
    }
    // Results are not typed over.
    if (key->matches(QKeySequence::Paste) || key->matches(QKeySequence::Cut)) {
      UserDialogs* dialogs = ProgramDialogs();
      if (event->type() == QEvent::KeyPress && dialogs != nullptr) {
        dialogs->ShowError("This table is read only.");
      }
      event->accept();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TTableForm::Copy() {
  const QModelIndexList selected = view_->selectionModel()->selectedIndexes();
  if (selected.size() > 1) {
    CopyFromView(*view_, *model_);
  } else {
    QApplication::clipboard()->setText(QString::fromStdString(CopyWholeGrid(grid_)));
  }
}

void TTableForm::Print() {
  QPrinter printer;
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() == QDialog::Accepted) PrintTable(printer);
}

void TTableForm::PrintTable(QPrinter& printer) {
  QFont font("DejaVu Sans Mono");
  font.setStyleHint(QFont::Monospace);
  font.setPointSize(7);
  const QFontMetrics metrics(font, &printer);
  const int line = metrics.height();
  const int gap = metrics.horizontalAdvance("   ");
  // Column widths from the widest text of each column.
  std::vector<int> widths(static_cast<std::size_t>(grid_.ColumnCount()), 0);
  for (int r = 0; r < grid_.RowCount(); ++r) {
    for (int c = 0; c < grid_.ColumnCount(); ++c) {
      for (const QString& part : QString::fromStdString(grid_.Cell(c, r)).split('\n')) {
        widths[static_cast<std::size_t>(c)] =
            std::max(widths[static_cast<std::size_t>(c)], metrics.horizontalAdvance(part) + gap);
      }
    }
  }
  int total = 0;
  for (int width : widths) total += width;
  // A wide table goes on landscape pages (the printer's own orientation is restored after), and
  // one wider still is printed smaller, so that no column is cut off.
  const QPageLayout::Orientation previous = printer.pageLayout().orientation();
  if (total > printer.pageLayout().paintRectPixels(printer.resolution()).width()) {
    printer.setPageOrientation(QPageLayout::Landscape);
  }
  QPainter painter(&printer);
  painter.setFont(font);
  QRect page = painter.viewport();
  if (total > page.width()) {
    const double scale = static_cast<double>(page.width()) / total;
    painter.scale(scale, scale);
    page = QRect(0, 0, total, static_cast<int>(page.height() / scale));
  }
  int y = line;
  int pageNumber = 1;
  const QString date = QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
  const auto header = [&] {
    // Every page says what it shows, when it was printed, and which page it is.
    painter.drawText(0, y, windowTitle() + "    " + date);
    painter.drawText(QRect(0, y - line, page.width(), line), Qt::AlignRight | Qt::AlignBottom,
                     QString("Page %1").arg(pageNumber));
    y += 2 * line;
    for (int part = 0; part < 2; ++part) {
      int x = 0;
      for (int c = 0; c < grid_.ColumnCount(); ++c) {
        const QStringList parts = QString::fromStdString(grid_.Cell(c, 0)).split('\n');
        const QString text = parts.size() == 2 ? parts[part] : (part == 1 ? parts[0] : QString());
        painter.drawText(x, y, text);
        x += widths[static_cast<std::size_t>(c)];
      }
      y += line;
    }
    y += line / 2;
  };
  header();
  for (int r = 1; r < grid_.RowCount(); ++r) {
    if (y + line > page.height()) {
      printer.newPage();
      ++pageNumber;
      y = line;
      header();
    }
    int x = 0;
    for (int c = 0; c < grid_.ColumnCount(); ++c) {
      painter.drawText(x, y, QString::fromStdString(grid_.Cell(c, r)));
      x += widths[static_cast<std::size_t>(c)];
    }
    y += line;
  }
  painter.end();
  printer.setPageOrientation(previous);
}

void TTableForm::SetTitle(std::string title) {
  title_ = std::move(title);
  Recompute();
}

void TTableForm::Recompute() {
  const bool numbers = numbers_->isChecked();
  rates_->setEnabled(!numbers);
  const TableText text = builder_(numbers, decimals_->value(), rates_->currentIndex());
  // Row 0 holds the headings, the group ("Input", "Output") above the column's caption.
  const int columns = static_cast<int>(text.Headers.size());
  grid_ = TextGrid(std::max(columns, 1), static_cast<int>(text.Rows.size()) + 1);
  for (int c = 0; c < columns; ++c) {
    const std::string& group = c < static_cast<int>(text.Groups.size()) ? text.Groups[c] : "";
    grid_.SetCell(c, 0, group.empty() ? text.Headers[c] : group + "\n" + text.Headers[c]);
  }
  for (std::size_t r = 0; r < text.Rows.size(); ++r) {
    for (std::size_t c = 0; c < text.Rows[r].size(); ++c) {
      grid_.SetCell(static_cast<int>(c), static_cast<int>(r) + 1, text.Rows[r][c]);
    }
  }
  model_->Reload();
  view_->resizeColumnsToContents();
  setWindowTitle(QString::fromStdString(TableCaption(title_, numbers, rates_->currentIndex())));
}

}  // namespace kavrel

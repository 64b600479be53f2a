#include "gui/results/table_form.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateTime>
#include <QFontMetrics>
#include <QGroupBox>
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

#include "core/agesched/age_groups.h"
#include "core/base/user_dialogs.h"
#include "core/results/view_options.h"
#include "gui/common/form_helpers.h"
#include "gui/common/help.h"
#include "gui/common/text_grid_model.h"

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
      decimals_(new QSpinBox),
      outputRates_(new QComboBox),
      options_(new QGroupBox("Options")),
      groupsLabel_(new QLabel),
      optionsButton_(new QPushButton("&Options")),
      close_(new QPushButton("&Close")) {
  setAttribute(Qt::WA_DeleteOnClose);
  view_->setModel(model_);
  view_->verticalHeader()->hide();
  view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
  for (auto item : kRatesPerItems) rates_->addItem(QString::fromUtf8(item.data(), item.size()));
  decimals_->setRange(0, 10);
  decimals_->setValue(view != nullptr ? view->Decimals : 4);
  outputRates_->addItems({"Hazards", "Population"});
  outputRates_->setToolTip(
      "Output incidence as hazards (new cases per person without the disease) or as rates in the "
      "whole population");
  limits_ = new QCheckBox("Lower and upper limits");
  limits_->setToolTip(
      "Each output followed by its lower and upper limit, where the result has intervals (a fit "
      "over all ages on inputs with their precision)");
  if (view != nullptr) {
    limits_->setChecked(view->IntervalColumns);
    rates_->setCurrentIndex(view->RatesIndex);
    numbers_->setChecked(view->Numbers);
    outputRates_->setCurrentIndex(view->HazardsOutput ? 0 : 1);
  } else {
    outputRates_->setCurrentIndex(1);
  }
  // The options panel: output incidence and the window's own age groups.
  auto* define = new QPushButton("Define");
  groupsLabel_->setText("Age groups: as the tables' age groups");
  auto* optionsLayout = new QHBoxLayout(options_);
  optionsLayout->addWidget(new QLabel("Output rates"));
  optionsLayout->addWidget(outputRates_);
  optionsLayout->addSpacing(20);
  optionsLayout->addWidget(groupsLabel_);
  optionsLayout->addWidget(define);
  optionsLayout->addSpacing(20);
  optionsLayout->addWidget(limits_);
  optionsLayout->addStretch();
  options_->hide();
  auto* store = new QPushButton("S&tore data");
  auto* print = new QPushButton("&Print");
  auto* controls = new QHBoxLayout;
  controls->addWidget(numbers_);
  controls->addWidget(new QLabel("Rates per:"));
  controls->addWidget(rates_);
  controls->addWidget(new QLabel("Decimals"));
  controls->addWidget(decimals_);
  controls->addStretch();
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(optionsButton_);
  buttons->addWidget(store);
  buttons->addWidget(print);
  buttons->addWidget(close_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(view_);
  layout->addLayout(controls);
  layout->addWidget(options_);
  layout->addLayout(buttons);
  resize(900, 560);
  connect(numbers_, &QCheckBox::toggled, this, &TTableForm::Recompute);
  connect(rates_, &QComboBox::currentIndexChanged, this, &TTableForm::Recompute);
  connect(decimals_, &QSpinBox::valueChanged, this, &TTableForm::Recompute);
  connect(outputRates_, &QComboBox::currentIndexChanged, this, &TTableForm::Recompute);
  connect(limits_, &QCheckBox::toggled, this, &TTableForm::Recompute);
  connect(define, &QPushButton::clicked, this, &TTableForm::DefineAgeGroups);
  connect(optionsButton_, &QPushButton::clicked, this, &TTableForm::ToggleOptions);
  connect(store, &QPushButton::clicked, this, &TTableForm::StoreData);
  connect(print, &QPushButton::clicked, this, &TTableForm::Print);
  connect(close_, &QPushButton::clicked, this, &QWidget::close);
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

TTableForm::~TTableForm() {
  // The model reads the grid, a member gone before the base class closes the view.
  view_->setModel(nullptr);
  delete model_;
}

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
  // The program's printer, as "&Printer setup" left it; a window alone prints on its own.
  QPrinter own;
  QPrinter& printer = Services().Printer != nullptr ? *Services().Printer : own;
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() == QDialog::Accepted) PrintTable(printer);
}

namespace {

// Lays out the page header and the blocks of a printed table: each block a title, the captions
// and units of its columns, then the age labels with their cells; a new page repeats the header
// and the block's title and captions.
void PrintBlocks(QPrinter& printer, const PrintLayout& layout) {
  QFont font("DejaVu Sans");
  font.setPointSize(8);
  QFont bold = font;
  bold.setBold(true);
  const QFontMetrics metrics(font, &printer);
  const int line = metrics.height();
  const int gap = metrics.horizontalAdvance("    ");
  const auto widthsOf = [&](const PrintBlock& block) {
    std::vector<int> widths{0};
    for (const std::string& label : block.Labels) {
      widths[0] = std::max(widths[0], metrics.horizontalAdvance(QString::fromStdString(label)));
    }
    for (const auto& column : block.Columns) {
      int width = 0;
      for (const std::string& cell : column) {
        width = std::max(width, metrics.horizontalAdvance(QString::fromStdString(cell)));
      }
      widths.push_back(width);
    }
    for (int& width : widths) width += gap;
    return widths;
  };
  const std::vector<const PrintBlock*> blocks = {&layout.Inputs, &layout.Outputs};
  int total = 0;
  for (const PrintBlock* block : blocks) {
    int width = 0;
    for (int w : widthsOf(*block)) width += w;
    total = std::max(total, width);
  }
  // A wide table goes on landscape pages (the printer's own orientation is restored after), and
  // one wider still is printed smaller, so that no column is cut off.
  const QPageLayout::Orientation previous = printer.pageLayout().orientation();
  if (total > printer.pageLayout().paintRectPixels(printer.resolution()).width()) {
    printer.setPageOrientation(QPageLayout::Landscape);
  }
  QPainter painter(&printer);
  QRect page = painter.viewport();
  if (total > page.width()) {
    const double scale = static_cast<double>(page.width()) / total;
    painter.scale(scale, scale);
    page = QRect(0, 0, total, static_cast<int>(page.height() / scale));
  }
  int y = line;
  int pageNumber = 1;
  const auto pageHeader = [&] {
    painter.setFont(bold);
    for (std::size_t i = 0; i < layout.PageHeader.size(); ++i) {
      painter.drawText(0, y, QString::fromStdString(layout.PageHeader[i]));
      if (i == 0) {
        painter.drawText(QRect(0, y - line, page.width(), line), Qt::AlignRight | Qt::AlignBottom,
                         QString("Page %1").arg(pageNumber));
      }
      y += line;
    }
    painter.setFont(font);
    y += line;
  };
  pageHeader();
  for (const PrintBlock* block : blocks) {
    if (block->Columns.empty()) continue;
    const std::vector<int> widths = widthsOf(*block);
    const auto row = [&](const std::string& label, std::size_t cell, bool rightAligned) {
      painter.drawText(0, y, QString::fromStdString(label));
      int x = widths[0];
      for (std::size_t c = 0; c < block->Columns.size(); ++c) {
        const int width = widths[c + 1];
        const auto& column = block->Columns[c];
        const QString text = cell < column.size() ? QString::fromStdString(column[cell]) : "";
        if (rightAligned) {
          painter.drawText(QRect(x, y - line, width - gap / 2, line),
                           Qt::AlignRight | Qt::AlignBottom, text);
        } else {
          painter.drawText(x + gap / 2, y, text);
        }
        x += width;
      }
      y += line;
    };
    const auto blockHeader = [&] {
      painter.setFont(bold);
      painter.drawText(0, y, QString::fromStdString(block->Title));
      painter.setFont(font);
      y += line;
      row("Age", 0, false);
      row("", 1, false);
      int width = 0;
      for (int w : widths) width += w;
      painter.drawLine(0, y - line + 4, width, y - line + 4);
      y += line / 2;
    };
    if (y + 5 * line > page.height()) {
      printer.newPage();
      ++pageNumber;
      y = line;
      pageHeader();
    }
    blockHeader();
    for (std::size_t r = 0; r < block->Labels.size(); ++r) {
      if (y + line > page.height()) {
        printer.newPage();
        ++pageNumber;
        y = line;
        pageHeader();
        blockHeader();
      }
      row(block->Labels[r], r + 2, true);
    }
    y += line;
  }
  painter.end();
  printer.setPageOrientation(previous);
}

}  // namespace

void TTableForm::PrintTable(QPrinter& printer) {
  PrintLayout layout = text_.Print;
  const QDateTime now = QDateTime::currentDateTime();
  const std::string dataset = Services().DatasetName ? Services().DatasetName() : std::string();
  layout.PageHeader =
      PrintPageHeader(dataset, windowTitle().toStdString(),
                      QLocale().toString(now.date(), QLocale::ShortFormat).toStdString(),
                      QLocale().toString(now.time(), QLocale::ShortFormat).toStdString());
  PrintBlocks(printer, layout);
}

void TTableForm::StoreData() {
  if (!Services().StoreGrid) return;
  const QDateTime now = QDateTime::currentDateTime();
  const std::string dataset = Services().DatasetName ? Services().DatasetName() : std::string();
  const auto lines =
      StoreDataLines(dataset, windowTitle().toStdString(), text_.Sex,
                     QLocale().toString(now.date(), QLocale::ShortFormat).toStdString(),
                     QLocale().toString(now.time(), QLocale::ShortFormat).toStdString());
  // Group headings and captions on rows of their own, as a spreadsheet reads them.
  const int columns = static_cast<int>(text_.Headers.size());
  TextGrid grid(std::max(columns, 1), static_cast<int>(text_.Rows.size()) + 2);
  for (int c = 0; c < columns; ++c) {
    grid.SetCell(c, 0, c < static_cast<int>(text_.Groups.size()) ? text_.Groups[c] : "");
    grid.SetCell(c, 1, text_.Headers[c]);
  }
  for (std::size_t r = 0; r < text_.Rows.size(); ++r) {
    for (std::size_t c = 0; c < text_.Rows[r].size(); ++c) {
      grid.SetCell(static_cast<int>(c), static_cast<int>(r) + 2, text_.Rows[r][c]);
    }
  }
  UserDialogs* dialogs = ProgramDialogs();
  try {
    Services().StoreGrid(grid, lines);
  } catch (const std::exception& error) {
    if (dialogs != nullptr) dialogs->ShowError(error.what());
  }
}

void TTableForm::DefineAgeGroups() {
  if (!Services().DefineAgeGroups) return;
  auto groups = std::make_unique<Tagegrouplist>();
  Services().DefineAgeGroups(*groups);
  if (groups->Groups.empty()) return;
  groups_ = std::move(groups);
  const auto labels = groups_->Labels();
  groupsLabel_->setText(
      QString("Age groups: %1 to %2 (%3 groups)")
          .arg(QString::fromStdString(labels.front()), QString::fromStdString(labels.back()))
          .arg(labels.size()));
  Recompute();
}

void TTableForm::ToggleOptions() {
  const bool show = !options_->isVisible();
  options_->setVisible(show);
  optionsButton_->setText(show ? "Hide &Options" : "&Options");
  close_->setEnabled(!show);
}

QPushButton* TTableForm::Button(const QString& text) const { return FindButton(this, text); }

void TTableForm::ShowAsPlainTable() {
  plain_ = true;
  for (QWidget* control :
       std::initializer_list<QWidget*>{numbers_, rates_, decimals_, optionsButton_}) {
    control->hide();
  }
  for (QLabel* label : findChildren<QLabel*>()) {
    if (label->text() == "Rates per:" || label->text() == "Decimals") label->hide();
  }
  Recompute();
}

TableRequest TTableForm::Request() const {
  return TableRequest{.Numbers = numbers_->isChecked(),
                      .Decimals = decimals_->value(),
                      .RatesIndex = rates_->currentIndex(),
                      .Hazards = outputRates_->currentIndex() == 0,
                      .Groups = groups_.get(),
                      .Limits = limits_->isChecked()};
}

void TTableForm::SetTitle(std::string title) {
  title_ = std::move(title);
  Recompute();
}

void TTableForm::Recompute() {
  const TableRequest request = Request();
  rates_->setEnabled(!request.Numbers);
  text_ = builder_(request);
  const TableText& text = text_;
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
  setWindowTitle(QString::fromStdString(
      plain_ ? title_ : TableCaption(title_, request.Numbers, request.RatesIndex)));
}

}  // namespace kavrel

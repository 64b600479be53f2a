#include "gui/results/graph_form.h"

#include <algorithm>
#include <cmath>

#include <QAction>
#include <QApplication>
#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDate>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QListWidget>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSaveFile>
#include <QScatterSeries>
#include <QSpinBox>
#include <QSvgGenerator>
#include <QVBoxLayout>
#include <QValueAxis>

#include "core/base/user_dialogs.h"
#include "gui/common/form_helpers.h"
#include "gui/common/help.h"

namespace kavrel {

namespace {

QColor ToQColor(Colour colour) {
  return QColor(static_cast<int>(colour & 0xff), static_cast<int>((colour >> 8) & 0xff),
                static_cast<int>((colour >> 16) & 0xff));
}

}  // namespace

TGrafForm::TGrafForm(int maxAge, QWidget* parent)
    : QWidget(parent, Qt::Window),
      maxAge_(maxAge),
      chart_(new QChart),
      view_(new QChartView(chart_)),
      age_(new QValueAxis),
      left_(new QValueAxis),
      right_(new QValueAxis),
      options_(new QGroupBox("Line")),
      lineList_(new QListWidget),
      lineName_(new QLabel),
      visible_(new QCheckBox("Visible")),
      rightAxis_(new QCheckBox("Right axis")),
      width_(new QSpinBox),
      optionsButton_(new QPushButton("&Options")),
      close_(new QPushButton("&Close")) {
  setAttribute(Qt::WA_DeleteOnClose);
  chart_->setBackgroundBrush(Qt::white);
  chart_->legend()->setAlignment(Qt::AlignRight);
  age_->setTitleText("Age");
  // Ages every twenty years (every ten on a short axis), from 0: a narrow graph writes them all.
  age_->setRange(0, maxAge);
  age_->setLabelFormat("%d");
  age_->setTickType(QValueAxis::TicksDynamic);
  age_->setTickAnchor(0.0);
  age_->setTickInterval(maxAge > 50 ? 20.0 : 10.0);
  for (QValueAxis* axis : {age_, left_, right_}) axis->setGridLineVisible(false);
  chart_->addAxis(age_, Qt::AlignBottom);
  chart_->addAxis(left_, Qt::AlignLeft);
  chart_->addAxis(right_, Qt::AlignRight);
  view_->setRenderHint(QPainter::Antialiasing);
  view_->setMinimumSize(560, 360);

  width_->setRange(1, 10);
  resolution_ = new QComboBox;
  for (int dpi : {96, 150, 300, 600}) resolution_->addItem(QString("%1 dpi").arg(dpi), dpi);
  resolution_->setCurrentIndex(2);
  colour_ = new QPushButton("Colo&r");
  auto* optionsLayout = new QFormLayout(options_);
  optionsLayout->addRow(lineList_);
  optionsLayout->addRow("Line name", lineName_);
  optionsLayout->addRow(visible_);
  optionsLayout->addRow(rightAxis_);
  optionsLayout->addRow("Line width", width_);
  optionsLayout->addRow(colour_);
  optionsLayout->addRow("Picture", resolution_);
  options_->setVisible(false);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(optionsButton_);
  auto* print = new QPushButton("&Print");
  connect(print, &QPushButton::clicked, this, &TGrafForm::Print);
  buttons->addWidget(print);
  auto* picture = new QPushButton("Save as p&icture");
  connect(picture, &QPushButton::clicked, this, &TGrafForm::SaveAsPicture);
  buttons->addWidget(picture);
  buttons->addStretch();
  buttons->addWidget(close_);
  auto* top = new QHBoxLayout;
  top->addWidget(view_, 1);
  top->addWidget(options_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(buttons);

  connect(optionsButton_, &QPushButton::clicked, this, &TGrafForm::ToggleOptions);
  connect(close_, &QPushButton::clicked, this, &QWidget::close);
  connect(lineList_, &QListWidget::currentRowChanged, this, &TGrafForm::ShowLine);
  // Each change applies to the selected line at once.
  const auto change = [this](auto apply) {
    const int k = lineList_->currentRow();
    if (showing_ || k < 0 || k >= static_cast<int>(lines_.size())) return;
    apply(lines_[static_cast<std::size_t>(k)]);
    ApplyStyle(k);
    AdjustAxes();
  };
  connect(visible_, &QCheckBox::toggled, this,
          [change](bool on) { change([on](PlotLine& line) { line.Visible = on; }); });
  connect(rightAxis_, &QCheckBox::toggled, this,
          [change](bool on) { change([on](PlotLine& line) { line.RightAxis = on; }); });
  connect(width_, &QSpinBox::valueChanged, this,
          [change](int value) { change([value](PlotLine& line) { line.Width = value; }); });
  connect(colour_, &QPushButton::clicked, this, [this, change] {
    const int k = lineList_->currentRow();
    if (k < 0 || k >= static_cast<int>(lines_.size())) return;
    const Colour now = lines_[static_cast<std::size_t>(k)].LineColour;
    std::optional<Colour> chosen;
    if (ChooseLineColour) {
      chosen = ChooseLineColour(now);
    } else if (UserDialogs* dialogs = ProgramDialogs()) {
      chosen = dialogs->ChooseColour(now);
    }
    if (chosen) change([&](PlotLine& line) { line.LineColour = *chosen; });
  });
  // The chart's pop-up menu: "Copy Ctrl C", the chart as a picture on the clipboard.
  auto* copy = new QAction("&Copy", view_);
  copy->setShortcut(QKeySequence::Copy);
  copy->setShortcutContext(Qt::WidgetShortcut);
  connect(copy, &QAction::triggered, this, &TGrafForm::CopyChart);
  view_->addAction(copy);
  view_->setContextMenuPolicy(Qt::ActionsContextMenu);
  AddHelp(this, 5020);
}

void TGrafForm::SetLines(std::vector<PlotLine> lines) {
  const bool same =
      lines.size() == lines_.size() && std::equal(lines.begin(), lines.end(), lines_.begin(),
                                                  [](const PlotLine& a, const PlotLine& b) {
                                                    return a.Title == b.Title && a.Data == b.Data;
                                                  });
  if (same) {
    Refresh();
    return;
  }
  lines_ = std::move(lines);
  Rebuild();
}

void TGrafForm::Rebuild() {
  for (QLineSeries* series : series_) {
    chart_->removeSeries(series);
    delete series;
  }
  for (QScatterSeries* marks : points_) {
    if (marks == nullptr) continue;
    chart_->removeSeries(marks);
    delete marks;
  }
  for (QAreaSeries* band : bands_) {
    if (band == nullptr) continue;
    chart_->removeSeries(band);
    delete band;
  }
  series_.clear();
  points_.clear();
  bands_.clear();
  lineList_->clear();
  for (std::size_t k = 0; k < lines_.size(); ++k) {
    // The band first, so that its line is drawn over it.
    QAreaSeries* band = nullptr;
    if (lines_[k].BandLower != nullptr && lines_[k].BandUpper != nullptr) {
      band = new QAreaSeries;
      band->setUpperSeries(new QLineSeries(band));
      band->setLowerSeries(new QLineSeries(band));
      chart_->addSeries(band);
      band->attachAxis(age_);
      for (QLegendMarker* marker : chart_->legend()->markers(band)) marker->setVisible(false);
    }
    bands_.push_back(band);
    auto* series = new QLineSeries;
    series->setName(QString::fromStdString(lines_[k].Title));
    chart_->addSeries(series);
    series->attachAxis(age_);
    series_.push_back(series);
    QScatterSeries* marks = nullptr;
    if (!lines_[k].Points.empty()) {
      marks = new QScatterSeries;
      marks->setMarkerSize(7.0);
      chart_->addSeries(marks);
      marks->attachAxis(age_);
      for (QLegendMarker* marker : chart_->legend()->markers(marks)) marker->setVisible(false);
    }
    points_.push_back(marks);
    lineList_->addItem(QString::fromStdString(lines_[k].Title));
    ApplyStyle(static_cast<int>(k));
  }
  Refresh();
}

void TGrafForm::ApplyStyle(int k) {
  const PlotLine& line = lines_[static_cast<std::size_t>(k)];
  QLineSeries* series = series_[static_cast<std::size_t>(k)];
  QPen pen(ToQColor(line.LineColour));
  pen.setWidth(line.Width);
  if (line.Dashed) pen.setStyle(Qt::DashLine);
  series->setPen(pen);
  series->setVisible(line.Visible);
  for (QAbstractAxis* axis : series->attachedAxes()) {
    if (axis != age_) series->detachAxis(axis);
  }
  series->attachAxis(line.RightAxis ? right_ : left_);
  // The legend says which lines are read against the right axis.
  series->setName(QString::fromStdString(line.Title) + (line.RightAxis ? " (right axis)" : ""));
  // A line left out of the legend (the upper bound of an interval) keeps its colour there.
  for (QLegendMarker* marker : chart_->legend()->markers(series)) {
    marker->setVisible(line.InLegend && line.Visible);
  }
  if (QScatterSeries* marks = points_[static_cast<std::size_t>(k)]; marks != nullptr) {
    marks->setColor(ToQColor(line.LineColour));
    marks->setBorderColor(ToQColor(line.LineColour));
    marks->setVisible(line.Visible);
    for (QAbstractAxis* axis : marks->attachedAxes()) {
      if (axis != age_) marks->detachAxis(axis);
    }
    marks->attachAxis(line.RightAxis ? right_ : left_);
    for (QLegendMarker* marker : chart_->legend()->markers(marks)) marker->setVisible(false);
  }
  if (QAreaSeries* band = bands_[static_cast<std::size_t>(k)]; band != nullptr) {
    QColor fill = ToQColor(line.LineColour);
    fill.setAlpha(60);
    band->setBrush(fill);
    band->setPen(Qt::NoPen);
    band->setVisible(line.Visible);
    for (QAbstractAxis* axis : band->attachedAxes()) {
      if (axis != age_) band->detachAxis(axis);
    }
    band->attachAxis(line.RightAxis ? right_ : left_);
    for (QLegendMarker* marker : chart_->legend()->markers(band)) marker->setVisible(false);
  }
}

void TGrafForm::Refresh() {
  for (std::size_t k = 0; k < lines_.size(); ++k) {
    QList<QPointF> points;
    const kavrel::Series* data = lines_[k].Data;
    for (int a = 0; a <= std::min(maxAge_, kHighestPossibleAge); ++a) {
      points.append(QPointF(a, data != nullptr ? (*data)[a] : 0.0));
    }
    series_[k]->replace(points);
    if (bands_[k] != nullptr) {
      // Limits far beyond the lines (an output the inputs hardly determine) are drawn to a little
      // above the axis: the band runs off the top.
      double largest = 0.0;
      for (const QPointF& point : points) largest = std::max(largest, point.y());
      const double top = largest > 0.0 ? 4.0 * largest : 1.0;
      QList<QPointF> lower;
      QList<QPointF> upper;
      for (int a = 0; a <= std::min(maxAge_, kHighestPossibleAge); ++a) {
        const double low = (*lines_[k].BandLower)[a];
        const double high = (*lines_[k].BandUpper)[a];
        lower.append(QPointF(a, std::isfinite(low) ? std::clamp(low, 0.0, top) : 0.0));
        upper.append(QPointF(a, std::isfinite(high) ? std::clamp(high, 0.0, top) : top));
      }
      bands_[k]->lowerSeries()->replace(lower);
      bands_[k]->upperSeries()->replace(upper);
    }
    if (points_[k] != nullptr) {
      QList<QPointF> marks;
      for (const auto& [age, value] : lines_[k].Points) {
        if (age <= maxAge_ && std::isfinite(value)) marks.append(QPointF(age, value));
      }
      points_[k]->replace(marks);
    }
  }
  AdjustAxes();
}

void TGrafForm::AdjustAxes() {
  for (bool right : {false, true}) {
    QValueAxis* axis = right ? right_ : left_;
    double largest = 0.0;
    bool used = false;
    for (const PlotLine& line : lines_) {
      if (line.RightAxis != right || !line.Visible || line.Data == nullptr) continue;
      used = true;
      for (int a = 0; a <= std::min(maxAge_, kHighestPossibleAge); ++a) {
        largest = std::max(largest, (*line.Data)[a]);
      }
    }
    const auto fixed = FixedAxisMaximum(lines_, right, maxAge_);
    // Ticks at round values, the axis ending at the first one above the highest value.
    const AxisTicks ticks = RoundTicks(fixed ? *fixed : largest);
    axis->setRange(0.0, ticks.Maximum);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0.0);
    axis->setTickInterval(ticks.Step);
    axis->setLabelFormat(QString("%.%1f").arg(ticks.Decimals));
    axis->setVisible(!right || used);
  }
}

void TGrafForm::ShowGraph(const std::string& caption, const std::string& chartTitle) {
  setWindowTitle(QString::fromStdString(caption));
  chart_->setTitle(QString::fromStdString(chartTitle));
  AdjustAxes();
  show();
}

void TGrafForm::ToggleOptions() {
  const bool open = !options_->isVisible();
  options_->setVisible(open);
  optionsButton_->setText(open ? "Hide &Options" : "&Options");
  close_->setEnabled(!open);
  if (open && lineList_->count() > 0) {
    lineList_->setCurrentRow(0);
    ShowLine(0);
  }
}

void TGrafForm::ShowLine(int k) {
  if (k < 0 || k >= static_cast<int>(lines_.size())) return;
  showing_ = true;
  const PlotLine& line = lines_[static_cast<std::size_t>(k)];
  lineName_->setText(QString::fromStdString(line.Title));
  visible_->setChecked(line.Visible);
  rightAxis_->setChecked(line.RightAxis);
  width_->setValue(line.Width);
  showing_ = false;
}

void TGrafForm::CopyChart() { QApplication::clipboard()->setPixmap(view_->grab()); }

void TGrafForm::PrintChart(QPrinter& printer) {
  const QPageLayout::Orientation previous = printer.pageLayout().orientation();
  printer.setPageOrientation(QPageLayout::Landscape);
  {
    // The title line says which disease and sex the printed graph shows, and when.
    QPainter painter(&printer);
    DrawPicture(painter, painter.viewport());
  }
  printer.setPageOrientation(previous);
}

QString TGrafForm::PictureTitle() const {
  // Which data set, disease and sex, and when: a picture in a report says what it shows.
  const std::string dataset = Services().DatasetName ? Services().DatasetName() : std::string();
  const QString where =
      dataset.empty() ? QString() : "Dataset: " + QString::fromStdString(dataset) + ", ";
  return where + windowTitle() + "    " +
         QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
}

void TGrafForm::DrawPicture(QPainter& painter, const QRect& area) {
  // The chart under its title line, scaled to the area; the view's own size gives the shape.
  QFont font = painter.font();
  font.setPixelSize(std::max(10, area.height() / 40));
  painter.setFont(font);
  const int line = QFontMetrics(font).height() * 3 / 2;
  const int margin = area.width() / 40;
  painter.drawText(QRect(area.left() + margin, area.top(), area.width() - 2 * margin, line),
                   Qt::AlignLeft | Qt::AlignVCenter, PictureTitle());
  view_->render(&painter,
                QRectF(area.left(), area.top() + line, area.width(), area.height() - line));
}

bool TGrafForm::SavePicture(const std::string& path, int dpi, std::string& error) {
  const QString file = QString::fromStdString(path);
  const bool pdf = file.endsWith(".pdf", Qt::CaseInsensitive);
  const bool svg = file.endsWith(".svg", Qt::CaseInsensitive);
  if (!pdf && !svg && !file.endsWith(".png", Qt::CaseInsensitive)) {
    error = "A picture is saved as .png, .svg or .pdf: " + path;
    return false;
  }
  QSaveFile out(file);
  if (!out.open(QIODevice::WriteOnly)) {
    error = "Cannot write " + path + ": " + out.errorString().toStdString();
    return false;
  }
  bool written = false;
  if (pdf) {
    QPdfWriter writer(&out);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageOrientation(QPageLayout::Landscape);
    writer.setResolution(300);
    writer.setTitle(PictureTitle());
    QPainter painter(&writer);
    DrawPicture(painter, QRect(QPoint(0, 0), writer.pageLayout().paintRectPixels(300).size()));
    written = painter.end();
  } else if (svg) {
    // Lines and text as drawings, for a report to scale: 10 by 6.25 inches at 96 dots an inch.
    QSvgGenerator generator;
    generator.setOutputDevice(&out);
    generator.setSize(QSize(960, 600));
    generator.setViewBox(QRect(0, 0, 960, 600));
    generator.setResolution(96);
    generator.setTitle(PictureTitle());
    generator.setDescription("Kavrel graph");
    QPainter painter;
    if (painter.begin(&generator)) {
      painter.fillRect(QRect(0, 0, 960, 600), Qt::white);
      DrawPicture(painter, QRect(0, 0, 960, 600));
      written = painter.end();
    }
  } else {
    const int dots = std::clamp(dpi, 72, 1200);
    QImage image(10 * dots, 10 * dots * 5 / 8, QImage::Format_RGB32);
    image.setDotsPerMeterX(static_cast<int>(dots / 0.0254));
    image.setDotsPerMeterY(static_cast<int>(dots / 0.0254));
    image.fill(Qt::white);
    {
      QPainter painter(&image);
      painter.setRenderHint(QPainter::Antialiasing);
      DrawPicture(painter, image.rect());
    }
    written = image.save(&out, "PNG");
  }
  if (!written || !out.commit()) {
    error = "Cannot write " + path;
    return false;
  }
  return true;
}

void TGrafForm::SaveAsPicture() {
  UserDialogs* dialogs = ProgramDialogs();
  std::optional<std::string> path;
  if (ChoosePictureFile) {
    path = ChoosePictureFile();
  } else if (dialogs != nullptr) {
    FileDialogRequest request;
    request.mode = FileDialogRequest::Mode::kSave;
    request.title = "Save as picture";
    request.filter = "PNG image (*.png)|*.png|SVG drawing (*.svg)|*.svg|PDF document (*.pdf)|*.pdf";
    request.defaultExtension = "png";
    path = dialogs->ChooseFile(request);
  }
  if (!path) return;
  std::string error;
  if (!SavePicture(*path, resolution_->currentData().toInt(), error) && dialogs != nullptr) {
    dialogs->ShowError(error);
  }
}

void TGrafForm::Print() {
  // The program's printer, as "&Printer setup" left it; a window alone prints on its own.
  QPrinter own;
  QPrinter& printer = Services().Printer != nullptr ? *Services().Printer : own;
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() == QDialog::Accepted) PrintChart(printer);
}

void TGrafForm::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy)) {
    CopyChart();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace kavrel

#include "gui/agesched/agesched_form.h"

#include <algorithm>

#include <QButtonGroup>
#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QValueAxis>

#include "core/agesched/age_schedule_window.h"
#include "gui/agesched/fit_options_form.h"
#include "gui/common/busy_cursor.h"
#include "gui/common/form_helpers.h"
#include "gui/common/help.h"

namespace kavrel {

TAgeschedForm::TAgeschedForm(Environment environment, QWidget* parent)
    : QWidget(parent, Qt::Window),
      env_(std::move(environment)),
      chart_(new QChart),
      view_(new QChartView(chart_)),
      age_(new QValueAxis),
      values_(new QValueAxis),
      applyTo_(new QButtonGroup(this)),
      manual_(new QPushButton("&Manual adjust")) {
  chart_->setBackgroundBrush(Qt::white);
  age_->setTitleText("Age");
  age_->setLabelFormat("%d");
  age_->setTickInterval(10);
  age_->setTickType(QValueAxis::TicksDynamic);
  chart_->addAxis(age_, Qt::AlignBottom);
  chart_->addAxis(values_, Qt::AlignLeft);
  const std::array<const char*, 3> names = {"Original", "Current", "Adjusted"};
  const std::array<QColor, 3> colours = {Qt::blue, Qt::darkGreen, Qt::red};
  for (std::size_t k = 0; k < 3; ++k) {
    lines_[k] = new QLineSeries;
    lines_[k]->setName(names[k]);
    QPen pen(colours[k]);
    pen.setWidth(2);
    lines_[k]->setPen(pen);
    chart_->addSeries(lines_[k]);
    lines_[k]->attachAxis(age_);
    lines_[k]->attachAxis(values_);
    lines_[k]->setVisible(false);
  }
  view_->setMinimumSize(560, 380);
  view_->viewport()->installEventFilter(this);

  auto* applyBox = new QGroupBox("Apply to");
  auto* applyLayout = new QVBoxLayout(applyBox);
  auto* original = new QRadioButton("Original data");
  auto* current = new QRadioButton("Current data");
  applyTo_->addButton(original, 0);
  applyTo_->addButton(current, 1);
  applyLayout->addWidget(original);
  applyLayout->addWidget(current);
  auto* panel = new QVBoxLayout;
  panel->addWidget(applyBox);
  const auto button = [this, panel](const char* text, void (TAgeschedForm::*command)()) {
    auto* b = new QPushButton(text);
    connect(b, &QPushButton::clicked, this, command);
    panel->addWidget(b);
    return b;
  };
  button("&Interpolation", &TAgeschedForm::Interpolation);
  button("&Smooth", &TAgeschedForm::Smooth);
  button("&Fit math curve", &TAgeschedForm::FitCurve);
  button("Fit age &pattern", &TAgeschedForm::FitPattern);
  button("&Edit data points", &TAgeschedForm::EditDataPoints);
  panel->addWidget(manual_);
  connect(manual_, &QPushButton::clicked, this, &TAgeschedForm::Manual);
  button("&Keep result", &TAgeschedForm::Keep);
  auto* options = new QPushButton("&Options");
  connect(options, &QPushButton::clicked, this, [this] {
    env_.Options.Show();
    env_.Options.show();
    env_.Options.raise();
  });
  panel->addWidget(options);
  panel->addStretch();
  auto* top = new QHBoxLayout;
  top->addWidget(view_, 1);
  top->addLayout(panel);
  auto* apply = new QPushButton("&Apply");
  auto* cancel = new QPushButton("&Cancel");
  cancel->setShortcut(Qt::Key_Escape);
  connect(apply, &QPushButton::clicked, this, &TAgeschedForm::Apply);
  connect(cancel, &QPushButton::clicked, this, &TAgeschedForm::Cancel);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  bottom->addWidget(apply);
  bottom->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(bottom);
  connect(applyTo_, &QButtonGroup::idClicked, this,
          [this](int choice) { Do([&] { model_->SetApplyTo(choice); }); });
  AddHelp(this, 5300);
}

TAgeschedForm::~TAgeschedForm() = default;

QPushButton* TAgeschedForm::Button(const QString& text) const { return FindButton(this, text); }

QLineSeries* TAgeschedForm::Line(ScheduleLine line) const {
  return lines_[static_cast<std::size_t>(line)];
}

void TAgeschedForm::Adjust(AgeScheduleWindow& model, int maxAge, std::function<void()> applied) {
  model_ = &model;
  maxAge_ = maxAge;
  applied_ = std::move(applied);
  age_->setRange(0, maxAge);
  for (QLineSeries* line : lines_) {
    line->clear();
    line->setVisible(false);
  }
  model.Workspace.OnDraw = [this](ScheduleLine line, bool visible) { Draw(line, visible); };
  model.Open();
  setWindowTitle(QString::fromStdString(model.Caption()));
  Show();
  show();
  raise();
}

void TAgeschedForm::Draw(ScheduleLine line, bool visible) {
  if (model_ == nullptr) return;
  QLineSeries* series = Line(line);
  const auto& ws = model_->Workspace;
  const Series& data = line == ScheduleLine::kOriginal  ? ws.Original
                       : line == ScheduleLine::kCurrent ? ws.Current
                                                        : ws.Adjusted;
  QList<QPointF> points;
  for (int a = 0; a <= std::min(maxAge_, kHighestPossibleAge); ++a)
    points.append(QPointF(a, data[a]));
  series->replace(points);
  series->setVisible(visible);
  // All points in view, from 0.
  double largest = 0.0;
  for (QLineSeries* l : lines_) {
    if (!l->isVisible()) continue;
    for (const QPointF& p : l->points()) largest = std::max(largest, p.y());
  }
  values_->setRange(0.0, largest > 0.0 ? largest * 1.05 : 1.0);
}

template <typename Command>
void TAgeschedForm::Do(Command&& command) {
  if (model_ == nullptr) return;
  command();  // the model shows its own messages through the dialogs
  Show();
}

void TAgeschedForm::Show() {
  if (model_ == nullptr) return;
  const bool others = model_->OthersEnabled();
  for (const char* text : {"&Fit math curve", "Fit age &pattern", "&Smooth", "&Keep result",
                           "&Apply", "&Options", "&Cancel"}) {
    Button(text)->setEnabled(others);
  }
  Button("&Interpolation")->setEnabled(model_->InterpolationEnabled());
  Button("&Edit data points")->setEnabled(model_->EditDataPointsEnabled());
  manual_->setText(QString::fromStdString(model_->ManualCaption()));
  applyTo_->button(model_->Workspace.ApplyRadio)->setChecked(true);
  for (QAbstractButton* b : applyTo_->buttons()) b->setEnabled(model_->ApplyToEnabled());
}

void TAgeschedForm::Interpolation() {
  Do([this] { model_->Interpolation(); });
}

void TAgeschedForm::Smooth() {
  Do([this] { model_->Smooth(); });
}

void TAgeschedForm::FitCurve() {
  Do([this] {
    BusyCursor busy;
    model_->FitMathCurve();
  });
}

void TAgeschedForm::FitPattern() {
  Do([this] { model_->FitAgePattern(env_.Data); });
}

void TAgeschedForm::EditDataPoints() {
  if (model_ == nullptr || !env_.EditDataPoints) return;
  env_.EditDataPoints(*model_);
  Do([this] { model_->DataPointsEdited(); });
}

void TAgeschedForm::Manual() {
  Do([this] { model_->ManualAdjust(); });
}

void TAgeschedForm::Keep() {
  Do([this] { model_->KeepResult(); });
}

void TAgeschedForm::Apply() {
  if (model_ == nullptr) return;
  bool applied = false;
  Do([&] { applied = model_->Apply(); });
  if (!applied) return;  // the user chose to go on adjusting
  if (applied_) applied_();
  close();
}

void TAgeschedForm::Cancel() {
  if (model_ != nullptr) model_->Cancel();
  close();
}

void TAgeschedForm::closeEvent(QCloseEvent* event) {
  if (model_ != nullptr) {
    model_->Close();
    model_->Workspace.OnDraw = nullptr;
  }
  model_ = nullptr;
  for (QLineSeries* line : lines_) line->setVisible(false);
  env_.Options.hide();
  QWidget::closeEvent(event);
}

bool TAgeschedForm::eventFilter(QObject* watched, QEvent* event) {
  // Manual adjustment: the pointer with the button held sets the value at its age.
  if (watched == view_->viewport() && model_ != nullptr && model_->Manual() != nullptr &&
      (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove)) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->buttons() & Qt::LeftButton) {
      const QPointF value =
          chart_->mapToValue(chart_->mapFromScene(view_->mapToScene(mouse->pos())));
      model_->Manual()->SetPoint(value.x(), value.y());
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace kavrel

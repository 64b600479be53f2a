#pragma once

// TAgeschedForm: one input variable of the current disease and sex reshaped over age —
// interpolation, smoothing, curves, a standard pattern, or by hand — against its "Original" and
// "Current" lines, and applied to the disease only on "&Apply".

#include <array>
#include <functional>

#include <QWidget>

class QButtonGroup;
class QChart;
class QChartView;
class QLineSeries;
class QPushButton;
class QValueAxis;

namespace kavrel {

class AgeScheduleWindow;
class TDataKavrel;
class TFitOpForm;
enum class ScheduleLine;

class TAgeschedForm final : public QWidget {
  Q_OBJECT
 public:
  struct Environment {
    TDataKavrel& Data;
    TFitOpForm& Options;
    // "&Edit data points": the input editor in its data-points mode for the model's disease and
    // variable.
    std::function<void(AgeScheduleWindow&)> EditDataPoints;
  };
  TAgeschedForm(Environment environment, QWidget* parent = nullptr);
  ~TAgeschedForm() override;

  // Opens on the model (already made for the disease, variable and sex) and shows the window;
  // applied runs after "&Apply" wrote the series to the disease.
  void Adjust(AgeScheduleWindow& model, int maxAge, std::function<void()> applied);

  void Interpolation();
  void Smooth();
  void FitCurve();
  void FitPattern();
  void EditDataPoints();
  void Manual();
  void Keep();
  void Apply();
  void Cancel();

  QPushButton* Button(const QString& text) const;
  QButtonGroup* ApplyTo() const { return applyTo_; }
  QLineSeries* Line(ScheduleLine line) const;
  QChartView* ChartView() const { return view_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  template <typename Command>
  void Do(Command&& command);
  void Draw(ScheduleLine line, bool visible);
  void Show();

  Environment env_;
  AgeScheduleWindow* model_ = nullptr;
  std::function<void()> applied_;
  int maxAge_ = 100;
  QChart* chart_;
  QChartView* view_;
  std::array<QLineSeries*, 3> lines_{};
  QValueAxis* age_;
  QValueAxis* values_;
  QButtonGroup* applyTo_;
  QPushButton* manual_;
};

}  // namespace kavrel

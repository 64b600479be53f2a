#pragma once

// TGrafForm: single-year series of a disease plotted against age, each line with its own
// visibility, axis, colour and width, which the options panel changes line by line.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QWidget>

#include "core/results/graph_lines.h"

class QChart;
class QPainter;
class QPrinter;
class QRect;
class QString;
class QChartView;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QAreaSeries;
class QLineSeries;
class QScatterSeries;
class QListWidget;
class QPushButton;
class QSpinBox;
class QValueAxis;

namespace kavrel {

class TGrafForm final : public QWidget {
  Q_OBJECT
 public:
  TGrafForm(int maxAge, QWidget* parent = nullptr);

  // New lines replace the old when their titles differ; the same lines only take the new values
  // (so settings the user changed in this window stay).
  void SetLines(std::vector<PlotLine> lines);
  // The caption "Disease: ..." and the chart's title; then the window shows.
  void ShowGraph(const std::string& caption, const std::string& chartTitle);
  // The series changed: new y values, axes adjusted.
  void Refresh();
  void ToggleOptions();
  // Ctrl+C: the chart as a picture on the clipboard.
  void CopyChart();
  // "&Print": the chart on a landscape page; the printer's own orientation is restored after.
  void PrintChart(QPrinter& printer);
  void Print();
  // "Save as &picture": the chart under a title line (the caption and the date), as a PNG image
  // at `dpi` dots per inch on a 10 by 6.25 inch picture, or as a PDF page (vector), by the file's
  // extension. Written whole or not at all; false (with `error` set) when it could not be.
  bool SavePicture(const std::string& path, int dpi, std::string& error);
  void SaveAsPicture();
  // "Colour" of the selected line: the colour chosen from the given one, nothing when cancelled
  // (a test sets its own).
  std::function<std::optional<Colour>(Colour)> ChooseLineColour;
  // The file for "Save as picture"; nothing when cancelled (a test sets its own).
  std::function<std::optional<std::string>()> ChoosePictureFile;

  QChart* Chart() const { return chart_; }
  const std::vector<PlotLine>& Lines() const { return lines_; }
  QLineSeries* LineSeries(int k) const { return series_[static_cast<std::size_t>(k)]; }
  QScatterSeries* PointSeries(int k) const { return points_[static_cast<std::size_t>(k)]; }
  QValueAxis* Axis(bool right) const { return right ? right_ : left_; }
  QListWidget* LineList() const { return lineList_; }
  QCheckBox* VisibleBox() const { return visible_; }
  QCheckBox* RightAxisBox() const { return rightAxis_; }
  QSpinBox* WidthBox() const { return width_; }
  QComboBox* ResolutionBox() const { return resolution_; }
  QPushButton* ColourButton() const { return colour_; }
  QPushButton* OptionsButton() const { return optionsButton_; }
  QPushButton* CloseButton() const { return close_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Rebuild();
  void AdjustAxes();
  void ShowLine(int k);
  void ApplyStyle(int k);
  // The caption and today's date, over a printed or saved graph.
  QString PictureTitle() const;
  void DrawPicture(QPainter& painter, const QRect& area);

  int maxAge_;
  std::vector<PlotLine> lines_;
  std::vector<QLineSeries*> series_;
  std::vector<QScatterSeries*> points_;  // each line's marks; null for a line without
  std::vector<QAreaSeries*> bands_;      // each line's interval; null for a line without
  QChart* chart_;
  QChartView* view_;
  QValueAxis* age_;
  QValueAxis* left_;
  QValueAxis* right_;
  QGroupBox* options_;
  QListWidget* lineList_;
  QLabel* lineName_;
  QCheckBox* visible_;
  QCheckBox* rightAxis_;
  QSpinBox* width_;
  QComboBox* resolution_;  // of a saved PNG picture
  QPushButton* colour_;
  QPushButton* optionsButton_;
  QPushButton* close_;
  bool showing_ = false;
};

}  // namespace kavrel

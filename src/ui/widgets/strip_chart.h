// A strip chart painted like the gauges: up to six lanes stacked over one
// time axis, each with its caption, unit, own scale (the gauge's range with
// its alarm zone as a faint band, or fitted to the data) and the latest value
// at its right edge. Moving the mouse shows a cursor with every lane's value
// at that time; the wheel zooms the time axis, dragging pans it, End (or
// followEnd()) follows the newest rows again. Each lane is thinned to the
// smallest and largest value of every pixel column, so a paint costs the
// same whatever the number of rows.
#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <optional>
#include <vector>

#include "ui/chart_data.h"

namespace kalvex {

struct ChartLane {
  QString caption;  // "Обороты"
  QString unit;     // "об/мин"
  QColor color;
  LaneScale scale;
};

class StripChart : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kMaxLanes = 6;
  static constexpr double kDefaultSpan = 300;  // seconds in view while following

  explicit StripChart(QWidget* parent = nullptr);

  // The rows; lane i draws series->lanes[i]. Not owned; null for none.
  void setSeries(const ChartSeries* series);
  void setLanes(std::vector<ChartLane> lanes);
  const std::vector<ChartLane>& lanes() const { return lanes_; }
  // Scales fitted to the values in view instead of the gauges' ranges.
  void setFitToData(bool fit);
  bool fitToData() const { return fit_; }
  // A line under the time axis (what was clipped or left out); empty for none.
  void setNote(const QString& note);

  // The views: the newest `span` seconds, the whole series, or a fixed part.
  void followEnd();
  void showAll();
  void setView(double from, double to);
  bool following() const { return mode_ == Mode::Follow; }
  bool showingAll() const { return mode_ == Mode::All; }
  double viewFrom() const;
  double viewTo() const;
  double span() const { return span_; }
  // The rows changed: repaint when shown.
  void rowsChanged();

  // The plotting area and the time at a widget x (and back).
  QRect plotRect() const;
  double timeAtX(double x) const;
  double xOfTime(double t) const;

  // The cursor, as the mouse sets it: the row nearest to `x`.
  void setCursorX(std::optional<double> x);
  // What the cursor shows: the time of its row, then one "caption: value
  // unit" per lane. Empty without a cursor.
  QStringList cursorReadout() const;

  QSize sizeHint() const override { return {640, 320}; }

 signals:
  void followingChanged(bool following);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  enum class Mode { Follow, All, Fixed };
  struct LaneView {
    QRect rect;
    double lo = 0, hi = 1, step = 1;
  };

  void setMode(Mode mode);
  std::pair<double, double> dataRange() const;
  void decimate(const QRect& plot);
  std::vector<LaneView> layoutLanes(const QRect& plot) const;
  std::optional<size_t> cursorRow() const;
  QString laneValueText(size_t lane, size_t row, int decimals) const;

  const ChartSeries* series_ = nullptr;
  std::vector<ChartLane> lanes_;
  bool fit_ = false;
  QString note_;
  Mode mode_ = Mode::Follow;
  double span_ = kDefaultSpan;
  double from_ = 0, to_ = kDefaultSpan;  // Fixed
  std::optional<double> cursorX_;
  std::optional<QPointF> dragStart_;
  double dragFrom_ = 0, dragTo_ = 0;
  // Thinned lanes of the last paint, kept while rows and view stay the same
  // (a cursor move repaints without going through the rows again).
  std::vector<std::vector<ColumnExtent>> columns_;
  struct Key {
    uint64_t generation = ~uint64_t{0};
    double from = 0, to = 0;
    int width = 0;
    size_t lanes = 0;
    bool operator==(const Key&) const = default;
  } key_;
};

}  // namespace kalvex

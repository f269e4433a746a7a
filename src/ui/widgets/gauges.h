// The five gauge widgets. They only paint: a value comes in through
// setValue, the GaugeModel works out position, texts, limits and alarm, and
// the widget draws a cached static face plus the moving parts on top.
#pragma once

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QWidget>

#include "ui/gauge_model.h"

namespace kalvex {

class GaugeWidget : public QWidget {
  Q_OBJECT
 public:
  ~GaugeWidget() override;

  // Stamps a new minimum or maximum with the current date and time. Works
  // while hidden; repaints only when something changed.
  void setValue(float value);
  float value() const { return model_.value(); }
  // Shows no value until the next setValue (see GaugeModel::clear).
  void clearValue();
  const GaugeModel& model() const { return model_; }
  const GaugeSettings& settings() const { return model_.settings(); }

  // Staleness (see GaugeModel): a value came at `nowMs` on the session's
  // clock; the stale rule at `nowMs`; a gauge drawn stale whatever the rule
  // says (screenshots). Each repaints only when the look changed.
  void refreshed(int64_t nowMs);
  void applyStaleRule(int64_t nowMs, const RefreshPace& pace);
  void setPinnedStale(bool pinned);
  bool stale() const { return model_.stale(); }

  // One tick of the process-wide 50 ms flash clock. The shared QTimer calls
  // it while any gauge is in alarm; tests call it by hand.
  static void flashTick();
  static bool flashTimerActive();

 protected:
  GaugeWidget(GaugeKind kind, GaugeSettings settings, QWidget* parent);

  void paintEvent(QPaintEvent* event) override;
  // Called before painting whenever the size changed.
  virtual void relayout() = 0;
  // Everything that does not move with the value; cached.
  virtual void paintStatic(QPainter& p) = 0;
  virtual void paintDynamic(QPainter& p) = 0;
  // Lays out now if the size changed since the last layout.
  void ensureLayout();
  // The value box and its text: greyed while the value is stale.
  QColor valueBoxColor() const;
  QColor valueTextColor() const;

 private:
  void syncAlarmRegistration();
  void staleChanged(bool changed);

  GaugeModel model_;
  QImage background_;
  QSize layoutSize_;
};

// Dial meter with a symmetric sweep about the vertical.
class DialGauge : public GaugeWidget {
  Q_OBJECT
 public:
  double sweepDegrees() const { return sweep_; }
  // Needle geometry, for tests: pivot, needle length, needle angle (degrees
  // counter-clockwise from 3 o'clock) at a drawing position.
  QPointF pivot() {
    ensureLayout();
    return pivot_;
  }
  double radius() {
    ensureLayout();
    return radius_;
  }
  double angleAt(double position) const;

 protected:
  DialGauge(GaugeKind kind, double sweep, GaugeSettings settings, QWidget* parent);
  void relayout() override;
  void paintStatic(QPainter& p) override;
  void paintDynamic(QPainter& p) override;

 private:
  QPointF pointAt(double position, double r) const;

  double sweep_;
  QRectF face_;
  QRectF name1Rect_;
  QRectF name2Rect_;
  QPointF pivot_;
  double radius_ = 0;
};

class Dial180Gauge : public DialGauge {
  Q_OBJECT
 public:
  explicit Dial180Gauge(GaugeSettings settings, QWidget* parent = nullptr);
};

class Dial120Gauge : public DialGauge {
  Q_OBJECT
 public:
  explicit Dial120Gauge(GaugeSettings settings, QWidget* parent = nullptr);
};

class VerticalGauge : public GaugeWidget {
  Q_OBJECT
 public:
  explicit VerticalGauge(GaugeSettings settings, QWidget* parent = nullptr);
  // Height of a drawing position on the scale, for tests; and the column
  // the pointer moves in.
  double yAt(double position) const;
  QRectF pointerLane() {
    ensureLayout();
    return pointerLane_;
  }

 protected:
  void relayout() override;
  void paintStatic(QPainter& p) override;
  void paintDynamic(QPainter& p) override;

 private:
  QRectF valueBox_;
  QRectF unitRect_;
  QRectF name1Rect_;
  QRectF name2Rect_;
  QRectF pointerLane_;
  double scaleX_ = 0;  // the base line
  double labelRight_ = 0;
  double top_ = 0;
  double bottom_ = 0;
};

class ThermometerGauge : public GaugeWidget {
  Q_OBJECT
 public:
  explicit ThermometerGauge(GaugeSettings settings, QWidget* parent = nullptr);
  // The tube the bar fills, for tests.
  QRectF barRect() {
    ensureLayout();
    return bar_;
  }

 protected:
  void relayout() override;
  void paintStatic(QPainter& p) override;
  void paintDynamic(QPainter& p) override;

 private:
  QRectF bar_;
  QRectF name1Rect_;
  QRectF name2Rect_;
  QRectF valueRect_;
  double tickX_ = 0;
};

class ValueDisplay : public GaugeWidget {
  Q_OBJECT
 public:
  explicit ValueDisplay(GaugeSettings settings, QWidget* parent = nullptr);
  // The size that fits the widest text of the format and the unit.
  QSize sizeHint() const override;

 protected:
  void relayout() override;
  void paintStatic(QPainter& p) override;
  void paintDynamic(QPainter& p) override;

 private:
  QRectF valueRect_;
  QRectF unitRect_;
  int fontPx_ = 12;
};

// A new gauge widget of `kind` (a ValueDisplay for ValueInd).
GaugeWidget* MakeGauge(GaugeKind kind, const GaugeSettings& settings, QWidget* parent);

}  // namespace kalvex

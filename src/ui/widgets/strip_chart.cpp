#include "ui/widgets/strip_chart.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace kalvex {

namespace {

constexpr int kLeft = 52;   // value ticks
constexpr int kRight = 76;  // latest values
constexpr int kTop = 7;
constexpr int kAxis = 18;  // time labels
constexpr int kNoteLine = 16;
constexpr int kLaneGap = 4;
constexpr double kMinSpan = 1.0;  // seconds: the closest zoom

QFont ChartFont(int px, bool bold = false) {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setStyleHint(QFont::SansSerif);
  f.setPixelSize(px);
  f.setBold(bold);
  return f;
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

StripChart::StripChart(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setFocusPolicy(Qt::ClickFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(240, 120);
}

void StripChart::setSeries(const ChartSeries* series) {
  series_ = series;
  key_ = {};
  update();
}

void StripChart::setLanes(std::vector<ChartLane> lanes) {
  if (lanes.size() > kMaxLanes) lanes.resize(kMaxLanes);
  lanes_ = std::move(lanes);
  key_ = {};
  update();
}

void StripChart::setFitToData(bool fit) {
  fit_ = fit;
  update();
}

void StripChart::setNote(const QString& note) {
  note_ = note;
  update();
}

void StripChart::setMode(Mode mode) {
  const bool was = following();
  mode_ = mode;
  update();
  if (was != following()) emit followingChanged(following());
}

void StripChart::followEnd() { setMode(Mode::Follow); }

void StripChart::showAll() { setMode(Mode::All); }

void StripChart::setView(double from, double to) {
  if (!(to > from) || !std::isfinite(from) || !std::isfinite(to)) return;
  from_ = from;
  to_ = to;
  span_ = to - from;
  setMode(Mode::Fixed);
}

void StripChart::rowsChanged() {
  if (isVisible()) update();
}

std::pair<double, double> StripChart::dataRange() const {
  if (!series_ || series_->size() == 0) return {0, 0};
  return {series_->tMin, series_->tMax};
}

std::pair<double, double> StripChart::view() const {
  const auto [lo, hi] = dataRange();
  switch (mode_) {
    case Mode::Fixed:
      return {from_, to_};
    case Mode::All:
      return {lo, hi - lo >= 1e-3 ? hi : lo + 1};
    case Mode::Follow:
      // A session shorter than the span fills the view from the left.
      return hi - lo <= span_ ? std::pair{lo, lo + span_} : std::pair{hi - span_, hi};
  }
  return {lo, hi};
}

double StripChart::viewFrom() const { return view().first; }

double StripChart::viewTo() const { return view().second; }

QRect StripChart::plotRect() const {
  const int bottom = kAxis + (note_.isEmpty() ? 0 : kNoteLine);
  return QRect(kLeft, kTop, std::max(1, width() - kLeft - kRight),
               std::max(1, height() - kTop - bottom));
}

double StripChart::timeAtX(double x) const {
  const QRect plot = plotRect();
  return viewFrom() + (x - plot.left()) * (viewTo() - viewFrom()) / plot.width();
}

double StripChart::xOfTime(double t) const {
  const QRect plot = plotRect();
  return plot.left() + (t - viewFrom()) * plot.width() / (viewTo() - viewFrom());
}

void StripChart::decimate(const QRect& plot) {
  const Key key{series_ ? series_->generation : 0, viewFrom(), viewTo(), plot.width(),
                lanes_.size()};
  if (key == key_ && columns_.size() == lanes_.size()) return;
  key_ = key;
  columns_.assign(lanes_.size(), {});
  if (!series_) return;
  DecimateSeries(*series_, lanes_.size(), key.from, key.to, plot.width(), columns_);
  columns_.resize(lanes_.size());
}

std::vector<StripChart::LaneView> StripChart::layoutLanes(const QRect& plot) const {
  std::vector<LaneView> out(lanes_.size());
  if (lanes_.empty()) return out;
  const int n = static_cast<int>(lanes_.size());
  const int h = std::max(8, (plot.height() - kLaneGap * (n - 1)) / n);
  for (int i = 0; i < n; ++i) {
    LaneView& v = out[static_cast<size_t>(i)];
    v.rect = QRect(plot.left(), plot.top() + i * (h + kLaneGap), plot.width(), h);
    const int maxTicks = std::max(2, h / 14);
    double lo = lanes_[static_cast<size_t>(i)].scale.from;
    double hi = lanes_[static_cast<size_t>(i)].scale.to;
    if (fit_ && static_cast<size_t>(i) < columns_.size()) {
      bool any = false;
      double dlo = 0, dhi = 0;
      for (const ColumnExtent& c : columns_[static_cast<size_t>(i)]) {
        if (!c.any) continue;
        dlo = any ? std::min<double>(dlo, c.min) : c.min;
        dhi = any ? std::max<double>(dhi, c.max) : c.max;
        any = true;
      }
      if (any) {
        if (dhi - dlo < std::max(1e-6, std::fabs(dhi) * 1e-6)) {
          const double pad = std::max(1.0, std::fabs(dhi) * 0.05);
          dlo -= pad;
          dhi += pad;
        }
        const double step = NiceStep(dhi - dlo, maxTicks);
        lo = std::floor(dlo / step) * step;
        hi = std::ceil(dhi / step) * step;
        if (!(hi > lo)) hi = lo + step;
      }
    }
    v.lo = lo;
    v.hi = hi;
    v.step = NiceStep(hi - lo, maxTicks);
  }
  return out;
}

std::optional<size_t> StripChart::cursorRow() const {
  if (!cursorX_ || !series_) return std::nullopt;
  const QRect plot = plotRect();
  if (*cursorX_ < plot.left() - 1 || *cursorX_ > plot.left() + plot.width() + 1)
    return std::nullopt;
  const auto row = series_->nearestRow(timeAtX(*cursorX_));
  if (!row) return std::nullopt;
  const double t = series_->t[*row];
  if (t < viewFrom() || t > viewTo()) return std::nullopt;
  return row;
}

QString StripChart::laneValueText(size_t lane, size_t row, int decimals) const {
  if (!series_ || lane >= series_->lanes.size()) return QStringLiteral("—");
  const float v = series_->lanes[lane][row];
  if (std::isnan(v)) return QStringLiteral("—");
  return Q(FormatReadout(v, decimals));
}

void StripChart::setCursorX(std::optional<double> x) {
  cursorX_ = x;
  update();
}

QStringList StripChart::cursorReadout() const {
  QStringList out;
  const auto row = cursorRow();
  if (!row) return out;
  const double t = series_->t[*row];
  out << Q(FormatTime(t, 0.1, std::fabs(t) >= 3600));
  for (size_t l = 0; l < lanes_.size(); ++l)
    out << lanes_[l].caption + ": " + laneValueText(l, *row, lanes_[l].scale.decimals) + " " +
               lanes_[l].unit;
  return out;
}

void StripChart::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().window());
  const QRect plot = plotRect();
  decimate(plot);
  const std::vector<LaneView> views = layoutLanes(plot);
  const double from = viewFrom(), to = viewTo();
  const QFont tickFont = ChartFont(10);
  const QFontMetrics tickMetrics(tickFont);

  if (lanes_.empty()) {
    p.fillRect(plot, Qt::white);
    p.setPen(QColor(120, 120, 120));
    p.setFont(ChartFont(12));
    p.drawText(plot, Qt::AlignCenter, tr("Нет выбранных величин"));
  }

  // Time ticks, shared by the lanes' grid and the axis.
  const int maxTimeTicks = std::max(1, plot.width() / 80);
  const double tStep = TimeStep(to - from, maxTimeTicks);
  const std::vector<double> tTicks = TickValues(from, to, tStep);
  const bool hours = std::max(std::fabs(from), std::fabs(to)) >= 3600;

  for (size_t l = 0; l < lanes_.size(); ++l) {
    const ChartLane& lane = lanes_[l];
    const LaneView& v = views[l];
    const QRect r = v.rect;
    auto yOf = [&](double value) {
      const double y = r.bottom() - (value - v.lo) * (r.height() - 1) / (v.hi - v.lo);
      return std::clamp(y, r.top() - 2.0, r.bottom() + 2.0);
    };
    p.fillRect(r, Qt::white);
    // The gauge's alarm zone, faintly.
    const QColor band(230, 40, 30, 30);
    if (lane.scale.alarmAbove && *lane.scale.alarmAbove < v.hi)
      p.fillRect(
          QRectF(QPointF(r.left(), yOf(v.hi)), QPointF(r.right() + 1, yOf(*lane.scale.alarmAbove))),
          band);
    if (lane.scale.alarmBelow && *lane.scale.alarmBelow > v.lo)
      p.fillRect(
          QRectF(QPointF(r.left(), yOf(*lane.scale.alarmBelow)), QPointF(r.right() + 1, yOf(v.lo))),
          band);
    // Grid and value ticks.
    p.setFont(tickFont);
    for (double t : tTicks) {
      const int x = static_cast<int>(std::lround(xOfTime(t)));
      p.setPen(QColor(228, 228, 228));
      p.drawLine(x, r.top(), x, r.bottom());
    }
    for (double value : TickValues(v.lo, v.hi, v.step)) {
      const int y = static_cast<int>(std::lround(yOf(value)));
      p.setPen(QColor(228, 228, 228));
      p.drawLine(r.left(), y, r.right(), y);
      p.setPen(lane.color.darker(130));
      // Labels at a lane's edge stay within it, clear of the next lane's.
      const int h = tickMetrics.height();
      const int top = std::clamp(y - h / 2, r.top() - 4, std::max(r.top() - 4, r.bottom() - h + 4));
      p.drawText(QRect(0, top, kLeft - 4, h), Qt::AlignRight | Qt::AlignVCenter,
                 Q(FormatTickValue(value, v.step)));
    }
    // The thinned line: each column runs from its first value through its
    // extremes to its last, and the next column starts where it ended.
    if (l < columns_.size()) {
      QPolygonF line;
      line.reserve(static_cast<qsizetype>(columns_[l].size() * 4));
      auto flush = [&] {
        if (line.size() > 1) {
          p.drawPolyline(line);
          line.translate(0, 1);
          p.drawPolyline(line);
        }
        line.clear();
      };
      p.save();
      p.setClipRect(r.adjusted(0, 0, 1, 1));
      p.setRenderHint(QPainter::Antialiasing, false);
      // Two hairlines a pixel apart: a wide pen goes through the stroker and
      // costs tens of times more for the thousands of short segments here.
      p.setPen(QPen(lane.color, 0));
      for (size_t c = 0; c < columns_[l].size(); ++c) {
        const ColumnExtent& e = columns_[l][c];
        if (!e.any) continue;
        const double x = r.left() + static_cast<double>(c) + 0.5;
        line << QPointF(x, yOf(e.first));
        if (e.min != e.max) line << QPointF(x, yOf(e.min)) << QPointF(x, yOf(e.max));
        line << QPointF(x, yOf(e.last));
      }
      if (line.size() == 1) line << line.front() + QPointF(0.5, 0);
      flush();
      p.restore();
    }
    p.setPen(QColor(150, 150, 150));
    p.drawRect(r.adjusted(0, 0, -1, -1));

    // Caption and unit, top left; the latest value at the right edge.
    // Ratios and counts have no unit: no comma after the caption.
    const QString caption = lane.unit.isEmpty() ? lane.caption : lane.caption + ", " + lane.unit;
    p.setFont(ChartFont(11, true));
    const QFontMetrics cm(p.font());
    const QRect capRect(r.left() + 4, r.top() + 2, cm.horizontalAdvance(caption) + 6, cm.height());
    p.fillRect(capRect, QColor(255, 255, 255, 210));
    p.setPen(lane.color);
    p.drawText(capRect.adjusted(3, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, caption);
    if (series_ && l < series_->lanes.size() && series_->size() > 0) {
      const auto& values = series_->lanes[l];
      size_t i = values.size();
      while (i > 0 && std::isnan(values[i - 1]) && values.size() - i < 100000) --i;
      if (i > 0 && !std::isnan(values[i - 1])) {
        const QRect right(r.right() + 6, r.top(), kRight - 8, r.height());
        p.setFont(ChartFont(14, true));
        const QFontMetrics vm(p.font());
        QString text = laneValueText(l, i - 1, lane.scale.decimals);
        text = vm.elidedText(text, Qt::ElideRight, right.width());
        p.drawText(right.adjusted(0, 0, 0, -r.height() / 2 + vm.height() / 2),
                   Qt::AlignLeft | Qt::AlignBottom, text);
        p.setFont(ChartFont(10));
        p.drawText(right.adjusted(0, r.height() / 2 + vm.height() / 2 - 2, 0, 0),
                   Qt::AlignLeft | Qt::AlignTop,
                   QFontMetrics(p.font()).elidedText(lane.unit, Qt::ElideRight, right.width()));
      }
    }
  }

  // The time axis.
  p.setFont(tickFont);
  p.setPen(QColor(60, 60, 60));
  const int axisY = plot.bottom() + 3;
  for (double t : tTicks) {
    const int x = static_cast<int>(std::lround(xOfTime(t)));
    const QString text = Q(FormatTime(t, tStep, hours));
    const int w = tickMetrics.horizontalAdvance(text);
    p.drawLine(x, plot.bottom() + 1, x, plot.bottom() + 3);
    p.drawText(QRect(x - w / 2 - 2, axisY, w + 4, kAxis - 3), Qt::AlignCenter, text);
  }
  if (!note_.isEmpty()) {
    p.setPen(QColor(150, 30, 20));
    p.drawText(QRect(4, plot.bottom() + kAxis, width() - 8, kNoteLine),
               Qt::AlignLeft | Qt::AlignVCenter, note_);
  }

  // The cursor: a line at the nearest row, its time on the axis and every
  // lane's value beside it.
  if (const auto row = cursorRow()) {
    const double t = series_->t[*row];
    const int x = static_cast<int>(std::lround(xOfTime(t)));
    p.setPen(QPen(QColor(40, 40, 40), 1, Qt::DashLine));
    p.drawLine(x, plot.top(), x, plot.bottom());
    p.setFont(ChartFont(11, true));
    const QFontMetrics fm(p.font());
    // Beside the line, or on it (centred, opaque) for the time on the axis.
    auto box = [&](const QString& text, int y, const QColor& color, bool centred) {
      const int w = fm.horizontalAdvance(text) + 8;
      int left = centred ? x - w / 2 : x + 4;
      if (!centred && left + w > plot.right()) left = x - 4 - w;
      const QRect b(left, y, w, fm.height() + 2);
      p.fillRect(b, centred ? QColor(Qt::white) : QColor(255, 255, 255, 235));
      p.setPen(color);
      p.drawRect(b.adjusted(0, 0, -1, -1));
      p.drawText(b, Qt::AlignCenter, text);
    };
    const QStringList readout = cursorReadout();
    for (size_t l = 0; l < lanes_.size(); ++l)
      box(laneValueText(l, *row, lanes_[l].scale.decimals) + " " + lanes_[l].unit,
          views[l].rect.top() + std::max(2, views[l].rect.height() / 2 - fm.height() / 2),
          lanes_[l].color, false);
    if (!readout.isEmpty()) box(readout.front(), plot.bottom() + 1, QColor(20, 20, 20), true);
  }
}

void StripChart::mouseMoveEvent(QMouseEvent* event) {
  const QPointF pos = event->position();
  if (dragStart_ && (event->buttons() & Qt::LeftButton)) {
    const double perPixel = (dragTo_ - dragFrom_) / plotRect().width();
    const double dt = (pos.x() - dragStart_->x()) * perPixel;
    setView(dragFrom_ - dt, dragTo_ - dt);
  }
  setCursorX(pos.x());
}

void StripChart::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  dragStart_ = event->position();
  dragFrom_ = viewFrom();
  dragTo_ = viewTo();
  setCursor(Qt::ClosedHandCursor);
}

void StripChart::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
  dragStart_.reset();
  unsetCursor();
}

void StripChart::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  setCursorX(std::nullopt);
}

void StripChart::wheelEvent(QWheelEvent* event) {
  const int delta = event->angleDelta().y();
  if (delta == 0) return QWidget::wheelEvent(event);
  const double factor = std::pow(0.8, delta / 120.0);  // away from the user: closer
  const double from = viewFrom(), to = viewTo();
  const auto [lo, hi] = dataRange();
  const double whole = std::max(hi - lo, kMinSpan);
  const double span =
      std::clamp((to - from) * factor, kMinSpan, std::max(whole * 1.05, kDefaultSpan));
  event->accept();
  if (following()) {
    span_ = span;
    update();
    return;
  }
  if (span >= whole && mode_ != Mode::Follow) {
    showAll();
    return;
  }
  // The time under the mouse stays where it is.
  const double anchor = timeAtX(event->position().x());
  const double share = (anchor - from) / (to - from);
  setView(anchor - share * span, anchor - share * span + span);
}

void StripChart::keyPressEvent(QKeyEvent* event) {
  const double span = viewTo() - viewFrom();
  switch (event->key()) {
    case Qt::Key_End:
      followEnd();
      return;
    case Qt::Key_Home:
      setView(dataRange().first, dataRange().first + span);
      return;
    case Qt::Key_Left:
      setView(viewFrom() - span / 10, viewTo() - span / 10);
      return;
    case Qt::Key_Right:
      setView(viewFrom() + span / 10, viewTo() + span / 10);
      return;
    default:
      QWidget::keyPressEvent(event);
  }
}

}  // namespace kalvex

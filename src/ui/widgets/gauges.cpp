#include "ui/widgets/gauges.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QRadialGradient>
#include <QTimer>
#include <QtMath>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace kalvex {

namespace {

QColor ToColor(Rgb c) { return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

QString Q(const std::string& s) { return QString::fromStdString(s); }
// Captions and units are Russian in the layout; shown in the chosen language.
QString T(const std::string& s, const std::string& note = {}) {
  return QCoreApplication::translate("kalvex", s.c_str(), note.empty() ? nullptr : note.c_str());
}

QFont GaugeFont(int px, bool bold = false) {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setStyleHint(QFont::SansSerif);
  f.setPixelSize(std::max(px, 1));
  f.setBold(bold);
  return f;
}

// The preferred size, shrunk until the text fits the width.
QFont FitFont(const QString& text, double maxWidth, int px, int minPx, bool bold = false) {
  QFont f = GaugeFont(px, bold);
  while (px > minPx && QFontMetricsF(f).horizontalAdvance(text) > maxWidth) {
    f.setPixelSize(--px);
  }
  return f;
}

const QColor kShadow(0x80, 0x80, 0x80);
const QColor kDarkShadow(0x40, 0x40, 0x40);
const QColor kHighlight(0xFF, 0xFF, 0xFF);
// A stale gauge: value box and text in greys, the whole face washed out.
const QColor kStaleBox(0x70, 0x70, 0x70);
const QColor kStaleText(0xC8, 0xC8, 0xC8);
const QColor kStaleWash(0xF0, 0xF0, 0xF0, 0xA0);

// Raised or sunken frame `width` pixels wide, inside `r`.
void DrawBevel(QPainter& p, const QRect& r, bool raised, int width) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  for (int i = 0; i < width; ++i) {
    const QRect q = r.adjusted(i, i, -i - 1, -i - 1);
    const QColor tl = raised ? kHighlight : (i == 0 ? kShadow : kDarkShadow);
    const QColor br = raised ? (i == 0 ? kDarkShadow : kShadow) : kHighlight;
    p.setPen(tl);
    p.drawLine(q.topLeft(), q.topRight());
    p.drawLine(q.topLeft(), q.bottomLeft());
    p.setPen(br);
    p.drawLine(q.bottomLeft(), q.bottomRight());
    p.drawLine(q.topRight(), q.bottomRight());
  }
  p.restore();
}

int BevelWidth(const GaugeSettings& s) {
  return (s.has(kOptBevelOuter) ? 2 : 0) + (s.has(kOptBevelInner) ? 1 : 0);
}

void DrawBevels(QPainter& p, const GaugeSettings& s, const QRect& r) {
  if (s.has(kOptBevelOuter)) DrawBevel(p, r, true, 2);
  if (s.has(kOptBevelInner)) DrawBevel(p, r.adjusted(2, 2, -2, -2), false, 1);
}

QString ScaleLabel(const GaugeSettings& s, int i) {
  const int steps = std::max(s.steps, 1);
  const double v = s.valueFrom + (s.valueTo - s.valueFrom) * i / steps;
  return Q(FormatValue(v, s.scaleFormat));
}

double WidestScaleLabel(const GaugeSettings& s, const QFont& font) {
  const QFontMetricsF fm(font);
  double w = 0;
  for (int i = 0; i <= std::max(s.steps, 1); ++i)
    w = std::max(w, fm.horizontalAdvance(ScaleLabel(s, i)));
  return w;
}

// Ticks as per-mille positions: major at every step, minor between.
template <typename F>
void ForEachTick(const GaugeSettings& s, F&& f) {
  const int steps = std::max(s.steps, 1);
  const int sub = std::max(s.subSteps, 1);
  for (int i = 0; i <= steps; ++i) {
    f(1000.0 * i / steps, true, i);
    if (i == steps) break;
    for (int j = 1; j < sub; ++j) f(1000.0 * (i * sub + j) / (steps * sub), false, i);
  }
}

void DrawCaption(QPainter& p, const QRectF& r, const std::string& text, int px, bool bold = false,
                 const std::string& note = {}) {
  const QString t = T(text, note);
  p.setFont(FitFont(t, r.width(), px, 7, bold));
  p.setPen(Qt::black);
  p.drawText(r, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextDontClip, t);
}

void DrawPolygon(QPainter& p, const QPolygonF& poly, const QColor& fill) {
  p.setPen(QPen(Qt::black, 1.0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  p.setBrush(fill);
  p.drawPolygon(poly);
}

// ---- the shared flash clock ----------------------------------------------------

std::vector<GaugeWidget*>& Alarmed() {
  static std::vector<GaugeWidget*> widgets;
  return widgets;
}

FlashTicker& Ticker() {
  static FlashTicker ticker;
  return ticker;
}

QPointer<QTimer>& FlashTimer() {
  static QPointer<QTimer> timer;
  return timer;
}

// The tick runs only while some gauge is in alarm.
void UpdateFlashTimer() {
  QPointer<QTimer>& timer = FlashTimer();
  if (Alarmed().empty()) {
    if (timer) timer->stop();
    return;
  }
  if (!timer) {
    if (!QCoreApplication::instance()) return;
    timer = new QTimer(QCoreApplication::instance());
    timer->setInterval(FlashTicker::kTickMs);
    QObject::connect(timer, &QTimer::timeout, [] { GaugeWidget::flashTick(); });
  }
  if (!timer->isActive()) timer->start();
}

}  // namespace

// ---- GaugeWidget ------------------------------------------------------------------

GaugeWidget::GaugeWidget(GaugeKind kind, GaugeSettings settings, QWidget* parent)
    : QWidget(parent), model_(kind, std::move(settings)) {
  // Not Qt::WA_OpaquePaintEvent, though the face covers the whole gauge: at
  // a fractional scale (125 %, 150 %) the partly covered device pixels at
  // its right and bottom edge are clipped away from the gauge's painter and
  // left out of the page's as well, so an old picture (a value's text)
  // stayed there. Without the flag the page paints them first.
  syncAlarmRegistration();
}

GaugeWidget::~GaugeWidget() {
  auto& alarmed = Alarmed();
  alarmed.erase(std::remove(alarmed.begin(), alarmed.end(), this), alarmed.end());
  UpdateFlashTimer();
}

void GaugeWidget::setValue(float value) {
  const GaugeChange change = model_.setValue(value, QDateTime::currentMSecsSinceEpoch());
  if (!change.changed) return;
  if (change.alarmChanged) syncAlarmRegistration();
  update();
}

void GaugeWidget::clearValue() {
  const GaugeChange change = model_.clear();
  if (!change.changed) return;
  if (change.alarmChanged) syncAlarmRegistration();
  update();
}

void GaugeWidget::refreshed(int64_t nowMs) { staleChanged(model_.refreshed(nowMs)); }

void GaugeWidget::applyStaleRule(int64_t nowMs, const RefreshPace& pace) {
  staleChanged(model_.updateStale(nowMs, pace));
}

void GaugeWidget::setPinnedStale(bool pinned) { staleChanged(model_.setPinnedStale(pinned)); }

void GaugeWidget::staleChanged(bool changed) {
  if (!changed) return;
  background_ = QImage();  // the value box colour lives in the cached face
  update();
}

QColor GaugeWidget::valueBoxColor() const {
  return model_.stale() ? kStaleBox : ToColor(settings().valueBoxColor);
}

QColor GaugeWidget::valueTextColor() const {
  return model_.stale() ? kStaleText : ToColor(settings().valueColor);
}

void GaugeWidget::syncAlarmRegistration() {
  auto& alarmed = Alarmed();
  const auto it = std::find(alarmed.begin(), alarmed.end(), this);
  if (model_.inAlarm() && it == alarmed.end()) alarmed.push_back(this);
  if (!model_.inAlarm() && it != alarmed.end()) alarmed.erase(it);
  UpdateFlashTimer();
}

void GaugeWidget::flashTick() {
  if (!Ticker().tick()) return;
  for (GaugeWidget* w : Alarmed())
    if (w->model_.flash()) w->update();
}

bool GaugeWidget::flashTimerActive() {
  const QPointer<QTimer>& timer = FlashTimer();
  return timer && timer->isActive();
}

void GaugeWidget::ensureLayout() {
  if (layoutSize_ == size()) return;
  layoutSize_ = size();
  background_ = QImage();
  relayout();
}

void GaugeWidget::paintEvent(QPaintEvent*) {
  ensureLayout();
  // Rounded up, so the face reaches every device pixel the gauge touches
  // (a 145-pixel gauge covers 181.25 of them at 125 %).
  const qreal dpr = devicePixelRatioF();
  const QSize pixels(qCeil(width() * dpr), qCeil(height() * dpr));
  if (background_.size() != pixels) {
    background_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    background_.setDevicePixelRatio(dpr);
    background_.fill(ToColor(colors::kBtnFace));
    QPainter bp(&background_);
    bp.setRenderHint(QPainter::Antialiasing);
    bp.setRenderHint(QPainter::TextAntialiasing);
    paintStatic(bp);
  }
  QPainter p(this);
  p.drawImage(QPointF(0, 0), background_);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  paintDynamic(p);
  if (model_.stale()) p.fillRect(rect(), kStaleWash);
}

// ---- dial meters --------------------------------------------------------------------

DialGauge::DialGauge(GaugeKind kind, double sweep, GaugeSettings settings, QWidget* parent)
    : GaugeWidget(kind, std::move(settings), parent), sweep_(sweep) {}

Dial180Gauge::Dial180Gauge(GaugeSettings settings, QWidget* parent)
    : DialGauge(GaugeKind::Meter180, 180.0, std::move(settings), parent) {}

Dial120Gauge::Dial120Gauge(GaugeSettings settings, QWidget* parent)
    : DialGauge(GaugeKind::Meter120, 120.0, std::move(settings), parent) {}

double DialGauge::angleAt(double position) const {
  return 90.0 + sweep_ / 2.0 - sweep_ * position / 1000.0;
}

QPointF DialGauge::pointAt(double position, double r) const {
  const double a = angleAt(position) * std::numbers::pi / 180.0;
  return pivot_ + QPointF(r * std::cos(a), -r * std::sin(a));
}

namespace {
constexpr double kCaptionLine = 13;
constexpr double kHub = 6;

// Name2 on the bottom line above `bottom`, Name1 above it (each only when its
// option is on); returns what is left of the height above them.
double PlaceCaptions(const GaugeSettings& s, const QRectF& inner, double bottom, QRectF& name1,
                     QRectF& name2) {
  if (s.has(kOptName2)) {
    name2 = QRectF(inner.left() + 2, bottom - kCaptionLine, inner.width() - 4, kCaptionLine);
    bottom -= kCaptionLine;
  }
  if (s.has(kOptName1)) {
    name1 = QRectF(inner.left() + 2, bottom - kCaptionLine, inner.width() - 4, kCaptionLine);
    bottom -= kCaptionLine;
  }
  return bottom;
}
}  // namespace

void DialGauge::relayout() {
  const GaugeSettings& s = settings();
  const double b = BevelWidth(s);
  const QRectF inner(b, b, width() - 2 * b, height() - 2 * b);
  double bottom = inner.bottom() - 1;
  bottom = PlaceCaptions(s, inner, bottom, name1Rect_, name2Rect_);
  face_ = QRectF(inner.left() + 3, inner.top() + 3, inner.width() - 6, bottom - inner.top() - 5);
  const double halfSweep = sweep_ / 2.0 * std::numbers::pi / 180.0;
  constexpr double kPad = 5;
  const double byWidth = (face_.width() / 2 - kPad) / std::sin(halfSweep);
  const double byHeight = face_.height() - 2 * kPad - kHub;
  radius_ = std::max(10.0, std::min(byWidth, byHeight));
  const double spare = std::max(0.0, face_.height() - 2 * kPad - kHub - radius_);
  pivot_ = QPointF(face_.center().x(), face_.top() + kPad + spare / 2 + radius_);
}

void DialGauge::paintStatic(QPainter& p) {
  const GaugeSettings& s = settings();
  DrawBevels(p, s, rect());

  // Instrument face: white, slightly shaded towards the bottom.
  QLinearGradient face(face_.topLeft(), face_.bottomLeft());
  face.setColorAt(0, QColor(0xFF, 0xFF, 0xFF));
  face.setColorAt(1, QColor(0xDD, 0xDD, 0xDD));
  p.setPen(QPen(QColor(0x90, 0x90, 0x90), 1));
  p.setBrush(face);
  p.drawRoundedRect(face_.adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);

  const double r = radius_;
  const QRectF arcRect(pivot_.x() - r, pivot_.y() - r, 2 * r, 2 * r);
  if (s.has(kOptSector)) {
    constexpr double kBand = 6;
    const QRectF bandRect = arcRect.adjusted(kBand / 2, kBand / 2, -kBand / 2, -kBand / 2);
    for (const Sector& sec : s.sectors) {
      const int from = std::clamp(sec.from, 0, 1000);
      const int to = std::clamp(sec.to, 0, 1000);
      if (to < from) continue;
      p.setPen(QPen(ToColor(sec.color), kBand, Qt::SolidLine, Qt::FlatCap));
      p.setBrush(Qt::NoBrush);
      const double start = angleAt(from);
      p.drawArc(bandRect, qRound(start * 16), qRound((angleAt(to) - start) * 16));
    }
  }
  const QColor scale = ToColor(s.scaleColor);
  if (s.drawLine) {
    p.setPen(QPen(scale, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(arcRect, qRound(angleAt(0) * 16), qRound(-sweep_ * 16));
  }
  ForEachTick(s, [&](double pos, bool major, int) {
    p.setPen(QPen(scale, major ? 1.8 : 1.0, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(pointAt(pos, r), pointAt(pos, r - (major ? 11 : 6)));
  });
  const QFont labelFont = GaugeFont(r > 70 ? 11 : 9);
  p.setFont(labelFont);
  const double labelR = r - 11 - QFontMetricsF(labelFont).height() * 0.9;
  ForEachTick(s, [&](double pos, bool major, int i) {
    if (!major) return;
    QPointF c = pointAt(pos, labelR);
    // Keep end labels clear of the needle resting on the horizontal.
    c.setY(std::min(c.y(), pivot_.y() - 12));
    p.drawText(QRectF(c.x() - 20, c.y() - 8, 40, 16), Qt::AlignCenter, ScaleLabel(s, i));
  });
  if (s.has(kOptUnit)) {
    p.setFont(GaugeFont(12, true));
    p.drawText(QRectF(pivot_.x() - r / 2, pivot_.y() - r * 0.55, r, 16), Qt::AlignCenter,
               T(s.unit));
  }
  if (s.has(kOptName1)) DrawCaption(p, name1Rect_, s.name1, 11, false, s.name1Note);
  if (s.has(kOptName2)) DrawCaption(p, name2Rect_, s.name2, 11);
}

void DialGauge::paintDynamic(QPainter& p) {
  const GaugeModel& m = model();
  const GaugeSettings& s = settings();
  const double r = radius_;

  // Min/max markers: small wedges on the arc pointing at the centre.
  auto marker = [&](int pos, bool isMax) {
    const double a = angleAt(pos) * std::numbers::pi / 180.0;
    const QPointF radial(std::cos(a), -std::sin(a));
    const QPointF tangent(std::sin(a), std::cos(a));
    const QPointF tip = pivot_ + radial * (r - 9);
    const QPointF base = pivot_ + radial * (r + 3);
    DrawPolygon(p, QPolygonF({tip, base + tangent * 4.0, base - tangent * 4.0}),
                ToColor(m.markerColor(pos, isMax)));
  };
  if (s.maxVisible && m.hasMax()) marker(m.maxPosition(), true);
  if (s.minVisible && m.hasMin()) marker(m.minPosition(), false);

  // Needle: a lime arrow with a black outline, then the hub over its root.
  const double len = r - 5;
  if (!m.empty()) {
    p.save();
    p.translate(pivot_);
    p.rotate(-angleAt(m.position()));
    const QPolygonF needle({QPointF(-kHub - 4, -2.2), QPointF(len - 12, -2.2),
                            QPointF(len - 12, -4.5), QPointF(len, 0), QPointF(len - 12, 4.5),
                            QPointF(len - 12, 2.2), QPointF(-kHub - 4, 2.2)});
    DrawPolygon(p, needle, ToColor(m.pointerFill()));
    p.restore();
  }
  QRadialGradient hub(pivot_ - QPointF(2, 2), kHub * 1.6);
  hub.setColorAt(0, QColor(0x90, 0x90, 0x90));
  hub.setColorAt(1, QColor(0x20, 0x20, 0x20));
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(hub);
  p.drawEllipse(pivot_, kHub, kHub);
}

// ---- vertical meter --------------------------------------------------------------------

namespace {
constexpr double kValueBoxHeight = 20;
constexpr double kLane = 14;
constexpr double kMarkerLane = 8;
constexpr double kMajorTick = 9;
constexpr double kMinorTick = 5;
}  // namespace

VerticalGauge::VerticalGauge(GaugeSettings settings, QWidget* parent)
    : GaugeWidget(GaugeKind::VMeter, std::move(settings), parent) {}

double VerticalGauge::yAt(double position) const {
  return bottom_ - (bottom_ - top_) * position / 1000.0;
}

void VerticalGauge::relayout() {
  const GaugeSettings& s = settings();
  const double b = BevelWidth(s);
  const QRectF inner(b, b, width() - 2 * b, height() - 2 * b);
  double y = inner.top() + 3;
  if (s.has(kOptValue)) {
    valueBox_ = QRectF(inner.left() + 3, y, inner.width() - 6, kValueBoxHeight);
    y += kValueBoxHeight + 2;
  }
  if (s.has(kOptUnit)) {
    unitRect_ = QRectF(inner.left() + 2, y, inner.width() - 4, 14);
    y += 14;
  }
  double bottom = inner.bottom() - 2;
  bottom = PlaceCaptions(s, inner, bottom, name1Rect_, name2Rect_);
  top_ = y + 9;
  bottom_ = std::max(top_ + 10, bottom - 9);
  const double labels = WidestScaleLabel(s, GaugeFont(10));
  const double total = labels + 3 + kMajorTick + kLane + kMarkerLane;
  labelRight_ = inner.left() + std::max(2.0, (inner.width() - total) / 2) + labels;
  scaleX_ = labelRight_ + 3 + kMajorTick;
  pointerLane_ = QRectF(scaleX_ + 1, top_ - 7, kLane, bottom_ - top_ + 14);
}

void VerticalGauge::paintStatic(QPainter& p) {
  const GaugeSettings& s = settings();
  DrawBevels(p, s, rect());
  if (s.has(kOptValue)) {
    p.fillRect(valueBox_, valueBoxColor());
    DrawBevel(p, valueBox_.toAlignedRect(), false, 1);
  }
  if (s.has(kOptUnit)) DrawCaption(p, unitRect_, s.unit, 11, true);
  if (s.has(kOptName1)) DrawCaption(p, name1Rect_, s.name1, 11, false, s.name1Note);
  if (s.has(kOptName2)) DrawCaption(p, name2Rect_, s.name2, 11);

  // A light track for the pointer keeps the scale readable at a glance.
  p.fillRect(QRectF(scaleX_, top_, kLane + 1, bottom_ - top_), QColor(0xFF, 0xFF, 0xFF));

  const QColor scale = ToColor(s.scaleColor);
  p.setRenderHint(QPainter::Antialiasing, false);
  if (s.drawLine) {
    p.setPen(QPen(scale, 1));
    p.drawLine(QPointF(scaleX_, top_), QPointF(scaleX_, bottom_));
  }
  ForEachTick(s, [&](double pos, bool major, int) {
    p.setPen(QPen(scale, major ? 2 : 1, Qt::SolidLine, Qt::FlatCap));
    const double y = std::round(yAt(pos));
    p.drawLine(QPointF(scaleX_ - (major ? kMajorTick : kMinorTick), y), QPointF(scaleX_, y));
  });
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setFont(GaugeFont(10));
  p.setPen(scale);
  ForEachTick(s, [&](double pos, bool major, int i) {
    if (!major) return;
    const double y = yAt(pos);
    p.drawText(QRectF(labelRight_ - 40, y - 8, 40, 16), Qt::AlignRight | Qt::AlignVCenter,
               ScaleLabel(s, i));
  });
}

void VerticalGauge::paintDynamic(QPainter& p) {
  const GaugeModel& m = model();
  const GaugeSettings& s = settings();
  if (s.has(kOptValue)) {
    const QString text = Q(m.valueText());
    p.setFont(FitFont(text, valueBox_.width() - 8, 14, 7, true));
    p.setPen(valueTextColor());
    p.drawText(valueBox_.adjusted(4, 0, -4, 0), Qt::AlignRight | Qt::AlignVCenter, text);
  }
  const double markerX = scaleX_ + kLane + 2;
  auto marker = [&](int pos, bool isMax) {
    const double y = yAt(pos);
    DrawPolygon(p,
                QPolygonF({QPointF(markerX, y), QPointF(markerX + kMarkerLane - 1, y - 4),
                           QPointF(markerX + kMarkerLane - 1, y + 4)}),
                ToColor(m.markerColor(pos, isMax)));
  };
  if (s.maxVisible && m.hasMax()) marker(m.maxPosition(), true);
  if (s.minVisible && m.hasMin()) marker(m.minPosition(), false);
  if (m.empty()) return;
  const double y = yAt(m.position());
  DrawPolygon(p,
              QPolygonF({QPointF(scaleX_ + 1, y), QPointF(scaleX_ + kLane, y - 6),
                         QPointF(scaleX_ + kLane, y + 6)}),
              ToColor(m.pointerFill()));
}

// ---- thermometer ---------------------------------------------------------------------

namespace {
constexpr double kBarWidth = 12;
}  // namespace

ThermometerGauge::ThermometerGauge(GaugeSettings settings, QWidget* parent)
    : GaugeWidget(GaugeKind::Thermometer, std::move(settings), parent) {}

void ThermometerGauge::relayout() {
  const GaugeSettings& s = settings();
  double top = 2;
  if (s.has(kOptName1)) {
    name1Rect_ = QRectF(1, top, width() - 2, kCaptionLine);
    top += kCaptionLine;
  }
  if (s.has(kOptName2)) {
    name2Rect_ = QRectF(1, top, width() - 2, kCaptionLine);
    top += kCaptionLine;
  }
  double bottom = height() - 2;
  if (s.has(kOptValue) || s.has(kOptUnit)) {
    valueRect_ = QRectF(1, bottom - 17, width() - 2, 17);
    bottom -= 17;
  }
  top += 9;
  bottom = std::max(top + 10, bottom - 9);
  const double labels = WidestScaleLabel(s, GaugeFont(10));
  const double spacing = std::max(0, s.scaleSpacing);
  const double total = kBarWidth + spacing + kMajorTick - 1 + 3 + labels;
  const double x0 = std::max(2.0, (width() - total) / 2);
  bar_ = QRectF(x0, top, kBarWidth, bottom - top);
  tickX_ = bar_.right() + spacing;
}

void ThermometerGauge::paintStatic(QPainter& p) {
  const GaugeSettings& s = settings();
  if (s.has(kOptName1)) DrawCaption(p, name1Rect_, s.name1, 11, false, s.name1Note);
  if (s.has(kOptName2)) DrawCaption(p, name2Rect_, s.name2, 11);
  p.fillRect(bar_, ToColor(s.barBackground));
  DrawBevel(p, bar_.toAlignedRect().adjusted(-1, -1, 1, 1), false, 1);

  const QColor scale = ToColor(s.scaleColor);
  auto yAt = [&](double pos) { return bar_.bottom() - bar_.height() * pos / 1000.0; };
  p.setRenderHint(QPainter::Antialiasing, false);
  if (s.drawLine) {
    p.setPen(QPen(scale, 1));
    p.drawLine(QPointF(tickX_, bar_.top()), QPointF(tickX_, bar_.bottom()));
  }
  ForEachTick(s, [&](double pos, bool major, int) {
    p.setPen(QPen(scale, 1, Qt::SolidLine, Qt::FlatCap));
    const double y = std::round(yAt(pos));
    p.drawLine(QPointF(tickX_, y), QPointF(tickX_ + (major ? kMajorTick - 1 : 4), y));
  });
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setFont(GaugeFont(10));
  p.setPen(scale);
  const double labelX = tickX_ + kMajorTick + 2;
  ForEachTick(s, [&](double pos, bool major, int i) {
    if (!major) return;
    p.drawText(QRectF(labelX, yAt(pos) - 8, 40, 16), Qt::AlignLeft | Qt::AlignVCenter,
               ScaleLabel(s, i));
  });
}

void ThermometerGauge::paintDynamic(QPainter& p) {
  const GaugeModel& m = model();
  const GaugeSettings& s = settings();
  const double h = m.empty() ? 0.0 : std::round(bar_.height() * m.position() / 1000.0);
  if (h > 0) {
    p.fillRect(QRectF(bar_.left(), bar_.bottom() - h, bar_.width(), h), ToColor(s.barColor));
  }
  if (s.has(kOptValue) || s.has(kOptUnit)) {
    QString text;
    if (s.has(kOptValue)) text = Q(m.valueText());
    if (s.has(kOptUnit)) text += (text.isEmpty() ? QString() : QStringLiteral(" ")) + T(s.unit);
    p.setFont(FitFont(text, valueRect_.width(), 13, 7, true));
    p.setPen(valueTextColor());
    p.drawText(valueRect_, Qt::AlignCenter, text);
  }
}

// ---- numeric box -------------------------------------------------------------------------

namespace {
QString UnitSuffix(const GaugeSettings& s) {
  return s.has(kOptUnit) ? QStringLiteral(" ") + T(s.unit) : QString();
}
}  // namespace

ValueDisplay::ValueDisplay(GaugeSettings settings, QWidget* parent)
    : GaugeWidget(GaugeKind::ValueInd, std::move(settings), parent) {}

QSize ValueDisplay::sizeHint() const {
  const QFontMetricsF fm(GaugeFont(13, true));
  const QString widest = Q(WidestFormatText(settings().valueFormat)) + UnitSuffix(settings());
  return QSize(qCeil(fm.horizontalAdvance(widest)) + 10, qCeil(fm.height()) + 4);
}

void ValueDisplay::relayout() {
  // Sized by the widest text the format can give, so the unit stays put
  // whatever the value.
  const GaugeSettings& s = settings();
  const QString widest = Q(WidestFormatText(s.valueFormat));
  const QString unit = UnitSuffix(s);
  fontPx_ = std::max(7, height() - 5);
  QFont f = GaugeFont(fontPx_, true);
  while (fontPx_ > 7 && QFontMetricsF(f).horizontalAdvance(widest + unit) > width() - 6)
    f.setPixelSize(--fontPx_);
  const QFontMetricsF fm(f);
  const double vw = fm.horizontalAdvance(widest);
  const double uw = fm.horizontalAdvance(unit);
  const double x0 = std::max(2.0, (width() - vw - uw) / 2);
  valueRect_ = QRectF(x0, 0, vw, height());
  unitRect_ = QRectF(x0 + vw, 0, uw + 2, height());
}

void ValueDisplay::paintStatic(QPainter& p) {
  const GaugeSettings& s = settings();
  p.fillRect(rect(), valueBoxColor());
  DrawBevel(p, rect(), false, 1);
  if (s.has(kOptUnit)) {
    p.setFont(GaugeFont(fontPx_, true));
    p.setPen(valueTextColor());
    p.drawText(unitRect_, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, UnitSuffix(s));
  }
}

void ValueDisplay::paintDynamic(QPainter& p) {
  p.setFont(GaugeFont(fontPx_, true));
  p.setPen(valueTextColor());
  // A value wider than the format (out of range) may spill to the left.
  p.drawText(valueRect_, Qt::AlignRight | Qt::AlignVCenter | Qt::TextDontClip,
             Q(model().valueText()));
}

GaugeWidget* MakeGauge(GaugeKind kind, const GaugeSettings& settings, QWidget* parent) {
  switch (kind) {
    case GaugeKind::Meter180:
      return new Dial180Gauge(settings, parent);
    case GaugeKind::Meter120:
      return new Dial120Gauge(settings, parent);
    case GaugeKind::VMeter:
      return new VerticalGauge(settings, parent);
    case GaugeKind::Thermometer:
      return new ThermometerGauge(settings, parent);
    case GaugeKind::ValueInd:
      break;
  }
  return new ValueDisplay(settings, parent);
}

}  // namespace kalvex

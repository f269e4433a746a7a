#include "ui/widgets/gauges.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <cmath>
#include <memory>
#include <numbers>

#include "catalogue/visibility.h"
#include "protocol/clock.h"
#include "support/qt_test_app.h"
#include "ui/dashboard_layout.h"
#include "ui/widgets/dashboard.h"

namespace kalvex {
namespace {

// One QApplication for the whole run (deleted after the last test, so Qt
// releases its font caches before the leak check).
class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
#ifndef Q_OS_WIN
    // Windows' Qt has no offscreen platform (and wine keeps QT_* variables
    // from reaching the program): there the native one draws as well.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    TestApp();
  }
};

[[maybe_unused]] ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

class Gauges : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(QApplication::instance(), nullptr); }
};

QImage Render(QWidget& w) {
  QImage img(w.size(), QImage::Format_ARGB32);
  img.fill(Qt::white);
  w.render(&img);
  return img;
}

bool IsLime(QRgb p) { return qGreen(p) > 200 && qRed(p) < 90 && qBlue(p) < 90; }
bool IsRed(QRgb p) { return qRed(p) > 200 && qGreen(p) < 90 && qBlue(p) < 90; }
bool IsYellow(QRgb p) { return qRed(p) > 200 && qGreen(p) > 200 && qBlue(p) < 90; }
bool IsBlue(QRgb p) { return qBlue(p) > 200 && qRed(p) < 90 && qGreen(p) < 90; }

// Settings of a dashboard gauge without its alarms, so the needle stays lime.
GaugeSettings Quiet(Component c) {
  GaugeSettings s = SetupOf(c).settings;
  s.options &= ~(kOptLimit | kOptOverflow);
  return s;
}

template <typename Meter>
void ExpectNeedleFollowsPosition(Component c) {
  const ComponentSetup& setup = SetupOf(c);
  Meter m(Quiet(c));
  m.resize(setup.width, setup.height);
  const GaugeSettings& s = m.settings();
  for (int pos : {0, 500, 1000}) {
    m.setValue(static_cast<float>(s.valueFrom + (s.valueTo - s.valueFrom) * pos / 1000.0));
    ASSERT_EQ(m.model().position(), pos);
    const QImage img = Render(m);
    const QPointF pivot = m.pivot();
    double sx = 0, sy = 0;
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x)
        if (IsLime(img.pixel(x, y)) && std::hypot(x - pivot.x(), y - pivot.y()) > 15) {
          sx += x - pivot.x();
          sy += y - pivot.y();
          ++n;
        }
    ASSERT_GT(n, 50) << "no needle at " << pos;
    const double angle = std::atan2(-sy / n, sx / n) * 180.0 / std::numbers::pi;
    EXPECT_NEAR(angle, m.angleAt(pos), 6.0) << ComponentName(c) << " at " << pos;
  }
}

TEST_F(Gauges, DialNeedlePointsLeftUpRight) {
  ExpectNeedleFollowsPosition<Dial180Gauge>(Component::VS_Speed);
  ExpectNeedleFollowsPosition<Dial180Gauge>(Component::VS_Nmot);
  ExpectNeedleFollowsPosition<Dial120Gauge>(Component::VS_Ub);
  Dial180Gauge m180(Quiet(Component::VS_Speed));
  Dial120Gauge m120(Quiet(Component::VS_Ub));
  EXPECT_DOUBLE_EQ(m180.angleAt(0), 180.0);
  EXPECT_DOUBLE_EQ(m180.angleAt(500), 90.0);
  EXPECT_DOUBLE_EQ(m120.angleAt(0), 150.0);
  EXPECT_DOUBLE_EQ(m120.angleAt(1000), 30.0);
}

TEST_F(Gauges, DialNeedleFlashesInAlarm) {
  Dial180Gauge m(SetupOf(Component::VS_Speed).settings);
  m.resize(209, 145);
  m.setValue(200.0f);  // beyond the upper limit 180
  const double a = m.angleAt(m.model().position()) * std::numbers::pi / 180.0;
  const QPointF onNeedle = m.pivot() + QPointF(std::cos(a), -std::sin(a)) * (m.radius() * 0.5);
  const QPoint p = onNeedle.toPoint();
  EXPECT_TRUE(IsRed(Render(m).pixel(p))) << "red at once";
  EXPECT_TRUE(GaugeWidget::flashTimerActive());
  int ticks = 0;
  while (!IsYellow(Render(m).pixel(p)) && ticks < 8) {
    GaugeWidget::flashTick();
    ++ticks;
  }
  EXPECT_TRUE(IsYellow(Render(m).pixel(p)));
  EXPECT_GE(ticks, 1);
  EXPECT_LE(ticks, 4);
  for (int i = 0; i < 4; ++i) GaugeWidget::flashTick();
  EXPECT_TRUE(IsRed(Render(m).pixel(p)));
  m.setValue(175.0f);  // leaves the alarm, needle back to lime
  EXPECT_FALSE(GaugeWidget::flashTimerActive());
  const double b = m.angleAt(m.model().position()) * std::numbers::pi / 180.0;
  const QPoint q = (m.pivot() + QPointF(std::cos(b), -std::sin(b)) * (m.radius() * 0.5)).toPoint();
  EXPECT_TRUE(IsLime(Render(m).pixel(q)));
}

TEST_F(Gauges, FlashTimerRunsOnlyWhileAGaugeIsInAlarm) {
  EXPECT_FALSE(GaugeWidget::flashTimerActive());
  {
    VerticalGauge dv(SetupOf(Component::VS_DV).settings);
    dv.setValue(25.0f);
    EXPECT_TRUE(dv.model().inAlarm());
    EXPECT_TRUE(GaugeWidget::flashTimerActive());
  }
  EXPECT_FALSE(GaugeWidget::flashTimerActive());  // destroyed while in alarm
  ThermometerGauge tog(SetupOf(Component::VS_TOG).settings);
  tog.setValue(-48.0f);
  EXPECT_FALSE(GaugeWidget::flashTimerActive());
}

TEST_F(Gauges, VerticalPointerAtBottomMiddleTop) {
  VerticalGauge m(SetupOf(Component::VS_MRV).settings);
  m.resize(105, 385);
  for (const auto& [value, pos] :
       {std::pair{0.0f, 0}, {50.0f, 500}, {100.0f, 1000}, {150.0f, 1000}}) {
    m.setValue(value);
    const QImage img = Render(m);
    const QRectF lane = m.pointerLane();
    const int x = static_cast<int>(lane.left() + lane.width() * 0.7);
    const int y = static_cast<int>(std::round(m.yAt(pos)));
    EXPECT_TRUE(IsLime(img.pixel(x, y))) << value;  // 150: at the top, no alarm
    // Nothing lime a fifth of the scale away.
    const int away = static_cast<int>(std::round(m.yAt(pos > 500 ? pos - 200 : pos + 200)));
    EXPECT_FALSE(IsLime(img.pixel(x, away))) << value;
  }
  VerticalGauge dv(SetupOf(Component::VS_DV).settings);
  dv.resize(97, 193);
  dv.setValue(25.0f);
  const QRectF lane = dv.pointerLane();
  EXPECT_TRUE(IsRed(Render(dv).pixel(static_cast<int>(lane.left() + lane.width() * 0.7),
                                     static_cast<int>(std::round(dv.yAt(1000))))));
}

TEST_F(Gauges, ThermometerBarEmptyHalfFull) {
  ThermometerGauge t(SetupOf(Component::VS_TOG).settings);
  t.resize(105, 201);
  auto blueRows = [&](float value) {
    t.setValue(value);
    const QImage img = Render(t);
    const QRectF bar = t.barRect();
    const int x = static_cast<int>(bar.center().x());
    int rows = 0;
    for (int y = static_cast<int>(bar.top()); y < static_cast<int>(bar.bottom()); ++y)
      rows += IsBlue(img.pixel(x, y));
    return static_cast<double>(rows) / bar.height();
  };
  EXPECT_EQ(blueRows(-48.0f), 0.0);  // below the scale: empty
  EXPECT_NEAR(blueRows(60.0f), 0.5, 0.02);
  EXPECT_NEAR(blueRows(200.0f), 1.0, 0.02);  // above: full
  EXPECT_EQ(t.model().valueText(), "200.0");
}

TEST_F(Gauges, NumericBoxSizedByFormatNotValue) {
  ValueDisplay nmot(SetupOf(Component::VI_Nmot).settings);
  ValueDisplay speed(SetupOf(Component::VI_Speed).settings);
  const QSize before = nmot.sizeHint();
  nmot.setValue(8.0f);
  EXPECT_EQ(nmot.sizeHint(), before);
  EXPECT_GT(nmot.sizeHint().width(), speed.sizeHint().width());  // "####0 об/мин" > "##0 км/ч"
}

TEST_F(Gauges, DashboardBuildsTwelveHiddenGauges) {
  Dashboard d;
  d.resize(kDashboardWidth, kDashboardHeight);
  for (const ComponentSetup& s : DashboardSetup()) {
    QWidget* w = d.componentWidget(s.component);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->geometry(), QRect(s.left, s.top, s.width, s.height));
    EXPECT_EQ(w->objectName().toStdString(), ComponentName(s.component));
    EXPECT_TRUE(w->isHidden());
    EXPECT_FALSE(d.isComponentVisible(s.component));
    EXPECT_EQ(d.value(s.component), s.startValue);
  }
  EXPECT_EQ(d.value(Component::VS_TOG), -20.0f);
  EXPECT_EQ(d.value(Component::VS_Ub), 12.0f);
}

TEST_F(Gauges, DashboardVisibilityFollowsMakeAndType) {
  Dashboard d;
  auto check = [&](int make, std::optional<int> ecu) {
    const Visibility v = DashboardVisibility(make, ecu);
    for (int i = 0; i < kComponentCount; ++i) {
      const auto c = static_cast<Component>(i);
      EXPECT_EQ(d.isComponentVisible(c), v[static_cast<size_t>(i)]) << ComponentName(c);
      EXPECT_EQ(!d.componentWidget(c)->isHidden(), v[static_cast<size_t>(i)]) << ComponentName(c);
    }
  };
  d.applyMakeDefault(1);  // HYUNDAI
  check(1, std::nullopt);
  d.applyEcuType(1, 10);
  check(1, 10);
  EXPECT_FALSE(d.isComponentVisible(Component::VS_TOG));
  d.setValue(Component::VS_TOG, 85.0f);  // hidden gauges take values
  EXPECT_EQ(d.value(Component::VS_TOG), 85.0f);
  d.applyEcuType(1, 4);
  check(1, 4);
  EXPECT_TRUE(d.isComponentVisible(Component::VS_MAP));
  d.applyMakeDefault(0);
  d.applyEcuType(0, 0);
  check(0, 0);
  d.applyMakeDefault(7);  // Chery, then its preselected type 0
  d.applyEcuType(7, 0);
  check(7, 0);
  d.applyEcuType(7, 5);
  check(7, 5);
  EXPECT_TRUE(d.isComponentVisible(Component::VS_MRV));
}

// The dashboard dims what the session has not refreshed lately and only
// while a session runs; the value box greys and the needle washes out.
TEST_F(Gauges, StaleGaugesAreDimmedOnTheSessionClock) {
  ManualClock clock;
  Dashboard d;
  d.setClock(&clock);
  d.applyMakeDefault(0);
  GaugeWidget* speed = d.gauge(Component::VS_Speed);
  auto* box = static_cast<ValueDisplay*>(d.gauge(Component::VI_Speed));
  box->resize(SetupOf(Component::VI_Speed).width, SetupOf(Component::VI_Speed).height);
  const QPoint corner(3, 3);  // inside the value box, away from the text
  const QRgb fresh = Render(*box).pixel(corner);

  d.setValue(Component::VI_Speed, 60);
  d.checkStale();
  EXPECT_FALSE(box->stale()) << "no session: nothing is stale";
  d.sessionStarted();
  EXPECT_TRUE(box->stale()) << "left from before the session";
  EXPECT_TRUE(speed->stale());
  const QRgb dimmed = Render(*box).pixel(corner);
  EXPECT_NE(dimmed, fresh);
  EXPECT_GT(qGray(dimmed), qGray(fresh)) << "the black box greys";

  clock.advance(300);
  d.setValue(Component::VI_Speed, 60);  // the same value refreshes too
  d.replyHandled(11);
  EXPECT_FALSE(box->stale());
  EXPECT_EQ(Render(*box).pixel(corner), fresh);
  clock.advance(d.pace().staleAfter() + 1);
  d.checkStale();
  EXPECT_TRUE(box->stale());
  d.sessionStopped();
  EXPECT_TRUE(box->stale()) << "after a stop no value is current";
  d.clearValues();  // another make: nothing on show, nothing stale
  EXPECT_FALSE(box->stale());
  EXPECT_TRUE(box->model().empty());
  d.pinStale(Component::VS_Speed);
  EXPECT_TRUE(speed->stale());
}

}  // namespace
}  // namespace kalvex

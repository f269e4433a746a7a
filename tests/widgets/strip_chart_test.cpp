// The strip chart offscreen: the cursor reads out the row under the mouse,
// and dragging, the wheel and End move between following and looking back.
#include "ui/widgets/strip_chart.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <cmath>
#include <limits>

namespace kalvex {
namespace {

class StripChartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    series_.reset(2);
    // Ten minutes at two rows a second; the coolant is missing at first.
    for (int i = 0; i < 1200; ++i) {
      const float row[2] = {
          800.0f + static_cast<float>(i),
          i < 10 ? std::numeric_limits<float>::quiet_NaN() : 20.0f + static_cast<float>(i) / 10.0f};
      series_.append(i * 0.5, row);
    }
    chart_.setSeries(&series_);
    chart_.setLanes({{"Обороты", "об/мин", Qt::red, {0, 10000, {}, {}, 0}},
                     {"Температура ОЖ", "°C", Qt::blue, {-40, 160, {}, {}, 1}}});
    chart_.resize(640, 320);
    chart_.show();
    QApplication::processEvents();
  }

  void move(double x) {
    QMouseEvent e(QEvent::MouseMove, QPointF(x, 50), chart_.mapToGlobal(QPointF(x, 50)),
                  Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&chart_, &e);
  }

  ChartSeries series_;
  StripChart chart_;
};

TEST_F(StripChartTest, CursorReadsOutTheRowUnderIt) {
  // Following: the last five minutes, rows 600..1199.
  ASSERT_TRUE(chart_.following());
  EXPECT_DOUBLE_EQ(chart_.viewFrom(), 299.5);
  EXPECT_DOUBLE_EQ(chart_.viewTo(), 599.5);
  struct Case {
    size_t row;
    QStringList readout;
  } const cases[] = {
      {700, {"5:50.0", "Обороты: 1500 об/мин", "Температура ОЖ: 90.0 °C"}},
      {1199, {"9:59.5", "Обороты: 1999 об/мин", "Температура ОЖ: 139.9 °C"}},
  };
  for (const Case& c : cases) {
    move(chart_.xOfTime(series_.t[c.row]) + 0.2);
    EXPECT_EQ(chart_.cursorReadout(), c.readout) << c.row;
    EXPECT_FALSE(chart_.grab().toImage().isNull());
  }
  // The whole session: a row without a coolant value reads as a dash.
  chart_.showAll();
  move(chart_.xOfTime(series_.t[2]));
  EXPECT_EQ(chart_.cursorReadout(),
            QStringList({"0:01.0", "Обороты: 802 об/мин", "Температура ОЖ: — °C"}));
  // Off the plot: no cursor.
  move(5);
  EXPECT_TRUE(chart_.cursorReadout().isEmpty());
}

TEST_F(StripChartTest, DragWheelAndEndMoveTheView) {
  const QRect plot = chart_.plotRect();
  const QPointF start(plot.center());
  QMouseEvent press(QEvent::MouseButtonPress, start, chart_.mapToGlobal(start), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&chart_, &press);
  const QPointF end = start + QPointF(plot.width() / 2.0, 0);  // half a view back in time
  QMouseEvent drag(QEvent::MouseMove, end, chart_.mapToGlobal(end), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QApplication::sendEvent(&chart_, &drag);
  QMouseEvent release(QEvent::MouseButtonRelease, end, chart_.mapToGlobal(end), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(&chart_, &release);
  EXPECT_FALSE(chart_.following());
  EXPECT_NEAR(chart_.viewFrom(), 149.5, 1.0);
  EXPECT_NEAR(chart_.viewTo(), 449.5, 1.0);

  // The wheel towards the user widens the view around the mouse, up to the
  // whole session.
  for (int i = 0; i < 10; ++i) {
    QWheelEvent wheel(start, chart_.mapToGlobal(start), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&chart_, &wheel);
  }
  EXPECT_TRUE(chart_.showingAll());
  EXPECT_DOUBLE_EQ(chart_.viewFrom(), 0);
  EXPECT_DOUBLE_EQ(chart_.viewTo(), 599.5);

  QKeyEvent endKey(QEvent::KeyPress, Qt::Key_End, Qt::NoModifier);
  QApplication::sendEvent(&chart_, &endKey);
  EXPECT_TRUE(chart_.following());
  EXPECT_DOUBLE_EQ(chart_.viewTo(), 599.5);
}

}  // namespace
}  // namespace kalvex

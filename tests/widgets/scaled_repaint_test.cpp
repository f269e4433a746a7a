// The dashboard repaints cleanly at fractional scale factors (125 %, 150 %):
// after values change, what is on screen is what a fresh paint of the whole
// page draws; no pixel of an old value's text stays behind. The suite runs
// once more with QT_SCALE_FACTOR=1.25 and 1.5 (see CMakeLists.txt).
#include <gtest/gtest.h>

#include <QApplication>
#include <QBackingStore>
#include <QImage>
#include <QPixmap>
#include <QWindow>
#include <algorithm>

#include "support/qt_test_app.h"
#include "ui/dashboard_layout.h"
#include "ui/widgets/dashboard.h"

namespace kalvex {
namespace {

// Pixels where the two images differ by more than antialiasing noise.
int DifferingPixels(const QImage& a, const QImage& b, QString& where) {
  const int w = std::min(a.width(), b.width()), h = std::min(a.height(), b.height());
  int n = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      if (std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
              std::abs(qBlue(p) - qBlue(q)) >
          24) {
        if (n++ == 0) where = QString("first at %1,%2").arg(x).arg(y);
      }
    }
  return n;
}

TEST(ScaledRepaint, ChangedValuesLeaveNothingOfTheOldOnes) {
  TestApp();
  // Inside a window at an odd place, as on the window's first tab, so its
  // edges fall inside device pixels too.
  QWidget window;
  window.resize(700, 450);
  Dashboard page(&window);
  page.setGeometry(1, 23, 689, 417);
  // Shown with every gauge hidden, as before a make is chosen; then the
  // gauges come, with values, as the window does it.
  window.show();
  ASSERT_TRUE(
      RunUntil([&] { return window.windowHandle() && window.windowHandle()->isExposed(); }));
  QApplication::processEvents();
  page.applyMakeDefault(0);  // LADA: every gauge but the one sharing the air flow's place
  page.applyEcuType(0, 0);
  QApplication::processEvents();
  const qreal dpr = window.devicePixelRatioF();
  // What is on screen against a fresh paint of the whole page.
  const auto expectClean = [&](const std::string& step) {
    // The backing store as it is, in device pixels: a raster one paints
    // into an image.
    QPaintDevice* device = window.backingStore()->paintDevice();
    ASSERT_TRUE(device && device->devType() == QInternal::Image);
    const QImage shown = static_cast<QImage*>(device)->convertToFormat(QImage::Format_RGB32);
    const QImage fresh = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_NEAR(shown.width(), window.width() * dpr, 1.0);
    QString where;
    EXPECT_EQ(DifferingPixels(shown, fresh, where), 0)
        << "scale " << dpr << ", " << step << ": " << where.toStdString();
  };
  for (int round = 0; round < 3; ++round) {
    // One gauge at a time, each repainted on its own: a narrower text
    // after a wider one, a needle that moves, a bar that shrinks.
    for (const ComponentSetup& s : DashboardSetup()) {
      // Inside the limits: a gauge in alarm flashes on its own clock.
      const double low = std::max(s.settings.valueFrom, s.settings.limitLower);
      const double high = std::min(s.settings.valueTo, s.settings.limitUpper);
      page.setValue(s.component, static_cast<float>(low + (high - low) * (0.8 - 0.3 * round)));
      QApplication::processEvents();
      expectClean(std::string(ComponentName(s.component)) + " round " + std::to_string(round));
    }
  }
  page.clearValues();
  QApplication::processEvents();
  expectClean("cleared");
}

}  // namespace
}  // namespace kalvex

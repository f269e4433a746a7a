// Draws the PNG sizes of the program's icon: the same gauge as kalvex.svg
// (and the window's banner), so desktops that want bitmaps get sharp ones
// without an SVG renderer at build time.
//   kalvex-render-icon OUTDIR   writes OUTDIR/NxN/apps/kalvex.png
#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <cstdio>

namespace {

// kalvex.svg's geometry, in its 256 x 256 view box.
void DrawGauge(QPainter& p) {
  QLinearGradient strip(0, 8, 0, 248);
  strip.setColorAt(0, QColor(24, 40, 64));
  strip.setColorAt(1, QColor(8, 14, 24));
  p.setPen(Qt::NoPen);
  p.setBrush(strip);
  p.drawRoundedRect(QRectF(8, 8, 240, 240), 40, 40);
  const QRectF dial(128 - 96, 174 - 96, 192, 192);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(90, 200, 90), 16, Qt::SolidLine, Qt::RoundCap));
  p.drawArc(dial, 30 * 16, 120 * 16);
  p.setPen(QPen(QColor(230, 60, 40), 16, Qt::SolidLine, Qt::RoundCap));
  p.drawArc(dial, 0, 30 * 16);
  p.setPen(QPen(Qt::white, 9, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(128, 174), QPointF(177.25, 110.96));
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(128, 174), 12, 12);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: kalvex-render-icon OUTDIR\n");
    return 2;
  }
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);
    DrawGauge(p);
    p.end();
    const QString dir = QString("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
    const QString file = dir + "/kalvex.png";
    if (!QDir().mkpath(dir) || !image.save(file, "PNG")) {
      std::fprintf(stderr, "kalvex-render-icon: cannot write %s\n", file.toLocal8Bit().constData());
      return 1;
    }
  }
  return 0;
}

// Draws the PNG sizes of the program's icon: the same gauge as kalvex.svg
// (and the window's banner), so desktops that want bitmaps get sharp ones
// without an SVG renderer at build time.
//   kalvex-render-icon OUTDIR   writes OUTDIR/NxN/apps/kalvex.png
//   kalvex-render-icon OUTDIR --ico FILE   and FILE, the Windows icon
//     (packaging/windows/kalvex.ico is made so, by hand, when the gauge changes)
#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

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

// An .ico of PNG images (read by Windows Vista and later): a 6-byte header,
// a 16-byte entry per image, then the images. Sizes of 256 are written as 0.
bool WriteIco(const QString& path, const std::vector<QImage>& images) {
  QByteArray out;
  auto put16 = [&out](unsigned v) {
    out.append(static_cast<char>(v & 0xFF));
    out.append(static_cast<char>((v >> 8) & 0xFF));
  };
  auto put32 = [&put16](unsigned v) {
    put16(v & 0xFFFF);
    put16(v >> 16);
  };
  std::vector<QByteArray> pngs;
  for (const QImage& image : images) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) return false;
    pngs.push_back(png);
  }
  put16(0);
  put16(1);  // icon
  put16(static_cast<unsigned>(images.size()));
  unsigned offset = 6 + 16 * static_cast<unsigned>(images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    const int size = images[i].width();
    out.append(static_cast<char>(size >= 256 ? 0 : size));
    out.append(static_cast<char>(size >= 256 ? 0 : size));
    out.append('\0');  // no palette
    out.append('\0');
    put16(1);   // planes
    put16(32);  // bits per pixel
    put32(static_cast<unsigned>(pngs[i].size()));
    put32(offset);
    offset += static_cast<unsigned>(pngs[i].size());
  }
  for (const QByteArray& png : pngs) out.append(png);
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(out) == out.size() && file.flush();
}

}  // namespace

int main(int argc, char** argv) {
  const bool ico = argc == 4 && std::string(argv[2]) == "--ico";
  if (argc != 2 && !ico) {
    std::fprintf(stderr, "usage: kalvex-render-icon OUTDIR [--ico FILE]\n");
    return 2;
  }
  std::vector<QImage> icoImages;
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);
    DrawGauge(p);
    p.end();
    if (size != 22) icoImages.push_back(image.convertToFormat(QImage::Format_ARGB32));
    const QString dir = QString("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
    const QString file = dir + "/kalvex.png";
    if (!QDir().mkpath(dir) || !image.save(file, "PNG")) {
      std::fprintf(stderr, "kalvex-render-icon: cannot write %s\n", file.toLocal8Bit().constData());
      return 1;
    }
  }
  if (ico && !WriteIco(QString::fromLocal8Bit(argv[3]), icoImages)) {
    std::fprintf(stderr, "kalvex-render-icon: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}

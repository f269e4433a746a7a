#include "app/banner.h"

#include <QCoreApplication>
#include <QLinearGradient>
#include <QPainter>

#include "app/window_text.h"

namespace kalvex {

QPixmap DrawBanner(int width, int height) {
  QPixmap pix(width, height);
  QPainter p(&pix);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient g(0, 0, 0, height);
  g.setColorAt(0, QColor(24, 40, 64));
  g.setColorAt(1, QColor(8, 14, 24));
  p.fillRect(pix.rect(), g);
  p.setPen(QPen(QColor(90, 200, 90), 6, Qt::SolidLine, Qt::RoundCap));
  p.drawArc(QRect(28, 18, 150, 150), 30 * 16, 120 * 16);
  p.setPen(QPen(QColor(230, 60, 40), 6, Qt::SolidLine, Qt::RoundCap));
  p.drawArc(QRect(28, 18, 150, 150), 0, 30 * 16);
  p.setPen(QPen(Qt::white, 3));
  p.drawLine(QPoint(103, 93), QPoint(140, 45));
  p.setPen(Qt::white);
  p.setFont(UiFont(40, true));
  p.drawText(QRect(210, 14, 620, 50), Qt::AlignLeft | Qt::AlignVCenter, "Kalvex");
  p.setFont(UiFont(16));
  p.setPen(QColor(190, 205, 225));
  p.drawText(QRect(212, 64, 640, 24), Qt::AlignLeft | Qt::AlignVCenter,
             QCoreApplication::translate("kalvex::Banner",
                                         "Диагностика ЭСУД: параметры, ошибки, K-Line и CAN"));
  p.end();
  return pix;
}

}  // namespace kalvex

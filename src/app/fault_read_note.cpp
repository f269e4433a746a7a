#include "app/fault_read_note.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <cstdlib>
#include <utility>

#include "app/window_text.h"

namespace kalvex {

QString FitCaption(const QString& caption, const QFont& font, int width) {
  if (QFontMetrics(font).horizontalAdvance(caption) <= width) return caption;
  int best = -1;
  for (int i = 0; i < caption.size(); ++i)
    if (caption[i] == ' ' &&
        (best < 0 || std::abs(i - caption.size() / 2) < std::abs(best - caption.size() / 2)))
      best = i;
  if (best < 0) return caption;
  QString two = caption;
  two[best] = '\n';
  return two;
}

FaultReadNote::FaultReadNote(QWidget* parent, const QRect& geometry, std::function<void()> onResume)
    : QFrame(parent) {
  setObjectName("FaultReadNote");
  setGeometry(geometry);
  // Text and background both fixed: the theme's text colour (white in a
  // dark one) on the pale yellow was unreadable.
  setStyleSheet(
      "#FaultReadNote { background: #fff3b0; border: 1px solid #8a7000; }"
      " #Label12 { color: #2b2200; background: transparent; border: none; }");
  auto* text = new QLabel(tr("Чтение ошибок: параметры не обновляются") + ".\n" +
                              tr("Чтобы они снова обновлялись, нажмите:"),
                          this);
  text->setObjectName("Label12");
  text->setWordWrap(true);
  text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  text->setFont(UiFont(11, true));
  text->setGeometry(5, 4, geometry.width() - 10, 66);
  auto* resume = new QPushButton(this);
  resume->setObjectName("ResumeLiveData");
  resume->setFont(UiFont(11));
  resume->setGeometry(4, geometry.height() - 44, geometry.width() - 8, 40);
  resume->setText(
      FitCaption(tr("Продолжить чтение параметров"), resume->font(), resume->width() - 12));
  connect(resume, &QPushButton::clicked, this, [onResume = std::move(onResume)] {
    if (onResume) onResume();
  });
  hide();
}

}  // namespace kalvex

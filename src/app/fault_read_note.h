// The note over the right-hand column while a fault read keeps the gauges
// still: what is happening, and a button that brings live data back
// without a stop and a start.
#pragma once

#include <QFrame>
#include <QString>
#include <functional>

class QFont;

namespace kalvex {

// A caption wider than `width` breaks at the space nearest its middle.
QString FitCaption(const QString& caption, const QFont& font, int width);

class FaultReadNote : public QFrame {
  Q_OBJECT
 public:
  // Hidden at first; `onResume` runs when its button is clicked.
  FaultReadNote(QWidget* parent, const QRect& geometry, std::function<void()> onResume);
};

}  // namespace kalvex

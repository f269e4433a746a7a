// What the window's parts share to show texts: Qt strings, the core's texts
// in the chosen language, and the window's font.
#pragma once

#include <QCoreApplication>
#include <QFont>
#include <QString>
#include <string>

#include "protocol/translate.h"

namespace kalvex {

inline QString Q(const std::string& s) { return QString::fromStdString(s); }

// A text of the core (Russian, its own key) in the chosen language.
inline QString Shown(const std::string& s) {
  return QCoreApplication::translate(kTextContext, s.c_str());
}

// "MS Sans Serif" has no Cyrillic on Linux; DejaVu Sans at the same pixel
// sizes keeps the layout.
inline QFont UiFont(int pixelHeight, bool bold = false) {
  QFont f("DejaVu Sans");
  f.setPixelSize(pixelHeight);
  f.setBold(bold);
  return f;
}

}  // namespace kalvex

// Pictures of what a window test checked, for a person to look at: saved
// only when KALVEX_SHOT_DIR names a folder. Header-only.
#pragma once

#include <QDir>
#include <QString>
#include <QWidget>

namespace kalvex {

inline void SaveShot(QWidget& widget, const char* name) {
  const QString folder = qEnvironmentVariable("KALVEX_SHOT_DIR");
  if (!folder.isEmpty()) widget.grab().save(QDir(folder).filePath(name));
}

}  // namespace kalvex

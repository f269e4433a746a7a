#include "app/save_target.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace kalvex {

QString FileSafeMakeName(const QString& makeText) {
  QString text = makeText;
  // "LADA (ВАЗ)": the name before the alias; a text that is all alias keeps it.
  if (const qsizetype bracket = text.indexOf('(');
      bracket > 0 && !text.left(bracket).trimmed().isEmpty())
    text = text.left(bracket);
  QString safe;
  for (const QChar c : text) {
    const bool refused =
        c.unicode() < 0x20 || c.isSpace() || QStringLiteral("\\/:*?\"<>|()").contains(c);
    if (!refused) {
      safe += c;
    } else if (!safe.isEmpty() && !safe.endsWith('_')) {
      safe += '_';
    }
  }
  // No name may end in a dot or a space on Windows; a trailing "_" is noise.
  while (!safe.isEmpty() && (safe.endsWith('_') || safe.endsWith('.'))) safe.chop(1);
  while (safe.startsWith('.')) safe.remove(0, 1);  // not hidden on Linux
  return safe.isEmpty() ? QStringLiteral("kalvex") : safe;
}

QString ProposedSaveName(const QString& makeText, const QDateTime& when, const QString& suffix) {
  return FileSafeMakeName(makeText) + '_' + when.toString("yyyy-MM-dd_HHmm") + '.' + suffix;
}

QString SaveStartFolder(const QString& remembered) {
  if (!remembered.isEmpty() && QFileInfo(remembered).isDir()) return remembered;
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (!documents.isEmpty() && QFileInfo(documents).isDir()) return documents;
  return QDir::homePath();
}

}  // namespace kalvex

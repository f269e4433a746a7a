// Where a save dialog starts and the name it proposes: the folder used last
// (else the documents folder), and the make with the time, so one save never
// overwrites the one before.
#pragma once

#include <QDateTime>
#include <QString>

namespace kalvex {

// The make's list text as part of a file name: the alias in brackets left
// out, spaces and the characters Windows or Linux refuse made "_";
// "kalvex" when nothing is left. "LADA (ВАЗ)" -> "LADA".
QString FileSafeMakeName(const QString& makeText);
// "LADA_2026-12-08_1405.csv" for `suffix` "csv".
QString ProposedSaveName(const QString& makeText, const QDateTime& when, const QString& suffix);
// The folder a save dialog opens in: `remembered` while it is a folder, else
// the documents folder, else the home folder.
QString SaveStartFolder(const QString& remembered);

}  // namespace kalvex

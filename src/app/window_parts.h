// The window's smaller parts that need nothing of the session: the status
// strip, the banner, the vehicle list page, the error box, the generic
// mode's protocol items. Their texts keep the main window's translation
// context, where users' translations already have them.
#pragma once

#include <QString>
#include <QStringList>

class QLabel;
class QPlainTextEdit;
class QRect;
class QWidget;

namespace kalvex {

// "Связь с контроллером:" and the status label after it; returns the label.
QLabel* BuildStatusStrip(QWidget* parent, const QRect& geometry);
// The banner picture; a click on it is the owner's to handle.
QLabel* BuildBanner(QWidget* parent, const QRect& geometry);
// "Список автомобилей": every vehicle line, read-only.
QPlainTextEdit* BuildVehicleListPage();
// Window-modal but not blocking: the session keeps running behind it and no
// handler is re-entered from a nested event loop.
void OpenErrorBox(QWidget* parent, const QString& message);
// The ECU-type list of the generic mode: "Автоопределение", then the protocols.
QStringList ObdProtocolItems();

}  // namespace kalvex

#include "app/window_parts.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>

#include "adapter/elm327_obd.h"
#include "app/banner.h"
#include "app/main_window.h"
#include "app/obd_mode.h"
#include "app/window_text.h"
#include "catalogue/catalogue.h"
#include "session/session_view.h"

namespace kalvex {

QLabel* BuildStatusStrip(QWidget* parent, const QRect& geometry) {
  auto* strip = new QWidget(parent);
  strip->setObjectName("ToolBar1");
  strip->setGeometry(geometry);
  strip->setAutoFillBackground(true);
  auto* caption = new QLabel(MainWindow::tr("Связь с контроллером:    "), strip);
  caption->setObjectName("Label11");
  caption->setGeometry(6, 4, 150, 17);
  auto* status = new QLabel(Shown(kStatusNoLink), strip);
  status->setObjectName("Label10");
  status->setGeometry(156, 4, 400, 17);
  status->setFont(UiFont(11, true));
  return status;
}

QLabel* BuildBanner(QWidget* parent, const QRect& geometry) {
  auto* image = new QLabel(parent);
  image->setObjectName("Image1");
  image->setGeometry(geometry);
  image->setPixmap(DrawBanner(geometry.width(), geometry.height()));
  image->setCursor(Qt::PointingHandCursor);
  return image;
}

QPlainTextEdit* BuildVehicleListPage() {
  auto* text = new QPlainTextEdit();
  text->setObjectName("Memo3");
  text->setReadOnly(true);
  text->setFont(UiFont(16));
  text->setLineWrapMode(QPlainTextEdit::NoWrap);
  text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QStringList vehicles;
  for (const std::string& l : VehicleList()) vehicles << Shown(l);
  text->setPlainText(vehicles.join('\n'));
  return text;
}

void OpenErrorBox(QWidget* parent, const QString& message) {
  auto* box = new QMessageBox(QMessageBox::Critical, QApplication::applicationDisplayName(),
                              message, QMessageBox::Ok, parent);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}

QStringList ObdProtocolItems() {
  QStringList items;
  for (ObdProtocol p : ObdProtocolChoices())
    items << (p == ObdProtocol::Auto ? MainWindow::tr("Автоопределение")
                                     : QString(ObdProtocolOf(p).name));
  return items;
}

}  // namespace kalvex

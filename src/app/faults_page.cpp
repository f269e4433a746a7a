#include "app/faults_page.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/window_text.h"
#include "faults/faults.h"

namespace kalvex {

FaultsPage::FaultsPage() {
  setObjectName("TabSheet2");
  auto* heading = new QLabel(tr("Неисправности электронной системы управления двигателем"), this);
  heading->setObjectName("Label1");
  heading->setGeometry(8, 8, 665, 20);
  heading->setFont(UiFont(13, true));
  faultList = new QPlainTextEdit(this);
  faultList->setObjectName("Memo1");
  faultList->setReadOnly(true);
  faultList->setGeometry(8, 32, 665, 308);
  faultList->setFont(UiFont(13));
  faultList->setLineWrapMode(QPlainTextEdit::NoWrap);
  auto button = [&](const char* name, const QString& text, int x, std::function<void()> click) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(name);
    b->setGeometry(x, 348, 161, 33);
    b->setEnabled(false);  // no make yet
    connect(b, &QPushButton::clicked, this, std::move(click));
    return b;
  };
  clearFaultsButton = button("Button2", tr("Сброс ошибок"), 8, [this] { askToClear(); });
  readFaultsButton = button("Button3", tr("Прочитать ошибки"), 8 + 161 + 10, [this] {
    if (onRead) onRead();
  });
}

void FaultsPage::setLines(const std::vector<std::string>& lines) {
  QStringList l;
  for (const std::string& s : lines) l << Shown(s);
  faultList->setPlainText(l.join('\n'));
}

void FaultsPage::showMake(int make) {
  readFaultsButton->setEnabled(FaultReadRequest(make).has_value());
  // A make without a clear request would take the click and do nothing.
  clearFaultsButton->setEnabled(ClearButtonActs(make));
}

void FaultsPage::askToClear() {
  // Clearing erases what the ECU stored: asked first, without blocking the
  // session behind the question.
  auto* box =
      new QMessageBox(QMessageBox::Question, QApplication::applicationDisplayName(),
                      tr("Стереть коды неисправностей в ЭБУ?"), QMessageBox::NoButton, window());
  box->setObjectName("ClearConfirmation");
  QPushButton* erase = box->addButton(tr("Стереть"), QMessageBox::AcceptRole);
  box->setDefaultButton(box->addButton(tr("Отмена"), QMessageBox::RejectRole));
  box->setAttribute(Qt::WA_DeleteOnClose);
  connect(box, &QMessageBox::finished, this, [this, box, erase] {
    if (box->clickedButton() == erase && onClear) onClear();
  });
  box->open();
}

}  // namespace kalvex

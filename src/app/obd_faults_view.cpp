#include "app/obd_faults_view.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>

#include "app/obd_mode.h"
#include "app/window_text.h"
#include "obd/ecu_name.h"
#include "obd/pid_table.h"
#include "obd/trouble_codes.h"
#include "session/obd_session.h"

namespace kalvex {

namespace {

QTableWidget* Table(QWidget* parent, const QStringList& headings) {
  auto* t = new QTableWidget(0, static_cast<int>(headings.size()), parent);
  t->setHorizontalHeaderLabels(headings);
  t->setEditTriggers(QAbstractItemView::NoEditTriggers);
  t->setSelectionMode(QAbstractItemView::NoSelection);
  t->verticalHeader()->hide();
  t->verticalHeader()->setDefaultSectionSize(20);
  t->setWordWrap(false);
  t->setFont(UiFont(11));
  return t;
}

void SetRow(QTableWidget* t, int row, const QStringList& cells) {
  for (int c = 0; c < cells.size(); ++c) {
    QTableWidgetItem* item = t->item(row, c);
    if (!item) t->setItem(row, c, item = new QTableWidgetItem);
    if (item->text() != cells[c]) item->setText(cells[c]);
  }
}

}  // namespace

ObdFaultsView::ObdFaultsView(obd::Lang lang, QWidget* parent) : QWidget(parent), lang_(lang) {
  setObjectName("ObdFaultsView");
  setAutoFillBackground(true);
  mil_ = new QLabel(this);
  mil_->setObjectName("ObdMilLine");
  mil_->setGeometry(6, 4, 669, 20);
  mil_->setFont(UiFont(13, true));
  codes_ = Table(this, {tr("Код"), tr("Вид"), tr("Блок"), tr("Описание")});
  codes_->setObjectName("ObdCodesTable");
  codes_->setGeometry(4, 26, 673, 128);
  codes_->setColumnWidth(0, 56);
  codes_->setColumnWidth(1, 96);
  codes_->setColumnWidth(2, 140);
  codes_->horizontalHeader()->setStretchLastSection(true);

  auto* readinessHeading = new QLabel(tr("Готовность систем"), this);
  readinessHeading->setGeometry(6, 158, 330, 18);
  readinessHeading->setFont(UiFont(11, true));
  readiness_ = new QListWidget(this);
  readiness_->setObjectName("ObdReadinessList");
  readiness_->setGeometry(4, 178, 352, 172);
  readiness_->setFont(UiFont(11));
  readiness_->setSelectionMode(QAbstractItemView::NoSelection);
  readiness_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  readiness_->setTextElideMode(Qt::ElideMiddle);

  freezeHeading_ = new QLabel(tr("Стоп-кадр"), this);
  freezeHeading_->setObjectName("ObdFreezeFrameHeading");
  freezeHeading_->setGeometry(366, 158, 311, 18);
  freezeHeading_->setFont(UiFont(11, true));
  freeze_ = Table(this, {tr("Параметр"), tr("Значение")});
  freeze_->setObjectName("ObdFreezeFrameTable");
  freeze_->setGeometry(364, 178, 313, 172);
  freeze_->setColumnWidth(0, 180);
  freeze_->horizontalHeader()->setStretchLastSection(true);

  readButton_ = new QPushButton(tr("Прочитать ошибки"), this);
  readButton_->setObjectName("ObdReadCodesButton");
  readButton_->setGeometry(4, 356, 170, 28);
  clearButton_ = new QPushButton(tr("Сброс ошибок"), this);
  clearButton_->setObjectName("ObdClearCodesButton");
  clearButton_->setGeometry(182, 356, 170, 28);
  connect(readButton_, &QPushButton::clicked, this, [this] {
    if (onRead) onRead();
  });
  connect(clearButton_, &QPushButton::clicked, this, [this] { clearClicked(); });
  confirm = [this](const QString& question, std::function<void()> yes) {
    auto* box = new QMessageBox(QMessageBox::Question, QApplication::applicationDisplayName(),
                                question, QMessageBox::NoButton, window());
    box->setObjectName("ObdClearConfirmation");
    QPushButton* erase = box->addButton(tr("Стереть"), QMessageBox::AcceptRole);
    box->setDefaultButton(box->addButton(tr("Отмена"), QMessageBox::RejectRole));
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::finished, this, [box, erase, yes] {
      if (box->clickedButton() == erase) yes();
    });
    box->open();
  };
  setButtonsEnabled(false);
}

QString ObdFaultsView::clearQuestion() {
  return tr(
      "Стереть коды неисправностей? Вместе с ними стираются стоп-кадр и сбрасываются "
      "мониторы готовности систем: до новых поездок машина не пройдёт проверку "
      "готовности. Лампа MIL погаснет, если неисправность устранена.");
}

void ObdFaultsView::clearClicked() {
  if (!confirm) return;
  confirm(clearQuestion(), [this] {
    if (onClear) onClear();
  });
}

void ObdFaultsView::setButtonsEnabled(bool on) {
  readButton_->setEnabled(on);
  clearButton_->setEnabled(on);
}

void ObdFaultsView::clear() {
  mil_->clear();
  codes_->setRowCount(0);
  readiness_->clear();
  freeze_->setRowCount(0);
  freezeHeading_->setText(tr("Стоп-кадр"));
}

namespace {

QString KindText(ObdCodeKind k) {
  switch (k) {
    case ObdCodeKind::Stored:
      return ObdFaultsView::tr("сохранённый");
    case ObdCodeKind::Pending:
      return ObdFaultsView::tr("ожидающий");
    case ObdCodeKind::Permanent:
      break;
  }
  return ObdFaultsView::tr("постоянный");
}

QString ReadyText(const std::string& russianName, bool complete) {
  switch (FormOf(russianName)) {
    case WordForm::Feminine:
      return complete ? ObdFaultsView::tr("готова") : ObdFaultsView::tr("не готова");
    case WordForm::Neuter:
      return complete ? ObdFaultsView::tr("готово") : ObdFaultsView::tr("не готово");
    case WordForm::Plural:
      return complete ? ObdFaultsView::tr("готовы") : ObdFaultsView::tr("не готовы");
    case WordForm::Masculine:
      break;
  }
  return complete ? ObdFaultsView::tr("готов") : ObdFaultsView::tr("не готов");
}

}  // namespace

void ObdFaultsView::update(const ObdResults& r) {
  if (r.codesRead)
    mil_->setText((r.mil() ? tr("Лампа MIL: горит, подтверждённых кодов: %1")
                           : tr("Лампа MIL: не горит, подтверждённых кодов: %1"))
                      .arg(r.storedCount()));
  codes_->setRowCount(static_cast<int>(r.codes.size()));
  for (size_t i = 0; i < r.codes.size(); ++i) {
    const ObdCode& c = r.codes[i];
    const QString description = Q(obd::DescribeDtc(c.code, lang_));
    SetRow(codes_, static_cast<int>(i),
           {Q(c.code), KindText(c.kind), Q(obd::EcuName(c.ecu, lang_)), description});
    codes_->item(static_cast<int>(i), 3)->setToolTip(description);
  }
  if (r.codesRead && r.codes.empty()) {
    codes_->setRowCount(1);
    SetRow(codes_, 0, {QString(), QString(), QString(), tr("Кодов неисправностей нет")});
  }

  // Readiness of each ECU that reported it; its name heads the lines when
  // several did.
  QStringList lines;
  int reporting = 0;
  for (const ObdEcu& e : r.ecus) reporting += e.status ? 1 : 0;
  for (const ObdEcu& e : r.ecus) {
    if (!e.status) continue;
    if (reporting > 1) lines << Q(obd::EcuName(e.id, lang_)) + ":";
    // The monitors the car runs first; the ones it has not, after them.
    for (bool supported : {true, false})
      for (const obd::Readiness& m : e.status->monitors) {
        if (m.supported != supported) continue;
        const QString name = Q(obd::Pick(m.name, lang_));
        lines << (reporting > 1 ? "  " : "") + name + ": " +
                     (m.supported ? ReadyText(m.name.ru, m.complete) : tr("не поддерживается"));
      }
  }
  QStringList shown;
  for (int i = 0; i < readiness_->count(); ++i) shown << readiness_->item(i)->text();
  if (shown != lines) {
    readiness_->clear();
    readiness_->addItems(lines);
  }

  int frameRows = 0;
  QString heading = tr("Стоп-кадр");
  for (const ObdFreezeFrame& f : r.freezeFrames) frameRows += static_cast<int>(f.pids.size());
  freeze_->setRowCount(frameRows);
  int row = 0;
  for (const ObdFreezeFrame& f : r.freezeFrames) {
    heading = tr("Стоп-кадр: код %1, %2").arg(Q(f.code), Q(obd::EcuName(f.ecu, lang_)));
    for (const obd::PidReply& p : f.pids) {
      const obd::Pid* pid = obd::FindPid(p.pid);
      SetRow(freeze_, row++,
             {pid ? Q(obd::Pick(pid->caption, lang_)) : QString("PID %1").arg(p.pid, 2, 16),
              pid ? Q(obd::FormatPidValue(*pid, p.bytes, lang_)) : QString()});
    }
  }
  freezeHeading_->setText(heading);
}

}  // namespace kalvex

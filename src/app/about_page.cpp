#include "app/about_page.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QTextDocumentFragment>

#include "app/settings_store.h"
#include "app/window_text.h"
#include "protocol/languages.h"
#include "session/log_file.h"

namespace kalvex {

namespace {

const char* const kAboutLines[] = {
    QT_TRANSLATE_NOOP("kalvex::AboutPage",
                      "Диагностический сканер для контроллеров ЭСУД (Kalvex)."),
    QT_TRANSLATE_NOOP("kalvex::AboutPage",
                      "Программа для чтения параметров и ошибок контроллеров ЭСУД."),
    QT_TRANSLATE_NOOP("kalvex::AboutPage",
                      "Программа работает с адаптером Kesta-mini и адаптерами на "),
    QT_TRANSLATE_NOOP("kalvex::AboutPage", "базе ELM327."),
    QT_TRANSLATE_NOOP("kalvex::AboutPage", "Версия 1.5"),
    "",
    QT_TRANSLATE_NOOP("kalvex::AboutPage", "Разработка: Brenvik"),
    QT_TRANSLATE_NOOP("kalvex::AboutPage", "Сайт: kalvex.example.org"),
    QT_TRANSLATE_NOOP("kalvex::AboutPage", "Вопросы и предложения: support@kalvex.example.org"),
};

}  // namespace

QString WrappablePath(const QString& path) {
  QString shown;
  for (const QChar c : path) {
    shown += c;
    if (c == '/' || c == '\\') shown += kPathBreak;
  }
  return shown;
}

QString RegistryKeyText(const QString& location) {
  QString key = location;
  while (key.startsWith('\\')) key.remove(0, 1);
  return key;
}

AboutPage::AboutPage(const std::string& shownLanguage) : shownLanguage_(shownLanguage) {
  setObjectName("Memo2");
  setReadOnly(true);
  setFont(UiFont(16, true));
  buildLanguageChoice();
}

void AboutPage::buildLanguageChoice() {
  // In the corner of the text, below its lines. Each language is named in
  // its own words, so the user finds theirs whatever the window shows.
  auto* label = new QLabel(tr("Язык:"), this);
  label->setObjectName("LanguageLabel");
  label->setFont(UiFont(11));
  label->setGeometry(420, 330, 90, 22);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  languageBox_ = new QComboBox(this);
  languageBox_->setObjectName("LanguageBox");
  languageBox_->setFont(UiFont(11));
  languageBox_->setGeometry(516, 330, 140, 22);
  for (const Language& l : Languages()) languageBox_->addItem(QString::fromUtf8(l.name), l.code);
  languageBox_->setCurrentIndex(languageBox_->findData(Q(shownLanguage_)));
  languageNote_ = new QLabel(tr("Язык сменится при следующем запуске программы."), this);
  languageNote_->setObjectName("LanguageNote");
  languageNote_->setFont(UiFont(11));
  languageNote_->setGeometry(200, 356, 456, 20);
  languageNote_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  languageNote_->hide();
  connect(languageBox_, QOverload<int>::of(&QComboBox::activated), this,
          [this](int) { onLanguageChosen(); });
}

void AboutPage::onLanguageChosen() {
  // Remembered at close with the other settings; the texts already built
  // stay as they are until the next start.
  language_ = languageBox_->currentData().toString().toStdString();
  languageNote_->setVisible(language_ != shownLanguage_);
}

void AboutPage::showText(const SettingsStore* settings) {
  QStringList about;
  for (const char* l : kAboutLines) about << tr(l);
  about << "";
  const std::string logFolder = LogFile::DefaultFolder();
  auto path = [](const std::string& p) { return WrappablePath(QDir::toNativeSeparators(Q(p))); };
  about << tr("Журналы обмена (LOG-файлы): %1").arg(path(logFolder));
#ifdef Q_OS_WIN
  // Both places a log may go, so the user knows where to look.
  if (logFolder == LogFile::ProgramFolder() && !LogFile::UserFolder().empty())
    about << tr("  (если в эту папку нельзя писать: %1)").arg(path(LogFile::UserFolder()));
  else if (logFolder == LogFile::UserFolder())
    about << tr("  (в папку рядом с программой %1 писать нельзя)")
                 .arg(path(LogFile::ProgramFolder()));
#endif
  if (settings) {
#ifdef Q_OS_WIN
    // Windows keeps the settings in the registry: name the key.
    about
        << tr("Настройки: реестр, %1").arg(WrappablePath(RegistryKeyText(Q(settings->location()))));
#else
    about << tr("Настройки: %1")
                 .arg(path(QFileInfo(Q(settings->location())).absolutePath().toStdString()));
#endif
  }
  setPlainText(about.join('\n'));
}

QMimeData* AboutPage::createMimeDataFromSelection() const {
  // A copied path is the path: without the breaks put in to wrap it.
  // Plain text only, so no other format carries them along.
  auto* data = new QMimeData;
  data->setText(textCursor().selection().toPlainText().remove(kPathBreak));
  return data;
}

}  // namespace kalvex

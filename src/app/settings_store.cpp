#include "app/settings_store.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <cstdio>

#include "link/link_factory.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "protocol/languages.h"

namespace kalvex {

SettingsStore::SettingsStore() {
#ifndef _WIN32
  // QSettings reads its file as it is made: a FIFO there would hang the
  // start and a device would be read (and written) as settings. Only a
  // regular file, or none yet, is opened; else the run keeps the defaults.
  const QString path = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                       "/Brenvik/Kalvex.conf";
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) == 0 && !S_ISREG(st.st_mode)) {
    refused_ = path.toStdString();
    std::fprintf(stderr, "kalvex: %s is not a regular file; settings are neither read nor saved\n",
                 refused_.c_str());
    return;
  }
#endif
  // Native format: HKCU\Software\Brenvik\Kalvex on Windows,
  // $XDG_CONFIG_HOME/Brenvik/Kalvex.conf (default ~/.config) on Linux.
  settings_ = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, "Brenvik",
                                          "Kalvex");
}

SettingsStore::~SettingsStore() = default;

namespace {

int ReadInt(const QSettings& s, const char* key, int def) {
  const QVariant v = s.value(key);
  // A list or any other shape that is not one text is "not a number".
  if (!v.isValid() || v.typeId() == QMetaType::QStringList) return def;
  return ParseDecimal(v.toString().toStdString()).value_or(def);
}

// A Wi-Fi address the dialog would refuse (an older version let any
// "tcp://" text through) is never kept: restored, it would come back
// selected and fail at every start.
bool StorablePort(const std::string& port) {
  return port.rfind("tcp://", 0) != 0 || IsNetworkPortText(port);
}

}  // namespace

Settings SettingsStore::read() const {
  Settings s;
  if (!settings_) return s;
  s.com = ReadInt(*settings_, "COM", -1);
  s.adapter = ReadInt(*settings_, "ADAPTER", -1);
  s.logFile = ReadInt(*settings_, "LOG_FILE", 0);
  s.make = ReadInt(*settings_, "MAKE", -1);
  s.ecu = ReadInt(*settings_, "ECU", -1);
  const QVariant port = settings_->value("PORT");
  if (port.isValid() && port.typeId() == QMetaType::QString && !port.toString().isEmpty() &&
      StorablePort(port.toString().toStdString()))
    s.port = port.toString().toStdString();
  const QVariant language = settings_->value("LANGUAGE");
  if (language.typeId() == QMetaType::QString && IsLanguage(language.toString().toStdString()))
    s.language = language.toString().toStdString();
  const QVariant folder = settings_->value("SAVE_FOLDER");
  if (folder.typeId() == QMetaType::QString) s.saveFolder = folder.toString().toStdString();
  return s;
}

std::string SettingsStore::location() const {
  return settings_ ? settings_->fileName().toStdString() : refused_;
}

void SettingsStore::write(const Settings& s) {
  if (!settings_) return;
  settings_->setValue("COM", QString::number(s.com));
  settings_->setValue("ADAPTER", QString::number(s.adapter));
  settings_->setValue("LOG_FILE", QString::number(s.logFile));
  settings_->setValue("MAKE", QString::number(s.make));
  settings_->setValue("ECU", QString::number(s.ecu));
  if (s.port && StorablePort(*s.port))
    settings_->setValue("PORT", QString::fromStdString(*s.port));
  else if (!read().port)
    settings_->remove("PORT");  // nothing stored, or a refused address
  if (!s.language.empty()) settings_->setValue("LANGUAGE", QString::fromStdString(s.language));
  if (!s.saveFolder.empty())
    settings_->setValue("SAVE_FOLDER", QString::fromStdString(s.saveFolder));
  settings_->sync();
}

}  // namespace kalvex

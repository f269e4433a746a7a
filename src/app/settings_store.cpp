#include "app/settings_store.h"

#include <QSettings>

namespace kalvex {

SettingsStore::SettingsStore() {
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

}  // namespace

Settings SettingsStore::read() const {
  Settings s;
  s.com = ReadInt(*settings_, "COM", -1);
  s.adapter = ReadInt(*settings_, "ADAPTER", -1);
  s.logFile = ReadInt(*settings_, "LOG_FILE", 0);
  return s;
}

void SettingsStore::write(const Settings& s) {
  settings_->setValue("COM", QString::number(s.com));
  settings_->setValue("ADAPTER", QString::number(s.adapter));
  settings_->setValue("LOG_FILE", QString::number(s.logFile));
  settings_->sync();
}

}  // namespace kalvex

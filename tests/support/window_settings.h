// The window's stored settings as the tests set them up: the settings file
// on Linux, the registry key on Windows (which outlives a test run, so each
// test starts by removing it).
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#ifdef Q_OS_WIN
#include <windows.h>

#include <string>
#endif

#include "support/qt_test_app.h"

namespace kalvex {

// The tests' QApplication under the program's own names, so that the window
// reads and writes the settings the tests set up.
inline QApplication* SettingsTestApp() {
  QApplication* app = TestApp();
  QApplication::setOrganizationName("Brenvik");
  QApplication::setApplicationName("Kalvex");
  return app;
}

inline QString ConfigFile() {
  return QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) + "/Brenvik/Kalvex.conf";
}

#ifdef Q_OS_WIN
// Windows keeps the settings in the registry: the same "NAME=text" lines of
// the [General] group become text values of HKCU\Software\Brenvik\Kalvex,
// written raw (QSettings would escape a leading "@").
constexpr const wchar_t* kSettingsKey = L"Software\\Brenvik\\Kalvex";

inline void RemoveConfig() { ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }

inline void WriteConfig(const QByteArray& content) {
  RemoveConfig();
  HKEY key = nullptr;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
            ERROR_SUCCESS);
  bool general = false;
  for (const QByteArray& line : content.split('\n')) {
    if (line.startsWith('[')) general = line == "[General]";
    const int eq = line.indexOf('=');
    if (!general || eq <= 0) continue;
    const std::wstring name = QString::fromUtf8(line.left(eq)).toStdWString();
    const std::wstring value = QString::fromUtf8(line.mid(eq + 1)).toStdWString();
    ::RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  }
  ::RegCloseKey(key);
}
#else
inline void RemoveConfig() { QFile::remove(ConfigFile()); }

inline void WriteConfig(const QByteArray& content) {
  QDir().mkpath(QFileInfo(ConfigFile()).absolutePath());
  QFile f(ConfigFile());
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  // QSettings notices a rewritten file by size and time stamp; keep the size
  // different from every earlier write so a rewrite within the same
  // millisecond is still noticed.
  static int writes = 0;
  f.write(content + "\n" + QByteArray(++writes + 64, '\n'));
}
#endif

}  // namespace kalvex

// The settings that survive between runs: COM, ADAPTER, LOG_FILE, MAKE and
// ECU, each stored as decimal text, PORT, the device of the chosen port, and
// SAVE_FOLDER, where the last save went. Linux:
// ~/.config/Brenvik/Kalvex.conf (XDG_CONFIG_HOME honoured; a path that is
// not a regular file, a FIFO or a device, is never opened and the defaults
// are used); Windows: HKCU\SOFTWARE\Brenvik\Kalvex.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "protocol/text.h"

class QSettings;

namespace kalvex {

struct Settings {
  int com = -1;      // port list item index; -1 = show item 0
  int adapter = -1;  // adapter list item index; -1 = show item 0
  int logFile = 0;   // 1 = log switch on
  int make = -1;     // make list item index; -1 = none
  int ecu = -1;      // ECU type list item index; -1 = none
  // Device path of the chosen port (Windows: its "COMn" text); none when
  // absent or not one non-empty text. Preferred over `com` when present.
  std::optional<std::string> port;
  // LANGUAGE: a language code (protocol/languages.h) as the user chose it on
  // "О программе"; empty when never chosen (or no language there is now),
  // which means Russian.
  std::string language;
  // SAVE_FOLDER: the folder of the last chart save; empty when none.
  std::string saveFolder;
};

class SettingsStore {
 public:
  SettingsStore();  // opens (and creates) the key / file
  ~SettingsStore();

  // Missing or non-numeric values give the defaults; never throws.
  Settings read() const;
  // Writes every value; PORT only when `s.port` holds one, so a stored
  // device survives a run where it was absent; LANGUAGE likewise.
  void write(const Settings& s);
  // Where the values live: the file path, or the registry key on Windows.
  std::string location() const;

 private:
  std::unique_ptr<QSettings> settings_;  // none when the path is no regular file
  std::string refused_;                  // that path
};

}  // namespace kalvex

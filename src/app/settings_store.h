// The three settings that survive between runs: COM, ADAPTER, LOG_FILE,
// each stored as decimal text. Linux: ~/.config/Brenvik/Kalvex.conf
// (XDG_CONFIG_HOME honoured); Windows: HKCU\SOFTWARE\Brenvik\Kalvex.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "protocol/decimal.h"

class QSettings;

namespace kalvex {

struct Settings {
  int com = -1;      // ComboBox1 item index; -1 = show item 0
  int adapter = -1;  // ComboBoxTA item index; -1 = show item 0
  int logFile = 0;   // 1 = log switch on
};

class SettingsStore {
 public:
  SettingsStore();  // opens (and creates) the key / file
  ~SettingsStore();

  // Missing or non-numeric values give the defaults; never throws.
  Settings read() const;
  void write(const Settings& s);

 private:
  std::unique_ptr<QSettings> settings_;
};

}  // namespace kalvex

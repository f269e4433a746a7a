// The service-01 PIDs of SAE J1979 (ISO 15031-5) as data: one row per PID
// with its caption in both languages, unit, reply length, the standard's
// published range and the formula over the data bytes A, B, C, D, E.
// Service 02 (freeze frame) uses the same rows.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "obd/obd_text.h"

namespace kalvex::obd {

enum class PidKind {
  Number,  // one value through `formula`
  Bitmap,  // supported-PID bitmap (0x00 0x20 ... 0xE0), see supported_pids.h
  Words,   // bit fields or codes told in words (0x01 0x02 0x03 0x12 0x13 0x1C 0x1D 0x1E
           // 0x41 0x51 0x5F)
};

struct Pid {
  uint8_t pid = 0;
  const char* name = "";  // short id ("RPM"); the CSV column is PidColumnName ("OBD_0C")
  Text caption;  // a mechanic's words, "Частота вращения двигателя"/"Engine speed"
  Text unit;             // "об/мин"/"rpm", "°C", "%"; empty for ratios and counts
  uint8_t length = 0;    // data bytes A.. in the reply, after the PID byte
  double min = 0;        // the range the scaling spans, as the standard publishes
  double max = 0;        // it (lambda's "< 2" as 2); for gauges and checks
  uint8_t decimals = 0;  // digits after the point when shown
  PidKind kind = PidKind::Number;
  // Number kind only (nullptr otherwise); reads abcd[0 .. length-1]. PIDs that
  // carry several values (O2 sensor voltage + trim, lambda + voltage/current,
  // 0x4F maxima, 0x55-0x58 two banks, 0x64 torque points) give their first,
  // primary value: the caption says which.
  double (*formula)(const uint8_t* abcd) = nullptr;
};

// The row for `pid`; nullptr if the table does not know it.
const Pid* FindPid(uint8_t pid);
// Every row, in PID order.
std::span<const Pid> AllPids();

// "OBD_0C": the PID's column in the CSV and the value recorder.
std::string PidColumnName(const Pid& pid);

// Value of a Number PID from its data bytes (bytes after the PID byte; extra
// bytes are ignored). nullopt when `bytes` is shorter than pid.length or the
// PID is not of Number kind.
std::optional<double> PidValue(const Pid& pid, std::span<const uint8_t> bytes);

// Words of a Words PID in `lang`, one line ("Система 1: замкнутый контур"...);
// values the standard leaves reserved read "код N"/"code N". Empty when
// `bytes` is too short or the PID is not of Words kind.
std::string PidWords(const Pid& pid, std::span<const uint8_t> bytes, Lang lang);

// What a person reads: a Number as "1726 об/мин" (pid.decimals digits), Words
// as PidWords, a Bitmap as the hex of its four bytes. Empty when too short.
std::string FormatPidValue(const Pid& pid, std::span<const uint8_t> bytes, Lang lang);

}  // namespace kalvex::obd

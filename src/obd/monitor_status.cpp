#include "obd/monitor_status.h"

namespace kalvex::obd {
namespace {

// Byte B bits 0-2 (supported) and 4-6 (NOT complete).
const Text kContinuous[] = {
    {"Пропуски воспламенения", "Misfire"},
    {"Топливная система", "Fuel system"},
    {"Комплексный контроль компонентов", "Comprehensive components"},
};

// Bytes C (supported) and D (NOT complete), bit 0 first; nullptr marks a
// bit the standard reserves in that set.
const Text kSpark[8] = {
    {"Катализатор", "Catalyst"},
    {"Подогрев катализатора", "Heated catalyst"},
    {"Система улавливания паров топлива (EVAP)", "Evaporative system (EVAP)"},
    {"Вторичный воздух", "Secondary air system"},
    {"Хладагент кондиционера", "A/C refrigerant"},
    {"Датчик кислорода", "Oxygen sensor"},
    {"Подогрев датчика кислорода", "Oxygen sensor heater"},
    {"Система EGR/VVT", "EGR/VVT system"},
};
const Text kCompression[8] = {
    {"Катализатор NMHC", "NMHC catalyst"},
    {"Нейтрализация NOx/SCR", "NOx/SCR aftertreatment"},
    {nullptr, nullptr},
    {"Давление наддува", "Boost pressure"},
    {nullptr, nullptr},
    {"Датчик отработавших газов", "Exhaust gas sensor"},
    {"Сажевый фильтр", "PM filter"},
    {"Система EGR/VVT", "EGR/VVT system"},
};

}  // namespace

std::optional<MonitorStatus> DecodeMonitorStatus(std::span<const uint8_t> abcd) {
  if (abcd.size() < 4) return std::nullopt;
  const uint8_t a = abcd[0], b = abcd[1], c = abcd[2], d = abcd[3];
  MonitorStatus s;
  s.mil = (a & 0x80) != 0;
  s.storedCount = a & 0x7F;
  s.compressionIgnition = (b & 0x08) != 0;
  for (int i = 0; i < 3; ++i) {
    const bool supported = (b >> i & 1) != 0;
    s.monitors.push_back({kContinuous[i], supported, supported && !(b >> (i + 4) & 1)});
  }
  const Text* set = s.compressionIgnition ? kCompression : kSpark;
  for (int i = 0; i < 8; ++i) {
    if (set[i].ru == nullptr) continue;
    const bool supported = (c >> i & 1) != 0;
    s.monitors.push_back({set[i], supported, supported && !(d >> i & 1)});
  }
  return s;
}

}  // namespace kalvex::obd

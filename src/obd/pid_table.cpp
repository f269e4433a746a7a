// The service-01 PID rows. Formulas follow the scaling the standard
// publishes for each PID; the ranges are its published min/max.
#include "obd/pid_table.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "obd/monitor_status.h"
#include "obd/trouble_codes.h"

namespace kalvex::obd {
namespace {

double A(const uint8_t* b) { return b[0]; }
double Word(const uint8_t* b) { return b[0] * 256.0 + b[1]; }
double SignedWord(const uint8_t* b) {
  return static_cast<int16_t>(static_cast<uint16_t>(b[0] << 8 | b[1]));
}
double Percent(const uint8_t* b) { return b[0] * 100.0 / 255.0; }
double Temperature(const uint8_t* b) { return b[0] - 40.0; }
double Trim(const uint8_t* b) { return b[0] * 100.0 / 128.0 - 100.0; }
double TorquePercent(const uint8_t* b) { return b[0] - 125.0; }
double FuelPressure(const uint8_t* b) { return b[0] * 3.0; }
double Rpm(const uint8_t* b) { return Word(b) / 4.0; }
double TimingAdvance(const uint8_t* b) { return b[0] / 2.0 - 64.0; }
double AirFlow(const uint8_t* b) { return Word(b) / 100.0; }
double O2Voltage(const uint8_t* b) { return b[0] / 200.0; }
double RailPressureVacuum(const uint8_t* b) { return Word(b) * 0.079; }
double TenWord(const uint8_t* b) { return Word(b) * 10.0; }
double Lambda(const uint8_t* b) { return Word(b) * 2.0 / 65536.0; }
double EvapPressure(const uint8_t* b) { return SignedWord(b) / 4.0; }
double CatalystTemperature(const uint8_t* b) { return Word(b) / 10.0 - 40.0; }
double ModuleVoltage(const uint8_t* b) { return Word(b) / 1000.0; }
double AbsoluteLoad(const uint8_t* b) { return Word(b) * 100.0 / 255.0; }
double MaxAirFlow(const uint8_t* b) { return b[0] * 10.0; }
double EvapAbsolute(const uint8_t* b) { return Word(b) / 200.0; }
double InjectionTiming(const uint8_t* b) { return Word(b) / 128.0 - 210.0; }
double FuelRate(const uint8_t* b) { return Word(b) / 20.0; }
double Odometer(const uint8_t* b) {
  return (static_cast<uint32_t>(b[0]) << 24 | static_cast<uint32_t>(b[1]) << 16 |
          static_cast<uint32_t>(b[2]) << 8 | b[3]) /
         10.0;
}

constexpr Text kNoUnit{"", ""};
constexpr Text kPercent{"%", "%"};
constexpr Text kCelsius{"°C", "°C"};
constexpr Text kKpa{"кПа", "kPa"};
constexpr Text kPa{"Па", "Pa"};
constexpr Text kVolt{"В", "V"};
constexpr Text kKm{"км", "km"};
constexpr Text kMinutes{"мин", "min"};
constexpr Text kGramsPerSecond{"г/с", "g/s"};

constexpr PidKind N = PidKind::Number;
constexpr PidKind B = PidKind::Bitmap;
constexpr PidKind W = PidKind::Words;

// The O2 sensor PIDs are numbered 1-8 as the standard numbers them: which
// bank and position each is depends on PID 0x13 or 0x1D, so the caption
// does not guess. 0x14-0x1B carry voltage (A) and the trim it drives (B),
// 0x24-0x2B lambda (AB) and voltage (CD), 0x34-0x3B lambda (AB) and current
// (CD): the number is the first of them.
// clang-format off
const Pid kPids[] = {
    {0x00, "PIDS_01_20", {"Поддерживаемые PID 01–20", "Supported PIDs 01-20"}, kNoUnit, 4, 0, 0, 0, B, nullptr},
    {0x01, "MONITOR_STATUS", {"Готовность мониторов после сброса кодов", "Monitor status since codes cleared"}, kNoUnit, 4, 0, 0, 0, W, nullptr},
    {0x02, "FREEZE_DTC", {"Код, записавший стоп-кадр", "Trouble code that stored the freeze frame"}, kNoUnit, 2, 0, 0, 0, W, nullptr},
    {0x03, "FUEL_STATUS", {"Состояние топливной системы", "Fuel system status"}, kNoUnit, 2, 0, 0, 0, W, nullptr},
    {0x04, "ENGINE_LOAD", {"Расчётная нагрузка двигателя", "Calculated engine load"}, kPercent, 1, 0, 100, 1, N, Percent},
    {0x05, "COOLANT_TEMP", {"Температура охлаждающей жидкости", "Coolant temperature"}, kCelsius, 1, -40, 215, 0, N, Temperature},
    {0x06, "STFT_B1", {"Краткосрочная коррекция топлива, банк 1", "Short-term fuel trim, bank 1"}, kPercent, 1, -100, 99.2, 1, N, Trim},
    {0x07, "LTFT_B1", {"Долгосрочная коррекция топлива, банк 1", "Long-term fuel trim, bank 1"}, kPercent, 1, -100, 99.2, 1, N, Trim},
    {0x08, "STFT_B2", {"Краткосрочная коррекция топлива, банк 2", "Short-term fuel trim, bank 2"}, kPercent, 1, -100, 99.2, 1, N, Trim},
    {0x09, "LTFT_B2", {"Долгосрочная коррекция топлива, банк 2", "Long-term fuel trim, bank 2"}, kPercent, 1, -100, 99.2, 1, N, Trim},
    {0x0A, "FUEL_PRESSURE", {"Давление топлива", "Fuel pressure"}, kKpa, 1, 0, 765, 0, N, FuelPressure},
    {0x0B, "MAP", {"Абсолютное давление во впускном коллекторе", "Intake manifold pressure"}, kKpa, 1, 0, 255, 0, N, A},
    {0x0C, "RPM", {"Частота вращения двигателя", "Engine speed"}, {"об/мин", "rpm"}, 2, 0, 16383.75, 0, N, Rpm},
    {0x0D, "SPEED", {"Скорость автомобиля", "Vehicle speed"}, {"км/ч", "km/h"}, 1, 0, 255, 0, N, A},
    {0x0E, "TIMING_ADVANCE", {"Угол опережения зажигания", "Timing advance"}, {"° до ВМТ", "° BTDC"}, 1, -64, 63.5, 1, N, TimingAdvance},
    {0x0F, "INTAKE_TEMP", {"Температура воздуха на впуске", "Intake air temperature"}, kCelsius, 1, -40, 215, 0, N, Temperature},
    {0x10, "MAF", {"Массовый расход воздуха", "Mass air flow"}, kGramsPerSecond, 2, 0, 655.35, 2, N, AirFlow},
    {0x11, "THROTTLE", {"Положение дроссельной заслонки", "Throttle position"}, kPercent, 1, 0, 100, 1, N, Percent},
    {0x12, "SECONDARY_AIR", {"Подача вторичного воздуха", "Commanded secondary air"}, kNoUnit, 1, 0, 0, 0, W, nullptr},
    {0x13, "O2_SENSORS", {"Установленные датчики кислорода", "Oxygen sensors present"}, kNoUnit, 1, 0, 0, 0, W, nullptr},
    {0x14, "O2_1_VOLTAGE", {"Датчик кислорода 1, напряжение", "Oxygen sensor 1 voltage"}, kVolt, 2, 0, 1.275, 3, N, O2Voltage},
    {0x15, "O2_2_VOLTAGE", {"Датчик кислорода 2, напряжение", "Oxygen sensor 2 voltage"}, kVolt, 2, 0, 1.275, 3, N, O2Voltage},
    {0x16, "O2_3_VOLTAGE", {"Датчик кислорода 3, напряжение", "Oxygen sensor 3 voltage"}, kVolt, 2, 0, 1.275, 3, N, O2Voltage},
    {0x17, "O2_4_VOLTAGE", {"Датчик кислорода 4, напряжение", "Oxygen sensor 4 voltage"}, kVolt, 2, 0, 1.275, 3, N, O2Voltage},
    {0x18, "O2_5_VOLTAGE", {"Датчик кислорода 5, напряжение", "Oxygen sensor 5 voltage"}, kVolt, 2, 0, 1.275, 3, N, O2Voltage},
    {0x19, "O2_6_VOLTAGE", {"Датчик кислорода 6, напряжение", "Oxygen sensor 6 voltage"}, kVolt, 2, 0, 1.275, 3, N, O2Voltage},
    {0x1A, "O2_7_VOLTAGE", {"Датчик кислорода 7, напряжение", "Oxygen sensor 7 voltage"}, kVolt, 2, 0, 1.275, 3, N, O2Voltage},
    {0x1B, "O2_8_VOLTAGE", {"Датчик кислорода 8, напряжение", "Oxygen sensor 8 voltage"}, kVolt, 2, 0, 1.275, 3, N, O2Voltage},
    {0x1C, "OBD_STANDARD", {"Стандарт OBD автомобиля", "OBD standard"}, kNoUnit, 1, 0, 0, 0, W, nullptr},
    {0x1D, "O2_SENSORS_4_BANKS", {"Установленные датчики кислорода (4 банка)", "Oxygen sensors present (4 banks)"}, kNoUnit, 1, 0, 0, 0, W, nullptr},
    {0x1E, "AUX_INPUT", {"Вспомогательный вход (отбор мощности)", "Auxiliary input (power take-off)"}, kNoUnit, 1, 0, 0, 0, W, nullptr},
    {0x1F, "RUN_TIME", {"Время работы после пуска", "Run time since engine start"}, {"с", "s"}, 2, 0, 65535, 0, N, Word},
    {0x20, "PIDS_21_40", {"Поддерживаемые PID 21–40", "Supported PIDs 21-40"}, kNoUnit, 4, 0, 0, 0, B, nullptr},
    {0x21, "DISTANCE_MIL_ON", {"Пробег с горящей лампой MIL", "Distance with MIL on"}, kKm, 2, 0, 65535, 0, N, Word},
    {0x22, "FUEL_RAIL_PRESSURE_VAC", {"Давление в топливной рампе относительно коллектора", "Fuel rail pressure relative to manifold"}, kKpa, 2, 0, 5177.265, 1, N, RailPressureVacuum},
    {0x23, "FUEL_RAIL_GAUGE", {"Давление в топливной рампе (дизель, прямой впрыск)", "Fuel rail gauge pressure (diesel, direct injection)"}, kKpa, 2, 0, 655350, 0, N, TenWord},
    {0x24, "O2_1_LAMBDA_V", {"Широкополосный датчик кислорода 1, лямбда (по напряжению)", "Wide-range oxygen sensor 1 lambda (voltage)"}, kNoUnit, 4, 0, 2, 3, N, Lambda},
    {0x25, "O2_2_LAMBDA_V", {"Широкополосный датчик кислорода 2, лямбда (по напряжению)", "Wide-range oxygen sensor 2 lambda (voltage)"}, kNoUnit, 4, 0, 2, 3, N, Lambda},
    {0x26, "O2_3_LAMBDA_V", {"Широкополосный датчик кислорода 3, лямбда (по напряжению)", "Wide-range oxygen sensor 3 lambda (voltage)"}, kNoUnit, 4, 0, 2, 3, N, Lambda},
    {0x27, "O2_4_LAMBDA_V", {"Широкополосный датчик кислорода 4, лямбда (по напряжению)", "Wide-range oxygen sensor 4 lambda (voltage)"}, kNoUnit, 4, 0, 2, 3, N, Lambda},
    {0x28, "O2_5_LAMBDA_V", {"Широкополосный датчик кислорода 5, лямбда (по напряжению)", "Wide-range oxygen sensor 5 lambda (voltage)"}, kNoUnit, 4, 0, 2, 3, N, Lambda},
    {0x29, "O2_6_LAMBDA_V", {"Широкополосный датчик кислорода 6, лямбда (по напряжению)", "Wide-range oxygen sensor 6 lambda (voltage)"}, kNoUnit, 4, 0, 2, 3, N, Lambda},
    {0x2A, "O2_7_LAMBDA_V", {"Широкополосный датчик кислорода 7, лямбда (по напряжению)", "Wide-range oxygen sensor 7 lambda (voltage)"}, kNoUnit, 4, 0, 2, 3, N, Lambda},
    {0x2B, "O2_8_LAMBDA_V", {"Широкополосный датчик кислорода 8, лямбда (по напряжению)", "Wide-range oxygen sensor 8 lambda (voltage)"}, kNoUnit, 4, 0, 2, 3, N, Lambda},
    {0x2C, "EGR_COMMANDED", {"Заданное открытие клапана EGR", "Commanded EGR"}, kPercent, 1, 0, 100, 1, N, Percent},
    {0x2D, "EGR_ERROR", {"Отклонение клапана EGR", "EGR error"}, kPercent, 1, -100, 99.2, 1, N, Trim},
    {0x2E, "EVAP_PURGE", {"Заданная продувка адсорбера", "Commanded evaporative purge"}, kPercent, 1, 0, 100, 1, N, Percent},
    {0x2F, "FUEL_LEVEL", {"Уровень топлива в баке", "Fuel tank level"}, kPercent, 1, 0, 100, 1, N, Percent},
    {0x30, "WARMUPS_SINCE_CLEAR", {"Прогревов после сброса кодов", "Warm-ups since codes cleared"}, kNoUnit, 1, 0, 255, 0, N, A},
    {0x31, "DISTANCE_SINCE_CLEAR", {"Пробег после сброса кодов", "Distance since codes cleared"}, kKm, 2, 0, 65535, 0, N, Word},
    {0x32, "EVAP_PRESSURE", {"Давление паров топлива в системе EVAP", "Evap system vapor pressure"}, kPa, 2, -8192, 8191.75, 2, N, EvapPressure},
    {0x33, "BAROMETRIC", {"Атмосферное давление", "Barometric pressure"}, kKpa, 1, 0, 255, 0, N, A},
    {0x34, "O2_1_LAMBDA_I", {"Широкополосный датчик кислорода 1, лямбда (по току)", "Wide-range oxygen sensor 1 lambda (current)"}, kNoUnit, 4, 0, 2, 3, N, Lambda},
    {0x35, "O2_2_LAMBDA_I", {"Широкополосный датчик кислорода 2, лямбда (по току)", "Wide-range oxygen sensor 2 lambda (current)"}, kNoUnit, 4, 0, 2, 3, N, Lambda},
    {0x36, "O2_3_LAMBDA_I", {"Широкополосный датчик кислорода 3, лямбда (по току)", "Wide-range oxygen sensor 3 lambda (current)"}, kNoUnit, 4, 0, 2, 3, N, Lambda},
    {0x37, "O2_4_LAMBDA_I", {"Широкополосный датчик кислорода 4, лямбда (по току)", "Wide-range oxygen sensor 4 lambda (current)"}, kNoUnit, 4, 0, 2, 3, N, Lambda},
    {0x38, "O2_5_LAMBDA_I", {"Широкополосный датчик кислорода 5, лямбда (по току)", "Wide-range oxygen sensor 5 lambda (current)"}, kNoUnit, 4, 0, 2, 3, N, Lambda},
    {0x39, "O2_6_LAMBDA_I", {"Широкополосный датчик кислорода 6, лямбда (по току)", "Wide-range oxygen sensor 6 lambda (current)"}, kNoUnit, 4, 0, 2, 3, N, Lambda},
    {0x3A, "O2_7_LAMBDA_I", {"Широкополосный датчик кислорода 7, лямбда (по току)", "Wide-range oxygen sensor 7 lambda (current)"}, kNoUnit, 4, 0, 2, 3, N, Lambda},
    {0x3B, "O2_8_LAMBDA_I", {"Широкополосный датчик кислорода 8, лямбда (по току)", "Wide-range oxygen sensor 8 lambda (current)"}, kNoUnit, 4, 0, 2, 3, N, Lambda},
    {0x3C, "CAT_TEMP_B1S1", {"Температура катализатора, банк 1, датчик 1", "Catalyst temperature, bank 1 sensor 1"}, kCelsius, 2, -40, 6513.5, 1, N, CatalystTemperature},
    {0x3D, "CAT_TEMP_B2S1", {"Температура катализатора, банк 2, датчик 1", "Catalyst temperature, bank 2 sensor 1"}, kCelsius, 2, -40, 6513.5, 1, N, CatalystTemperature},
    {0x3E, "CAT_TEMP_B1S2", {"Температура катализатора, банк 1, датчик 2", "Catalyst temperature, bank 1 sensor 2"}, kCelsius, 2, -40, 6513.5, 1, N, CatalystTemperature},
    {0x3F, "CAT_TEMP_B2S2", {"Температура катализатора, банк 2, датчик 2", "Catalyst temperature, bank 2 sensor 2"}, kCelsius, 2, -40, 6513.5, 1, N, CatalystTemperature},
    {0x40, "PIDS_41_60", {"Поддерживаемые PID 41–60", "Supported PIDs 41-60"}, kNoUnit, 4, 0, 0, 0, B, nullptr},
    {0x41, "MONITOR_DRIVE_CYCLE", {"Готовность мониторов в этой поездке", "Monitor status this drive cycle"}, kNoUnit, 4, 0, 0, 0, W, nullptr},
    {0x42, "MODULE_VOLTAGE", {"Напряжение питания ЭБУ", "Control module voltage"}, kVolt, 2, 0, 65.535, 2, N, ModuleVoltage},
    {0x43, "ABSOLUTE_LOAD", {"Абсолютная нагрузка", "Absolute load"}, kPercent, 2, 0, 25700, 1, N, AbsoluteLoad},
    {0x44, "COMMANDED_LAMBDA", {"Заданная лямбда", "Commanded air-fuel equivalence ratio"}, kNoUnit, 2, 0, 2, 3, N, Lambda},
    {0x45, "RELATIVE_THROTTLE", {"Относительное положение дроссельной заслонки", "Relative throttle position"}, kPercent, 1, 0, 100, 1, N, Percent},
    {0x46, "AMBIENT_TEMP", {"Температура наружного воздуха", "Ambient air temperature"}, kCelsius, 1, -40, 215, 0, N, Temperature},
    {0x47, "THROTTLE_B", {"Абсолютное положение дроссельной заслонки B", "Absolute throttle position B"}, kPercent, 1, 0, 100, 1, N, Percent},
    {0x48, "THROTTLE_C", {"Абсолютное положение дроссельной заслонки C", "Absolute throttle position C"}, kPercent, 1, 0, 100, 1, N, Percent},
    {0x49, "PEDAL_D", {"Положение педали акселератора D", "Accelerator pedal position D"}, kPercent, 1, 0, 100, 1, N, Percent},
    {0x4A, "PEDAL_E", {"Положение педали акселератора E", "Accelerator pedal position E"}, kPercent, 1, 0, 100, 1, N, Percent},
    {0x4B, "PEDAL_F", {"Положение педали акселератора F", "Accelerator pedal position F"}, kPercent, 1, 0, 100, 1, N, Percent},
    {0x4C, "THROTTLE_COMMANDED", {"Заданное положение привода дроссельной заслонки", "Commanded throttle actuator"}, kPercent, 1, 0, 100, 1, N, Percent},
    {0x4D, "TIME_MIL_ON", {"Время работы с горящей лампой MIL", "Time run with MIL on"}, kMinutes, 2, 0, 65535, 0, N, Word},
    {0x4E, "TIME_SINCE_CLEAR", {"Время после сброса кодов", "Time since codes cleared"}, kMinutes, 2, 0, 65535, 0, N, Word},
    // A: the lambda scale's maximum; B, C, D: O2 voltage, O2 current and manifold pressure maxima.
    {0x4F, "MAX_LAMBDA", {"Предел шкалы лямбды", "Maximum fuel-air equivalence ratio"}, kNoUnit, 4, 0, 255, 0, N, A},
    // A x 10 g/s; B, C, D reserved.
    {0x50, "MAX_MAF", {"Предел шкалы расхода воздуха", "Maximum air flow rate"}, kGramsPerSecond, 4, 0, 2550, 0, N, MaxAirFlow},
    {0x51, "FUEL_TYPE", {"Тип топлива", "Fuel type"}, kNoUnit, 1, 0, 0, 0, W, nullptr},
    {0x52, "ETHANOL", {"Доля этанола в топливе", "Ethanol fuel"}, kPercent, 1, 0, 100, 1, N, Percent},
    {0x53, "EVAP_PRESSURE_ABS", {"Абсолютное давление паров в системе EVAP", "Absolute evap system vapor pressure"}, kKpa, 2, 0, 327.675, 3, N, EvapAbsolute},
    {0x54, "EVAP_PRESSURE_WIDE", {"Давление паров в системе EVAP (широкий диапазон)", "Evap system vapor pressure (wide range)"}, kPa, 2, -32768, 32767, 0, N, SignedWord},
    // A: bank 1 (0x55, 0x56) or bank 2 (0x57, 0x58); B: bank 3 or bank 4.
    {0x55, "STSO2_B1", {"Краткосрочная коррекция по второму датчику O2, банк 1", "Short-term secondary O2 trim, bank 1"}, kPercent, 2, -100, 99.2, 1, N, Trim},
    {0x56, "LTSO2_B1", {"Долгосрочная коррекция по второму датчику O2, банк 1", "Long-term secondary O2 trim, bank 1"}, kPercent, 2, -100, 99.2, 1, N, Trim},
    {0x57, "STSO2_B2", {"Краткосрочная коррекция по второму датчику O2, банк 2", "Short-term secondary O2 trim, bank 2"}, kPercent, 2, -100, 99.2, 1, N, Trim},
    {0x58, "LTSO2_B2", {"Долгосрочная коррекция по второму датчику O2, банк 2", "Long-term secondary O2 trim, bank 2"}, kPercent, 2, -100, 99.2, 1, N, Trim},
    {0x59, "FUEL_RAIL_ABS", {"Абсолютное давление в топливной рампе", "Fuel rail absolute pressure"}, kKpa, 2, 0, 655350, 0, N, TenWord},
    {0x5A, "RELATIVE_PEDAL", {"Относительное положение педали акселератора", "Relative accelerator pedal position"}, kPercent, 1, 0, 100, 1, N, Percent},
    {0x5B, "HYBRID_BATTERY_LIFE", {"Остаточный ресурс батареи гибрида", "Hybrid battery remaining life"}, kPercent, 1, 0, 100, 1, N, Percent},
    // 0x5C and 0x5E span what their scaling gives, -40-215 °C and 0-3276.75 L/h
    // (some printed tables stop at 210 and 3212.75, short of what FF and FF FF read).
    {0x5C, "OIL_TEMP", {"Температура масла двигателя", "Engine oil temperature"}, kCelsius, 1, -40, 215, 0, N, Temperature},
    {0x5D, "INJECTION_TIMING", {"Угол начала впрыска", "Fuel injection timing"}, {"°", "°"}, 2, -210, 301.992, 2, N, InjectionTiming},
    {0x5E, "FUEL_RATE", {"Расход топлива", "Engine fuel rate"}, {"л/ч", "L/h"}, 2, 0, 3276.75, 2, N, FuelRate},
    {0x5F, "EMISSION_REQUIREMENTS", {"Экологические нормы автомобиля", "Emission requirements"}, kNoUnit, 1, 0, 0, 0, W, nullptr},
    {0x60, "PIDS_61_80", {"Поддерживаемые PID 61–80", "Supported PIDs 61-80"}, kNoUnit, 4, 0, 0, 0, B, nullptr},
    {0x61, "DEMANDED_TORQUE", {"Крутящий момент, запрошенный водителем", "Driver's demand engine torque"}, kPercent, 1, -125, 130, 0, N, TorquePercent},
    {0x62, "ACTUAL_TORQUE", {"Фактический крутящий момент двигателя", "Actual engine torque"}, kPercent, 1, -125, 130, 0, N, TorquePercent},
    {0x63, "REFERENCE_TORQUE", {"Номинальный крутящий момент двигателя", "Engine reference torque"}, {"Н·м", "N·m"}, 2, 0, 65535, 0, N, Word},
    // A: idle; B-E: the engine's torque points 1-4.
    {0x64, "TORQUE_IDLE", {"Крутящий момент на холостом ходу", "Engine torque at idle"}, kPercent, 5, -125, 130, 0, N, TorquePercent},
    {0x80, "PIDS_81_A0", {"Поддерживаемые PID 81–A0", "Supported PIDs 81-A0"}, kNoUnit, 4, 0, 0, 0, B, nullptr},
    {0xA0, "PIDS_A1_C0", {"Поддерживаемые PID A1–C0", "Supported PIDs A1-C0"}, kNoUnit, 4, 0, 0, 0, B, nullptr},
    {0xA6, "ODOMETER", {"Пробег по одометру", "Odometer"}, kKm, 4, 0, 429496729.5, 1, N, Odometer},
    {0xC0, "PIDS_C1_E0", {"Поддерживаемые PID C1–E0", "Supported PIDs C1-E0"}, kNoUnit, 4, 0, 0, 0, B, nullptr},
    {0xE0, "PIDS_E1_FF", {"Поддерживаемые PID E1–FF", "Supported PIDs E1-FF"}, kNoUnit, 4, 0, 0, 0, B, nullptr},
};
// clang-format on

// One slot per PID byte, filled once from the rows above.
const std::array<const Pid*, 256>& Index() {
  static const std::array<const Pid*, 256> index = [] {
    std::array<const Pid*, 256> a{};
    for (const Pid& p : kPids) a[p.pid] = &p;
    return a;
  }();
  return index;
}

std::string Code(Lang lang, unsigned n) {
  return (lang == Lang::En ? "code " : "код ") + std::to_string(n);
}

std::string HexByte(uint8_t b) {
  char buf[3];
  std::snprintf(buf, sizeof buf, "%02X", b);
  return buf;
}

const char* Pick2(Lang lang, const char* ru, const char* en) { return lang == Lang::En ? en : ru; }

// 0x03, per fuel system: exactly one bit set is a defined state.
std::string FuelSystemState(uint8_t v, Lang lang) {
  static const Text kStates[] = {
      {"разомкнутый контур: двигатель не прогрет", "open loop: engine not yet warm"},
      {"замкнутый контур по датчику кислорода", "closed loop on the oxygen sensor"},
      {"разомкнутый контур: нагрузка или отсечка топлива", "open loop: engine load or fuel cut"},
      {"разомкнутый контур: неисправность системы", "open loop: system fault"},
      {"замкнутый контур, неисправна обратная связь", "closed loop, feedback fault"},
  };
  for (int i = 0; i < 5; ++i)
    if (v == (1u << i)) return Pick(kStates[i], lang);
  return Code(lang, v);
}

std::string FuelSystemWords(const uint8_t* b, Lang lang) {
  if (b[0] == 0 && b[1] == 0)
    return Pick2(lang, "нет активной топливной системы", "no fuel system active");
  std::string out;
  for (int i = 0; i < 2; ++i) {
    if (b[i] == 0) continue;
    if (!out.empty()) out += "; ";
    out +=
        Pick2(lang, i == 0 ? "система 1: " : "система 2: ", i == 0 ? "system 1: " : "system 2: ");
    out += FuelSystemState(b[i], lang);
  }
  return out;
}

std::string SecondaryAirWords(uint8_t v, Lang lang) {
  static const Text kStates[] = {
      {"перед катализатором", "upstream of the catalyst"},
      {"после катализатора", "downstream of the catalyst"},
      {"в атмосферу или выключен", "to the atmosphere or off"},
      {"насос включён для проверки", "pump on for diagnostics"},
  };
  for (int i = 0; i < 4; ++i)
    if (v == (1u << i)) return Pick(kStates[i], lang);
  return Code(lang, v);
}

// 0x13: bits 0-3 bank 1 sensors 1-4, bits 4-7 bank 2; 0x1D: two sensors
// per bank, banks 1-4. Named the way workshop manuals do, "B1S1".
std::string O2SensorsWords(uint8_t v, int sensorsPerBank, Lang lang) {
  std::string out;
  for (int bit = 0; bit < 8; ++bit) {
    if (!(v >> bit & 1)) continue;
    if (!out.empty()) out += ", ";
    out += "B" + std::to_string(bit / sensorsPerBank + 1) + "S" +
           std::to_string(bit % sensorsPerBank + 1);
  }
  return out.empty() ? Pick2(lang, "нет", "none") : out;
}

std::string ObdStandardWords(uint8_t v, Lang lang) {
  static const Text kStandards[] = {
      {"", ""},
      {"OBD-II (CARB)", "OBD-II (CARB)"},
      {"OBD (EPA)", "OBD (EPA)"},
      {"OBD и OBD-II", "OBD and OBD-II"},
      {"OBD-I", "OBD-I"},
      {"не соответствует OBD", "not OBD compliant"},
      {"EOBD (Европа)", "EOBD (Europe)"},
      {"EOBD и OBD-II", "EOBD and OBD-II"},
      {"EOBD и OBD", "EOBD and OBD"},
      {"EOBD, OBD и OBD-II", "EOBD, OBD and OBD-II"},
      {"JOBD (Япония)", "JOBD (Japan)"},
      {"JOBD и OBD-II", "JOBD and OBD-II"},
      {"JOBD и EOBD", "JOBD and EOBD"},
      {"JOBD, EOBD и OBD-II", "JOBD, EOBD and OBD-II"},
      {"", ""},
      {"", ""},
      {"", ""},
      {"EMD", "EMD"},
      {"EMD+", "EMD+"},
      {"HD OBD-C", "HD OBD-C"},
      {"HD OBD", "HD OBD"},
      {"WWH-OBD", "WWH-OBD"},
  };
  if (v < std::size(kStandards) && *kStandards[v].en) return Pick(kStandards[v], lang);
  return Code(lang, v);
}

std::string FuelTypeWords(uint8_t v, Lang lang) {
  static const Text kTypes[] = {
      {"нет данных", "not available"},
      {"бензин", "gasoline"},
      {"метанол", "methanol"},
      {"этанол", "ethanol"},
      {"дизель", "diesel"},
      {"сжиженный газ (LPG)", "LPG"},
      {"сжатый природный газ (CNG)", "CNG"},
      {"пропан", "propane"},
      {"электричество", "electric"},
      {"два топлива, сейчас бензин", "bifuel running gasoline"},
      {"два топлива, сейчас метанол", "bifuel running methanol"},
      {"два топлива, сейчас этанол", "bifuel running ethanol"},
      {"два топлива, сейчас сжиженный газ", "bifuel running LPG"},
      {"два топлива, сейчас сжатый природный газ", "bifuel running CNG"},
      {"два топлива, сейчас пропан", "bifuel running propane"},
      {"два топлива, сейчас электричество", "bifuel running electricity"},
      {"два топлива, сейчас электромотор и ДВС", "bifuel running electric and combustion engine"},
      {"гибрид, бензин", "hybrid gasoline"},
      {"гибрид, этанол", "hybrid ethanol"},
      {"гибрид, дизель", "hybrid diesel"},
      {"гибрид, электричество", "hybrid electric"},
      {"гибрид, электромотор и ДВС", "hybrid running electric and combustion engine"},
      {"гибрид, рекуперация", "hybrid regenerative"},
      {"два топлива, сейчас дизель", "bifuel running diesel"},
  };
  if (v < std::size(kTypes)) return Pick(kTypes[v], lang);
  return Code(lang, v);
}

// The monitors not yet complete, of those supported.
std::string IncompleteMonitors(const MonitorStatus& s, Lang lang, const char* allRu,
                               const char* allEn, const char* someRu, const char* someEn) {
  std::string list;
  for (const Readiness& r : s.monitors) {
    if (!r.supported || r.complete) continue;
    if (!list.empty()) list += ", ";
    list += Pick(r.name, lang);
  }
  if (list.empty()) return Pick2(lang, allRu, allEn);
  return Pick2(lang, someRu, someEn) + list;
}

std::string MonitorStatusWords(std::span<const uint8_t> b, Lang lang) {
  const std::optional<MonitorStatus> s = DecodeMonitorStatus(b);
  if (!s) return {};
  std::string out =
      s->mil ? Pick2(lang, "MIL горит", "MIL on") : Pick2(lang, "MIL не горит", "MIL off");
  out += Pick2(lang, ", кодов: ", ", codes: ") + std::to_string(s->storedCount) + "; ";
  out += IncompleteMonitors(*s, lang, "все мониторы готовы", "all monitors ready",
                            "не готовы: ", "not ready: ");
  return out;
}

// 0x41 uses the layout of 0x01 bytes B-D (byte A is reserved): C says which
// monitors are enabled this drive cycle, D which of them are not complete.
std::string DriveCycleWords(std::span<const uint8_t> b, Lang lang) {
  const uint8_t abcd[4] = {0, b[1], b[2], b[3]};
  const std::optional<MonitorStatus> s = DecodeMonitorStatus(abcd);
  if (!s) return {};
  return IncompleteMonitors(*s, lang, "все мониторы завершены", "all monitors complete",
                            "не завершены: ", "incomplete: ");
}

std::string FreezeCodeWords(const uint8_t* b, Lang lang) {
  if (b[0] == 0 && b[1] == 0) return Pick2(lang, "нет", "none");
  return DtcText(b[0], b[1]);
}

void AppendFixed(std::string& out, double v, int decimals) {
  // A value that rounds to zero is shown as 0, never "-0.0".
  if (std::fabs(v) < 0.5 * std::pow(10.0, -decimals)) v = 0;
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  if (r.ec == std::errc()) out.append(buf, r.ptr);
}

}  // namespace

const Pid* FindPid(uint8_t pid) { return Index()[pid]; }

std::span<const Pid> AllPids() { return kPids; }

std::string PidColumnName(const Pid& pid) { return "OBD_" + HexByte(pid.pid); }

std::optional<double> PidValue(const Pid& pid, std::span<const uint8_t> bytes) {
  if (pid.kind != PidKind::Number || pid.formula == nullptr || bytes.size() < pid.length)
    return std::nullopt;
  return pid.formula(bytes.data());
}

std::string PidWords(const Pid& pid, std::span<const uint8_t> bytes, Lang lang) {
  if (pid.kind != PidKind::Words || bytes.size() < pid.length || bytes.empty()) return {};
  const uint8_t* b = bytes.data();
  switch (pid.pid) {
    case 0x01:
      return MonitorStatusWords(bytes, lang);
    case 0x02:
      return FreezeCodeWords(b, lang);
    case 0x03:
      return FuelSystemWords(b, lang);
    case 0x12:
      return SecondaryAirWords(b[0], lang);
    case 0x13:
      return O2SensorsWords(b[0], 4, lang);
    case 0x1C:
      return ObdStandardWords(b[0], lang);
    case 0x1D:
      return O2SensorsWords(b[0], 2, lang);
    case 0x1E:
      return b[0] & 1 ? Pick2(lang, "отбор мощности включён", "power take-off active")
                      : Pick2(lang, "отбор мощности выключен", "power take-off inactive");
    case 0x41:
      return DriveCycleWords(bytes, lang);
    case 0x51:
      return FuelTypeWords(b[0], lang);
    case 0x5F:  // bit-coded; the bits' meanings are left to the reader
      return Pick2(lang, "код 0x", "code 0x") + HexByte(b[0]);
    default:
      return {};
  }
}

std::string FormatPidValue(const Pid& pid, std::span<const uint8_t> bytes, Lang lang) {
  if (bytes.size() < pid.length) return {};
  switch (pid.kind) {
    case PidKind::Number: {
      const std::optional<double> v = PidValue(pid, bytes);
      if (!v) return {};
      std::string out;
      AppendFixed(out, *v, pid.decimals);
      const char* unit = Pick(pid.unit, lang);
      if (*unit) {
        out += ' ';
        out += unit;
      }
      return out;
    }
    case PidKind::Bitmap: {
      std::string out;
      for (size_t i = 0; i < pid.length; ++i) {
        if (i) out += ' ';
        out += HexByte(bytes[i]);
      }
      return out;
    }
    case PidKind::Words:
      return PidWords(pid, bytes, lang);
  }
  return {};
}

}  // namespace kalvex::obd

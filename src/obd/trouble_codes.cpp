#include "obd/trouble_codes.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <vector>

namespace kalvex::obd {
namespace {

// A phrase in both languages while rows are being put together.
struct Phrase {
  std::string ru;
  std::string en;
};

// What went wrong, appended to a subject after ": ". Sensors report a
// signal; actuators are judged by their circuit.
const Phrase kCircuit{"неисправность цепи", "circuit fault"};
const Phrase kRange{"сигнал вне допустимого диапазона или недостоверен",
                    "signal out of range or implausible"};
const Phrase kLow{"низкий уровень сигнала", "signal low"};
const Phrase kHigh{"высокий уровень сигнала", "signal high"};
const Phrase kIntermittent{"прерывистый сигнал", "intermittent signal"};
const Phrase kNoSignal{"нет сигнала", "no signal"};
const Phrase kControlOpen{"обрыв или неисправность цепи управления",
                          "control circuit open or faulty"};
const Phrase kControl{"неисправность цепи управления", "control circuit fault"};
const Phrase kControlRange{"параметры цепи управления вне нормы",
                           "control circuit out of range or poor performance"};
const Phrase kControlLow{"низкий уровень в цепи управления", "control circuit low"};
const Phrase kControlHigh{"высокий уровень в цепи управления", "control circuit high"};
const Phrase kCircuitLow{"низкий уровень в цепи", "circuit low"};
const Phrase kCircuitHigh{"высокий уровень в цепи", "circuit high"};
const Phrase kCircuitIntermittent{"перемежающаяся неисправность цепи",
                                  "intermittent circuit fault"};

// A sensor's five usual faults in the standard's order: circuit, range,
// low, high, intermittent.
const std::initializer_list<Phrase> kSensorFive = {kCircuit, kRange, kLow, kHigh, kIntermittent};
const std::initializer_list<Phrase> kSensorFour = {kCircuit, kRange, kLow, kHigh};
// A speed sensor's: circuit, range, no signal, intermittent.
const std::initializer_list<Phrase> kSpeedSensor = {kCircuit, kRange, kNoSignal, kIntermittent};
// A transmission solenoid's, as the 074x-077x codes go.
const std::initializer_list<Phrase> kSolenoid = {
    {"неисправность", "fault"},
    {"нарушение работы или заклинивание в выключенном положении", "performance or stuck off"},
    {"заклинивание во включённом положении", "stuck on"},
    {"электрическая неисправность", "electrical fault"},
    {"перемежающаяся неисправность", "intermittent fault"}};

Phrase Bank(int bank) { return {"банк " + std::to_string(bank), "bank " + std::to_string(bank)}; }

Phrase BankSensor(int bank, int sensor) {
  return {"банк " + std::to_string(bank) + ", датчик " + std::to_string(sensor),
          "bank " + std::to_string(bank) + " sensor " + std::to_string(sensor)};
}

Phrase Oxygen(int bank, int sensor) {
  Phrase where = BankSensor(bank, sensor);
  return {"Кислородный датчик, " + where.ru, "Oxygen sensor, " + where.en};
}

Phrase Quoted(char letter) { return {std::string("«") + letter + "»", std::string(1, letter)}; }

struct Owned {
  std::string code;
  std::string ru;
  std::string en;
};

class Rows {
 public:
  explicit Rows(std::vector<Owned>& out) : out_(out) {}

  // Most generic codes use decimal digits only, so their ranges are
  // written as decimal numbers: 301 is "P0301", 2187 is "P2187".
  static std::string Code(char letter, int number) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%c%04d", letter, number);
    return buf;
  }

  void Add(std::string code, std::string ru, std::string en) {
    out_.push_back({std::move(code), std::move(ru), std::move(en)});
  }
  void P(int number, std::string ru, std::string en) {
    Add(Code('P', number), std::move(ru), std::move(en));
  }
  void U(int number, std::string ru, std::string en) {
    Add(Code('U', number), std::move(ru), std::move(en));
  }
  // "Subject: fault" for consecutive codes from `first`.
  void Series(int first, const Phrase& subject, std::initializer_list<Phrase> faults) {
    int number = first;
    for (const Phrase& f : faults) P(number++, subject.ru + ": " + f.ru, subject.en + ": " + f.en);
  }

 private:
  std::vector<Owned>& out_;
};

void AddFuelAndAir(Rows& r) {
  // Camshaft timing actuators: "A" and "B" on each bank, three codes each.
  const struct {
    int first;
    char cam;
    int bank;
  } actuators[] = {{10, 'A', 1}, {13, 'B', 1}, {20, 'A', 2}, {23, 'B', 2}};
  for (const auto& a : actuators) {
    const Phrase cam = Quoted(a.cam), bank = Bank(a.bank);
    const Phrase actuator{"Привод изменения фаз распредвала " + cam.ru + ", " + bank.ru,
                          "Camshaft position actuator " + cam.en + ", " + bank.en};
    r.Series(a.first, actuator,
             {kCircuit,
              {"чрезмерное опережение фаз или нарушение работы системы",
               "timing over-advanced or system performance"},
              {"чрезмерное запаздывание фаз", "timing over-retarded"}});
  }
  const struct {
    int number;
    int bank;
    char sensor;
  } correlations[] = {{16, 1, 'A'}, {17, 1, 'B'}, {18, 2, 'A'}, {19, 2, 'B'}};
  for (const auto& c : correlations) {
    const Phrase bank = Bank(c.bank), sensor = Quoted(c.sensor);
    r.P(c.number,
        "Рассогласование сигналов коленвала и распредвала, " + bank.ru + ", датчик " + sensor.ru,
        "Crankshaft/camshaft position correlation, " + bank.en + " sensor " + sensor.en);
  }
  for (int bank = 1; bank <= 2; ++bank) {
    const int base = bank == 1 ? 26 : 28;
    const Phrase b = Bank(bank);
    r.P(base,
        "Электроклапан управления впускными клапанами, " + b.ru + ": параметры цепи вне нормы",
        "Intake valve control solenoid, " + b.en + ": circuit range/performance");
    r.P(base + 1,
        "Электроклапан управления выпускными клапанами, " + b.ru + ": параметры цепи вне нормы",
        "Exhaust valve control solenoid, " + b.en + ": circuit range/performance");
  }

  // Oxygen sensor heaters: control circuit (three codes) and resistance.
  const struct {
    int heater;
    int resistance;
    int bank;
    int sensor;
  } heaters[] = {{30, 53, 1, 1}, {36, 54, 1, 2}, {42, 55, 1, 3},
                 {50, 59, 2, 1}, {56, 60, 2, 2}, {62, 61, 2, 3}};
  for (const auto& h : heaters) {
    const Phrase where = BankSensor(h.bank, h.sensor);
    r.Series(h.heater,
             {"Подогрев кислородного датчика, " + where.ru, "Oxygen sensor heater, " + where.en},
             {kControl, kControlLow, kControlHigh});
    r.P(h.resistance, "Сопротивление нагревателя кислородного датчика вне нормы, " + where.ru,
        "Oxygen sensor heater resistance out of range, " + where.en);
  }
  r.Series(33, {"Перепускной клапан турбонаддува", "Turbocharger/supercharger bypass valve"},
           {kControl, kControlLow, kControlHigh});
  r.P(40, "Перепутаны сигналы кислородных датчиков: банк 1 датчик 1 и банк 2 датчик 1",
      "Oxygen sensor signals swapped: bank 1 sensor 1 and bank 2 sensor 1");
  r.P(41, "Перепутаны сигналы кислородных датчиков: банк 1 датчик 2 и банк 2 датчик 2",
      "Oxygen sensor signals swapped: bank 1 sensor 2 and bank 2 sensor 2");
  r.Series(45, {"Электроклапан управления давлением наддува «A»", "Boost control solenoid A"},
           {kControlOpen, kControlRange, kControlLow, kControlHigh});
  r.P(49, "Превышение допустимой частоты вращения турбины нагнетателя",
      "Turbocharger/supercharger turbine overspeed");
  r.P(68, "Рассогласование сигналов ДАД/ДМРВ и положения дроссельной заслонки",
      "Manifold pressure/air flow and throttle position disagree");
  r.P(69, "Рассогласование давления во впускном коллекторе и барометрического давления",
      "Manifold pressure and barometric pressure disagree");
  r.Series(70, {"Датчик температуры наружного воздуха", "Ambient air temperature sensor"},
           kSensorFive);
  // Intake and exhaust valve control solenoids per bank.
  const struct {
    int first;
    const char* ru;
    const char* en;
    int bank;
  } valves[] = {{75, "впускными", "Intake", 1},
                {78, "выпускными", "Exhaust", 1},
                {81, "впускными", "Intake", 2},
                {84, "выпускными", "Exhaust", 2}};
  for (const auto& v : valves) {
    const Phrase bank = Bank(v.bank);
    r.Series(v.first,
             {std::string("Электроклапан управления ") + v.ru + " клапанами, " + bank.ru,
              std::string(v.en) + " valve control solenoid, " + bank.en},
             {kCircuit, kCircuitLow, kCircuitHigh});
  }
  r.P(87, "Давление в топливной рампе (системе) слишком низкое",
      "Fuel rail/system pressure too low");
  r.P(88, "Давление в топливной рампе (системе) слишком высокое",
      "Fuel rail/system pressure too high");
  r.P(89, "Регулятор давления топлива 1: нарушение работы",
      "Fuel pressure regulator 1: performance");
  r.Series(90, {"Регулятор давления топлива 1", "Fuel pressure regulator 1"},
           {kControl, kControlLow, kControlHigh});
  r.P(93, "Обнаружена большая утечка в топливной системе", "Large fuel system leak detected");
  r.P(94, "Обнаружена малая утечка в топливной системе", "Small fuel system leak detected");
  r.Series(95, {"Датчик температуры всасываемого воздуха 2", "Intake air temperature sensor 2"},
           kSensorFive);

  r.Series(100, {"Датчик массового расхода воздуха", "Mass air flow sensor"}, kSensorFive);
  r.Series(105,
           {"Датчик абсолютного давления во впускном коллекторе / барометрического давления",
            "Manifold absolute / barometric pressure sensor"},
           kSensorFive);
  r.Series(110, {"Датчик температуры всасываемого воздуха", "Intake air temperature sensor"},
           kSensorFive);
  r.Series(115, {"Датчик температуры охлаждающей жидкости", "Engine coolant temperature sensor"},
           kSensorFive);
  r.Series(
      120,
      {"Датчик положения дроссельной заслонки / педали «A»", "Throttle/pedal position sensor A"},
      kSensorFive);
  r.P(125, "Недостаточная температура охлаждающей жидкости для перехода на лямбда-регулирование",
      "Coolant too cold to enter closed-loop fuel control");
  r.P(126, "Недостаточная температура охлаждающей жидкости для устойчивой работы",
      "Coolant too cold for stable engine operation");
  r.P(127, "Слишком высокая температура всасываемого воздуха", "Intake air temperature too high");
  r.P(128, "Термостат: температура охлаждающей жидкости ниже рабочей температуры термостата",
      "Thermostat: coolant stays below the thermostat's regulating temperature");
  r.P(129, "Слишком низкое барометрическое давление", "Barometric pressure too low");

  // Oxygen sensors: six codes per bank and position.
  const struct {
    int first;
    int bank;
    int sensor;
  } oxygen[] = {{130, 1, 1}, {136, 1, 2}, {142, 1, 3}, {150, 2, 1}, {156, 2, 2}, {162, 2, 3}};
  for (const auto& o : oxygen)
    r.Series(o.first, Oxygen(o.bank, o.sensor),
             {kCircuit,
              {"низкое напряжение", "voltage low"},
              {"высокое напряжение", "voltage high"},
              {"медленный отклик", "slow response"},
              {"нет активности", "no activity detected"},
              {"неисправность цепи подогрева", "heater circuit fault"}});

  r.P(168, "Слишком высокая температура топлива", "Fuel temperature too high");
  r.P(169, "Неподходящий состав топлива", "Incorrect fuel composition");
  for (int bank = 1; bank <= 2; ++bank) {
    const int base = bank == 1 ? 170 : 173;
    const Phrase b = Bank(bank);
    r.P(base, "Коррекция топливоподачи: неисправность, " + b.ru, "Fuel trim malfunction, " + b.en);
    r.P(base + 1, "Слишком бедная смесь, " + b.ru, "System too lean, " + b.en);
    r.P(base + 2, "Слишком богатая смесь, " + b.ru, "System too rich, " + b.en);
  }
  r.Series(176, {"Датчик состава топлива", "Fuel composition sensor"}, kSensorFour);
  r.Series(180, {"Датчик температуры топлива «A»", "Fuel temperature sensor A"}, kSensorFive);
  r.Series(185, {"Датчик температуры топлива «B»", "Fuel temperature sensor B"}, kSensorFive);
  r.Series(190, {"Датчик давления в топливной рампе «A»", "Fuel rail pressure sensor A"},
           kSensorFive);
  r.Series(195, {"Датчик температуры моторного масла", "Engine oil temperature sensor"},
           kSensorFive);
}

void AddInjection(Rows& r) {
  r.P(200, "Цепь форсунок: обрыв или неисправность", "Injector circuit open or faulty");
  for (int cyl = 1; cyl <= 12; ++cyl) {
    const std::string n = std::to_string(cyl);
    r.P(200 + cyl, "Форсунка цилиндра " + n + ": обрыв или неисправность цепи",
        "Cylinder " + n + " injector: circuit open or faulty");
    // 0261-0296: three codes per cylinder.
    r.Series(
        258 + 3 * cyl, {"Форсунка цилиндра " + n, "Cylinder " + n + " injector"},
        {kCircuitLow,
         kCircuitHigh,
         {"отклонение производительности от остальных (баланс)", "contribution/balance fault"}});
  }
  r.P(213, "Пусковая форсунка 1: неисправность", "Cold start injector 1 fault");
  r.P(214, "Пусковая форсунка 2: неисправность", "Cold start injector 2 fault");
  r.P(215, "Электромагнитный клапан останова двигателя: неисправность",
      "Engine shutoff solenoid fault");
  r.P(216, "Цепь управления моментом впрыска: неисправность",
      "Injection timing control circuit fault");
  r.P(217, "Перегрев двигателя (охлаждающей жидкости)", "Engine coolant over temperature");
  r.P(218, "Перегрев рабочей жидкости коробки передач", "Transmission fluid over temperature");
  r.P(219, "Превышение допустимых оборотов двигателя", "Engine overspeed");
  r.Series(
      220,
      {"Датчик положения дроссельной заслонки / педали «B»", "Throttle/pedal position sensor B"},
      kSensorFive);
  r.Series(
      225,
      {"Датчик положения дроссельной заслонки / педали «C»", "Throttle/pedal position sensor C"},
      kSensorFive);
  r.P(230, "Топливный насос: неисправность первичной цепи (управления)",
      "Fuel pump primary circuit fault");
  r.Series(231, {"Топливный насос, вторичная цепь (питание насоса)", "Fuel pump secondary circuit"},
           {kCircuitLow, kCircuitHigh, kCircuitIntermittent});
  r.P(234, "Избыточное давление наддува", "Turbocharger/supercharger overboost");
  r.Series(235, {"Датчик давления наддува «A»", "Boost pressure sensor A"}, kSensorFour);
  r.Series(239, {"Датчик давления наддува «B»", "Boost pressure sensor B"}, kSensorFour);
  for (char valve : {'A', 'B'}) {
    const Phrase v = Quoted(valve);
    r.Series(valve == 'A' ? 243 : 247,
             {"Электроклапан перепуска газов турбины (вестгейт) " + v.ru,
              "Turbocharger wastegate solenoid " + v.en},
             {kCircuit, kControlRange, kCircuitLow, kCircuitHigh});
  }
  r.P(297, "Превышение допустимой скорости автомобиля", "Vehicle overspeed");
  r.P(298, "Перегрев моторного масла", "Engine oil over temperature");
  r.P(299, "Недостаточное давление наддува", "Turbocharger/supercharger underboost");
}

void AddIgnition(Rows& r) {
  r.P(300, "Случайные или множественные пропуски воспламенения",
      "Random or multiple cylinder misfire detected");
  for (int cyl = 1; cyl <= 12; ++cyl) {
    const std::string n = std::to_string(cyl);
    r.P(300 + cyl, "Пропуски воспламенения в цилиндре " + n, "Cylinder " + n + " misfire detected");
  }
  r.P(313, "Пропуски воспламенения при низком уровне топлива", "Misfire detected with low fuel");
  r.P(314, "Пропуски воспламенения в одном цилиндре (цилиндр не определён)",
      "Single cylinder misfire, cylinder not identified");
  r.P(315, "Не выполнено обучение отклонений датчика положения коленвала",
      "Crankshaft position system variation not learned");
  r.P(316, "Пропуски воспламенения при пуске (первые 1000 оборотов)",
      "Misfire detected on start-up (first 1000 revolutions)");
  r.Series(320,
           {"Входной сигнал частоты вращения (зажигание/распределитель)",
            "Ignition/distributor engine speed input"},
           kSpeedSensor);
  r.P(324, "Ошибка системы контроля детонации", "Knock control system error");
  r.Series(325,
           {"Датчик детонации 1 (банк 1 или единственный)", "Knock sensor 1 (bank 1 or single)"},
           kSensorFive);
  r.Series(330, {"Датчик детонации 2 (банк 2)", "Knock sensor 2 (bank 2)"}, kSensorFive);
  r.Series(335, {"Датчик положения коленвала «A»", "Crankshaft position sensor A"}, kSensorFive);
  r.Series(385, {"Датчик положения коленвала «B»", "Crankshaft position sensor B"}, kSensorFive);
  const struct {
    int first;
    char sensor;
    const char* bank_ru;
    const char* bank_en;
  } cams[] = {{340, 'A', "банк 1 или единственный", "bank 1 or single"},
              {345, 'A', "банк 2", "bank 2"},
              {365, 'B', "банк 1", "bank 1"},
              {390, 'B', "банк 2", "bank 2"}};
  for (const auto& c : cams) {
    const Phrase s = Quoted(c.sensor);
    r.Series(c.first,
             {"Датчик положения распредвала " + s.ru + " (" + c.bank_ru + ")",
              "Camshaft position sensor " + s.en + " (" + c.bank_en + ")"},
             kSensorFive);
  }
  r.P(350, "Катушки зажигания: неисправность цепи первичной или вторичной обмотки",
      "Ignition coil primary/secondary circuit fault");
  // The standard names the coils by letter, A to L, not by cylinder.
  for (int i = 0; i < 12; ++i) {
    const Phrase coil = Quoted(static_cast<char>('A' + i));
    r.P(351 + i,
        "Катушка зажигания " + coil.ru + ": неисправность цепи первичной или вторичной обмотки",
        "Ignition coil " + coil.en + ": primary/secondary circuit fault");
  }
  r.P(380, "Свечи накаливания, цепь «A»: неисправность", "Glow plug/heater circuit A fault");
  r.P(381, "Контрольная лампа свечей накаливания: неисправность цепи",
      "Glow plug/heater indicator circuit fault");
}

void AddEmissionControls(Rows& r) {
  const Phrase egr{"Система рециркуляции отработавших газов (EGR)", "Exhaust gas recirculation"};
  r.Series(400, egr,
           {{"нарушение расхода", "flow fault"},
            {"недостаточный расход", "insufficient flow"},
            {"избыточный расход", "excessive flow"},
            kControl,
            kControlRange});
  r.Series(405, {"Датчик EGR «A»", "EGR sensor A"}, {kLow, kHigh});
  r.Series(407, {"Датчик EGR «B»", "EGR sensor B"}, {kLow, kHigh});
  r.P(409, "Датчик EGR «A»: неисправность цепи", "EGR sensor A: circuit fault");
  r.P(410, "Система вторичного воздуха: неисправность", "Secondary air injection system fault");
  r.P(411, "Система вторичного воздуха: неправильный расход",
      "Secondary air injection: incorrect flow detected");
  for (char valve : {'A', 'B'}) {
    const Phrase v = Quoted(valve);
    r.Series(valve == 'A' ? 412 : 415,
             {"Клапан переключения вторичного воздуха " + v.ru,
              "Secondary air injection switching valve " + v.en},
             {kCircuit, {"обрыв цепи", "circuit open"}, {"замыкание в цепи", "circuit shorted"}});
    r.P(valve == 'A' ? 418 : 419,
        "Реле системы вторичного воздуха " + v.ru + ": неисправность цепи",
        "Secondary air injection relay " + v.en + ": circuit fault");
  }
  for (int bank = 1; bank <= 2; ++bank) {
    const Phrase b = Bank(bank);
    r.Series(bank == 1 ? 420 : 430, {"Катализатор, " + b.ru, "Catalyst, " + b.en},
             {{"эффективность ниже порога", "efficiency below threshold"},
              {"эффективность катализатора прогрева ниже порога",
               "warm-up catalyst efficiency below threshold"},
              {"эффективность основного катализатора ниже порога",
               "main catalyst efficiency below threshold"},
              {"эффективность катализатора с подогревом ниже порога",
               "heated catalyst efficiency below threshold"},
              {"температура катализатора с подогревом ниже порога",
               "heated catalyst temperature below threshold"},
              {"неисправность цепи датчика температуры", "temperature sensor circuit fault"},
              {"сигнал датчика температуры вне диапазона или недостоверен",
               "temperature sensor out of range or implausible"},
              {"низкий уровень сигнала датчика температуры", "temperature sensor signal low"},
              {"высокий уровень сигнала датчика температуры", "temperature sensor signal high"},
              {"неисправность цепи управления подогревом", "heater control circuit fault"}});
  }

  const Phrase evap{"Система улавливания паров топлива (EVAP)", "Evaporative emission system"};
  r.Series(440, evap,
           {{"неисправность", "fault"},
            {"неправильный расход продувки", "incorrect purge flow"},
            {"обнаружена малая утечка", "small leak detected"}});
  const Phrase purge{"Клапан продувки адсорбера", "Canister purge valve"};
  r.Series(443, purge,
           {kControl,
            {"обрыв цепи управления", "control circuit open"},
            {"замыкание в цепи управления", "control circuit shorted"}});
  const Phrase vent{"Клапан вентиляции адсорбера", "Canister vent valve"};
  r.Series(446, vent,
           {kControl,
            {"обрыв цепи управления", "control circuit open"},
            {"замыкание в цепи управления", "control circuit shorted"},
            {"неисправность цепи электромагнита", "solenoid circuit fault"}});
  r.Series(450, {"Датчик давления EVAP", "Evaporative system pressure sensor"}, kSensorFive);
  r.Series(455, evap,
           {{"обнаружена большая утечка", "large leak detected"},
            {"обнаружена очень малая утечка", "very small leak detected"},
            {"утечка, крышка топливного бака не закрыта или отсутствует",
             "leak detected, fuel cap loose or missing"}});
  r.Series(458, purge, {kControlLow, kControlHigh});
  r.Series(460, {"Датчик уровня топлива «A»", "Fuel level sensor A"}, kSensorFive);
  r.Series(465, {"Датчик расхода продувки EVAP", "Evaporative purge flow sensor"}, kSensorFive);
  r.Series(470, {"Датчик давления отработавших газов", "Exhaust pressure sensor"}, kSensorFive);
  r.Series(475,
           {"Клапан управления давлением отработавших газов", "Exhaust pressure control valve"},
           {kCircuit, kControlRange, kCircuitLow, kCircuitHigh, kCircuitIntermittent});
  for (int fan = 1; fan <= 3; ++fan) {
    const std::string n = std::to_string(fan);
    r.P(479 + fan, "Вентилятор охлаждения " + n + ": неисправность цепи управления",
        "Cooling fan " + n + ": control circuit fault");
  }
  const Phrase fan{"Вентилятор охлаждения", "Cooling fan"};
  r.Series(483, fan,
           {{"работа не соответствует команде", "rationality check failed"},
            {"превышение тока в цепи", "circuit over current"},
            {"неисправность цепи питания или массы", "power/ground circuit fault"}});
  r.Series(496, evap,
           {{"повышенный расход продувки (продувка без команды)", "high purge flow"},
            {"пониженный расход продувки", "low purge flow"}});
  r.Series(498, vent, {kControlLow, kControlHigh});
}

void AddSpeedIdleInputs(Rows& r) {
  const Phrase vss{"Датчик скорости автомобиля «A»", "Vehicle speed sensor A"};
  r.Series(500, vss,
           {{"неисправность", "fault"},
            kRange,
            kLow,
            {"прерывистый, нестабильный или завышенный сигнал", "intermittent, erratic or high"}});
  r.P(504, "Рассогласование сигналов выключателя стоп-сигнала «A» и «B»",
      "Brake switch A/B correlation");
  const Phrase idle{"Система регулирования холостого хода", "Idle control system"};
  r.P(505, idle.ru + ": неисправность", idle.en + ": fault");
  r.P(506, "Обороты холостого хода ниже заданных", "Idle speed lower than expected");
  r.P(507, "Обороты холостого хода выше заданных", "Idle speed higher than expected");
  r.Series(508, {"Регулятор холостого хода", "Idle air control valve"},
           {kCircuitLow, kCircuitHigh});
  r.P(510, "Выключатель закрытого положения дроссельной заслонки: неисправность",
      "Closed throttle position switch fault");
  r.P(511, "Регулятор холостого хода: неисправность цепи", "Idle air control valve: circuit fault");
  r.P(512, "Цепь запроса пуска стартера: неисправность", "Starter request circuit fault");
  r.P(513, "Недействительный ключ иммобилайзера", "Invalid immobilizer key");
  r.Series(515, {"Датчик температуры аккумуляторной батареи", "Battery temperature sensor"},
           {kCircuit, kLow, kHigh});
  r.Series(520,
           {"Датчик (выключатель) давления моторного масла", "Engine oil pressure sensor/switch"},
           kSensorFour);
  r.P(524, "Слишком низкое давление моторного масла", "Engine oil pressure too low");
  r.Series(530,
           {"Датчик давления хладагента кондиционера «A»", "A/C refrigerant pressure sensor A"},
           kSensorFour);
  r.P(534, "Утечка хладагента кондиционера", "A/C refrigerant charge loss");
  r.Series(544,
           {"Датчик температуры отработавших газов, банк 1, датчик 1",
            "Exhaust gas temperature sensor, bank 1 sensor 1"},
           {kCircuit, kLow, kHigh});
  r.Series(550,
           {"Датчик (выключатель) давления гидроусилителя руля",
            "Power steering pressure sensor/switch"},
           kSensorFive);
  r.P(560, "Напряжение бортовой сети: неисправность", "System voltage fault");
  r.P(561, "Нестабильное напряжение бортовой сети", "System voltage unstable");
  r.P(562, "Низкое напряжение бортовой сети", "System voltage low");
  r.P(563, "Высокое напряжение бортовой сети", "System voltage high");
  const struct {
    int number;
    const char* ru;
    const char* en;
  } cruise[] = {{565, "включения", "on"},         {566, "выключения", "off"},
                {567, "возобновления", "resume"}, {568, "установки скорости", "set"},
                {569, "замедления", "coast"},     {570, "ускорения", "accelerate"}};
  for (const auto& c : cruise)
    r.P(c.number, std::string("Круиз-контроль: неисправность сигнала ") + c.ru,
        std::string("Cruise control ") + c.en + " signal fault");
  r.Series(571, {"Выключатель стоп-сигнала «A»", "Brake switch A"},
           {kCircuit, kCircuitLow, kCircuitHigh});
}

void AddComputerAndOutputs(Rows& r) {
  r.P(600, "Последовательный канал связи: неисправность", "Serial communication link fault");
  const Phrase module{"Блок управления", "Control module"};
  const struct {
    int number;
    const char* ru;
    const char* en;
  } internal[] = {
      {601, "ошибка контрольной суммы памяти", "memory checksum error"},
      {602, "ошибка программирования", "programming error"},
      {603, "ошибка памяти, сохраняемой при выключении зажигания (KAM)",
       "keep-alive memory (KAM) error"},
      {604, "ошибка оперативной памяти (ОЗУ)", "RAM error"},
      {605, "ошибка постоянной памяти (ПЗУ)", "ROM error"},
      {606, "неисправность процессора", "processor fault"},
      {607, "нарушение работы", "performance fault"},
      {610, "ошибка настройки комплектации автомобиля", "vehicle options error"},
  };
  for (const auto& i : internal) r.P(i.number, module.ru + ": " + i.ru, module.en + ": " + i.en);
  r.Series(615, {"Реле стартера", "Starter relay"}, {kCircuit, kCircuitLow, kCircuitHigh});
  r.Series(
      620, {"Генератор", "Generator"},
      {kControl,
       {"неисправность цепи контрольной лампы (вывод L)", "lamp/L terminal circuit fault"},
       {"неисправность цепи обмотки возбуждения (вывод F)", "field/F terminal circuit fault"}});
  r.Series(627, {"Топливный насос «A»", "Fuel pump A"}, {kControlOpen, kControlLow, kControlHigh});
  r.P(630, "VIN не записан в блок управления двигателем или не подходит",
      "VIN not programmed or mismatched in the engine control module");
  r.P(633, "Ключ иммобилайзера не прописан в блоке управления двигателем",
      "Immobilizer key not programmed in the engine control module");
  const struct {
    int first;
    char ref;
  } references[] = {{641, 'A'}, {651, 'B'}, {697, 'C'}};
  for (const auto& ref : references) {
    const Phrase q = Quoted(ref.ref);
    r.Series(
        ref.first, {"Опорное напряжение датчиков " + q.ru, "Sensor reference voltage " + q.en},
        {{"обрыв или неисправность цепи", "circuit open or faulty"}, kCircuitLow, kCircuitHigh});
  }
  r.Series(645, {"Реле муфты компрессора кондиционера", "A/C clutch relay"},
           {kControl, kControlLow, kControlHigh});
  r.P(650, "Контрольная лампа неисправности (MIL): неисправность цепи управления",
      "Malfunction indicator lamp (MIL) control circuit fault");
  r.P(654, "Выход сигнала оборотов двигателя: неисправность цепи",
      "Engine speed output circuit fault");
  for (int bank = 1; bank <= 2; ++bank) {
    const Phrase b = Bank(bank);
    r.Series(bank == 1 ? 660 : 663,
             {"Клапан изменения геометрии впускного коллектора, " + b.ru,
              "Intake manifold tuning valve, " + b.en},
             {kControlOpen, kControlLow, kControlHigh});
  }
  for (int cyl = 1; cyl <= 12; ++cyl) {
    const std::string n = std::to_string(cyl);
    r.P(670 + cyl, "Свеча накаливания цилиндра " + n + ": неисправность цепи",
        "Cylinder " + n + " glow plug: circuit fault");
  }
  const Phrase relay{"Главное реле блока управления двигателем",
                     "Engine control module power relay"};
  r.Series(685, relay,
           {kControlOpen,
            kControlLow,
            kControlHigh,
            {"обрыв или неисправность цепи контроля", "sense circuit open or faulty"}});
  r.Series(691, {"Вентилятор охлаждения 1", "Cooling fan 1"}, {kControlLow, kControlHigh});
  r.Series(693, {"Вентилятор охлаждения 2", "Cooling fan 2"}, {kControlLow, kControlHigh});
}

void AddTransmission(Rows& r) {
  const Phrase tcs{"Система управления коробкой передач", "Transmission control system"};
  r.Series(700, tcs,
           {{"неисправность (запрос включения лампы MIL)", "fault (MIL request)"},
            {"нарушение работы", "range/performance"},
            {"электрическая неисправность", "electrical fault"}});
  r.P(703, "Выключатель стоп-сигнала «B»: неисправность цепи", "Brake switch B: circuit fault");
  r.P(704, "Выключатель сцепления: неисправность входной цепи",
      "Clutch switch input circuit fault");
  r.Series(
      705,
      {"Датчик положения селектора коробки передач (PRNDL)", "Transmission range sensor (PRNDL)"},
      kSensorFive);
  r.Series(710,
           {"Датчик температуры рабочей жидкости коробки передач «A»",
            "Transmission fluid temperature sensor A"},
           kSensorFive);
  r.Series(715,
           {"Датчик частоты вращения входного вала (турбины) «A»", "Input/turbine speed sensor A"},
           kSpeedSensor);
  r.P(719, "Выключатель стоп-сигнала «B»: низкий уровень в цепи", "Brake switch B: circuit low");
  r.Series(720, {"Датчик частоты вращения выходного вала", "Output shaft speed sensor"},
           kSpeedSensor);
  r.P(724, "Выключатель стоп-сигнала «B»: высокий уровень в цепи", "Brake switch B: circuit high");
  r.Series(725,
           {"Входной сигнал частоты вращения двигателя (для коробки передач)",
            "Engine speed input to the transmission"},
           kSpeedSensor);
  r.P(729, "Передача 6: неправильное передаточное отношение", "Gear 6 incorrect ratio");
  r.P(730, "Неправильное передаточное отношение", "Incorrect gear ratio");
  for (int gear = 1; gear <= 5; ++gear) {
    const std::string n = std::to_string(gear);
    r.P(730 + gear, "Передача " + n + ": неправильное передаточное отношение",
        "Gear " + n + " incorrect ratio");
  }
  r.P(736, "Задний ход: неправильное передаточное отношение", "Reverse incorrect ratio");
  r.Series(740, {"Муфта блокировки гидротрансформатора", "Torque converter clutch"},
           {kCircuit,
            {"нарушение работы или не включается", "performance or stuck off"},
            {"не выключается", "stuck on"},
            {"электрическая неисправность", "electrical fault"},
            {"перемежающаяся неисправность", "intermittent fault"}});
  r.Series(745,
           {"Электромагнитный клапан регулирования давления «A»", "Pressure control solenoid A"},
           kSolenoid);
  r.Series(775,
           {"Электромагнитный клапан регулирования давления «B»", "Pressure control solenoid B"},
           kSolenoid);
  for (int i = 0; i < 5; ++i) {
    const Phrase s = Quoted(static_cast<char>('A' + i));
    r.Series(750 + 5 * i,
             {"Электромагнитный клапан переключения передач " + s.ru, "Shift solenoid " + s.en},
             kSolenoid);
  }
  r.P(780, "Ошибка переключения передач", "Shift error");
  for (int from = 1; from <= 4; ++from) {
    const std::string shift = std::to_string(from) + "–" + std::to_string(from + 1);
    const std::string shift_en = std::to_string(from) + "-" + std::to_string(from + 1);
    r.P(780 + from, "Ошибка переключения " + shift, shift_en + " shift error");
  }
  r.Series(840,
           {"Датчик (выключатель) давления рабочей жидкости коробки передач «A»",
            "Transmission fluid pressure sensor/switch A"},
           kSensorFive);
  r.P(850, "Выключатель положения P/N: неисправность входной цепи",
      "Park/neutral switch input circuit fault");
}

void AddP2(Rows& r) {
  r.P(2002, "Эффективность сажевого фильтра ниже порога, банк 1",
      "Diesel particulate filter efficiency below threshold, bank 1");
  r.P(2003, "Эффективность сажевого фильтра ниже порога, банк 2",
      "Diesel particulate filter efficiency below threshold, bank 2");
  for (int bank = 1; bank <= 2; ++bank) {
    const Phrase b = Bank(bank);
    const Phrase runner{"Заслонки впускного коллектора, " + b.ru,
                        "Intake manifold runner control, " + b.en};
    r.P(2003 + bank, runner.ru + ": заклинивание в открытом положении", runner.en + ": stuck open");
    r.P(2005 + bank, runner.ru + ": заклинивание в закрытом положении",
        runner.en + ": stuck closed");
    r.Series(bank == 1 ? 2008 : 2011, runner, {kControlOpen, kControlLow, kControlHigh});
  }
  r.Series(2014,
           {"Датчик положения заслонок впускного коллектора, банк 1",
            "Intake manifold runner position sensor, bank 1"},
           kSensorFive);
  r.Series(2031,
           {"Датчик температуры отработавших газов, банк 1, датчик 2",
            "Exhaust gas temperature sensor, bank 1 sensor 2"},
           {kCircuit, kLow, kHigh});
  const struct {
    int first;
    char cam;
    int bank;
  } actuators[] = {{2088, 'A', 1}, {2090, 'B', 1}, {2092, 'A', 2}, {2094, 'B', 2}};
  for (const auto& a : actuators) {
    const Phrase cam = Quoted(a.cam), bank = Bank(a.bank);
    r.Series(a.first,
             {"Привод изменения фаз распредвала " + cam.ru + ", " + bank.ru,
              "Camshaft position actuator " + cam.en + ", " + bank.en},
             {kControlLow, kControlHigh});
  }
  // Fuel trim and mixture faults by bank: post-catalyst trim (2096),
  // off idle (2177), at idle (2187), at higher load (2191).
  const struct {
    int first;
    const char* ru;
    const char* en;
  } mixture[] = {{2096, "Коррекция после катализатора: ", "Post-catalyst fuel trim: "},
                 {2177, "Вне холостого хода: ", "Off idle: "},
                 {2187, "На холостом ходу: ", "At idle: "},
                 {2191, "При высокой нагрузке: ", "At higher load: "}};
  for (const auto& m : mixture) {
    for (int bank = 1; bank <= 2; ++bank) {
      const Phrase b = Bank(bank);
      const int number = m.first + 2 * (bank - 1);
      r.P(number, std::string(m.ru) + "слишком бедная смесь, " + b.ru,
          std::string(m.en) + "system too lean, " + b.en);
      r.P(number + 1, std::string(m.ru) + "слишком богатая смесь, " + b.ru,
          std::string(m.en) + "system too rich, " + b.en);
    }
  }
  const Phrase motor{"Электродвигатель привода дроссельной заслонки", "Throttle actuator motor"};
  r.Series(2100, motor,
           {{"обрыв или неисправность цепи", "circuit open or faulty"},
            {"параметры цепи вне нормы", "circuit range/performance"},
            kCircuitLow,
            kCircuitHigh});
  const Phrase tac{"Система управления дроссельной заслонкой", "Throttle actuator control system"};
  r.Series(2104, tac,
           {{"принудительный холостой ход", "forced idle"},
            {"принудительная остановка двигателя", "forced engine shutdown"},
            {"принудительное ограничение мощности", "forced limited power"}});
  r.Series(
      2107, {"Модуль управления дроссельной заслонкой", "Throttle actuator control module"},
      {{"неисправность процессора", "processor fault"}, {"нарушение работы", "performance fault"}});
  r.P(2109, "Датчик положения дроссельной заслонки / педали «A»: нарушение по нижнему упору",
      "Throttle/pedal position sensor A: minimum stop performance");
  r.P(2110, tac.ru + ": принудительное ограничение оборотов",
      tac.en + ": forced engine speed limit");
  r.P(2111, tac.ru + ": заслонка заклинена в открытом положении", tac.en + ": stuck open");
  r.P(2112, tac.ru + ": заслонка заклинена в закрытом положении", tac.en + ": stuck closed");
  r.P(2118, motor.ru + ": ток вне нормы", motor.en + ": current range/performance");
  r.P(2119, "Корпус дроссельной заслонки: положение не соответствует заданному",
      "Throttle body range/performance");
  for (int i = 0; i < 3; ++i) {
    const Phrase s = Quoted(static_cast<char>('D' + i));
    r.Series(2120 + 5 * i,
             {"Датчик положения дроссельной заслонки / педали " + s.ru,
              "Throttle/pedal position sensor " + s.en},
             kSensorFive);
  }
  const struct {
    int number;
    char a, b;
  } pairs[] = {{2135, 'A', 'B'}, {2136, 'A', 'C'}, {2137, 'B', 'C'},
               {2138, 'D', 'E'}, {2139, 'D', 'F'}, {2140, 'E', 'F'}};
  for (const auto& p : pairs) {
    const Phrase a = Quoted(p.a), b = Quoted(p.b);
    r.P(p.number,
        "Рассогласование напряжений датчиков положения дроссельной заслонки / педали " + a.ru +
            " и " + b.ru,
        "Throttle/pedal position sensors " + a.en + " and " + b.en + ": voltage correlation");
  }
  for (char group : {'A', 'B'}) {
    const Phrase g = Quoted(group);
    r.Series(
        group == 'A' ? 2146 : 2149,
        {"Питание группы форсунок " + g.ru, "Fuel injector group " + g.en + " supply voltage"},
        {{"обрыв или неисправность цепи", "circuit open or faulty"}, kCircuitLow, kCircuitHigh});
  }
  r.P(2176, tac.ru + ": не выполнено обучение положения холостого хода",
      tac.en + ": idle position not learned");
  r.P(2181, "Система охлаждения: нарушение работы", "Cooling system performance");
  r.Series(2182,
           {"Датчик температуры охлаждающей жидкости 2", "Engine coolant temperature sensor 2"},
           kSensorFive);
  // Oxygen sensors whose signal sits on one side: sensor 1 (2195), sensor 2
  // (2270), sensor 3 (2274), lean then rich, bank 1 then bank 2.
  const struct {
    int first;
    int sensor;
  } biased[] = {{2195, 1}, {2270, 2}, {2274, 3}};
  for (const auto& s : biased) {
    for (int bank = 1; bank <= 2; ++bank) {
      const Phrase o = Oxygen(bank, s.sensor);
      const int number = s.first + 2 * (bank - 1);
      r.P(number, o.ru + ": сигнал смещён или застыл в сторону бедной смеси",
          o.en + ": signal biased or stuck lean");
      r.P(number + 1, o.ru + ": сигнал смещён или застыл в сторону богатой смеси",
          o.en + ": signal biased or stuck rich");
    }
  }
  r.P(2199, "Рассогласование датчиков температуры всасываемого воздуха 1 и 2",
      "Intake air temperature sensors 1 and 2 disagree");
  r.Series(2226, {"Датчик барометрического давления «A»", "Barometric pressure sensor A"},
           kSensorFive);
  r.Series(2257,
           {"Управление системой вторичного воздуха «A»", "Secondary air injection control A"},
           {kCircuitLow, kCircuitHigh});
  r.P(2261, "Перепускной клапан турбонаддува: механическая неисправность",
      "Turbocharger/supercharger bypass valve: mechanical fault");
  r.P(2263, "Система наддува: нарушение работы", "Turbocharger/supercharger boost performance");
  r.P(2279, "Подсос воздуха во впускной системе", "Intake air system leak");
  // Coil-on-plug drivers: three codes per coil, A to L.
  for (int i = 0; i < 12; ++i) {
    const Phrase coil = Quoted(static_cast<char>('A' + i));
    r.Series(
        2300 + 3 * i, {"Катушка зажигания " + coil.ru, "Ignition coil " + coil.en},
        {{"низкий уровень в цепи управления первичной обмоткой", "primary control circuit low"},
         {"высокий уровень в цепи управления первичной обмоткой", "primary control circuit high"},
         {"неисправность цепи вторичной обмотки", "secondary circuit fault"}});
  }
  r.Series(2400, {"Насос диагностики утечек EVAP", "Evaporative leak detection pump"},
           {kControlOpen, kControlLow, kControlHigh});
  r.P(2413, "Система рециркуляции отработавших газов (EGR): нарушение работы",
      "Exhaust gas recirculation system performance");
  for (int bank = 1; bank <= 2; ++bank) {
    const Phrase b = Bank(bank);
    const int number = 2440 + 2 * (bank - 1);
    r.P(number,
        "Клапан переключения вторичного воздуха, " + b.ru + ": заклинивание в открытом положении",
        "Secondary air injection switching valve, " + b.en + ": stuck open");
    r.P(number + 1,
        "Клапан переключения вторичного воздуха, " + b.ru + ": заклинивание в закрытом положении",
        "Secondary air injection switching valve, " + b.en + ": stuck closed");
  }
  r.P(2444, "Насос вторичного воздуха, банк 1: не выключается",
      "Secondary air injection pump, bank 1: stuck on");
  r.P(2445, "Насос вторичного воздуха, банк 1: не включается",
      "Secondary air injection pump, bank 1: stuck off");
  r.Series(2452,
           {"Датчик давления сажевого фильтра «A»", "Diesel particulate filter pressure sensor A"},
           kSensorFive);
  const Phrase dpf{"Сажевый фильтр", "Diesel particulate filter"};
  r.P(2458, dpf.ru + ": превышена длительность регенерации", dpf.en + ": regeneration too long");
  r.P(2459, dpf.ru + ": слишком частая регенерация", dpf.en + ": regeneration too frequent");
  r.P(2463, dpf.ru + ": избыточное накопление сажи", dpf.en + ": soot accumulation");
  r.Series(2500, {"Генератор, цепь контрольной лампы (вывод L)", "Generator lamp/L terminal"},
           {kCircuitLow, kCircuitHigh});
  r.Series(2502, {"Напряжение зарядки", "Charging system voltage"},
           {{"неисправность", "fault"}, {"низкое", "low"}, {"высокое", "high"}});
  r.P(2610, "Блок управления: нарушение работы таймера выключенного двигателя",
      "Control module engine-off timer performance");
  r.P(2635, "Топливный насос «A»: низкая производительность", "Fuel pump A: low flow/performance");
  // 2A00-2A05 carry a hex digit, so their codes are written out.
  const struct {
    const char* code;
    int bank;
    int sensor;
  } ranges[] = {{"P2A00", 1, 1}, {"P2A01", 1, 2}, {"P2A02", 1, 3},
                {"P2A03", 2, 1}, {"P2A04", 2, 2}, {"P2A05", 2, 3}};
  for (const auto& s : ranges) {
    const Phrase o = Oxygen(s.bank, s.sensor);
    r.Add(s.code, o.ru + ": параметры цепи вне нормы", o.en + ": circuit range/performance");
  }
}

void AddNetwork(Rows& r) {
  r.U(1, "Высокоскоростная шина CAN: неисправность", "High speed CAN bus fault");
  r.U(2, "Высокоскоростная шина CAN: нарушение работы", "High speed CAN bus performance");
  r.U(73, "Шина обмена блоков управления «A» отключена (bus off)",
      "Control module communication bus A off");
  r.U(74, "Шина обмена блоков управления «B» отключена (bus off)",
      "Control module communication bus B off");
  const struct {
    int number;
    const char* ru;
    const char* en;
  } peers[] = {
      {100, "блоком управления двигателем «A»", "engine control module A"},
      {101, "блоком управления коробкой передач", "transmission control module"},
      {102, "блоком управления раздаточной коробкой", "transfer case control module"},
      {103, "модулем селектора коробки передач", "gear shift module"},
      {104, "модулем круиз-контроля", "cruise control module"},
      {105, "блоком управления форсунками", "fuel injector control module"},
      {106, "блоком управления свечами накаливания", "glow plug control module"},
      {107, "модулем управления дроссельной заслонкой", "throttle actuator control module"},
      {108, "блоком управления альтернативным топливом", "alternative fuel control module"},
      {109, "блоком управления топливным насосом", "fuel pump control module"},
      {110, "блоком управления тяговым электродвигателем «A»", "drive motor control module A"},
      {111, "блоком управления тяговой батареей «A»", "battery energy control module A"},
      {115, "блоком управления двигателем «B»", "engine control module B"},
      {121, "блоком ABS", "anti-lock brake system module"},
      {122, "блоком системы курсовой устойчивости", "vehicle dynamics control module"},
      {123, "модулем датчика угловой скорости рыскания", "yaw rate sensor module"},
      {124, "модулем датчика поперечного ускорения", "lateral acceleration sensor module"},
      {126, "модулем датчика угла поворота руля", "steering angle sensor module"},
      {127, "модулем контроля давления в шинах", "tire pressure monitor module"},
      {128, "блоком стояночного тормоза", "park brake control module"},
      {129, "блоком управления тормозной системой", "brake system control module"},
      {131, "блоком управления усилителем руля", "power steering control module"},
      {140, "блоком управления кузовом (BCM)", "body control module"},
      {151, "блоком подушек безопасности", "restraints control module"},
      {155, "блоком панели приборов", "instrument panel cluster"},
      {164, "блоком управления отопителем и кондиционером", "HVAC control module"},
      {167, "блоком иммобилайзера", "immobilizer control module"},
  };
  for (const auto& p : peers)
    r.U(p.number, std::string("Нет связи с ") + p.ru,
        std::string("Lost communication with the ") + p.en);
}

struct Table {
  std::vector<Owned> rows;
  std::vector<DtcDescription> views;

  Table() {
    Rows r(rows);
    AddFuelAndAir(r);
    AddInjection(r);
    AddIgnition(r);
    AddEmissionControls(r);
    AddSpeedIdleInputs(r);
    AddComputerAndOutputs(r);
    AddTransmission(r);
    AddP2(r);
    AddNetwork(r);
    std::stable_sort(rows.begin(), rows.end(),
                     [](const Owned& a, const Owned& b) { return a.code < b.code; });
    // The views point into `rows`, which no longer moves.
    views.reserve(rows.size());
    for (const Owned& o : rows) views.push_back({o.code, {o.ru.c_str(), o.en.c_str()}});
  }
};

const Table& TheTable() {
  static const Table table;
  return table;
}

bool IsHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// The code in uppercase; empty when it is not well-formed.
std::string Normalized(std::string_view code) {
  if (!IsWellFormedDtc(code)) return {};
  std::string out(code);
  for (char& c : out) c = Upper(c);
  return out;
}

struct Family {
  const char* ru;
  const char* en;
};

const Family kUnspecified{"подсистема стандартом не уточняется", "subsystem not specified"};
const Family kReserved{"резерв стандарта", "reserved by the standard"};
const Family kFuelAirAux{
    "система питания и подачи воздуха, вспомогательные системы снижения токсичности",
    "fuel and air metering, auxiliary emission controls"};
const Family kFuelAir{"система питания и подачи воздуха", "fuel and air metering"};
const Family kIgnition{"система зажигания, пропуски воспламенения", "ignition system or misfire"};
const Family kEmission{"вспомогательные системы снижения токсичности",
                       "auxiliary emission controls"};
const Family kComputer{"блок управления и его выходные цепи", "computer and output circuits"};
const Family kTransmission{"трансмиссия", "transmission"};

// The subsystem a generic code's third character names, P0 and P2 apart.
Family PowertrainFamily(char digit, char sub) {
  if (digit == '0') {
    switch (sub) {
      case '0':
        return kFuelAirAux;
      case '1':
        return kFuelAir;
      case '2':
        return {"система питания и подачи воздуха (цепи форсунок)",
                "fuel and air metering (injector circuit)"};
      case '3':
        return kIgnition;
      case '4':
        return kEmission;
      case '5':
        return {"скорость автомобиля, холостой ход, вспомогательные входы",
                "vehicle speed, idle control, auxiliary inputs"};
      case '6':
        return kComputer;
      case '7':
      case '8':
      case '9':
        return kTransmission;
      case 'A':
      case 'B':
      case 'C':
        return {"гибридная силовая установка", "hybrid propulsion"};
      default:
        return kUnspecified;
    }
  }
  if (digit == '2') {
    switch (sub) {
      case '0':
      case '1':
      case '2':
      case 'A':
        return kFuelAirAux;
      case '3':
        return kIgnition;
      case '4':
        return kEmission;
      case '5':
        return {"вспомогательные входы", "auxiliary inputs"};
      case '6':
        return kComputer;
      case '7':
      case '8':
        return kTransmission;
      default:
        return kUnspecified;
    }
  }
  // P3: 30-33 belong to the maker (caught before this), 34 is cylinder
  // deactivation, the rest is held back by the standard.
  if (sub == '4') return {"отключение цилиндров", "cylinder deactivation"};
  return kReserved;
}

Family NetworkFamily(char sub) {
  switch (sub) {
    case '0':
      return {"сеть, электрические неисправности шины", "network, bus electrical faults"};
    case '1':
    case '2':
      return {"сеть, потеря связи с модулем", "network, lost communication with a module"};
    case '3':
      return {"сеть, несовместимость программ модулей",
              "network, software incompatibility between modules"};
    case '4':
      return {"сеть, недостоверные данные от модуля", "network, invalid data from a module"};
    default:
      return {"сеть и обмен данными", "network and communication"};
  }
}

}  // namespace

std::string DtcText(uint8_t high, uint8_t low) {
  static constexpr char kLetters[] = "PCBU";
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out(5, ' ');
  out[0] = kLetters[high >> 6];
  out[1] = static_cast<char>('0' + ((high >> 4) & 0x3));
  out[2] = kHex[high & 0xF];
  out[3] = kHex[low >> 4];
  out[4] = kHex[low & 0xF];
  return out;
}

bool IsWellFormedDtc(std::string_view code) {
  if (code.size() != 5) return false;
  const char letter = Upper(code[0]);
  if (letter != 'P' && letter != 'C' && letter != 'B' && letter != 'U') return false;
  if (code[1] < '0' || code[1] > '3') return false;
  return IsHex(code[2]) && IsHex(code[3]) && IsHex(code[4]);
}

bool IsManufacturerDtc(std::string_view code) {
  if (!IsWellFormedDtc(code)) return false;
  const char letter = Upper(code[0]), digit = code[1], sub = code[2];
  if (letter == 'P') return digit == '1' || (digit == '3' && sub >= '0' && sub <= '3');
  return digit == '1' || digit == '2';
}

const Text* FindDtcDescription(std::string_view code) {
  const std::string key = Normalized(code);
  if (key.empty()) return nullptr;
  const auto& views = TheTable().views;
  auto it =
      std::lower_bound(views.begin(), views.end(), key,
                       [](const DtcDescription& d, const std::string& k) { return d.code < k; });
  if (it == views.end() || it->code != key) return nullptr;
  return &it->text;
}

std::string DescribeDtc(std::string_view code, Lang lang) {
  const bool en = lang == Lang::En;
  const std::string key = Normalized(code);
  if (key.empty())
    return en ? "Unknown code: expected P, C, B or U and four characters, e.g. P0301"
              : "Неизвестный код: ожидается буква P, C, B или U и четыре знака, например P0301";
  if (const Text* t = FindDtcDescription(key)) return Pick(*t, lang);

  const std::string prefix = key.substr(0, 2) + " — ";
  if (IsManufacturerDtc(key))
    return prefix + (en ? "manufacturer-specific code, described by the vehicle maker"
                        : "код производителя, описание у производителя автомобиля");
  const char letter = key[0], digit = key[1], sub = key[2];
  Family family = kReserved;
  if (letter == 'P') {
    family = PowertrainFamily(digit, sub);
  } else if (digit == '0') {
    if (letter == 'B') family = {"кузов", "body"};
    if (letter == 'C') family = {"шасси", "chassis"};
    if (letter == 'U') family = NetworkFamily(sub);
  }
  return prefix + (en ? family.en : family.ru) +
         (en ? ", no description known" : ", описание неизвестно");
}

std::span<const DtcDescription> DtcDescriptions() { return TheTable().views; }

}  // namespace kalvex::obd

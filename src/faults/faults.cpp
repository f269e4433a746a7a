#include "faults/faults.h"

#include <cstring>

#include "catalogue/first_request.h"
#include "catalogue/make_registry.h"
#include "protocol/request_catalogue.h"

namespace kalvex {

const std::vector<FaultRow>& FaultDescriptionTable() {
  // Ascending code order, which is also the lookup order. The line of 0603
  // ends in a blank; it is shown as is.
  // clang-format off
  static const std::vector<FaultRow> kRows = {
    {"0102", "0102 - Датчик массового расхода воздуха, низкий уровень выходного сигнала"},
    {"0103", "0103 - Датчик массового расхода воздуха, высокий уровень выходного сигнала"},
    {"0112", "0112 - Датчик температуры впускного воздуха, низкий уровень выходного сигнала"},
    {"0113", "0113 - Датчик температуры впускного воздуха, высокий уровень выходного сигнала"},
    {"0115", "0115 - Неверный сигнал датчика температуры охлаждающей жидкости"},
    {"0116", "0116 - Датчик температуры охлаждающей жидкости, выход сигнала из допустимого диапазона"},
    {"0117", "0117 - Датчик температуры охлаждающей жидкости, низкий уровень выходного сигнала"},
    {"0118", "0118 - Датчик температуры охлаждающей жидкости, высокий уровень выходного сигнала"},
    {"0122", "0122 - Датчик положения дроссельной заслонки, низкий уровень выходного сигнала"},
    {"0123", "0123 - Датчик положения дроссельной заслонки, высокий уровень выходного сигнала"},
    {"0130", "0130 - Датчик кислорода до нейтрализатора неисправен"},
    {"0131", "0131 - Датчик кислорода до нейтрализатора, низкий уровень выходного сигнала"},
    {"0132", "0132 - Датчик кислорода до нейтрализатора, высокий уровень выходного сигнала"},
    {"0133", "0133 - Датчик кислорода до нейтрализатора, медленный отклик на обогащение или обеднение"},
    {"0134", "0134 - Датчик кислорода до нейтрализатора, обрыв цепи сигнала"},
    {"0135", "0135 - Датчика кислорода до нейтрализатора, нагреватель несправен"},
    {"0136", "0136 - Датчик кислорода после нейтрализатора, обрыв цепи сигнала"},
    {"0137", "0137 - Датчик кислорода после нейтрализатора, низкий уровень сигнала"},
    {"0138", "0138 - Датчик кислорода после нейтрализатора, высокий уровень сигнала"},
    {"0140", "0140 - Датчик кислорода после нейтрализатора, обрыв цепи сигнала"},
    {"0141", "0141 - Датчика кислорода после нейтрализатора, нагреватель несправен"},
    {"0171", "0171 - Система топливоподачи слишком бедная"},
    {"0172", "0172 - Система топливоподачи слишком богатая"},
    {"0200", "0200 - Цепь управления форсунками неисправна"},
    {"0201", "0201 - Цепь управления форсункой цилиндра №1, обрыв"},
    {"0202", "0202 - Цепь управления форсункой цилиндра №2, обрыв"},
    {"0203", "0203 - Цепь управления форсункой цилиндра №3, обрыв"},
    {"0204", "0204 - Цепь управления форсункой цилиндра №4, обрыв"},
    {"0261", "0261 - Цепь управления форсункой цилиндра №1, замыкание на землю"},
    {"0262", "0262 - Цепь управления форсункой цилиндра №1, замыкание на +12В"},
    {"0264", "0264 - Цепь управления форсункой цилиндра №2, замыкание на землю"},
    {"0265", "0265 - Цепь управления форсункой цилиндра №2, замыкание на +12В"},
    {"0267", "0267 - Цепь управления форсункой цилиндра №3, замыкание на землю"},
    {"0268", "0268 - Цепь управления форсункой цилиндра №3, замыкание на +12В"},
    {"0270", "0270 - Цепь управления форсункой цилиндра №4, замыкание на землю"},
    {"0271", "0271 - Цепь управления форсункой цилиндра №4, замыкание на +12В"},
    {"0300", "0300 - Обнаружены случайные или множественные пропуски воспламенения"},
    {"0301", "0301 - Обнаружены пропуски воспламенения в 1-ом цилиндре"},
    {"0302", "0302 - Обнаружены пропуски воспламенения в 2-ом цилиндре"},
    {"0303", "0303 - Обнаружены пропуски воспламенения в 3-ем цилиндре"},
    {"0304", "0304 - Обнаружены пропуски воспламенения в 4-ом цилиндре"},
    {"0325", "0325 - Обрыв датчика детонации"},
    {"0327", "0327 - Датчик детонации, низкий уровень сигнала"},
    {"0328", "0328 - Датчик детонации, высокий уровень сигнала"},
    {"0335", "0335 - Датчик положения коленчатого вала, нет сигнала"},
    {"0336", "0336 - Датчик положения коленчатого вала, сигнал выходит за допустимые пределы"},
    {"0337", "0337 - Датчик положения коленчатого вала, замыкание цепи на массу"},
    {"0338", "0338 - Датчик положения коленчатого вала, обрыв цепи"},
    {"0340", "0340 - Датчик положения распределительного вала неисправен (Ошибка датчика фазы)"},
    {"0342", "0342 - Датчик положения распределительного вала низкий уровень сигнала"},
    {"0343", "0343 - Датчик положения распределительного вала высокий уровень сигнала"},
    {"0422", "0422 - Эффективность нейтрализатора ниже порога"},
    {"0441", "0441 - Некорректный расход воздуха через клапан"},
    {"0443", "0443 - Управление клапаном продувки адсорбера неисправно"},
    {"0444", "0444 - Замыкание на +12В, обрыв цепи клапана продувки адсорбера"},
    {"0445", "0445 - Замыкание на землю цепи клапана продувки адсорбера"},
    {"0480", "0480 - Цепь управления реле вентилятора 1; обрыв, замыкание на +12В или на землю"},
    {"0481", "0481 - Цепь управления реле вентилятора 2; обрыв, замыкание на +12В или на землю"},
    {"0500", "0500 - Датчик скорости автомобиля, нет сигнала"},
    {"0501", "0501 - Ошибка датчика скорости автомобиля"},
    {"0503", "0503 - Датчик скорости автомобиля, перемежающийся сигнал"},
    {"0505", "0505 - Ошибка регулятора холостого хода"},
    {"0506", "0506 - Регулятор холостого хода заблокирован, низкие обороты"},
    {"0507", "0507 - Регулятор холостого хода заблокирован, высокие обороты"},
    {"0560", "0560 - Бортовое напряжение ниже порога работоспособности системы"},
    {"0562", "0562 - Бортовое напряжение имеет низкий уровень"},
    {"0563", "0563 - Бортовое напряжение имеет высокий уровень"},
    {"0601", "0601 - Неисправность FLASH-памяти"},
    {"0603", "0603 - Неисправность ОЗУ блока управления "},
    {"0604", "0604 - Ошибка контрольной суммы внутреннего ОЗУ контроллера"},
    {"0607", "0607 - Неверный сигнал канала детонации контроллера"},
    {"0615", "0615 - Цепь управления реле стартера, обрыв"},
    {"0616", "0616 - Цепь управления реле стартера, замыкание на массу"},
    {"0617", "0617 - Цепь управления реле стартера, замыкание на +12В"},
  };
  // clang-format on
  return kRows;
}

namespace {

void AppendHex2(char* out, uint8_t v) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  out[0] = kDigits[v >> 4];
  out[1] = kDigits[v & 0x0F];
}

}  // namespace

std::string UndescribedCodesLine(const std::vector<std::string>& codes) {
  if (codes.empty()) return {};
  const size_t n = codes.size();
  const size_t tens = n % 100, ones = n % 10;
  const char* noun = "кодов";
  if (ones == 1 && tens != 11) {
    noun = "код";
  } else if (ones >= 2 && ones <= 4 && (tens < 12 || tens > 14)) {
    noun = "кода";
  }
  std::string line = "Ещё " + std::to_string(n) + " " + noun + " без описания: ";
  for (size_t i = 0; i < n; ++i) line += (i ? ", " : "") + codes[i];
  return line;
}

bool HandleFaultReply(const ResponseBytes& rb, int& rememberedFaultCount,
                      std::vector<std::string>& memo1) {
  const int n = rb[1];
  if (n == 0) {
    // Nothing stored (typically right after a clear): old codes must not stay
    // on screen as if they were still there, and an empty list must not look
    // like one that was never read.
    memo1.assign(1, kNoFaultsLine);
    rememberedFaultCount = 0;
    return true;
  }
  if (n == rememberedFaultCount) return false;

  // Entry k's code sits at 2 + 3k and 3 + 3k. Only entries whose code bytes
  // were actually received are listed, whatever N promises; the status byte
  // plays no part, so an entry missing only its status still counts.
  const size_t received = rb.length < kResponseSize ? rb.length : kResponseSize;
  memo1.clear();
  // A stored code the table does not describe is still a fault in the ECU:
  // counted and named on one line after the described ones.
  std::vector<std::string> undescribed;
  for (int k = 0; k < n; ++k) {
    const size_t high = 2 + 3 * static_cast<size_t>(k);
    if (high + 1 >= received) break;
    char code[5] = {};
    AppendHex2(code, rb.b[high]);
    AppendHex2(code + 2, rb.b[high + 1]);
    bool described = false;
    for (const FaultRow& row : FaultDescriptionTable()) {
      if (std::strcmp(row.code, code) == 0) {
        memo1.emplace_back(row.line);
        described = true;
      }
    }
    if (!described) undescribed.emplace_back(code);
  }
  if (!undescribed.empty()) memo1.push_back(UndescribedCodesLine(undescribed));
  rememberedFaultCount = n;
  return true;
}

void HandleClearReply(int make, int ecu, RequestChoice& next) {
  const MakeEntry* entry = FindMake(make);
  if (!entry) return;
  // A make without a fault read request goes back to the type's first data
  // request: keeping the clear request would resend it forever and stop live
  // data.
  const uint8_t command =
      entry->faults.read().value_or(FirstRequest(make, ecu, FirstRequestPoint::ElmSetUpDone));
  next.nextCommand = command;
  if (entry->faults.clearSetsText()) next.nextRequest = ElmRequestText(command);
}

std::optional<uint8_t> FaultReadRequest(int make) {
  const MakeEntry* entry = FindMake(make);
  return entry ? entry->faults.read() : std::nullopt;
}

bool IsFaultExchange(const ResponseBytes& rb) {
  auto fault = [](uint8_t sid) { return sid == 0x18 || sid == 0x17 || sid == 0x14; };
  return fault(static_cast<uint8_t>(rb[0] - 0x40)) || (rb[0] == 0x7F && fault(rb[1]));
}

bool ClearButtonActs(int make) {
  const MakeEntry* entry = FindMake(make);
  return entry && entry->faults.clearButton();
}

}  // namespace kalvex

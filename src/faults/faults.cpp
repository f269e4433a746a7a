#include "faults/faults.h"

#include <cstring>

#include "catalogue/first_request.h"
#include "catalogue/make_registry.h"
#include "protocol/kwp_services.h"
#include "protocol/request_catalogue.h"
#include "protocol/text.h"
#include "protocol/translate.h"

namespace kalvex {

const std::vector<FaultRow>& FaultDescriptionTable() {
  // Ascending code order, which is also the lookup order. The line of 0603
  // ends in a blank; it is shown as is.
  // clang-format off
  static const std::vector<FaultRow> kRows = {
    {"0102", QT_TRANSLATE_NOOP("kalvex", "0102 - Датчик массового расхода воздуха, низкий уровень выходного сигнала")},
    {"0103", QT_TRANSLATE_NOOP("kalvex", "0103 - Датчик массового расхода воздуха, высокий уровень выходного сигнала")},
    {"0112", QT_TRANSLATE_NOOP("kalvex", "0112 - Датчик температуры впускного воздуха, низкий уровень выходного сигнала")},
    {"0113", QT_TRANSLATE_NOOP("kalvex", "0113 - Датчик температуры впускного воздуха, высокий уровень выходного сигнала")},
    {"0115", QT_TRANSLATE_NOOP("kalvex", "0115 - Неверный сигнал датчика температуры охлаждающей жидкости")},
    {"0116", QT_TRANSLATE_NOOP("kalvex", "0116 - Датчик температуры охлаждающей жидкости, выход сигнала из допустимого диапазона")},
    {"0117", QT_TRANSLATE_NOOP("kalvex", "0117 - Датчик температуры охлаждающей жидкости, низкий уровень выходного сигнала")},
    {"0118", QT_TRANSLATE_NOOP("kalvex", "0118 - Датчик температуры охлаждающей жидкости, высокий уровень выходного сигнала")},
    {"0122", QT_TRANSLATE_NOOP("kalvex", "0122 - Датчик положения дроссельной заслонки, низкий уровень выходного сигнала")},
    {"0123", QT_TRANSLATE_NOOP("kalvex", "0123 - Датчик положения дроссельной заслонки, высокий уровень выходного сигнала")},
    {"0130", QT_TRANSLATE_NOOP("kalvex", "0130 - Датчик кислорода до нейтрализатора неисправен")},
    {"0131", QT_TRANSLATE_NOOP("kalvex", "0131 - Датчик кислорода до нейтрализатора, низкий уровень выходного сигнала")},
    {"0132", QT_TRANSLATE_NOOP("kalvex", "0132 - Датчик кислорода до нейтрализатора, высокий уровень выходного сигнала")},
    {"0133", QT_TRANSLATE_NOOP("kalvex", "0133 - Датчик кислорода до нейтрализатора, медленный отклик на обогащение или обеднение")},
    {"0134", QT_TRANSLATE_NOOP("kalvex", "0134 - Датчик кислорода до нейтрализатора, обрыв цепи сигнала")},
    {"0135", QT_TRANSLATE_NOOP("kalvex", "0135 - Датчика кислорода до нейтрализатора, нагреватель несправен")},
    {"0136", QT_TRANSLATE_NOOP("kalvex", "0136 - Датчик кислорода после нейтрализатора, обрыв цепи сигнала")},
    {"0137", QT_TRANSLATE_NOOP("kalvex", "0137 - Датчик кислорода после нейтрализатора, низкий уровень сигнала")},
    {"0138", QT_TRANSLATE_NOOP("kalvex", "0138 - Датчик кислорода после нейтрализатора, высокий уровень сигнала")},
    {"0140", QT_TRANSLATE_NOOP("kalvex", "0140 - Датчик кислорода после нейтрализатора, обрыв цепи сигнала")},
    {"0141", QT_TRANSLATE_NOOP("kalvex", "0141 - Датчика кислорода после нейтрализатора, нагреватель несправен")},
    {"0171", QT_TRANSLATE_NOOP("kalvex", "0171 - Система топливоподачи слишком бедная")},
    {"0172", QT_TRANSLATE_NOOP("kalvex", "0172 - Система топливоподачи слишком богатая")},
    {"0200", QT_TRANSLATE_NOOP("kalvex", "0200 - Цепь управления форсунками неисправна")},
    {"0201", QT_TRANSLATE_NOOP("kalvex", "0201 - Цепь управления форсункой цилиндра №1, обрыв")},
    {"0202", QT_TRANSLATE_NOOP("kalvex", "0202 - Цепь управления форсункой цилиндра №2, обрыв")},
    {"0203", QT_TRANSLATE_NOOP("kalvex", "0203 - Цепь управления форсункой цилиндра №3, обрыв")},
    {"0204", QT_TRANSLATE_NOOP("kalvex", "0204 - Цепь управления форсункой цилиндра №4, обрыв")},
    {"0261", QT_TRANSLATE_NOOP("kalvex", "0261 - Цепь управления форсункой цилиндра №1, замыкание на землю")},
    {"0262", QT_TRANSLATE_NOOP("kalvex", "0262 - Цепь управления форсункой цилиндра №1, замыкание на +12В")},
    {"0264", QT_TRANSLATE_NOOP("kalvex", "0264 - Цепь управления форсункой цилиндра №2, замыкание на землю")},
    {"0265", QT_TRANSLATE_NOOP("kalvex", "0265 - Цепь управления форсункой цилиндра №2, замыкание на +12В")},
    {"0267", QT_TRANSLATE_NOOP("kalvex", "0267 - Цепь управления форсункой цилиндра №3, замыкание на землю")},
    {"0268", QT_TRANSLATE_NOOP("kalvex", "0268 - Цепь управления форсункой цилиндра №3, замыкание на +12В")},
    {"0270", QT_TRANSLATE_NOOP("kalvex", "0270 - Цепь управления форсункой цилиндра №4, замыкание на землю")},
    {"0271", QT_TRANSLATE_NOOP("kalvex", "0271 - Цепь управления форсункой цилиндра №4, замыкание на +12В")},
    {"0300", QT_TRANSLATE_NOOP("kalvex", "0300 - Обнаружены случайные или множественные пропуски воспламенения")},
    {"0301", QT_TRANSLATE_NOOP("kalvex", "0301 - Обнаружены пропуски воспламенения в 1-ом цилиндре")},
    {"0302", QT_TRANSLATE_NOOP("kalvex", "0302 - Обнаружены пропуски воспламенения в 2-ом цилиндре")},
    {"0303", QT_TRANSLATE_NOOP("kalvex", "0303 - Обнаружены пропуски воспламенения в 3-ем цилиндре")},
    {"0304", QT_TRANSLATE_NOOP("kalvex", "0304 - Обнаружены пропуски воспламенения в 4-ом цилиндре")},
    {"0325", QT_TRANSLATE_NOOP("kalvex", "0325 - Обрыв датчика детонации")},
    {"0327", QT_TRANSLATE_NOOP("kalvex", "0327 - Датчик детонации, низкий уровень сигнала")},
    {"0328", QT_TRANSLATE_NOOP("kalvex", "0328 - Датчик детонации, высокий уровень сигнала")},
    {"0335", QT_TRANSLATE_NOOP("kalvex", "0335 - Датчик положения коленчатого вала, нет сигнала")},
    {"0336", QT_TRANSLATE_NOOP("kalvex", "0336 - Датчик положения коленчатого вала, сигнал выходит за допустимые пределы")},
    {"0337", QT_TRANSLATE_NOOP("kalvex", "0337 - Датчик положения коленчатого вала, замыкание цепи на массу")},
    {"0338", QT_TRANSLATE_NOOP("kalvex", "0338 - Датчик положения коленчатого вала, обрыв цепи")},
    {"0340", QT_TRANSLATE_NOOP("kalvex", "0340 - Датчик положения распределительного вала неисправен (Ошибка датчика фазы)")},
    {"0342", QT_TRANSLATE_NOOP("kalvex", "0342 - Датчик положения распределительного вала низкий уровень сигнала")},
    {"0343", QT_TRANSLATE_NOOP("kalvex", "0343 - Датчик положения распределительного вала высокий уровень сигнала")},
    {"0422", QT_TRANSLATE_NOOP("kalvex", "0422 - Эффективность нейтрализатора ниже порога")},
    {"0441", QT_TRANSLATE_NOOP("kalvex", "0441 - Некорректный расход воздуха через клапан")},
    {"0443", QT_TRANSLATE_NOOP("kalvex", "0443 - Управление клапаном продувки адсорбера неисправно")},
    {"0444", QT_TRANSLATE_NOOP("kalvex", "0444 - Замыкание на +12В, обрыв цепи клапана продувки адсорбера")},
    {"0445", QT_TRANSLATE_NOOP("kalvex", "0445 - Замыкание на землю цепи клапана продувки адсорбера")},
    {"0480", QT_TRANSLATE_NOOP("kalvex", "0480 - Цепь управления реле вентилятора 1; обрыв, замыкание на +12В или на землю")},
    {"0481", QT_TRANSLATE_NOOP("kalvex", "0481 - Цепь управления реле вентилятора 2; обрыв, замыкание на +12В или на землю")},
    {"0500", QT_TRANSLATE_NOOP("kalvex", "0500 - Датчик скорости автомобиля, нет сигнала")},
    {"0501", QT_TRANSLATE_NOOP("kalvex", "0501 - Ошибка датчика скорости автомобиля")},
    {"0503", QT_TRANSLATE_NOOP("kalvex", "0503 - Датчик скорости автомобиля, перемежающийся сигнал")},
    {"0505", QT_TRANSLATE_NOOP("kalvex", "0505 - Ошибка регулятора холостого хода")},
    {"0506", QT_TRANSLATE_NOOP("kalvex", "0506 - Регулятор холостого хода заблокирован, низкие обороты")},
    {"0507", QT_TRANSLATE_NOOP("kalvex", "0507 - Регулятор холостого хода заблокирован, высокие обороты")},
    {"0560", QT_TRANSLATE_NOOP("kalvex", "0560 - Бортовое напряжение ниже порога работоспособности системы")},
    {"0562", QT_TRANSLATE_NOOP("kalvex", "0562 - Бортовое напряжение имеет низкий уровень")},
    {"0563", QT_TRANSLATE_NOOP("kalvex", "0563 - Бортовое напряжение имеет высокий уровень")},
    {"0601", QT_TRANSLATE_NOOP("kalvex", "0601 - Неисправность FLASH-памяти")},
    {"0603", QT_TRANSLATE_NOOP("kalvex", "0603 - Неисправность ОЗУ блока управления ")},
    {"0604", QT_TRANSLATE_NOOP("kalvex", "0604 - Ошибка контрольной суммы внутреннего ОЗУ контроллера")},
    {"0607", QT_TRANSLATE_NOOP("kalvex", "0607 - Неверный сигнал канала детонации контроллера")},
    {"0615", QT_TRANSLATE_NOOP("kalvex", "0615 - Цепь управления реле стартера, обрыв")},
    {"0616", QT_TRANSLATE_NOOP("kalvex", "0616 - Цепь управления реле стартера, замыкание на массу")},
    {"0617", QT_TRANSLATE_NOOP("kalvex", "0617 - Цепь управления реле стартера, замыкание на +12В")},
  };
  // clang-format on
  return kRows;
}

std::string UndescribedCodesLine(const std::vector<std::string>& codes) {
  if (codes.empty()) return {};
  const size_t n = codes.size();
  const size_t tens = n % 100, ones = n % 10;
  // One pattern per Russian plural form; a translation may word all three alike.
  const char* pattern = QT_TRANSLATE_NOOP("kalvex", "Ещё %1 кодов без описания: %2");
  if (ones == 1 && tens != 11) {
    pattern = QT_TRANSLATE_NOOP("kalvex", "Ещё %1 код без описания: %2");
  } else if (ones >= 2 && ones <= 4 && (tens < 12 || tens > 14)) {
    pattern = QT_TRANSLATE_NOOP("kalvex", "Ещё %1 кода без описания: %2");
  }
  std::string list;
  for (size_t i = 0; i < n; ++i) list += (i ? ", " : "") + codes[i];
  return FormatText(TranslateText(pattern), {std::to_string(n), list});
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
    hex::Write2(code, rb.b[high]);
    hex::Write2(code + 2, rb.b[high + 1]);
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
  auto fault = [](uint8_t sid) {
    return sid == kwp::kReadDtcByStatus || sid == kwp::kReadDtcStatus ||
           sid == kwp::kClearDiagnosticInformation;
  };
  return fault(static_cast<uint8_t>(rb[0] - kwp::kPositiveReplyOffset)) ||
         (rb[0] == kwp::kNegativeReply && fault(rb[1]));
}

bool ClearButtonActs(int make) {
  const MakeEntry* entry = FindMake(make);
  return entry && entry->faults.clearButton();
}

bool ClearTakenAtClick(int make) {
  const MakeEntry* entry = FindMake(make);
  return entry && entry->faults.clearTaken() == FaultHandling::ClearTaken::AtClick;
}

}  // namespace kalvex

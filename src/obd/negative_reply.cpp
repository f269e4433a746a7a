#include "obd/negative_reply.h"

#include <cstdio>

#include "obd/obd_message.h"

namespace kalvex::obd {

std::optional<NegativeReply> ReadNegativeReply(std::span<const uint8_t> data) {
  if (data.size() < 3 || data[0] != kNegativeReply) return std::nullopt;
  return NegativeReply{data[1], data[2]};
}

std::string NegativeReplyName(uint8_t code, Lang lang) {
  struct Row {
    uint8_t code;
    Text name;
  };
  static const Row kNames[] = {
      {kGeneralReject, {"Общий отказ", "General reject"}},
      {kServiceNotSupported, {"Сервис не поддерживается", "Service not supported"}},
      {kSubFunctionNotSupported,
       {"Подфункция не поддерживается или неверный формат",
        "Sub-function not supported or invalid format"}},
      {0x13, {"Неверная длина сообщения", "Incorrect message length"}},
      {kBusyRepeatRequest, {"ЭБУ занят, повторите запрос", "Busy, repeat request"}},
      {kConditionsNotCorrect, {"Условия не выполнены", "Conditions not correct"}},
      {0x24, {"Нарушена последовательность запросов", "Request sequence error"}},
      {kRequestOutOfRange, {"Запрос вне допустимого диапазона", "Request out of range"}},
      {0x33, {"Доступ запрещён", "Security access denied"}},
      {kResponsePending, {"Ответ готовится, ждите", "Response pending, wait"}},
  };
  for (const Row& r : kNames)
    if (r.code == code) return Pick(r.name, lang);
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%02X", code);
  return (lang == Lang::En ? "code " : "код ") + std::string(buf);
}

}  // namespace kalvex::obd

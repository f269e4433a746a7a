// Negative replies "7F sid nrc" of an OBD-II ECU.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "obd/obd_text.h"

namespace kalvex::obd {

struct NegativeReply {
  uint8_t service = 0;  // the request's service (0x01, 0x09, ...)
  uint8_t code = 0;     // the reason
};

// A 0x7F reply with its service and code (at least three bytes, extra ignored);
// nullopt for anything else.
std::optional<NegativeReply> ReadNegativeReply(std::span<const uint8_t> data);

constexpr uint8_t kGeneralReject = 0x10;
constexpr uint8_t kServiceNotSupported = 0x11;
constexpr uint8_t kSubFunctionNotSupported = 0x12;  // also "invalid format"
constexpr uint8_t kBusyRepeatRequest = 0x21;        // ask again after a pause
constexpr uint8_t kConditionsNotCorrect = 0x22;
constexpr uint8_t kRequestOutOfRange = 0x31;
constexpr uint8_t kResponsePending = 0x78;  // the real answer follows: wait, do not resend

// The code named in `lang` ("Сервис не поддерживается"/"Service not
// supported"); a code without a name reads "код 0xNN"/"code 0xNN".
std::string NegativeReplyName(uint8_t code, Lang lang);

}  // namespace kalvex::obd

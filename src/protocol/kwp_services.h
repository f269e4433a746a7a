// KWP2000 service identifiers as the scanner meets them in replies: a
// positive reply carries the request's service plus 0x40, a refusal 0x7F
// followed by the service refused.
#pragma once

#include <cstdint>

namespace kalvex::kwp {

// Each request beside its positive reply.
// clang-format off
enum ServiceId : uint8_t {
  kClearDiagnosticInformation = 0x14,   kClearDiagnosticInformationReply = 0x54,
  kReadDtcStatus = 0x17,                kReadDtcStatusReply = 0x57,
  kReadDtcByStatus = 0x18,              kReadDtcByStatusReply = 0x58,
  kStartDiagnosticSessionReply = 0x50,  kStartCommunicationReply = 0xC1,
  kReadDataByLocalIdReply = 0x61,       kReadDataByCommonIdReply = 0x62,
  kStopCommunicationReply = 0xC2,       kNegativeReply = 0x7F,
  kPositiveReplyOffset = 0x40,
};
// clang-format on

// A reply that lists fault codes.
inline constexpr bool IsFaultListReply(uint8_t sid) {
  return sid == kReadDtcByStatusReply || sid == kReadDtcStatusReply;
}
// A reply that reads values.
inline constexpr bool IsDataReply(uint8_t sid) {
  return sid == kReadDataByLocalIdReply || sid == kReadDataByCommonIdReply;
}

}  // namespace kalvex::kwp

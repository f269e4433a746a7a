// KWP2000 service identifiers as the scanner meets them in replies: a
// positive reply carries the request's service plus 0x40, a refusal 0x7F
// followed by the service refused.
#pragma once

#include <cstdint>

namespace kalvex::kwp {

// Requests.
inline constexpr uint8_t kClearDiagnosticInformation = 0x14;
inline constexpr uint8_t kReadDtcStatus = 0x17;
inline constexpr uint8_t kReadDtcByStatus = 0x18;

// Replies.
inline constexpr uint8_t kPositiveReplyOffset = 0x40;
inline constexpr uint8_t kStartDiagnosticSessionReply = 0x50;
inline constexpr uint8_t kClearDiagnosticInformationReply = 0x54;
inline constexpr uint8_t kReadDtcStatusReply = 0x57;
inline constexpr uint8_t kReadDtcByStatusReply = 0x58;
inline constexpr uint8_t kReadDataByLocalIdReply = 0x61;
inline constexpr uint8_t kReadDataByCommonIdReply = 0x62;
inline constexpr uint8_t kNegativeReply = 0x7F;
inline constexpr uint8_t kStartCommunicationReply = 0xC1;
inline constexpr uint8_t kStopCommunicationReply = 0xC2;

// A reply that lists fault codes.
inline constexpr bool IsFaultListReply(uint8_t sid) {
  return sid == kReadDtcByStatusReply || sid == kReadDtcStatusReply;
}
// A reply that reads values.
inline constexpr bool IsDataReply(uint8_t sid) {
  return sid == kReadDataByLocalIdReply || sid == kReadDataByCommonIdReply;
}

}  // namespace kalvex::kwp

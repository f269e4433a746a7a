#include "obd/trouble_code_reply.h"

#include "obd/obd_message.h"

namespace kalvex::obd {
namespace {

// The two bytes of a code: bits 15-14 the system letter, 13-12 the first
// digit, the rest three hex digits ("03 01" is P0301, "C1 00" U0100).
std::string CodeText(uint8_t high, uint8_t low) {
  static const char kLetters[] = "PCBU";
  static const char kHex[] = "0123456789ABCDEF";
  return {kLetters[high >> 6], static_cast<char>('0' + (high >> 4 & 3)), kHex[high & 0xF],
          kHex[low >> 4], kHex[low & 0xF]};
}

}  // namespace

TroubleCodes ParseTroubleCodes(std::span<const uint8_t> data, bool hasCount) {
  TroubleCodes r;
  if (data.empty() ||
      (data[0] != kStoredCodes + kPositiveReply && data[0] != kPendingCodes + kPositiveReply &&
       data[0] != kPermanentCodes + kPositiveReply)) {
    r.complete = false;
    return r;
  }
  size_t i = 1;
  int count = -1;
  if (hasCount) {
    if (data.size() < 2) {
      r.complete = false;
      return r;
    }
    count = data[1];
    i = 2;
  }
  for (; i + 1 < data.size(); i += 2) {
    if (data[i] == 0 && data[i + 1] == 0) continue;  // padding
    r.codes.push_back(CodeText(data[i], data[i + 1]));
  }
  if (i < data.size()) r.complete = false;  // an odd byte left over
  if (count >= 0 && static_cast<size_t>(count) != r.codes.size()) r.complete = false;
  return r;
}

}  // namespace kalvex::obd

#include "obd/trouble_code_reply.h"

#include "obd/obd_message.h"
#include "obd/trouble_codes.h"

namespace kalvex::obd {

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
    r.codes.push_back(DtcText(data[i], data[i + 1]));
  }
  if (i < data.size()) r.complete = false;  // an odd byte left over
  if (count >= 0 && static_cast<size_t>(count) != r.codes.size()) r.complete = false;
  return r;
}

}  // namespace kalvex::obd

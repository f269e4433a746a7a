#include "obd/current_data.h"

#include "obd/obd_message.h"
#include "obd/pid_table.h"

namespace kalvex::obd {
namespace {

// One loop for both services: service 02 has a frame byte after each PID.
SplitResult Split(std::span<const uint8_t> data, uint8_t replyService, bool hasFrame) {
  SplitResult r;
  if (data.empty() || data[0] != replyService) {
    r.complete = false;
    return r;
  }
  size_t i = 1;
  const size_t head = hasFrame ? 2 : 1;
  while (i < data.size()) {
    const Pid* pid = FindPid(data[i]);
    if (pid == nullptr || data.size() - i < head + pid->length) {
      r.complete = false;
      break;
    }
    PidReply one;
    one.pid = data[i];
    one.frame = hasFrame ? data[i + 1] : 0;
    one.bytes.assign(data.begin() + static_cast<ptrdiff_t>(i + head),
                     data.begin() + static_cast<ptrdiff_t>(i + head + pid->length));
    r.pids.push_back(std::move(one));
    i += head + pid->length;
  }
  if (r.pids.empty()) r.complete = false;  // a bare "41" answers nothing
  return r;
}

}  // namespace

SplitResult SplitCurrentData(std::span<const uint8_t> data) {
  return Split(data, kCurrentData + kPositiveReply, false);
}

SplitResult SplitFreezeFrame(std::span<const uint8_t> data) {
  return Split(data, kFreezeFrame + kPositiveReply, true);
}

}  // namespace kalvex::obd

#include "session/reply_handling.h"

#include "faults/faults.h"

namespace kalvex {

bool HandleReplyData(int make, int ecu, const ResponseBytes& rb, GaugeSink& sink,
                     ReplyState& state) {
  Decode(make, ecu, rb, sink, state.next);
  bool memoChanged = false;
  if (rb[0] == 0x58 || rb[0] == 0x57)
    memoChanged = HandleFaultReply(rb, state.rememberedFaultCount, state.memo1);
  if (rb[0] == 0x54) HandleClearReply(make, ecu, state.next);
  return memoChanged;
}

}  // namespace kalvex

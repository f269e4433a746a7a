#include "decode/reply_handling.h"

#include "faults/faults.h"
#include "protocol/kwp_services.h"

namespace kalvex {

bool HandleReplyData(int make, int ecu, const ResponseBytes& rb, GaugeSink& sink,
                     ReplyState& state) {
  Decode(make, ecu, rb, sink, state.next);
  bool memoChanged = false;
  if (kwp::IsFaultListReply(rb[0]))
    memoChanged = HandleFaultReply(rb, state.rememberedFaultCount, state.memo1);
  if (rb[0] == kwp::kClearDiagnosticInformationReply) HandleClearReply(make, ecu, state.next);
  return memoChanged;
}

}  // namespace kalvex

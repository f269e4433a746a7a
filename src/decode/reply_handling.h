// The data part of handling one accepted reply, shared by the session and
// `kalvex-cli decode`: the make's decoder, then fault reply handling, then
// clear reply handling, on the same ResponseBytes.
#pragma once

#include <string>
#include <vector>

#include "decode/decoder.h"

namespace kalvex {

struct ReplyState {
  RequestChoice next;
  int rememberedFaultCount = 0;
  std::vector<std::string> memo1;
};

// Returns true when memo1 was replaced (the window must show it).
bool HandleReplyData(int make, int ecu, const ResponseBytes& rb, GaugeSink& sink,
                     ReplyState& state);

}  // namespace kalvex

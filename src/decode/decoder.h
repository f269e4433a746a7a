// Live-data decoders: one ordered list of guarded branches per make. A
// decoder reads ResponseBytes and the ECU type index, sets gauge values in
// table order and may choose the next request. Unrecognised replies change
// nothing. Stateless; never fails.
#pragma once

#include <cstdint>
#include <string>

#include "catalogue/components.h"
#include "session/response.h"

namespace kalvex {

struct RequestChoice {
  uint8_t nextCommand = 0;  // NextCommand
  std::string nextRequest;  // NextRequest (ELM327 text of the same entry)
};

// Runs the decoder of `make` (none for -1 or out of range).
void Decode(int make, int ecu, const ResponseBytes& rb, GaugeSink& sink, RequestChoice& next);

}  // namespace kalvex

// Live-data decoders: one ordered list of guarded branches per make. A
// decoder reads ResponseBytes and the ECU type index, sets gauge values in
// table order and may choose the next request. Unrecognised replies change
// nothing. Stateless; never fails.
#pragma once

#include "protocol/components.h"
#include "protocol/request_choice.h"
#include "protocol/response.h"

namespace kalvex {

// Runs the decoder of `make` (none for -1 or out of range).
void Decode(int make, int ecu, const ResponseBytes& rb, GaugeSink& sink, RequestChoice& next);

// -1 when no branch of the make's decoder accepts the reply for `ecu`, else
// the highest byte index the accepting branches read (a reply not longer
// than that was decoded partly from the zeros after it).
int HighestByteRead(int make, int ecu, const ResponseBytes& rb);

}  // namespace kalvex

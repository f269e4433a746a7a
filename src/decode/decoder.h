// Live-data decoders: one ordered list of guarded branches per make, written
// in the make files' notation (catalogue/decoder_table.h) and run here. A
// decoder reads ResponseBytes and the ECU type index, sets gauge values in
// table order and may choose the next request. Unrecognised replies change
// nothing. Stateless; never fails.
#pragma once

#include "catalogue/decoder_table.h"
#include "protocol/components.h"
#include "protocol/request_choice.h"
#include "protocol/response.h"

namespace kalvex {

// One formula on one reply, left to right: exact 64-bit integers until the
// first division or decimal constant, then long double; float last.
float Evaluate(const table::Formula& formula, const ResponseBytes& rb);
// Whether a branch's guard takes the reply of `make`'s ECU type `ecu`.
bool Matches(const table::Guard& guard, int make, int ecu, const ResponseBytes& rb);

// Runs the decoder of `make` (none for -1 or out of range).
void Decode(int make, int ecu, const ResponseBytes& rb, GaugeSink& sink, RequestChoice& next);

// -1 when no branch of the make's decoder accepts the reply for `ecu`, else
// the highest byte index the accepting branches read (a reply not longer
// than that was decoded partly from the zeros after it).
int HighestByteRead(int make, int ecu, const ResponseBytes& rb);

}  // namespace kalvex

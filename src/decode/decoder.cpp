#include "decode/decoder.h"

namespace kalvex {

// Placeholder until the decoder tables land.
void Decode(int, int, const ResponseBytes&, GaugeSink&, RequestChoice&) {}

}  // namespace kalvex

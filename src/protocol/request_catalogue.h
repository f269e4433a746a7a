// UnitCommand: the request catalogue. Request numbers (NextCommand) map to
// the ELM327 text and the Kesta-mini text of one KWP2000 request.
#pragma once

#include <cstdint>
#include <string>

namespace kalvex {

// ELM327 form ("21 01", "2211010401"); empty for a number that is not a key.
const std::string& ElmRequestText(uint8_t number);
// Kesta-mini form ("DD:02:2101"); empty for a number that is not a key.
const std::string& KestaRequestText(uint8_t number);
// True for the 48 numbers that are keys.
bool IsRequestKey(uint8_t number);

}  // namespace kalvex

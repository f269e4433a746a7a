// UnitCommand: the request catalogue. Request numbers (NextCommand) map to
// the ELM327 text and the Kesta-mini text of one KWP2000 request.
#pragma once

#include <cstdint>
#include <string>

namespace kalvex {

// Request numbers the program names itself; the make tables name the rest.
inline constexpr uint8_t kNoRequest = 0;                // NextCommand: nothing chosen
inline constexpr uint8_t kClearRequest = 3;             // "14 FF 00": ClearDiagnosticInformation
inline constexpr uint8_t kStartDiagnosticSession = 10;  // "10 86": StartDiagnosticSession

// ELM327 form ("21 01", "2211010401"); empty for a number that is not a key.
const std::string& ElmRequestText(uint8_t number);
// Kesta-mini form ("DD:02:2101"); empty for a number that is not a key.
const std::string& KestaRequestText(uint8_t number);
// True for the 48 numbers that are keys.
bool IsRequestKey(uint8_t number);

}  // namespace kalvex

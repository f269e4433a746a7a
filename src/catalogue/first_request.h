// The first data request of a session, by make, ECU type and the moment the
// session becomes ready for data. One table, a row per make and set of ECU
// types, a column per moment; kUnchanged leaves NextCommand as it is.
#pragma once

#include <cstdint>

namespace kalvex {

enum class FirstRequestPoint : uint8_t {
  ElmSetUpDone,        // the last AT set-up line of an ELM327 session was answered
  StartCommunication,  // a 0xC1 reply (Kesta-mini K-line start)
  SessionStartData,    // a 0x50 reply while a page other than "Ошибки" is shown
  SessionStartFaults,  // a 0x50 reply while "Ошибки" is shown: read the codes first
  KestaCanSetUp,       // the Kesta-mini confirmed its CAN set-up line
};

constexpr uint8_t kUnchanged = 0;

// The request number to poll first, or kUnchanged. Any make or ECU type
// index (−1, out of range) is answered; an unknown make leaves the request.
uint8_t FirstRequest(int make, int ecu, FirstRequestPoint at);

}  // namespace kalvex

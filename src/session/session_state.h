// The state one diagnostic session shares between the session controller and
// the two adapter drivers. Lives as long as the controller; touched only on
// the user-interface thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "session/response.h"

namespace kalvex {

constexpr size_t kRxBufferSize = 1024;     // RxBuffer, ReadBuffer, ReplyLine
constexpr size_t kElmOverflowLimit = 800;  // RxPos at which held bytes are dropped

struct SessionState {
  uint8_t adapterType = 0;                        // 0 ELM327, 1 Kesta-mini; copied at start
  uint8_t nextCommand = 0;                        // NextCommand
  std::string nextRequest = "81";                 // NextRequest
  int linkState = 0;                              // ELM327 LinkState: 0, 11, 12, 1, 2, 3, 4, 5
  bool canSession = false;                        // CanSession
  uint8_t ecuAddress = 0;                         // EcuAddress
  uint16_t canId = 0;                             // CanId
  std::array<uint8_t, kRxBufferSize> rxBuffer{};  // RxBuffer
  size_t rxPos = 0;                               // RxPos
  bool kestaLineOpen = false;                     // KestaLineOpen
  ResponseBytes response;                         // ResponseBytes
  bool responseAccepted = false;                  // ResponseAccepted (per event)
  int rememberedFaultCount = 0;                   // RememberedFaultCount
  std::string lastSentRequest;                    // LastSentRequest (ELM327, LinkState 5)

  // Receive state as stop and start leave it.
  void clearReceive() {
    rxPos = 0;
    kestaLineOpen = false;
  }
};

}  // namespace kalvex

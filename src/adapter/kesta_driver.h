// Kesta-mini adapter driver: one framed set-up line, then each request as a
// framed text line (text, additive checksum byte, CR); replies are CR-ended
// "PS" and "PD" lines. The framing and the parsers are pure functions.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "adapter/adapter_driver.h"
#include "protocol/response.h"

namespace kalvex {

// Text + checksum (sum of the characters modulo 256) + 0x0D.
std::vector<uint8_t> KestaFrame(std::string_view text);
// StartLine: "DS:01:0T1P1 10 F1 1:81" (K-line) or "DS:01:1T1P1 FC00 1:81" (CAN).
std::string KestaStartLine(bool canSession, uint8_t ecuAddress, uint16_t canId);

// Receive state of the line framer (RxBuffer and RxPos live in the driver's
// AdapterState; `discarding` skips the rest of an oversize line).
struct KestaRx {
  std::array<uint8_t, kRxBufferSize>& buffer;
  size_t& pos;
  bool& lineOpen;
  bool& discarding;
};
enum class KestaCutResult {
  Incomplete,       // part of a line; nothing to do
  IncompleteFirst,  // the first part of a line: the 20 ms pause follows
  Line,             // `line` holds a complete line (without its CR)
  Dropped,          // an oversize line (1024 bytes before its CR) was dropped
};
// Bytes after the CR in the same event are not kept.
KestaCutResult KestaCutLine(KestaRx rx, const uint8_t* in, size_t n, std::string& line);

// A "PD" line: count at positions 3-4, pairs from 6. False when the count or
// a data pair is not hexadecimal; `badText` is then the text that failed.
bool KestaParsePd(std::string_view line, ResponseBytes& rb, std::string& badText);

class KestaDriver final : public AdapterDriver {
 public:
  using AdapterDriver::AdapterDriver;

  void start() override;                // KestaStart after the port opened
  void receive(size_t count) override;  // KestaReceive
  void startRetry() override;           // KestaStartRetry
  void requestRetry() override;         // KestaRequestRetry
  void clearReceive() override {
    AdapterDriver::clearReceive();
    lineOpen_ = false;
  }

 private:
  void sendNextRequest(const std::string& pendingText);

  bool lineOpen_ = false;  // KestaLineOpen
  bool discarding_ = false;
  std::string lastLine_;  // the text the send step wrote last
};

}  // namespace kalvex

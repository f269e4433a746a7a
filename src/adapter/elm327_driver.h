// ELM327 adapter driver: AT set-up by LinkState, requests as hexadecimal
// text, replies cut at the ">" prompt. The framer and the reply parser are
// pure functions so transcripts, fuzzers and a pseudo-terminal can feed them
// alike; Elm327Driver ties them to the session through DriverServices.
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

// Framing of the bytes of one received-bytes event. `rx`/`rxPos`
// hold what earlier events left. Returns the complete lines in arrival order,
// each cleaned (CR, LF, spaces and NULs removed, the prompt kept).
struct ElmCut {
  bool dropped = false;  // 800 or more bytes were held without a prompt
  std::vector<std::string> lines;
};
// Bytes past the free room of `rx` are not taken: the caller reads at most
// ElmReadCapacity(rxPos) bytes.
ElmCut ElmCutLines(std::array<uint8_t, kRxBufferSize>& rx, size_t& rxPos, const uint8_t* in,
                   size_t n);
size_t ElmReadCapacity(size_t rxPos);

// A data reply in LinkState 5 that does not begin with "A".
enum class ElmReply {
  Accepted,    // ResponseBytes filled
  Resend,      // not a reply: the send step runs at once
  RetryLater,  // an error text, only the prompt, or a broken multi-frame: Timer3
};
struct ElmParse {
  ElmReply result = ElmReply::Resend;
  bool logExtracted = false;
  std::string
      extracted;  // the extracted log line's text: hex digits and ':' without echo and prompt
};
// `lastSentRequest` loses its spaces when the echo is removed (as stored).
// `multiFrame`: the type runs on CAN, so "0..." is a multi-frame reply.
ElmParse ElmParseReply(std::string_view line, std::string& lastSentRequest, bool multiFrame,
                       ResponseBytes& rb);

// The set-up step: the AT command the driver sends next. The numbers are
// the ones the adapter's log and the tests know (0, 11, 12, 1, 2, 3, 4, then
// 5 for the data phase); AdapterState::linkState holds them.
enum ElmLinkState : int {
  kElmReset = 0,        // "AT Z" written, its echo awaited
  kElmEchoOn = 11,      // "AT E1"
  kElmHeadersOff = 12,  // "AT H0"
  kElmProtocol = 1,     // "AT SP5" / "AT SP6"
  kElmBaudRate = 2,     // "AT IB10" (K-line only)
  kElmKLineHeader = 3,  // "AT SH" format, target, tester
  kElmCanHeader = 4,    // "AT SH7E0" / "AT SH7E7", or "AT SW00"
  kElmRequests = 5,     // set-up done: KWP2000 requests
};

class Elm327Driver final : public AdapterDriver {
 public:
  using AdapterDriver::AdapterDriver;

  void start() override;                // ElmStart after the port opened
  void receive(size_t count) override;  // ElmReceive
  void startRetry() override;           // ElmStartRetry
  void requestRetry() override;         // ElmRequestRetry

 private:
  std::string chooseText();  // by LinkState, as the send step does
  void sendNextRequest();    // SendNextRequest
  void handleLine(const std::string& line);

  ElmLinkState linkState() const { return static_cast<ElmLinkState>(own_.linkState); }
  void setLinkState(ElmLinkState s) { own_.linkState = s; }

  std::string lastSentRequest_;  // LastSentRequest (in the data phase)
};

}  // namespace kalvex

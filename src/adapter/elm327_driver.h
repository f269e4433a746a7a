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

class Elm327Driver final : public AdapterDriver {
 public:
  explicit Elm327Driver(DriverServices& services) : svc_(services) {}

  void start() override;                // ElmStart after the port opened
  void receive(size_t count) override;  // ElmReceive
  void startRetry() override;           // ElmStartRetry
  void requestRetry() override;         // ElmRequestRetry

 private:
  std::string chooseText();  // by LinkState, as the send step does
  void sendNextRequest();    // SendNextRequest
  void handleLine(const std::string& line);

  DriverServices& svc_;
};

}  // namespace kalvex

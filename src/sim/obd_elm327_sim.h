// A simulated ELM327 v1.5 in front of the generic OBD-II car (obd_car.h),
// written from the chip's published command set: AT commands, the automatic
// protocol search, headers on or off, CAN frames (11- and 29-bit, ISO-TP
// multi-frame with the chip's "0:" "1:" layout), K-line messages with their
// header and checksum, the reply-count digit, and the chip's status texts
// (SEARCHING..., BUS INIT: ...OK/ERROR, UNABLE TO CONNECT, NO DATA, ?).
//
// Every reply is a list of texts with the time (milliseconds after the
// request's carriage return) at which the chip sends each, so the timing is
// a pure function of the commands and can be checked without a clock. The
// model:
//   - AT commands answer at once (0 ms).
//   - Automatic search: the chip tries the first guess (SP An), then the
//     protocols in their number order 1..9, each failing try costing
//     100 ms (J1850, fast init, each CAN), 2300 ms for the 5-baud wake-up
//     (tried once for 3 and 4: 2 s for the address byte, 300 ms waiting for
//     the sync byte). The protocol found then costs its own wake-up.
//   - K-line wake-up before the first request: 5-baud (3, 4) 2300 ms, fast
//     init (5) 300 ms; CAN none.
//   - ECU response times and frame spacing come from the car (obd_car.h);
//     consecutive CAN frames follow the first by 1 ms each (the chip's flow
//     control allows them all at once, no separation time).
//   - After each message the chip listens for `wait` more milliseconds:
//     AT ST hh sets hh x 4 ms (default 32 hex = 200 ms). Adaptive timing
//     shortens it from the longest gap r (request to first message, or
//     between messages) of the last request that got an answer: AT1 (the
//     default) min(ST, max(20, 2r + 8)), AT2 min(ST, max(8, r + 4)); AT0
//     keeps ST. An ECU that said "response pending" (7F xx 78) is waited
//     for up to 5000 ms after it, whatever other ECUs say meanwhile.
//     What arrives later is lost; no answer at all gives NO DATA at the
//     end of the first wait.
//   - With a reply count (a last hex digit, "01 0C 1"), the prompt follows
//     the count-th message (pending messages not counted) at once; the
//     rest is never shown.
//   - A new line while the chip is busy is not modelled (a scanner waits
//     for the prompt).
// Not thread-safe; the caller serialises.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/obd_car.h"

namespace kalvex::sim {

struct TimedText {
  int atMs = 0;
  std::string text;
};

struct ObdSimOptions {
  ObdCarOptions car;
  // "SEARCHING..." before the first answer after power-on too (after AT SP 0
  // or AT SP An it is said anyway).
  bool searching = false;
  // An ELM327 v1.0: reply-count digits and requests for more than one PID
  // are refused with "?".
  bool oldChip = false;
};

class ObdElm327Sim {
 public:
  explicit ObdElm327Sim(ObdCar& car, ObdSimOptions options = {});

  // Power-on state: echo on, headers off, spaces on, no line feeds,
  // automatic protocol, timeout 200 ms, adaptive timing 1.
  void reset();
  const ObdSimOptions& options() const { return options_; }

  // Handles one line received up to (not including) its carriage return.
  // `echo` gets what the chip echoes at once, `reply` the rest, the prompt
  // last, each part with its time.
  void handleLine(std::string_view line, std::string& echo, std::vector<TimedText>& reply);

  // The protocol in use (1..9), 0 before one is found.
  int activeProtocol() const { return active_; }
  // The listening time after a message, as the timing settings make it now.
  int waitMs() const;

 private:
  std::string atCommand(const std::string& cmd);  // text before the prompt, or "?"
  // The AT commands by group; each answers only the commands of its group.
  std::optional<std::string> switchCommand(const std::string& cmd);
  std::optional<std::string> chipCommand(const std::string& cmd);
  std::optional<std::string> protocolCommand(const std::string& cmd);
  std::optional<std::string> addressCommand(const std::string& cmd);
  std::optional<std::string> timingCommand(const std::string& cmd);
  void request(const std::string& hex, std::vector<TimedText>& out, int& promptAt);
  // The request's bytes and reply count from its hex digits; false: "?".
  bool parseRequest(const std::string& hex, std::vector<uint8_t>& bytes, int& expected) const;
  // Brings the bus up before the first request; the failure text, or null.
  // t advances by the time it takes.
  const char* connect(std::vector<TimedText>& out, int& t);
  const char* searchProtocol(std::vector<TimedText>& out, int& t);
  // The car's messages to a request sent at t, as the chip passes them on.
  void relayReplies(const std::vector<uint8_t>& bytes, int expected, int t,
                    std::vector<TimedText>& out, int& promptAt);
  bool carSpeaks(int protocol) const;
  int target() const;  // -1 functional, an ECU index, or -2 nobody
  std::vector<TimedText> frameLines(const ObdMessage& m, int protocol) const;
  std::string eol() const { return linefeeds_ ? "\r\n" : "\r"; }
  std::string describeProtocol() const;

  ObdCar& car_;
  ObdSimOptions options_;
  bool echo_ = true, headers_ = false, spaces_ = true, linefeeds_ = false;
  bool autoFormat_ = true;   // AT CAF
  bool automatic_ = true;    // AT SP 0 / SP An / TP An
  int chosen_ = 0;           // the protocol set or guessed (0: none)
  int active_ = 0;           // the protocol found or set up, 0 until then
  bool announce_ = false;    // say SEARCHING... at the next search
  int timeoutUnits_ = 0x32;  // AT ST, 4 ms each
  int adaptive_ = 1;         // AT AT0/1/2
  int learnedMs_ = -1;       // r of the adaptive timing; -1 nothing learned
  std::string header_;       // AT SH as given, "" for the default
  long receiveFilter_ = -1;  // AT CRA, -1 off
  std::string lastCommand_;
  unsigned voltageTick_ = 0;
};

}  // namespace kalvex::sim

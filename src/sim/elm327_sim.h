// A simulated ELM327 v1.5 in front of a simulated ECU, written from the
// chip's published command set: echo, the ">" prompt, AT commands, headers
// off or on, K-line replies on one line, CAN replies with the multi-frame
// layout, and the chip's status texts (NO DATA, SEARCHING..., BUS INIT).
// Not thread-safe; the caller serialises.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sim/simulated_ecu.h"

namespace kalvex::sim {

struct ElmOptions {
  // Print "SEARCHING..." (automatic protocol) or "BUS INIT: ...OK" (K-line
  // protocols) before the first reply after a reset or protocol change.
  bool announceInit = false;
  // Show the padding bytes of the last CAN frame of a multi-frame reply, as
  // the chip does (the ECU pads with 0xAA).
  bool canPadding = true;
};

// "61 01 0A" (spaces on) or "61010A" (off); no line end.
std::string HexBytes(const std::vector<uint8_t>& bytes, bool spaces);

// The lines of a CAN reply with headers off: one line for up to 7 bytes,
// else a 3-digit byte count and frames "0:" .. "F:", "0:" ... of 6 then 7
// bytes each, the last one filled up with `pad` when `padding`. Lines have
// no line ends.
std::vector<std::string> CanReplyLines(const std::vector<uint8_t>& bytes, bool spaces, bool padding,
                                       uint8_t pad = 0xAA);

// A line as the chip reads it: spaces, control characters and case do not
// count ("at sp 6" is "ATSP6").
std::string ElmCommandText(std::string_view line);

// The first step of every line, on either simulated chip: the echo (when
// `echoOn`, with the line end `eol`), then the command; an empty line
// repeats `lastCommand`, which becomes the command read. "" when there is
// nothing to run (the chip answers with the prompt alone).
std::string ElmTakeCommand(std::string_view line, bool echoOn, std::string_view eol,
                           std::string& echo, std::string& lastCommand);

// Whether `s` is one or more hex digits, either case.
bool IsHexDigits(std::string_view s);

class Elm327Sim {
 public:
  explicit Elm327Sim(SimulatedEcu& ecu, ElmOptions options = {});

  // Power-on state: echo on, headers off, spaces on, automatic protocol.
  void reset();
  const ElmOptions& options() const { return options_; }
  void setOptions(const ElmOptions& o) { options_ = o; }

  // Handles one line received up to (not including) its carriage return.
  // `echo` gets what the chip echoes at once, `reply` the answer ending
  // with the ">" prompt.
  void handleLine(std::string_view line, std::string& echo, std::string& reply);

  bool echoOn() const { return echo_; }
  bool headersOn() const { return headers_; }
  int protocol() const { return protocol_; }

 private:
  std::string atCommand(const std::string& cmd);  // text before the prompt, or "?"
  std::string request(const std::vector<uint8_t>& bytes);
  // The ECU's answer as the chip prints it, with or without headers.
  std::string replyText(const std::vector<uint8_t>& answer, bool onCan, uint8_t ecuAddress) const;
  std::string canFramesWithIds(const std::vector<uint8_t>& answer) const;
  std::string eol() const { return linefeeds_ ? "\r\n" : "\r"; }

  SimulatedEcu& ecu_;
  ElmOptions options_;
  bool echo_ = true;
  bool headers_ = false;
  bool spaces_ = true;
  bool linefeeds_ = false;
  int protocol_ = 0;      // 0 automatic, 3-5 K-line, 6-9 CAN
  int kLineTarget_ = -1;  // from AT SH xxyyzz; -1 = not set (functional)
  int canId_ = 0x7DF;     // from AT SH xyz
  bool busUp_ = false;    // the first request after a (re)start initialised the bus
  std::string lastCommand_;
};

}  // namespace kalvex::sim

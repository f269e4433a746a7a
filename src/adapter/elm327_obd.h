// The ELM327 in generic OBD-II mode: the set-up it is given, the lines it
// sends cut at CR and the ">" prompt, its status texts as states, and its
// header-on reply lines turned into one message per ECU (ISO-TP frames of
// CAN joined, K-line checksums checked). Pure: no port, no clock, so
// transcripts, fuzzers and the session feed it alike. Every buffer is
// bounded, whatever the adapter sends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "obd/obd_message.h"

namespace kalvex {

// How the replies of a protocol are framed once headers are on.
enum class ObdFraming : uint8_t {
  Unknown,  // automatic search not finished: no reply can be read yet
  Can11,    // "7E8 06 41 0C 1A F8 00 00": 11-bit id, ISO-TP PCI, data
  Can29,    // "18 DA F1 10 03 41 0D 32 ...": 29-bit id as four bytes
  KLine,    // "48 6B 10 41 0C 1A F8 CS": format, target, source, data, sum
  J1850,    // the same header, CRC-8 instead of the sum
};

// The ELM327's protocol numbers ("AT SP n", "AT DPN").
enum class ObdProtocol : uint8_t {
  Auto = 0,
  J1850Pwm = 1,
  J1850Vpw = 2,
  Iso9141 = 3,
  Kwp5Baud = 4,
  KwpFast = 5,
  Can11_500 = 6,
  Can29_500 = 7,
  Can11_250 = 8,
  Can29_250 = 9,
};

struct ObdProtocolInfo {
  ObdProtocol id;
  const char* option;  // --protocol value; "" for the ones not offered there
  const char* name;    // as the standard names it
  ObdFraming framing;
  bool tested;  // false: listed for completeness, never tried against a car
};
std::span<const ObdProtocolInfo> ObdProtocols();
const ObdProtocolInfo& ObdProtocolOf(ObdProtocol p);
// "auto", "can11", "can29", "can11-250", "can29-250", "kwp", "kwp-slow", "iso9141".
std::optional<ObdProtocol> ParseObdProtocolOption(std::string_view text);
// The answer to "AT DPN": "6", or "A6" while the adapter chose it itself.
std::optional<ObdProtocol> ParseDescribeProtocolNumber(std::string_view line);
// The answer to "AT RV": "12.4V" → 12.4; nullopt for anything else.
std::optional<double> ParseAdapterVoltage(std::string_view line);

// The set-up sent after the port opened, in order, without the CR.
std::vector<std::string> ObdSetupCommands(ObdProtocol p);

// ---- lines ------------------------------------------------------------------

// One line from the adapter: printable characters only (NULs and other
// control bytes dropped), cut at CR or LF; `prompt` when the ">" followed it
// (an empty text with `prompt` is the prompt alone).
struct ObdLine {
  std::string text;
  bool prompt = false;
  bool overlong = false;  // more than kMaxLine characters came; the rest dropped
};

class ObdLineCutter {
 public:
  // An ELM327 line is at most a header and eight bytes (about 35
  // characters); anything far longer is noise.
  static constexpr size_t kMaxLine = 128;

  // Appends the lines the bytes complete to `out`; a partial line is kept
  // for the next call.
  void feed(const uint8_t* data, size_t n, std::vector<ObdLine>& out);
  void clear() {
    line_.clear();
    overlong_ = false;
  }

 private:
  std::string line_;
  bool overlong_ = false;
};

// What a line is, decided once here so callers never compare the chip's text.
enum class ElmLineKind : uint8_t {
  Empty,
  Data,             // hex bytes (spaces allowed)
  Ok,               // "OK"
  Searching,        // "SEARCHING..." (before the answer of an automatic search)
  BusInit,          // "BUS INIT: ..." / "BUS INIT: ...OK" (K-line wake-up, progress)
  BusInitError,     // "BUS INIT: ...ERROR"
  UnableToConnect,  // "UNABLE TO CONNECT"
  NoData,           // "NO DATA"
  CanError,         // "CAN ERROR"
  BufferFull,       // "BUFFER FULL"
  Stopped,          // "STOPPED"
  Unknown,          // "?" (command not understood)
  BusBusy,          // "BUS BUSY"
  BusError,         // "BUS ERROR", "FB ERROR", "LP ALERT", "LV RESET", "ERRxx"
  DataError,        // "DATA ERROR", or a data line marked "<DATA ERROR" / "<RX ERROR"
  Text,             // anything else: "ELM327 v1.5", "12.4V", "A6"
};
ElmLineKind ClassifyElmLine(std::string_view line);

// ---- replies ----------------------------------------------------------------

// The answer to one request: the messages of every ECU, each reassembled,
// in the order the ECUs began to answer.
struct ObdReply {
  std::vector<obd::Message> messages;
  // The status text that ended the answer, if any (NoData, UnableToConnect,
  // CanError, Unknown ...); Data when messages came and no failure text.
  ElmLineKind status = ElmLineKind::Empty;
  bool searching = false;  // "SEARCHING..." came first
  // ECUs whose only answer so far is "7F sid 78" (response pending): their
  // real answer is still to come; the request is not to be sent again.
  std::vector<uint32_t> pending;
  int badLines = 0;  // unreadable, failed checksum, broken or stray multi-frame parts
};

// Reads the data lines of one answer. Lines can be added after the prompt
// (an ECU that said "response pending" answers later); take() returns what
// is complete so far and keeps the frames still expected.
class ObdReplyAssembler {
 public:
  // The longest ISO-TP message taken; a first frame announcing more is bad.
  static constexpr size_t kMaxMessage = 512;
  static constexpr size_t kMaxEcus = 16;  // more answering ECUs are noise
  // Messages in one answer (K-line sends vehicle information a piece each).
  static constexpr size_t kMaxMessages = kMaxEcus * 4;

  explicit ObdReplyAssembler(ObdFraming framing) : framing_(framing) {}
  ObdFraming framing() const { return framing_; }

  // `sent`: the request written (its echo, if the adapter still echoes, is
  // dropped).
  void setRequest(std::string_view sent);
  void addLine(const ObdLine& line);
  // Everything complete so far; multi-frame messages still short are
  // counted bad when `final` (the prompt came), else kept.
  ObdReply take(bool final = true);

 private:
  struct Partial {
    size_t expected = 0;
    uint8_t nextSeq = 1;
    std::vector<uint8_t> data;
  };
  void addData(std::string_view line);
  void addCan(uint32_t ecu, std::span<const uint8_t> frame);
  void addKLine(std::span<const uint8_t> bytes);
  void complete(uint32_t ecu, std::vector<uint8_t> data);

  ObdFraming framing_;
  std::string sentCompact_;
  ObdReply reply_;
  std::map<uint32_t, Partial> partial_;
};

// One answer given whole (the lines up to and with the prompt).
ObdReply ParseObdReply(std::span<const ObdLine> lines, ObdFraming framing,
                       std::string_view sent = {});

// Requests as the adapter takes them: "01 0C 0D", and with the expected
// number of answers appended "01 0C 0D 1" (no space inside the count).
std::string ObdRequestText(std::span<const uint8_t> bytes, int expectedReplies = 0);

// SAE J1850 CRC-8 of `bytes` (the header and data of one frame).
uint8_t J1850Crc(std::span<const uint8_t> bytes);

}  // namespace kalvex

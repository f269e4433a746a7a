#include "sim/elm327_sim.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "catalogue/catalogue.h"

namespace kalvex::sim {
namespace {

constexpr const char* kIdentity = "ELM327 v1.5";
constexpr uint8_t kCanPad = 0xAA;

int HexValue(const std::string& s) { return static_cast<int>(std::stoul(s, nullptr, 16)); }

std::string Hex2(unsigned v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02X", v & 0xFF);
  return buf;
}

const char* ProtocolName(int p) {
  switch (p) {
    case 0:
      return "AUTO";
    case 3:
      return "ISO 9141-2";
    case 4:
      return "ISO 14230-4 (KWP 5BAUD)";
    case 5:
      return "ISO 14230-4 (KWP FAST)";
    case 6:
      return "ISO 15765-4 (CAN 11/500)";
    case 7:
      return "ISO 15765-4 (CAN 29/500)";
    case 8:
      return "ISO 15765-4 (CAN 11/250)";
    case 9:
      return "ISO 15765-4 (CAN 29/250)";
    default:
      return "SAE J1850";
  }
}

}  // namespace

std::string HexBytes(const std::vector<uint8_t>& bytes, bool spaces) {
  std::string s;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (spaces && i > 0) s += ' ';
    s += Hex2(bytes[i]);
  }
  return s;
}

std::vector<std::string> CanReplyLines(const std::vector<uint8_t>& bytes, bool spaces, bool padding,
                                       uint8_t pad) {
  if (bytes.size() <= 7) return {HexBytes(bytes, spaces)};
  std::vector<std::string> lines;
  char count[8];
  std::snprintf(count, sizeof count, "%03X", static_cast<unsigned>(bytes.size() & 0xFFF));
  lines.emplace_back(count);
  size_t pos = 0;
  for (unsigned frame = 0; pos < bytes.size(); ++frame) {
    const size_t take = frame == 0 ? 6 : 7;
    std::vector<uint8_t> part(bytes.begin() + pos,
                              bytes.begin() + std::min(bytes.size(), pos + take));
    pos += take;
    if (padding) part.resize(take, pad);
    char index[4];
    std::snprintf(index, sizeof index, "%X:", frame & 0xF);  // the index wraps after F
    lines.push_back(std::string(index) + (spaces ? " " : "") + HexBytes(part, spaces));
  }
  return lines;
}

Elm327Sim::Elm327Sim(SimulatedEcu& ecu, ElmOptions options) : ecu_(ecu), options_(options) {}

void Elm327Sim::reset() {
  echo_ = true;
  headers_ = false;
  spaces_ = true;
  linefeeds_ = false;
  protocol_ = 0;
  kLineTarget_ = -1;
  canId_ = 0x7DF;
  busUp_ = false;
  lastCommand_.clear();
}

std::string ElmCommandText(std::string_view line) {
  std::string cmd;
  for (char c : line) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u > 0x20 && u < 0x7F) cmd += static_cast<char>(std::toupper(u));
  }
  return cmd;
}

std::string ElmTakeCommand(std::string_view line, bool echoOn, std::string_view eol,
                           std::string& echo, std::string& lastCommand) {
  if (echoOn) {
    echo.append(line);
    echo.append(eol);
  }
  std::string cmd = ElmCommandText(line);
  // A lone carriage return repeats the previous command.
  if (cmd.empty()) return lastCommand;
  lastCommand = cmd;
  return cmd;
}

bool IsHexDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
  });
}

void Elm327Sim::handleLine(std::string_view line, std::string& echo, std::string& reply) {
  const std::string cmd = ElmTakeCommand(line, echo_, eol(), echo, lastCommand_);
  if (cmd.empty()) {
    reply += ">";
    return;
  }

  if (cmd == "ATZ" || cmd == "ATWS") {
    reset();
    lastCommand_ = cmd;
    reply += "\r\r";
    reply += kIdentity;
    reply += "\r\r>";
    return;
  }
  std::string text;
  if (cmd.size() >= 2 && cmd.compare(0, 2, "AT") == 0) {
    text = atCommand(cmd.substr(2));
  } else if (IsHexDigits(cmd) && cmd.size() % 2 == 0) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < cmd.size(); i += 2)
      bytes.push_back(static_cast<uint8_t>(HexValue(cmd.substr(i, 2))));
    text = request(bytes);
  } else {
    text = "?";
  }
  reply += text;
  reply += eol();
  reply += eol();
  reply += ">";
}

std::string Elm327Sim::atCommand(const std::string& c) {
  auto flag = [&](const char* name, bool& target) -> bool {
    const std::string n = name;
    if (c == n + "0") return target = false, true;
    if (c == n + "1") return target = true, true;
    return false;
  };
  if (flag("E", echo_) || flag("H", headers_) || flag("S", spaces_) || flag("L", linefeeds_))
    return "OK";
  if (c == "I") return kIdentity;
  if (c == "@1") return "OBDII to RS232 Interpreter";
  if (c == "D") {
    const bool e = echo_;
    reset();
    echo_ = e;
    return "OK";
  }
  if (c == "PC") {
    busUp_ = false;
    return "OK";
  }
  if (c == "RV") {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%.1fV", EngineAt(ecu_.engineStep()).batteryV);
    return buf;
  }
  if (c == "DP") return ProtocolName(protocol_);
  if (c == "DPN") return std::string(protocol_ == 0 ? "A" : "") + std::to_string(protocol_);
  // Protocol: SP h, SP Ah (automatic with a first guess), TP the same.
  if ((c.compare(0, 2, "SP") == 0 || c.compare(0, 2, "TP") == 0) && c.size() >= 3) {
    std::string arg = c.substr(2);
    if (arg.size() == 2 && arg[0] == 'A') arg = arg.substr(1);
    if (arg.size() != 1 || !IsHexDigits(arg)) return "?";
    const int p = HexValue(arg);
    if (p > 0xC) return "?";
    protocol_ = p;
    busUp_ = false;
    return "OK";
  }
  if (c.compare(0, 2, "SH") == 0) {
    const std::string arg = c.substr(2);
    if (!IsHexDigits(arg)) return "?";
    if (arg.size() == 3) {
      canId_ = HexValue(arg);
    } else if (arg.size() == 6) {
      kLineTarget_ = HexValue(arg.substr(2, 2));
    } else {
      return "?";
    }
    return "OK";
  }
  if (c == "IB10" || c == "IB48" || c == "IB96") return "OK";
  // Two hex digits: wakeup interval, timeout.
  if ((c.compare(0, 2, "SW") == 0 || c.compare(0, 2, "ST") == 0) && c.size() == 4 &&
      IsHexDigits(c.substr(2)))
    return "OK";
  if (c == "AT0" || c == "AT1" || c == "AT2" || c == "CAF0" || c == "CAF1" || c == "KW0" ||
      c == "KW1" || c == "M0" || c == "M1" || c == "AL" || c == "NL" || c == "SI" || c == "FI")
    return "OK";
  return "?";
}

std::string Elm327Sim::request(const std::vector<uint8_t>& bytes) {
  const int make = ecu_.make(), ecuType = ecu_.ecu();
  const LinkParams link = LinkParamsOf(make, ecuType);
  const bool ecuOnCan = ElmUsesCan(make, ecuType);
  const bool kLineProtocol = protocol_ >= 3 && protocol_ <= 5;
  const bool canProtocol = protocol_ >= 6 && protocol_ <= 9;
  const bool onCan = protocol_ == 0 ? ecuOnCan : canProtocol;
  const bool firstContact = !busUp_;
  // The automatic protocol searches; a K-line protocol initialises the bus;
  // a fixed CAN protocol just talks.
  std::string prefix;
  if (options_.announceInit && firstContact && (protocol_ == 0 || kLineProtocol))
    prefix = std::string(protocol_ == 0 ? "SEARCHING..." : "BUS INIT: ...OK") + eol();
  const std::string failedInit =
      options_.announceInit && !onCan && firstContact ? "BUS INIT: ...ERROR" : "UNABLE TO CONNECT";

  if (!ecu_.present() || !(kLineProtocol || canProtocol || protocol_ == 0)) return failedInit;
  if (canProtocol && !ecuOnCan) return "CAN ERROR";
  if (kLineProtocol && ecuOnCan) return failedInit;

  // Physical addressing: only the ECU named in the header answers.
  bool addressed = true;
  if (onCan) {
    char header[16];
    std::snprintf(header, sizeof header, "AT SH%03X", static_cast<unsigned>(canId_));
    addressed = canId_ == 0x7DF || link.elmCanHeader.empty() || link.elmCanHeader == header;
  } else if (kLineTarget_ >= 0) {
    addressed = kLineTarget_ == 0x33 || !link.hasAddress || kLineTarget_ == link.ecuAddress;
  }
  const auto answer = addressed ? ecu_.answer(bytes, onCan) : std::nullopt;
  if (!answer) return firstContact && !onCan ? failedInit : "NO DATA";
  busUp_ = true;
  return prefix + replyText(*answer, onCan, link.ecuAddress);
}

std::string Elm327Sim::replyText(const std::vector<uint8_t>& answer, bool onCan,
                                 uint8_t ecuAddress) const {
  if (!headers_) {
    if (!onCan) return HexBytes(answer, spaces_);
    std::string out;
    const auto lines = CanReplyLines(answer, spaces_, options_.canPadding);
    for (size_t i = 0; i < lines.size(); ++i) out += (i ? eol() : "") + lines[i];
    return out;
  }
  if (onCan) return canFramesWithIds(answer);
  // K-line with headers: format byte, tester, ECU, data, checksum.
  std::vector<uint8_t> frame;
  const size_t n = answer.size();
  if (n < 64) {
    frame = {static_cast<uint8_t>(0x80 | n), 0xF1, ecuAddress};
  } else {
    frame = {0x80, 0xF1, ecuAddress, static_cast<uint8_t>(std::min<size_t>(n, 255))};
  }
  frame.insert(frame.end(), answer.begin(), answer.end());
  unsigned sum = 0;
  for (uint8_t b : frame) sum += b;
  frame.push_back(static_cast<uint8_t>(sum & 0xFF));
  return HexBytes(frame, spaces_);
}

// Headers on: every frame with the reply identifier and its PCI byte.
std::string Elm327Sim::canFramesWithIds(const std::vector<uint8_t>& a) const {
  char id[8];
  std::snprintf(id, sizeof id, "%03X",
                static_cast<unsigned>((canId_ == 0x7DF ? 0x7E0 : canId_) + 8));
  const std::string sep = spaces_ ? " " : "";
  if (a.size() <= 7) {
    std::vector<uint8_t> f{static_cast<uint8_t>(a.size())};
    f.insert(f.end(), a.begin(), a.end());
    f.resize(8, kCanPad);
    return id + sep + HexBytes(f, spaces_);
  }
  const std::string e = eol();
  std::string out;
  size_t pos = 0;
  for (unsigned frame = 0; pos < a.size(); ++frame) {
    std::vector<uint8_t> f;
    if (frame == 0) {
      f = {static_cast<uint8_t>(0x10 | ((a.size() >> 8) & 0x0F)),
           static_cast<uint8_t>(a.size() & 0xFF)};
    } else {
      f = {static_cast<uint8_t>(0x20 | (frame & 0x0F))};
    }
    const size_t take = 8 - f.size();
    f.insert(f.end(), a.begin() + pos, a.begin() + std::min(a.size(), pos + take));
    pos += take;
    f.resize(8, kCanPad);
    out += (frame ? e : "") + id + sep + HexBytes(f, spaces_);
  }
  return out;
}

}  // namespace kalvex::sim

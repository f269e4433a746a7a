#include "sim/obd_elm327_sim.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "sim/elm327_sim.h"
#include "sim/engine_model.h"

namespace kalvex::sim {
namespace {

constexpr int kDefaultTimeoutUnits = 0x32;
constexpr int kMsPerTimeoutUnit = 4;
constexpr int kPendingWaitMs = 5000;
constexpr int kFailedTryMs = 100;
constexpr int kFiveBaudWakeUpMs = 2300;
constexpr int kFastInitMs = 300;
constexpr int kCanFrameSpacingMs = 1;
constexpr size_t kMaxRequestBytes = 7;

int HexDigit(char c) {
  return c <= '9' ? c - '0' : std::toupper(static_cast<unsigned char>(c)) - 'A' + 10;
}

bool IsKLine(int p) { return p >= 3 && p <= 5; }
bool IsCan(int p) { return p >= 6 && p <= 0xC; }
bool IsExtendedCan(int p) { return p == 7 || p == 9 || p == 0xA; }

const char* ProtocolName(int p) {
  static const char* const kNames[] = {"AUTO",
                                       "SAE J1850 PWM",
                                       "SAE J1850 VPW",
                                       "ISO 9141-2",
                                       "ISO 14230-4 (KWP 5BAUD)",
                                       "ISO 14230-4 (KWP FAST)",
                                       "ISO 15765-4 (CAN 11/500)",
                                       "ISO 15765-4 (CAN 29/500)",
                                       "ISO 15765-4 (CAN 11/250)",
                                       "ISO 15765-4 (CAN 29/250)",
                                       "SAE J1939 (CAN 29/250)",
                                       "USER1 (CAN 11/125)",
                                       "USER2 (CAN 11/50)"};
  return p >= 0 && p <= 0xC ? kNames[p] : "?";
}

std::string HexDigitText(int v) {
  char buf[4];
  std::snprintf(buf, sizeof buf, "%X", static_cast<unsigned>(v & 0xF));
  return buf;
}

bool IsResponsePending(const std::vector<uint8_t>& b) {
  return b.size() == 3 && b[0] == 0x7F && b[2] == 0x78;
}

}  // namespace

ObdElm327Sim::ObdElm327Sim(ObdCar& car, ObdSimOptions options) : car_(car), options_(options) {
  reset();
}

void ObdElm327Sim::reset() {
  echo_ = true;
  headers_ = false;
  spaces_ = true;
  linefeeds_ = false;
  autoFormat_ = true;
  automatic_ = true;
  chosen_ = 0;
  active_ = 0;
  announce_ = options_.searching;
  timeoutUnits_ = kDefaultTimeoutUnits;
  adaptive_ = 1;
  learnedMs_ = -1;
  header_.clear();
  receiveFilter_ = -1;
  lastCommand_.clear();
}

int ObdElm327Sim::waitMs() const {
  const int st = timeoutUnits_ * kMsPerTimeoutUnit;
  if (adaptive_ == 0 || learnedMs_ < 0) return st;
  if (adaptive_ == 1) return std::min(st, std::max(20, 2 * learnedMs_ + 8));
  return std::min(st, std::max(8, learnedMs_ + 4));
}

void ObdElm327Sim::handleLine(std::string_view line, std::string& echo,
                              std::vector<TimedText>& reply) {
  const std::string cmd = ElmTakeCommand(line, echo_, eol(), echo, lastCommand_);
  if (cmd.empty()) {
    reply.push_back({0, ">"});
    return;
  }
  const std::string identity = options_.oldChip ? "ELM327 v1.0" : "ELM327 v1.5";
  if (cmd == "ATZ" || cmd == "ATWS") {
    reset();
    lastCommand_ = cmd;
    reply.push_back({0, "\r\r" + identity + "\r\r>"});
    return;
  }
  if (cmd.compare(0, 2, "AT") == 0) {
    std::string text = atCommand(cmd.substr(2));
    if (text == "\x01") text = identity;
    reply.push_back({0, text + eol() + eol() + ">"});
    return;
  }
  int promptAt = 0;
  request(cmd, reply, promptAt);
  reply.push_back({promptAt, eol() + ">"});
}

std::string ObdElm327Sim::atCommand(const std::string& c) {
  for (auto group :
       {&ObdElm327Sim::switchCommand, &ObdElm327Sim::chipCommand, &ObdElm327Sim::protocolCommand,
        &ObdElm327Sim::addressCommand, &ObdElm327Sim::timingCommand})
    if (std::optional<std::string> text = (this->*group)(c)) return *text;
  // Accepted, with nothing here for them to change.
  if (c == "IB10" || c == "IB96" || c == "KW0" || c == "KW1" || c == "M0" || c == "M1" ||
      c == "AL" || c == "NL" || c == "SI" || c == "FI" || c == "BI" || c == "CFC0" || c == "CFC1" ||
      c == "R0" || c == "R1" || c == "D0" || c == "D1")
    return "OK";
  return "?";
}

std::optional<std::string> ObdElm327Sim::switchCommand(const std::string& c) {
  auto flag = [&](const char* name, bool& target) -> bool {
    const std::string n = name;
    if (c == n + "0") return target = false, true;
    if (c == n + "1") return target = true, true;
    return false;
  };
  if (flag("E", echo_) || flag("H", headers_) || flag("S", spaces_) || flag("L", linefeeds_) ||
      flag("CAF", autoFormat_))
    return "OK";
  return std::nullopt;
}

std::optional<std::string> ObdElm327Sim::chipCommand(const std::string& c) {
  if (c == "I") return "\x01";  // the identity, filled in by the caller
  if (c == "@1") return "OBDII to RS232 Interpreter";
  if (c == "D") {
    reset();
    return "OK";
  }
  if (c == "PC") {
    active_ = 0;
    return "OK";
  }
  if (c == "RV") {
    // The battery as the engine leaves it, with a little noise of its own.
    const double v =
        EngineAt(car_.step()).batteryV + (static_cast<int>(voltageTick_++ % 3) - 1) * 0.1;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%.1fV", v);
    return buf;
  }
  return std::nullopt;
}

std::optional<std::string> ObdElm327Sim::protocolCommand(const std::string& c) {
  if (c == "DP") return describeProtocol();
  if (c == "DPN") {
    const int p = active_ ? active_ : chosen_;
    return (automatic_ ? "A" : "") + HexDigitText(p);
  }
  // Protocol: SP h / SP Ah (automatic, h the first guess); TP the same
  // without the EEPROM write, which is nothing here.
  if ((c.compare(0, 2, "SP") != 0 && c.compare(0, 2, "TP") != 0) || c.size() < 3)
    return std::nullopt;
  std::string arg = c.substr(2);
  bool automatic = false;
  if (arg.size() == 2 && arg[0] == 'A') {
    automatic = true;
    arg = arg.substr(1);
  }
  if (arg.size() != 1 || !IsHexDigits(arg)) return "?";
  const int p = HexDigit(arg[0]);
  if (p > 0xC) return "?";
  automatic_ = automatic || p == 0;
  chosen_ = p;
  active_ = 0;
  announce_ = automatic_;
  return "OK";
}

std::optional<std::string> ObdElm327Sim::addressCommand(const std::string& c) {
  if (c.compare(0, 2, "SH") == 0) {
    const std::string arg = c.substr(2);
    if (!IsHexDigits(arg) || (arg.size() != 3 && arg.size() != 6)) return "?";
    header_ = arg;
    return "OK";
  }
  if (c.compare(0, 3, "CRA") == 0) {
    const std::string arg = c.substr(3);
    if (arg.empty()) {
      receiveFilter_ = -1;
      return "OK";
    }
    if (!IsHexDigits(arg) || (arg.size() != 3 && arg.size() != 8)) return "?";
    receiveFilter_ = std::stol(arg, nullptr, 16);
    return "OK";
  }
  return std::nullopt;
}

std::optional<std::string> ObdElm327Sim::timingCommand(const std::string& c) {
  // Two hex digits: timeout, wake-up interval, CAN priority.
  if (c.size() == 4 && IsHexDigits(c.substr(2)) &&
      (c.compare(0, 2, "ST") == 0 || c.compare(0, 2, "SW") == 0 || c.compare(0, 2, "CP") == 0)) {
    if (c[1] == 'T') {
      const int units = HexDigit(c[2]) * 16 + HexDigit(c[3]);
      timeoutUnits_ = units == 0 ? kDefaultTimeoutUnits : units;
    }
    return "OK";
  }
  if (c == "AT0" || c == "AT1" || c == "AT2") {
    adaptive_ = c[2] - '0';
    return "OK";
  }
  return std::nullopt;
}

std::string ObdElm327Sim::describeProtocol() const {
  if (!automatic_) return ProtocolName(chosen_);
  const int p = active_ ? active_ : chosen_;
  return p ? std::string("AUTO, ") + ProtocolName(p) : "AUTO";
}

bool ObdElm327Sim::carSpeaks(int p) const {
  switch (car_.options().bus) {
    case ObdBus::Can11:
      return p == 6;
    case ObdBus::Can29:
      return p == 7;
    case ObdBus::Kwp:
      return p == 4 || p == 5;
    case ObdBus::Iso9141:
      return p == 3;
  }
  return false;
}

int ObdElm327Sim::target() const {
  const int p = active_;
  if (header_.empty()) return -1;
  if (IsCan(p) && !IsExtendedCan(p)) {
    if (header_ == "7DF") return -1;
    for (int e = 0; e < ObdCar::kEcuCount; ++e) {
      char id[8];
      std::snprintf(id, sizeof id, "%03X", 0x7E0 + e);
      if (header_ == id) return e;
    }
    return -2;
  }
  if (header_.size() != 6) return -2;
  if (IsCan(p)) {
    if (header_ == "DB33F1") return -1;
    if (header_.compare(0, 2, "DA") != 0 || header_.compare(4, 2, "F1") != 0) return -2;
  } else {
    if (header_ == "686AF1" || header_ == "C133F1") return -1;
    if (header_.compare(4, 2, "F1") != 0) return -2;
  }
  const int address = HexDigit(header_[2]) * 16 + HexDigit(header_[3]);
  for (int e = 0; e < ObdCar::kEcuCount; ++e)
    if (address == ObdCar::KLineAddress(e)) return e;
  return -2;
}

std::vector<TimedText> ObdElm327Sim::frameLines(const ObdMessage& m, int p) const {
  const std::string e = eol();
  std::vector<TimedText> out;
  if (IsKLine(p)) {
    if (!headers_) return {{m.atMs, HexBytes(m.bytes, spaces_) + e}};
    // ISO 9141-2 answers with 48 6B, ISO 14230-4 with a format byte
    // carrying the length, then the tester F1; the source; a checksum.
    std::vector<uint8_t> f;
    if (p == 3)
      f = {0x48, 0x6B, ObdCar::KLineAddress(m.ecu)};
    else
      f = {static_cast<uint8_t>(0x80 | (m.bytes.size() & 0x3F)), 0xF1, ObdCar::KLineAddress(m.ecu)};
    f.insert(f.end(), m.bytes.begin(), m.bytes.end());
    unsigned sum = 0;
    for (uint8_t b : f) sum += b;
    f.push_back(static_cast<uint8_t>(sum & 0xFF));
    return {{m.atMs, HexBytes(f, spaces_) + e}};
  }
  // CAN: the engine pads its frames with AA, the transmission with 00.
  const uint8_t pad = m.ecu == ObdCar::kEngine ? 0xAA : 0x00;
  const std::vector<uint8_t>& a = m.bytes;
  if (!headers_ && autoFormat_) {
    if (a.size() <= 7) return {{m.atMs, HexBytes(a, spaces_) + e}};
    const auto lines = CanReplyLines(a, spaces_, true, pad);
    for (size_t i = 0; i < lines.size(); ++i)
      out.push_back(
          {m.atMs + (i <= 1 ? 0 : static_cast<int>(i - 1) * kCanFrameSpacingMs), lines[i] + e});
    return out;
  }
  // Headers on (or no formatting): every frame whole, PCI byte included.
  std::string id;
  if (headers_) {
    const uint32_t rid = ObdCar::CanReplyId(m.ecu, IsExtendedCan(p));
    if (IsExtendedCan(p)) {
      id = HexBytes({static_cast<uint8_t>(rid >> 24), static_cast<uint8_t>(rid >> 16),
                     static_cast<uint8_t>(rid >> 8), static_cast<uint8_t>(rid)},
                    spaces_);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "%03X", static_cast<unsigned>(rid));
      id = buf;
    }
    if (spaces_) id += ' ';
  }
  std::vector<std::vector<uint8_t>> frames;
  if (a.size() <= 7) {
    std::vector<uint8_t> f{static_cast<uint8_t>(a.size())};
    f.insert(f.end(), a.begin(), a.end());
    frames.push_back(f);
  } else {
    size_t pos = 0;
    for (unsigned n = 0; pos < a.size(); ++n) {
      std::vector<uint8_t> f;
      if (n == 0)
        f = {static_cast<uint8_t>(0x10 | ((a.size() >> 8) & 0x0F)),
             static_cast<uint8_t>(a.size() & 0xFF)};
      else
        f = {static_cast<uint8_t>(0x20 | (n & 0x0F))};
      const size_t take = std::min(a.size() - pos, 8 - f.size());
      f.insert(f.end(), a.begin() + static_cast<long>(pos),
               a.begin() + static_cast<long>(pos + take));
      pos += take;
      frames.push_back(f);
    }
  }
  for (size_t i = 0; i < frames.size(); ++i) {
    frames[i].resize(8, pad);
    out.push_back(
        {m.atMs + static_cast<int>(i) * kCanFrameSpacingMs, id + HexBytes(frames[i], spaces_) + e});
  }
  return out;
}

void ObdElm327Sim::request(const std::string& hex, std::vector<TimedText>& out, int& promptAt) {
  std::vector<uint8_t> bytes;
  int expected = 0;
  int t = 0;
  const char* failure = nullptr;
  if (!parseRequest(hex, bytes, expected))
    failure = "?";
  else if (active_ == 0)
    failure = connect(out, t);
  if (!failure) return relayReplies(bytes, expected, t, out, promptAt);
  out.push_back({t, failure + eol()});
  promptAt = t;
}

bool ObdElm327Sim::parseRequest(const std::string& hex, std::vector<uint8_t>& bytes,
                                int& expected) const {
  if (!IsHexDigits(hex)) return false;
  // An odd digit at the end is the number of replies to wait for.
  std::string digits = hex;
  if (digits.size() % 2 != 0) {
    if (options_.oldChip) return false;
    expected = HexDigit(digits.back());
    digits.pop_back();
    if (expected == 0 || digits.empty()) return false;
  }
  for (size_t i = 0; i < digits.size(); i += 2)
    bytes.push_back(static_cast<uint8_t>(HexDigit(digits[i]) * 16 + HexDigit(digits[i + 1])));
  // Without CAN formatting the tester writes the PCI byte itself.
  if (!autoFormat_ && IsCan(active_ ? active_ : chosen_)) {
    if (bytes.size() < 2 || bytes[0] != bytes.size() - 1) return false;
    bytes.erase(bytes.begin());
  }
  if (bytes.size() > kMaxRequestBytes) return false;
  if (options_.oldChip && (bytes[0] == 0x01 || bytes[0] == 0x02) && bytes.size() > 3) return false;
  if (options_.oldChip && bytes[0] == 0x01 && bytes.size() > 2) return false;
  return true;
}

const char* ObdElm327Sim::connect(std::vector<TimedText>& out, int& t) {
  if (automatic_) return searchProtocol(out, t);
  const int p = chosen_;
  if (IsKLine(p)) {
    out.push_back({0, "BUS INIT: "});
    t += p == 5 ? kFastInitMs : kFiveBaudWakeUpMs;
    if (!carSpeaks(p) || car_.options().silent) return "...ERROR";
    out.push_back({t, "...OK" + eol()});
    active_ = p;
    return nullptr;
  }
  if (!carSpeaks(p)) {
    t = waitMs();
    return "UNABLE TO CONNECT";
  }
  active_ = p;  // a silent car still acknowledges frames: NO DATA later
  return nullptr;
}

const char* ObdElm327Sim::searchProtocol(std::vector<TimedText>& out, int& t) {
  if (announce_) out.push_back({0, "SEARCHING..." + eol()});
  announce_ = false;
  const bool carThere = !car_.options().silent;
  std::vector<int> order;
  if (chosen_) order.push_back(chosen_);
  for (int p = 1; p <= 9; ++p)
    if (p != chosen_) order.push_back(p);
  bool fiveBaudTried = false;
  for (int p : order) {
    const bool speaks = carThere && carSpeaks(p);
    if (p == 3 || p == 4) {
      // One 5-baud wake-up answers for both: the key bytes tell them apart.
      if (fiveBaudTried) continue;
      fiveBaudTried = true;
      t += kFiveBaudWakeUpMs;
      const int found = carThere && carSpeaks(3) ? 3 : carThere && carSpeaks(4) ? 4 : 0;
      if (found) {
        active_ = found;
        break;
      }
    } else if (speaks) {
      if (p == 5) t += kFastInitMs;
      active_ = p;
      break;
    } else if (p <= 9) {
      t += kFailedTryMs;
    }
  }
  return active_ == 0 ? "UNABLE TO CONNECT" : nullptr;
}

void ObdElm327Sim::relayReplies(const std::vector<uint8_t>& bytes, int expected, int t,
                                std::vector<TimedText>& out, int& promptAt) {
  const int p = active_;
  const int to = target();
  std::vector<ObdMessage> messages;
  if (to != -2) messages = car_.answer(bytes, to);
  const int wait = waitMs();
  int listenUntil = t + wait;
  int counted = 0, maxGap = 0, previous = t;
  bool any = false, previousPending = false;
  // An ECU that said "response pending" is waited for until it answers.
  int pendingUntil[ObdCar::kEcuCount] = {};
  for (const ObdMessage& m : messages) {
    if (IsCan(p) && receiveFilter_ >= 0 &&
        static_cast<long>(ObdCar::CanReplyId(m.ecu, IsExtendedCan(p))) != receiveFilter_)
      continue;
    const int first = t + m.atMs;
    if (first > listenUntil) break;  // the chip stopped listening: lost
    std::vector<TimedText> lines = frameLines(m, p);
    int last = first;
    for (TimedText& l : lines) {
      l.atMs += t;
      last = std::max(last, l.atMs);
      out.push_back(std::move(l));
    }
    if (!previousPending) maxGap = std::max(maxGap, first - previous);
    previous = last;
    const bool pending = IsResponsePending(m.bytes);
    previousPending = pending;
    pendingUntil[m.ecu] = pending ? last + kPendingWaitMs : 0;
    listenUntil = last + wait;
    for (int until : pendingUntil) listenUntil = std::max(listenUntil, until);
    any = true;
    if (!pending) ++counted;
    if (expected && counted == expected) {
      learnedMs_ = maxGap;
      promptAt = last;
      return;
    }
  }
  if (!any) {
    out.push_back({listenUntil, "NO DATA" + eol()});
    promptAt = listenUntil;
    return;
  }
  learnedMs_ = maxGap;
  promptAt = listenUntil;
}

}  // namespace kalvex::sim

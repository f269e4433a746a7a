#include "adapter/elm327_obd.h"

#include <algorithm>
#include <array>

#include "protocol/text.h"

namespace kalvex {

namespace {

constexpr ObdProtocolInfo kProtocols[] = {
    {ObdProtocol::Auto, "auto", "automatic search", ObdFraming::Unknown, true},
    {ObdProtocol::J1850Pwm, "", "SAE J1850 PWM (41.6 kbaud)", ObdFraming::J1850, false},
    {ObdProtocol::J1850Vpw, "", "SAE J1850 VPW (10.4 kbaud)", ObdFraming::J1850, false},
    {ObdProtocol::Iso9141, "iso9141", "ISO 9141-2 (5 baud init)", ObdFraming::KLine, true},
    {ObdProtocol::Kwp5Baud, "kwp-slow", "ISO 14230-4 KWP (5 baud init)", ObdFraming::KLine, true},
    {ObdProtocol::KwpFast, "kwp", "ISO 14230-4 KWP (fast init)", ObdFraming::KLine, true},
    {ObdProtocol::Can11_500, "can11", "ISO 15765-4 CAN (11 bit ID, 500 kbaud)", ObdFraming::Can11,
     true},
    {ObdProtocol::Can29_500, "can29", "ISO 15765-4 CAN (29 bit ID, 500 kbaud)", ObdFraming::Can29,
     true},
    {ObdProtocol::Can11_250, "can11-250", "ISO 15765-4 CAN (11 bit ID, 250 kbaud)",
     ObdFraming::Can11, true},
    {ObdProtocol::Can29_250, "can29-250", "ISO 15765-4 CAN (29 bit ID, 250 kbaud)",
     ObdFraming::Can29, true},
};

constexpr uint8_t kPendingCode = 0x78;

std::string Compact(std::string_view s) {
  std::string out;
  for (char c : s)
    if (c != ' ') out.push_back(c);
  return out;
}

bool StartsWith(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }
bool EndsWith(std::string_view s, std::string_view p) {
  return s.size() >= p.size() && s.substr(s.size() - p.size()) == p;
}

// Hex digits with optional spaces between pairs; nullopt for anything else.
std::optional<std::string> HexDigits(std::string_view line) {
  std::string d;
  for (char c : line) {
    if (c == ' ') continue;
    if (!hex::IsStrictDigit(c)) return std::nullopt;
    d.push_back(c);
  }
  if (d.empty()) return std::nullopt;
  return d;
}

std::vector<uint8_t> Bytes(std::string_view digits) {
  std::vector<uint8_t> out;
  out.reserve(digits.size() / 2);
  for (size_t i = 0; i + 1 < digits.size(); i += 2)
    out.push_back(
        static_cast<uint8_t>(hex::DigitValue(digits[i]) * 16 + hex::DigitValue(digits[i + 1])));
  return out;
}

// Trouble codes a K-line ECU sends three to a message: joined into one,
// as CAN carries them. (Vehicle information items stay one message each:
// their sequence numbers say the order.)
bool JoinsOnKLine(uint8_t replyService) {
  return replyService == (obd::kStoredCodes | obd::kPositiveReply) ||
         replyService == (obd::kPendingCodes | obd::kPositiveReply) ||
         replyService == (obd::kPermanentCodes | obd::kPositiveReply);
}

}  // namespace

std::span<const ObdProtocolInfo> ObdProtocols() { return kProtocols; }

const ObdProtocolInfo& ObdProtocolOf(ObdProtocol p) {
  for (const ObdProtocolInfo& info : kProtocols)
    if (info.id == p) return info;
  return kProtocols[0];
}

std::optional<ObdProtocol> ParseObdProtocolOption(std::string_view text) {
  if (text.empty()) return std::nullopt;
  for (const ObdProtocolInfo& info : kProtocols)
    if (text == info.option) return info.id;
  return std::nullopt;
}

std::optional<ObdProtocol> ParseDescribeProtocolNumber(std::string_view line) {
  std::string s = Compact(line);
  if (s.size() == 2 && s[0] == 'A') s.erase(0, 1);
  if (s.size() != 1) return std::nullopt;
  const char c = s[0];
  if (c < '1' || c > '9') return std::nullopt;
  return static_cast<ObdProtocol>(c - '0');
}

std::optional<double> ParseAdapterVoltage(std::string_view line) {
  std::string s = Compact(line);
  if (s.size() < 2 || s.back() != 'V') return std::nullopt;
  s.pop_back();
  const auto v = ParseNumber(s, 0.0, 99.9);
  return v;
}

std::vector<std::string> ObdSetupCommands(ObdProtocol p) {
  // Headers on, so every reply line names the ECU that sent it; adaptive
  // timing so a car that answers quickly is asked quickly.
  return {"AT Z",
          "AT E0",
          "AT L0",
          "AT S1",
          "AT H1",
          "AT AT1",
          std::string("AT SP ") + static_cast<char>('0' + static_cast<int>(p))};
}

// ---- lines ------------------------------------------------------------------

void ObdLineCutter::feed(const uint8_t* data, size_t n, std::vector<ObdLine>& out) {
  for (size_t i = 0; i < n; ++i) {
    const uint8_t b = data[i];
    if (b == '\r' || b == '\n' || b == '>') {
      const bool prompt = b == '>';
      // Trailing spaces mean nothing; an empty line is only worth telling
      // when it carries the prompt.
      while (!line_.empty() && line_.back() == ' ') line_.pop_back();
      if (!line_.empty() || prompt) out.push_back(ObdLine{line_, prompt, overlong_});
      clear();
      continue;
    }
    if (b < 0x20 || b > 0x7E) continue;  // NULs the chip sends after a reset, noise
    if (line_.empty() && b == ' ') continue;
    if (line_.size() >= kMaxLine) {
      overlong_ = true;
      continue;
    }
    line_.push_back(static_cast<char>(b));
  }
}

ElmLineKind ClassifyElmLine(std::string_view line) {
  if (line.empty()) return ElmLineKind::Empty;
  if (line == "?") return ElmLineKind::Unknown;
  if (line == "OK") return ElmLineKind::Ok;
  if (StartsWith(line, "SEARCHING")) return ElmLineKind::Searching;
  if (StartsWith(line, "BUS INIT")) {
    return EndsWith(line, "ERROR") ? ElmLineKind::BusInitError : ElmLineKind::BusInit;
  }
  if (StartsWith(line, "UNABLE TO CONNECT")) return ElmLineKind::UnableToConnect;
  if (line == "NO DATA") return ElmLineKind::NoData;
  if (line == "CAN ERROR") return ElmLineKind::CanError;
  if (line == "BUFFER FULL") return ElmLineKind::BufferFull;
  if (line == "STOPPED") return ElmLineKind::Stopped;
  if (line == "BUS BUSY") return ElmLineKind::BusBusy;
  if (line == "BUS ERROR" || line == "FB ERROR" || line == "LP ALERT" || line == "LV RESET" ||
      (line.size() == 5 && StartsWith(line, "ERR")))
    return ElmLineKind::BusError;
  if (EndsWith(line, "DATA ERROR") || EndsWith(line, "RX ERROR")) return ElmLineKind::DataError;
  if (HexDigits(line)) return ElmLineKind::Data;
  return ElmLineKind::Text;
}

// ---- replies ----------------------------------------------------------------

void ObdReplyAssembler::setRequest(std::string_view sent) { sentCompact_ = Compact(sent); }

void ObdReplyAssembler::addLine(const ObdLine& line) {
  if (line.overlong) {
    ++reply_.badLines;
    return;
  }
  const ElmLineKind kind = ClassifyElmLine(line.text);
  switch (kind) {
    case ElmLineKind::Empty:
    case ElmLineKind::Ok:
    case ElmLineKind::BusInit:
      return;
    case ElmLineKind::Searching:
      reply_.searching = true;
      return;
    case ElmLineKind::Data:
      // An adapter that still echoes repeats the request first.
      if (!sentCompact_.empty() && Compact(line.text) == sentCompact_) return;
      addData(line.text);
      return;
    case ElmLineKind::DataError:
      ++reply_.badLines;
      return;
    case ElmLineKind::Text:
      if (!sentCompact_.empty() && Compact(line.text) == sentCompact_) return;
      ++reply_.badLines;
      return;
    default:
      reply_.status = kind;
      return;
  }
}

void ObdReplyAssembler::addData(std::string_view line) {
  const std::optional<std::string> digits = HexDigits(line);
  if (!digits) {
    ++reply_.badLines;
    return;
  }
  switch (framing_) {
    case ObdFraming::Can11: {
      // Three digits of identifier, then whole bytes.
      if (digits->size() < 5 || digits->size() % 2 == 0) break;
      const uint32_t id =
          static_cast<uint32_t>(hex::DigitValue((*digits)[0]) << 8 |
                                hex::DigitValue((*digits)[1]) << 4 | hex::DigitValue((*digits)[2]));
      const std::vector<uint8_t> frame = Bytes(std::string_view(*digits).substr(3));
      addCan(id, frame);
      return;
    }
    case ObdFraming::Can29: {
      if (digits->size() < 10 || digits->size() % 2 != 0) break;
      const std::vector<uint8_t> all = Bytes(*digits);
      const uint32_t id = static_cast<uint32_t>(all[0]) << 24 |
                          static_cast<uint32_t>(all[1]) << 16 | static_cast<uint32_t>(all[2]) << 8 |
                          all[3];
      if (id > 0x1FFFFFFF) break;
      addCan(id, std::span<const uint8_t>(all).subspan(4));
      return;
    }
    case ObdFraming::KLine:
    case ObdFraming::J1850: {
      if (digits->size() % 2 != 0) break;
      addKLine(Bytes(*digits));
      return;
    }
    case ObdFraming::Unknown:
      break;
  }
  ++reply_.badLines;
}

void ObdReplyAssembler::addCan(uint32_t ecu, std::span<const uint8_t> frame) {
  if (frame.empty() || frame.size() > 8) {
    ++reply_.badLines;
    return;
  }
  const uint8_t pci = frame[0];
  switch (pci >> 4) {
    case 0x0: {  // single frame: length, then data (padding after it ignored)
      const size_t len = pci & 0x0F;
      if (len == 0 || len > 7 || frame.size() < 1 + len) break;
      partial_.erase(ecu);
      complete(ecu, std::vector<uint8_t>(frame.begin() + 1, frame.begin() + 1 + len));
      return;
    }
    case 0x1: {  // first frame: 12-bit length, six bytes
      if (frame.size() < 8) break;
      const size_t len = static_cast<size_t>(pci & 0x0F) << 8 | frame[1];
      if (len < 8 || len > kMaxMessage) break;
      if (partial_.size() >= kMaxEcus && !partial_.count(ecu)) break;
      Partial& p = partial_[ecu];
      p = Partial{len, 1, std::vector<uint8_t>(frame.begin() + 2, frame.end())};
      return;
    }
    case 0x2: {  // consecutive frame: sequence number 1..15, 0, 1 ...
      const auto it = partial_.find(ecu);
      if (it == partial_.end()) break;
      Partial& p = it->second;
      if ((pci & 0x0F) != p.nextSeq) {
        // A frame lost: the message cannot be trusted.
        partial_.erase(it);
        break;
      }
      p.nextSeq = static_cast<uint8_t>((p.nextSeq + 1) & 0x0F);
      const size_t want = std::min(p.expected - p.data.size(), frame.size() - 1);
      p.data.insert(p.data.end(), frame.begin() + 1, frame.begin() + 1 + static_cast<long>(want));
      if (p.data.size() >= p.expected) {
        std::vector<uint8_t> data = std::move(p.data);
        partial_.erase(it);
        complete(ecu, std::move(data));
      }
      return;
    }
    default:  // flow control or nonsense
      break;
  }
  ++reply_.badLines;
}

uint8_t J1850Crc(std::span<const uint8_t> bytes) {
  uint8_t crc = 0xFF;
  for (uint8_t b : bytes) {
    crc ^= b;
    for (int i = 0; i < 8; ++i)
      crc = static_cast<uint8_t>(crc & 0x80 ? (crc << 1) ^ 0x1D : crc << 1);
  }
  return static_cast<uint8_t>(~crc);
}

void ObdReplyAssembler::addKLine(std::span<const uint8_t> bytes) {
  // Format, target, source, at least one data byte, check byte.
  if (bytes.size() < 5 || bytes.size() > 3 + 255 + 1) {
    ++reply_.badLines;
    return;
  }
  const std::span<const uint8_t> body = bytes.first(bytes.size() - 1);
  const uint8_t check = bytes.back();
  bool good = false;
  if (framing_ == ObdFraming::J1850) {
    good = J1850Crc(body) == check;
  } else {
    uint8_t sum = 0;
    for (uint8_t b : body) sum = static_cast<uint8_t>(sum + b);
    good = sum == check;
    // ISO 14230 format byte 10LLLLLL carries the data length itself.
    const uint8_t format = bytes[0];
    if (good && (format & 0xC0) == 0x80 && (format & 0x3F) != 0)
      good = (format & 0x3F) == body.size() - 3;
  }
  if (!good) {
    ++reply_.badLines;
    return;
  }
  complete(bytes[2], std::vector<uint8_t>(body.begin() + 3, body.end()));
}

void ObdReplyAssembler::complete(uint32_t ecu, std::vector<uint8_t> data) {
  if (data.size() >= 3 && data[0] == obd::kNegativeReply && data[2] == kPendingCode) {
    if (std::find(reply_.pending.begin(), reply_.pending.end(), ecu) != reply_.pending.end())
      return;
    // Bounded like the partial messages: "wait" under ever new ids is noise.
    if (reply_.pending.size() >= kMaxEcus) {
      ++reply_.badLines;
      return;
    }
    reply_.pending.push_back(ecu);
    return;
  }
  std::erase(reply_.pending, ecu);
  if ((framing_ == ObdFraming::KLine || framing_ == ObdFraming::J1850) && !data.empty() &&
      JoinsOnKLine(data[0])) {
    for (obd::Message& m : reply_.messages) {
      if (m.ecu != ecu || m.data.empty() || m.data[0] != data[0]) continue;
      if (m.data.size() + data.size() > kMaxMessage) return;
      m.data.insert(m.data.end(), data.begin() + 1, data.end());
      return;
    }
  }
  if (reply_.messages.size() >= kMaxMessages) {
    ++reply_.badLines;
    return;
  }
  reply_.messages.push_back(obd::Message{ecu, std::move(data)});
}

ObdReply ObdReplyAssembler::take(bool final) {
  if (final) {
    reply_.badLines += static_cast<int>(partial_.size());
    partial_.clear();
  }
  ObdReply out = std::move(reply_);
  reply_ = ObdReply{};
  if (out.status == ElmLineKind::Empty && !out.messages.empty()) out.status = ElmLineKind::Data;
  return out;
}

ObdReply ParseObdReply(std::span<const ObdLine> lines, ObdFraming framing, std::string_view sent) {
  ObdReplyAssembler a(framing);
  a.setRequest(sent);
  for (const ObdLine& l : lines) a.addLine(l);
  return a.take(true);
}

std::string ObdRequestText(std::span<const uint8_t> bytes, int expectedReplies) {
  std::string out;
  for (uint8_t b : bytes) {
    if (!out.empty()) out.push_back(' ');
    char two[2];
    hex::Write2(two, b);
    out.append(two, 2);
  }
  // One digit: the adapter takes 1..F; more answers than that are waited for.
  if (expectedReplies > 0 && expectedReplies <= 15) {
    out.push_back(' ');
    out.push_back("0123456789ABCDEF"[expectedReplies]);
  }
  return out;
}

}  // namespace kalvex

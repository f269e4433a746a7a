#include "sim/kesta_sim.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "catalogue/catalogue.h"

namespace kalvex::sim {
namespace {

bool IsHexText(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0 &&
           !std::islower(static_cast<unsigned char>(c));
  });
}

int Hex(std::string_view s) {
  int v = 0;
  for (char c : s) v = v * 16 + (c <= '9' ? c - '0' : c - 'A' + 10);
  return v;
}

}  // namespace

uint8_t KestaChecksum(std::string_view text) {
  unsigned sum = 0;
  for (char c : text) sum += static_cast<unsigned char>(c);
  return static_cast<uint8_t>(sum & 0xFF);
}

std::string KestaFrame(std::string_view text) {
  std::string f(text);
  f += static_cast<char>(KestaChecksum(text));
  f += '\r';
  return f;
}

void KestaSim::reset() {
  pending_.clear();
  configured_ = false;
  can_ = false;
  address_ = -1;
  canId_ = -1;
  kLineStarted_ = false;
}

void KestaSim::feed(std::string_view bytes, std::string& reply) {
  for (char c : bytes) {
    if (pending_.size() >= kMaxLine) pending_.clear();  // runaway line: start afresh
    pending_ += c;
    if (c != '\r') continue;
    const size_t n = pending_.size() - 1;  // bytes before this CR
    if (n >= 1 && KestaChecksum(std::string_view(pending_).substr(0, n - 1)) ==
                      static_cast<uint8_t>(pending_[n - 1])) {
      const std::string text = pending_.substr(0, n - 1);
      pending_.clear();
      handleFrame(text, reply);
    } else if (KestaChecksum(std::string_view(pending_).substr(0, n)) != '\r') {
      pending_.clear();  // bad checksum: the adapter drops the line
    }
    // Otherwise this CR was the checksum byte; the frame's own CR follows.
  }
}

void KestaSim::handleFrame(const std::string& text, std::string& reply) {
  if (text.compare(0, 6, "DS:01:") == 0) {
    setUp(text, reply);
    return;
  }
  // "DD:" count ":" pairs
  if (!configured_ || text.size() < 6 || text.compare(0, 3, "DD:") != 0 || text[5] != ':') return;
  const std::string_view count = std::string_view(text).substr(3, 2);
  const std::string_view data = std::string_view(text).substr(6);
  if (!IsHexText(count) || !IsHexText(data) || data.size() % 2 != 0) return;
  if (static_cast<size_t>(Hex(count)) * 2 != data.size()) return;
  std::vector<uint8_t> request;
  for (size_t i = 0; i < data.size(); i += 2)
    request.push_back(static_cast<uint8_t>(Hex(data.substr(i, 2))));

  const LinkParams link = LinkParamsOf(ecu_.make(), ecu_.ecu());
  if (can_) {
    if (!link.canSession || !link.hasCanId || canId_ != link.canId) return;
  } else {
    if (link.canSession || !link.hasAddress || address_ != link.ecuAddress) return;
    // On K-line the bus is only up after StartCommunication.
    if (!kLineStarted_ && request[0] != 0x81) return;
  }
  const auto answer = ecu_.answer(request, can_);
  if (!answer || answer->empty()) return;
  if (!can_ && (*answer)[0] == 0xC1) kLineStarted_ = true;
  if (!can_ && (*answer)[0] == 0xC2) kLineStarted_ = false;

  const size_t n = std::min<size_t>(answer->size(), 255);
  char head[16];
  std::snprintf(head, sizeof head, "PD:%02X:", static_cast<unsigned>(n));
  reply += head;
  for (size_t i = 0; i < n; ++i) {
    char pair[4];
    std::snprintf(pair, sizeof pair, "%02X", (*answer)[i]);
    reply += pair;
  }
  reply += '\r';
}

// "DS:01:0T1P1 10 F1 1:81" (K-line: ECU, tester) or "DS:01:1T1P1 FC00 1:81" (CAN).
void KestaSim::setUp(const std::string& text, std::string& reply) {
  std::vector<std::string> words;
  size_t start = 6;
  while (start <= text.size()) {
    const size_t sp = text.find(' ', start);
    const size_t end = sp == std::string::npos ? text.size() : sp;
    if (end > start) words.push_back(text.substr(start, end - start));
    if (sp == std::string::npos) break;
    start = sp + 1;
  }
  if (words.size() < 2 || words[0].size() != 5 || words[0].compare(1, 4, "T1P1") != 0) return;
  const bool can = words[0][0] == '1';
  if (!can && words[0][0] != '0') return;
  if (can ? words[1].size() != 4 : words[1].size() != 2) return;
  if (!IsHexText(words[1])) return;
  reset();
  configured_ = true;
  can_ = can;
  (can ? canId_ : address_) = Hex(words[1]);
  reply += "PS\r";
}

}  // namespace kalvex::sim

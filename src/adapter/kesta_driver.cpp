#include "adapter/kesta_driver.h"

#include <algorithm>
#include <cstdio>

#include "link/serial_link.h"
#include "protocol/request_catalogue.h"
#include "protocol/text.h"

namespace kalvex {

namespace {

constexpr Millis kSendPause = 200;
constexpr Millis kLinePause = 20;
constexpr Millis kDtrPause = 300;

}  // namespace

std::vector<uint8_t> KestaFrame(std::string_view text) {
  std::vector<uint8_t> out(text.begin(), text.end());
  uint8_t sum = 0;
  for (char c : text) sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(c));
  out.push_back(sum);
  out.push_back(0x0D);
  return out;
}

std::string KestaStartLine(bool canSession, uint8_t ecuAddress, uint16_t canId) {
  char buf[64];
  if (canSession) {
    std::snprintf(buf, sizeof buf, "DS:01:1T1P1 %04X 1:81", static_cast<unsigned>(canId));
  } else {
    std::snprintf(buf, sizeof buf, "DS:01:0T1P1 %02X F1 1:81", static_cast<unsigned>(ecuAddress));
  }
  return buf;
}

KestaCutResult KestaCutLine(KestaRx rx, const uint8_t* in, size_t n, std::string& line) {
  const uint8_t* cr = std::find(in, in + n, uint8_t{0x0D});
  const bool hasCr = cr != in + n;
  const size_t before = static_cast<size_t>(cr - in);  // bytes of this event before the CR
  auto reset = [&] {
    rx.lineOpen = false;
    rx.pos = 0;
  };
  if (rx.discarding) {
    if (hasCr) rx.discarding = false;
    reset();
    return KestaCutResult::Dropped;
  }
  const size_t start = rx.lineOpen ? rx.pos : 0;
  if (start + before >= kRxBufferSize) {
    // 1024 bytes without a CR: drop the line; its tail up to the CR too.
    rx.discarding = !hasCr;
    reset();
    return KestaCutResult::Dropped;
  }
  std::copy(in, in + before, rx.buffer.begin() + static_cast<std::ptrdiff_t>(start));
  if (!hasCr) {
    const bool first = !rx.lineOpen;
    rx.lineOpen = true;
    rx.pos = start + before;
    return first ? KestaCutResult::IncompleteFirst : KestaCutResult::Incomplete;
  }
  line.assign(rx.buffer.begin(), rx.buffer.begin() + static_cast<std::ptrdiff_t>(start + before));
  reset();
  return KestaCutResult::Line;
}

bool KestaParsePd(std::string_view line, ResponseBytes& rb, std::string& badText) {
  auto at = [&line](size_t i) { return i < line.size() ? line[i] : '\0'; };
  const char c3 = at(3), c4 = at(4);
  if (!hex::IsLenientDigit(c3) || !hex::IsLenientDigit(c4)) {
    badText = "$" + std::string(line.substr(std::min<size_t>(3, line.size()), 2));
    return false;
  }
  const size_t count = static_cast<size_t>(hex::DigitValue(c3) * 16 + hex::DigitValue(c4));
  size_t p = 6;
  for (size_t k = 0; k < count && k < kResponseSize; ++k) {
    const char a = at(p), b = at(p + 1);
    if (a >= '0' && b >= '0') {
      if (!hex::IsLenientDigit(a) || !hex::IsLenientDigit(b)) {
        badText = "$" + std::string{a, b};
        return false;
      }
      rb.b[k] = static_cast<uint8_t>(hex::DigitValue(a) * 16 + hex::DigitValue(b));
      p += 2;
    }
    // A pair below "0" (a blank, the end of the line) leaves the byte 0 and
    // the position where it is.
  }
  rb.length = std::min(count, kResponseSize);
  return true;
}

// ---- the driver --------------------------------------------------------------

void KestaDriver::start() {
  RequestState& st = svc_.state();
  discarding_ = false;
  lastLine_.clear();
  svc_.port().setDtr(true);
  const std::string startLine = KestaStartLine(st.canSession, st.ecuAddress, st.canId);
  st.nextRequest = "81";
  st.nextCommand = kNoRequest;
  svc_.writeAfter(kDtrPause, KestaFrame(startLine), [this] { svc_.setTimer2(true); });
}

void KestaDriver::receive(size_t count) {
  RequestState& st = svc_.state();
  st.response.clear();
  st.responseAccepted = false;
  std::array<uint8_t, kRxBufferSize> readBuffer{};
  // A larger count is read in parts: the port notifies again for the rest.
  const size_t want = std::min(count, readBuffer.size());
  const size_t n = std::min(svc_.port().readBytes(readBuffer.data(), want), want);
  if (n == 0) return;
  std::string line;
  const KestaCutResult cut =
      KestaCutLine({own_.rxBuffer, own_.rxPos, lineOpen_, discarding_}, readBuffer.data(), n, line);
  if (cut == KestaCutResult::IncompleteFirst) svc_.pause(kLinePause);
  if (cut != KestaCutResult::Line) return;

  svc_.lineReceived();
  svc_.setTimer3(false);
  svc_.setTimer2(false);
  std::string pendingText;
  if (line.size() >= 2 && line[0] == 'P' && line[1] == 'S') {
    if (!st.canSession) {
      pendingText = "DD:01:81";  // StartCommunication
    } else {
      st.nextCommand = svc_.firstRequestAt(FirstRequestPoint::KestaCanSetUp);
    }
  } else if (line.size() >= 2 && line[0] == 'P' && line[1] == 'D') {
    std::string bad;
    if (KestaParsePd(line, st.response, bad)) {
      st.responseAccepted = true;
      if (!svc_.acceptResponse()) return;
    } else {
      // Not accepted: the request goes out again instead of the session
      // stalling; the conversion error is shown once per session.
      st.response.clear();
      svc_.showErrorOnce("'" + bad + "' is not a valid integer value");
    }
  }
  sendNextRequest(pendingText);
}

void KestaDriver::sendNextRequest(const std::string& pendingText) {
  RequestState& st = svc_.state();
  if (st.nextCommand != kNoRequest) svc_.takePendingRequest();
  st.nextRequest = st.nextCommand == kNoRequest ? pendingText : KestaRequestText(st.nextCommand);
  lastLine_ = st.nextRequest;
  svc_.writeAfter(RequestPauseFor(st, !st.canSession), KestaFrame(st.nextRequest), [this] {
    RequestState& s = svc_.state();
    lineOpen_ = false;
    s.rememberedFaultCount = 0;
    svc_.setTimer3(true);
  });
}

void KestaDriver::startRetry() {
  RequestState& st = svc_.state();
  st.nextCommand = kNoRequest;
  svc_.writeAfter(0, KestaFrame(st.nextRequest));
}

void KestaDriver::requestRetry() {
  RequestState& st = svc_.state();
  // With NextCommand 0 (right after "DD:01:81") the last line goes out again,
  // so StartCommunication really is retried.
  st.nextRequest = st.nextCommand == kNoRequest ? lastLine_ : KestaRequestText(st.nextCommand);
  svc_.writeAfter(kSendPause, KestaFrame(st.nextRequest), [this] {
    RequestState& s = svc_.state();
    lineOpen_ = false;
    s.rememberedFaultCount = 0;
    svc_.setTimer3(false);
  });
}

}  // namespace kalvex

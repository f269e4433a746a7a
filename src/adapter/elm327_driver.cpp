#include "adapter/elm327_driver.h"

#include <algorithm>
#include <cmath>

#include "catalogue/catalogue.h"
#include "link/serial_link.h"
#include "protocol/request_catalogue.h"
#include "protocol/text.h"

namespace kalvex {

namespace {

constexpr uint8_t kPrompt = '>';
constexpr Millis kSendPause = 200;
constexpr Millis kLinePause = 20;
constexpr Millis kOpenPause = 300;

std::vector<uint8_t> WithCr(const std::string& text) {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0x0D);
  return bytes;
}

}  // namespace

size_t ElmReadCapacity(size_t rxPos) {
  // At 800 held bytes everything is dropped anyway, so a full read is safe.
  if (rxPos >= kElmOverflowLimit || rxPos >= kRxBufferSize) return kRxBufferSize;
  return kRxBufferSize - rxPos;
}

ElmCut ElmCutLines(std::array<uint8_t, kRxBufferSize>& rx, size_t& rxPos, const uint8_t* in,
                   size_t n) {
  ElmCut cut;
  if (rxPos >= kElmOverflowLimit) {
    rxPos = 0;
    cut.dropped = true;
    return cut;
  }
  const size_t take = std::min(n, kRxBufferSize - rxPos);
  std::copy(in, in + take, rx.begin() + static_cast<std::ptrdiff_t>(rxPos));
  rxPos += take;
  for (;;) {
    auto held = rx.begin();
    auto end = held + static_cast<std::ptrdiff_t>(rxPos);
    auto prompt = std::find(held, end, kPrompt);
    if (prompt == end) break;
    // CR and LF go from everything held, the tail included.
    end = std::remove_if(held, end, [](uint8_t b) { return b == 0x0D || b == 0x0A; });
    rxPos = static_cast<size_t>(end - held);
    prompt = std::find(held, end, kPrompt);
    std::string line;
    for (auto it = held; it <= prompt; ++it)
      if (*it != ' ' && *it != 0) line.push_back(static_cast<char>(*it));
    const size_t used = static_cast<size_t>(prompt - held) + 1;
    std::copy(held + static_cast<std::ptrdiff_t>(used), end, held);
    rxPos -= used;
    cut.lines.push_back(std::move(line));
  }
  return cut;
}

ElmParse ElmParseReply(std::string_view line, std::string& lastSentRequest, bool multiFrame,
                       ResponseBytes& rb) {
  ElmParse out;
  std::string f;
  for (char c : line)
    if (hex::IsStrictDigit(c) || c == '>' || c == ':') f.push_back(c);
  if (!f.empty() && f[0] >= '1' && f[0] <= '4') {
    // The echo of our own request (services 0x10 to 0x4F).
    lastSentRequest.erase(std::remove(lastSentRequest.begin(), lastSentRequest.end(), ' '),
                          lastSentRequest.end());
    const size_t echo = lastSentRequest.size();
    // A line no longer than the echo holds nothing else: prompt only.
    f.erase(0, std::min(echo, f.size()));
  }
  if (f.empty() || f[0] == '>') {
    out.result = ElmReply::RetryLater;
    return out;
  }
  // The prompt is the last character; the rest is the extracted reply.
  out.extracted = f.back() == '>' ? f.substr(0, f.size() - 1) : f;
  out.logExtracted = true;
  const std::string& x = out.extracted;
  if (x.empty()) {
    out.result = ElmReply::RetryLater;
    return out;
  }
  const char first = x[0];
  if (first > 'A' || first < '0') {
    // NO DATA, STOPPED, SEARCHING, BUS INIT, CAN ERROR ... (their hex letters)
    out.result = ElmReply::RetryLater;
    return out;
  }
  auto pairAt = [&x](size_t p, uint8_t& v) {
    if (p + 1 >= x.size() || !hex::IsStrictDigit(x[p]) || !hex::IsStrictDigit(x[p + 1]))
      return false;
    v = static_cast<uint8_t>(hex::DigitValue(x[p]) * 16 + hex::DigitValue(x[p + 1]));
    return true;
  };
  if (multiFrame && first == '0') {
    // "0TT" byte count, then frames "n:" with 6 (frame 0) or 7 byte pairs.
    uint8_t total = 0;
    if (!pairAt(1, total)) {
      out.result = ElmReply::RetryLater;
      return out;
    }
    size_t p = 5, g = 0, inFrame = 0, frameSize = 6;
    while (g < total && g < kResponseSize && p + 1 < x.size()) {
      uint8_t v = 0;
      if (pairAt(p, v)) rb.b[g] = v;
      p += 2;
      ++g;
      if (++inFrame == frameSize) {
        p += 2;  // the next frame's index digit and colon
        inFrame = 0;
        frameSize = 7;
      }
    }
    rb.length = g;
    out.result = ElmReply::Accepted;
    return out;
  }
  if (first >= '5' && first <= '9') {
    // Round(L / 2) + 1 passes, L being the index of the last reply character.
    const long passes = std::lrint(static_cast<double>(x.size() - 1) / 2.0) + 1;
    size_t p = 0, stored = 0;
    for (long i = 0; i < passes && static_cast<size_t>(i) < kResponseSize; ++i) {
      uint8_t v = 0;
      if (pairAt(p, v)) {
        rb.b[static_cast<size_t>(i)] = v;
        stored = static_cast<size_t>(i) + 1;
        p += 2;
      }
    }
    rb.length = stored;
    out.result = ElmReply::Accepted;
    return out;
  }
  out.result = ElmReply::Resend;
  return out;
}

// ---- the driver --------------------------------------------------------------

void Elm327Driver::start() {
  RequestState& st = svc_.state();
  setLinkState(kElmReset);
  st.nextRequest = "81";
  st.nextCommand = kNoRequest;
  // Timer2 counts from the moment "AT Z" is written.
  svc_.writeAfter(kOpenPause, WithCr("AT Z"), [this] { svc_.setTimer2(true); });
}

void Elm327Driver::receive(size_t count) {
  RequestState& st = svc_.state();
  st.response.clear();
  st.responseAccepted = false;
  std::array<uint8_t, kRxBufferSize> readBuffer{};
  const size_t want = std::min(count, ElmReadCapacity(own_.rxPos));
  const size_t n = svc_.port().readBytes(readBuffer.data(), want);
  if (n == 0) return;
  ElmCut cut = ElmCutLines(own_.rxBuffer, own_.rxPos, readBuffer.data(), std::min(n, want));
  if (cut.dropped) return;
  if (cut.lines.empty()) {
    svc_.pause(kLinePause);
    return;
  }
  // A late reply and the reply to its retry in one event: all are logged,
  // only the newest is handled, so the session does not stay one behind.
  for (const std::string& line : cut.lines) svc_.logLine(LogMarker::Adapter, line);
  svc_.lineReceived();
  svc_.setTimer3(false);
  svc_.setTimer2(false);
  handleLine(cut.lines.back());
}

void Elm327Driver::handleLine(const std::string& line) {
  RequestState& st = svc_.state();
  if (line.size() >= 2 && line[0] == 'A' && line[1] == 'T') {
    // The echo of an AT command: one set-up step, whatever the answer.
    switch (linkState()) {
      case kElmCanHeader:
        setLinkState(kElmRequests);
        st.nextCommand = svc_.firstRequestAt(FirstRequestPoint::ElmSetUpDone);
        break;
      case kElmKLineHeader:
        setLinkState(kElmCanHeader);
        break;
      case kElmBaudRate:
        setLinkState(kElmKLineHeader);
        break;
      case kElmProtocol:
        setLinkState(kElmBaudRate);
        break;
      case kElmHeadersOff:
        setLinkState(kElmProtocol);
        break;
      case kElmEchoOn:
        setLinkState(kElmHeadersOff);
        break;
      case kElmReset:
        setLinkState(kElmEchoOn);
        break;
      case kElmRequests:
        break;
    }
  } else if (linkState() == kElmRequests && !line.empty() && line[0] != 'A') {
    const bool multiFrame = st.canSession || ElmUsesCan(svc_.makeIndex(), svc_.ecuTypeIndex());
    ElmParse parse = ElmParseReply(line, lastSentRequest_, multiFrame, st.response);
    if (parse.logExtracted) svc_.logLine(LogMarker::Extracted, parse.extracted);
    switch (parse.result) {
      case ElmReply::RetryLater:
        svc_.setTimer3(true);
        return;
      case ElmReply::Accepted:
        st.responseAccepted = true;
        if (!svc_.acceptResponse()) return;
        break;
      case ElmReply::Resend:
        break;
    }
  }
  sendNextRequest();
}

std::string Elm327Driver::chooseText() {
  RequestState& st = svc_.state();
  const int make = svc_.makeIndex();
  const int ecu = svc_.ecuTypeIndex();
  if (linkState() == kElmRequests) {
    svc_.takePendingRequest();
    st.nextRequest = ElmRequestText(st.nextCommand);
    lastSentRequest_ = st.nextRequest;
    return st.nextRequest;
  }
  const LinkParams params = LinkParamsOf(make, ecu);
  const bool can = ElmUsesCan(make, ecu);
  if (linkState() == kElmProtocol) return can ? "AT SP6" : "AT SP5";
  if (linkState() == kElmEchoOn) return "AT E1";
  if (linkState() == kElmHeadersOff) return "AT H0";
  if (linkState() == kElmBaudRate) {
    if (!can) return "AT IB10";
    setLinkState(kElmCanHeader);  // CAN types have no baud rate and no K-line header
  }
  if (linkState() == kElmKLineHeader) return params.elmKLineHeader;
  if (linkState() == kElmCanHeader)
    return params.elmCanHeader.empty() ? "AT SW00" : params.elmCanHeader;
  return {};
}

void Elm327Driver::sendNextRequest() {
  std::vector<uint8_t> bytes = WithCr(chooseText());
  // Only data requests take the chosen pace; the AT set-up keeps its pause.
  const Millis pause =
      linkState() == kElmRequests
          ? RequestPauseFor(svc_.state(), !ElmUsesCan(svc_.makeIndex(), svc_.ecuTypeIndex()))
          : kSendPause;
  svc_.writeAfter(pause, std::move(bytes), [this] {
    svc_.state().rememberedFaultCount = 0;
    svc_.setTimer3(true);
  });
}

void Elm327Driver::startRetry() {
  RequestState& st = svc_.state();
  svc_.writeAfter(0, WithCr("AT Z"));
  setLinkState(kElmReset);
  st.nextRequest = "81";
  st.nextCommand = kNoRequest;
}

void Elm327Driver::requestRetry() {
  svc_.writeAfter(kSendPause, WithCr(chooseText()), [this] {
    svc_.state().rememberedFaultCount = 0;
    svc_.setTimer3(false);
  });
}

}  // namespace kalvex

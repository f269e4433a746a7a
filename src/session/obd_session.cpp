#include "session/obd_session.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <set>

#include "link/serial_link.h"
#include "obd/negative_reply.h"
#include "obd/pid_table.h"
#include "obd/trouble_code_reply.h"
#include "obd/trouble_codes.h"
#include "obd/vehicle_info.h"
#include "session/log_file.h"
#include "session/session_view.h"

namespace kalvex {

namespace {

constexpr Micros kMicrosPerMs = 1000;
constexpr size_t kReadChunk = 1024;
constexpr size_t kMaxFreezeFramePids = 16;

// Failure texts the front ends translate.
constexpr const char* kNoCarText =
    QT_TRANSLATE_NOOP("kalvex", "Автомобиль не отвечает: адаптер не смог установить связь (%1)");
constexpr const char* kNoProtocolText =
    QT_TRANSLATE_NOOP("kalvex", "Адаптер не назвал протокол связи с автомобилем");

uint8_t Reply(uint8_t service) { return static_cast<uint8_t>(service | obd::kPositiveReply); }

const char* StatusName(ElmLineKind k) {
  switch (k) {
    case ElmLineKind::UnableToConnect:
      return "UNABLE TO CONNECT";
    case ElmLineKind::BusInitError:
      return "BUS INIT: ...ERROR";
    case ElmLineKind::NoData:
      return "NO DATA";
    case ElmLineKind::CanError:
      return "CAN ERROR";
    case ElmLineKind::BusError:
      return "BUS ERROR";
    case ElmLineKind::BusBusy:
      return "BUS BUSY";
    case ElmLineKind::Stopped:
      return "STOPPED";
    default:
      return "-";
  }
}

}  // namespace

// ---- results ------------------------------------------------------------------

const ObdEcu* ObdResults::ecu(uint32_t id) const {
  for (const ObdEcu& e : ecus)
    if (e.id == id) return &e;
  return nullptr;
}

bool ObdResults::mil() const {
  return std::any_of(ecus.begin(), ecus.end(),
                     [](const ObdEcu& e) { return e.status && e.status->mil; });
}

int ObdResults::storedCount() const {
  int n = 0;
  for (const ObdEcu& e : ecus)
    if (e.status) n += e.status->storedCount;
  return n;
}

std::string ObdEcuText(uint32_t ecu) {
  char text[16];
  std::snprintf(text, sizeof text, ecu <= 0xFF ? "%02X" : ecu <= 0x7FF ? "%03X" : "%08X", ecu);
  return text;
}

// ---- the session ----------------------------------------------------------------

ObdSession::ObdSession(SerialLink& port, const Clock& clock, LogFile& log)
    : port_(port), clock_(clock), log_(log) {}

ObdSession::~ObdSession() = default;

void ObdSession::setPhase(ObdPhase p) {
  if (phase_ == p) return;
  phase_ = p;
  if (onPhase) onPhase(p);
}

void ObdSession::fail(ObdFailure why, const std::string& text) {
  failure_ = why;
  failureText_ = text;
  logLine("--- " + text);
  toWrite_.reset();
  current_.reset();
  answerDue_.reset();
  pendingDue_.reset();
  port_.closeDevice();
  setPhase(ObdPhase::Failed);
}

void ObdSession::start(const std::string& portPath, const ObdOptions& options) {
  stop();
  options_ = options;
  options_.pause = std::clamp(options_.pause, kMinRequestPause, kMaxRequestPause);
  results_ = ObdResults{};
  results_.protocol = options_.protocol;
  failure_ = ObdFailure::None;
  failureText_.clear();
  cutter_.clear();
  queue_.clear();
  current_.reset();
  toWrite_.reset();
  answerDue_.reset();
  pendingDue_.reset();
  silentRequests_ = 0;
  cleared_ = false;
  firstBitmapAsked_ = false;
  multiPid_ = !options_.singlePid;
  pollPids_.clear();
  columns_.clear();
  misses_.clear();
  pollAt_ = 0;
  roundsDone_ = 0;
  roundAnswered_.clear();
  everAnswered_ = false;
  requestsWritten_ = 0;
  valuesRead_ = 0;
  framing_ = ObdProtocolOf(options_.protocol).framing;
  setup_ = ObdSetupCommands(options_.protocol);
  setupStep_ = 0;
  logBroken_ = false;
  if (logEnabled_ && log_.create() != 0) logBroken_ = true;
  const uint64_t attempt = ++openAttempt_;
  if (!options_.openInBackground) {
    try {
      port_.openDevice(portPath);
    } catch (const EVaCommError& e) {
      failure_ = ObdFailure::Port;
      failureText_ = e.what();
      setPhase(ObdPhase::Failed);
      return;
    }
    openFinished(attempt, {});
    return;
  }
  // Set before the call: an open that ends at once finds it.
  openDue_ = clock_.nowMicros() + Micros{kOpenLimitMs} * kMicrosPerMs;
  port_.beginOpen(portPath,
                  [this, attempt](const std::string& error) { openFinished(attempt, error); });
  // Still connecting: the session runs, so the button stops the wait.
  if (openDue_ && openAttempt_ == attempt) setPhase(ObdPhase::SettingUp);
}

void ObdSession::openFinished(uint64_t attempt, const std::string& error) {
  if (attempt != openAttempt_) return;  // given up meanwhile
  const bool waited = phase_ == ObdPhase::SettingUp;
  openDue_.reset();
  if (!error.empty()) {
    if (waited) {
      fail(ObdFailure::Port, error);
    } else {
      failure_ = ObdFailure::Port;
      failureText_ = error;
      setPhase(ObdPhase::Failed);
    }
  } else {
    if (waited && onPhase) onPhase(phase_);  // connected: the set-up itself begins now
    setPhase(ObdPhase::SettingUp);
    send(Request{Purpose::Setup, {}, setup_[0]}, kObdOpenPause);
  }
  if (waited && onOpenFinished) onOpenFinished();
}

void ObdSession::stop() {
  if (openDue_) {
    openDue_.reset();
    ++openAttempt_;
    port_.cancelOpen();
  }
  toWrite_.reset();
  current_.reset();
  answerDue_.reset();
  pendingDue_.reset();
  if (port_.isOpen()) port_.closeDevice();
  if (running()) setPhase(ObdPhase::Idle);
}

void ObdSession::onPortError(const std::string& message) {
  if (!running()) return;
  fail(ObdFailure::Port, message);
}

void ObdSession::logLine(const std::string& text) {
  if (!logEnabled_ || logBroken_ || text.empty()) return;
  if (log_.appendLine(LogMarker::Adapter, text) != 0) logBroken_ = true;
}

bool ObdSession::isCan() const {
  return framing_ == ObdFraming::Can11 || framing_ == ObdFraming::Can29;
}

Millis ObdSession::pauseFor() const {
  const bool kLine = framing_ == ObdFraming::KLine || framing_ == ObdFraming::J1850;
  return kLine ? std::max(options_.pause, kKLineMinRequestPause) : options_.pause;
}

// ---- writing -----------------------------------------------------------------

void ObdSession::send(Request r, Millis pause) {
  toWrite_ = std::move(r);
  writeDue_ = clock_.nowMicros() + pause * kMicrosPerMs;
}

void ObdSession::writeNow() {
  Request r = std::move(*toWrite_);
  toWrite_.reset();
  std::vector<uint8_t> bytes(r.text.begin(), r.text.end());
  bytes.push_back('\r');
  assembler_ = ObdReplyAssembler(framing_);
  assembler_.setRequest(r.text);
  setupLines_.clear();
  collected_ = ObdReply{};
  pendingDue_.reset();
  const Millis timeout = r.purpose == Purpose::Setup     ? kObdSetupTimeout
                         : r.purpose == Purpose::Connect ? kObdSearchTimeout
                                                         : kObdRequestTimeout;
  current_ = std::move(r);
  answerDue_ = clock_.nowMicros() + timeout * kMicrosPerMs;
  ++requestsWritten_;
  if (logEnabled_ && !logBroken_ && log_.appendLine(kObdRequestMarker, current_->text) != 0)
    logBroken_ = true;
  if (port_.writeBytes(bytes.data(), bytes.size()) != bytes.size())
    fail(ObdFailure::Port, QT_TRANSLATE_NOOP("kalvex", "Не удалось записать в порт"));
}

std::optional<Micros> ObdSession::nextDeadlineMicros() const {
  if (!running()) return std::nullopt;
  if (openDue_) return openDue_;
  if (toWrite_) return writeDue_;
  std::optional<Micros> d = answerDue_;
  if (pendingDue_) d = d ? std::min(*d, *pendingDue_) : *pendingDue_;
  return d;
}

void ObdSession::onTimer() {
  if (!running()) return;
  const Micros now = clock_.nowMicros();
  if (openDue_) {
    if (now < *openDue_) return;
    // The link's own thread has not answered in time (a name lookup that
    // hangs): given up here, failed as a connect would.
    openDue_.reset();
    ++openAttempt_;
    fail(ObdFailure::Port, port_.expireOpen());
    return;
  }
  if (toWrite_) {
    if (now >= writeDue_) writeNow();
    return;
  }
  if (answerDue_ && now >= *answerDue_) {
    answerDue_.reset();
    finishReply(true);
    return;
  }
  if (pendingDue_ && now >= *pendingDue_) {
    pendingDue_.reset();
    finishReply(false, true);
  }
}

// ---- reading -----------------------------------------------------------------

void ObdSession::onRx(size_t count) {
  std::array<uint8_t, kReadChunk> buffer{};
  std::vector<ObdLine> lines;
  while (count > 0 && running()) {
    const size_t n = port_.readBytes(buffer.data(), std::min(count, buffer.size()));
    if (n == 0) break;
    count -= std::min(count, n);
    lines.clear();
    cutter_.feed(buffer.data(), n, lines);
    for (const ObdLine& line : lines) {
      if (!running()) return;
      logLine(line.text);
      handleLine(line);
    }
  }
}

void ObdSession::handleLine(const ObdLine& line) {
  if (!current_ || toWrite_) return;  // a stray line between requests
  const Purpose p = current_->purpose;
  if (p == Purpose::Setup || p == Purpose::DescribeProtocol || p == Purpose::Voltage) {
    if (setupLines_.size() < 16) setupLines_.push_back(line);
    if (line.prompt) finishReply(false);
    return;
  }
  assembler_.addLine(line);
  if (pendingDue_) {
    // A late answer after "response pending": taken as soon as it is whole.
    finishReply(false);
    return;
  }
  if (line.prompt) finishReply(false);
}

void ObdSession::finishReply(bool timedOut, bool giveUpWaiting) {
  if (!current_) return;
  const Purpose p = current_->purpose;
  if (p == Purpose::Setup || p == Purpose::DescribeProtocol || p == Purpose::Voltage) {
    const Request r = std::move(*current_);
    current_.reset();
    answerDue_.reset();
    if (timedOut && setupLines_.empty()) {
      fail(ObdFailure::NoAdapter, kStatusNoAdapter);
      return;
    }
    ObdReply none;
    handleReply(r, none);
    return;
  }
  const bool waiting = pendingDue_.has_value() || giveUpWaiting;
  // Frames still expected are kept while a pending ECU may yet answer.
  ObdReply part = assembler_.take(!waiting || timedOut);
  // While waiting, each line hands over what it completed: the whole answer
  // is held to the assembler's own bounds, whatever an ECU floods.
  for (obd::Message& m : part.messages) {
    std::erase(collected_.pending, m.ecu);
    if (collected_.messages.size() < ObdReplyAssembler::kMaxMessages)
      collected_.messages.push_back(std::move(m));
    else
      ++collected_.badLines;
  }
  for (uint32_t e : part.pending) {
    const bool answered = std::any_of(collected_.messages.begin(), collected_.messages.end(),
                                      [e](const obd::Message& m) { return m.ecu == e; });
    if (answered || std::find(collected_.pending.begin(), collected_.pending.end(), e) !=
                        collected_.pending.end())
      continue;
    if (collected_.pending.size() < ObdReplyAssembler::kMaxEcus)
      collected_.pending.push_back(e);
    else
      ++collected_.badLines;
  }
  if (part.status != ElmLineKind::Empty && part.status != ElmLineKind::Data)
    collected_.status = part.status;
  collected_.searching = collected_.searching || part.searching;
  collected_.badLines += part.badLines;

  const bool giveUp = timedOut || giveUpWaiting;
  if (!collected_.pending.empty() && !giveUp) {
    // "Response pending": the ECU answers later; the request is not sent
    // again, and the wait is bounded from the first such answer.
    if (!waiting) pendingDue_ = clock_.nowMicros() + kObdPendingLimit * kMicrosPerMs;
    answerDue_.reset();
    return;
  }

  const Request r = std::move(*current_);
  current_.reset();
  answerDue_.reset();
  pendingDue_.reset();
  ObdReply reply = std::move(collected_);
  collected_ = ObdReply{};
  if (reply.status == ElmLineKind::Empty && !reply.messages.empty())
    reply.status = ElmLineKind::Data;
  const bool silent = timedOut && reply.messages.empty() && reply.status == ElmLineKind::Empty &&
                      reply.badLines == 0;
  silentRequests_ = silent ? silentRequests_ + 1 : 0;
  if (silentRequests_ >= kObdSilentRequestsLimit) {
    fail(ObdFailure::AdapterLost, kStatusNoAdapter);
    return;
  }
  handleReply(r, reply);
}

std::vector<obd::Message> ObdSession::positive(const ObdReply& reply, uint8_t service) const {
  std::vector<obd::Message> out;
  for (const obd::Message& m : reply.messages)
    if (!m.data.empty() && m.data[0] == Reply(service)) out.push_back(m);
  return out;
}

ObdEcu* ObdSession::ecuEntry(uint32_t id) {
  for (ObdEcu& e : results_.ecus)
    if (e.id == id) return &e;
  if (results_.ecus.size() >= kObdMaxEcus) return nullptr;
  results_.ecus.push_back(ObdEcu{});
  results_.ecus.back().id = id;
  return &results_.ecus.back();
}

void ObdSession::handleReply(const Request& r, const ObdReply& reply) {
  switch (r.purpose) {
    // The set-up, the search and the discovery send their next step themselves.
    case Purpose::Setup:
      return stepSetup();
    case Purpose::Connect:
      return stepConnect(reply);
    case Purpose::DescribeProtocol:
      return stepDescribeProtocol();
    case Purpose::Voltage:
      return stepVoltage();
    case Purpose::Bitmap:
      return stepBitmap(reply);
    case Purpose::Poll:
      return handlePoll(r, reply);
    // What is read goes into the results; the queue says what comes next.
    case Purpose::MonitorStatus:
      readMonitorStatus(reply);
      break;
    case Purpose::StoredCodes:
    case Purpose::PendingCodes:
    case Purpose::PermanentCodes:
      handleCodes(r, reply);
      break;
    case Purpose::FreezeFrameCode:
      readFreezeFrameCode(reply);
      break;
    case Purpose::FreezeFrameBitmap:
      readFreezeFrameBitmap(reply);
      break;
    case Purpose::FreezeFramePid:
      readFreezeFramePid(reply);
      break;
    case Purpose::Vin:
    case Purpose::CalibrationIds:
    case Purpose::EcuNames:
      readVehicleInfo(r, reply);
      break;
    case Purpose::Clear:
      readClearReply(reply);
      break;
  }
  sendNext();
}

void ObdSession::stepSetup() {
  if (++setupStep_ < setup_.size()) {
    send(Request{Purpose::Setup, {}, setup_[setupStep_]}, 0);
    return;
  }
  setPhase(ObdPhase::Connecting);
  const uint8_t first[] = {obd::kCurrentData, 0x00};
  send(Request{Purpose::Connect, {first, first + 2}, ObdRequestText(first)}, 0);
}

void ObdSession::stepConnect(const ObdReply& reply) {
  const bool answered =
      !reply.messages.empty() || reply.badLines > 0 || reply.status == ElmLineKind::Data;
  if (!answered) {
    const ElmLineKind k = reply.status == ElmLineKind::Empty ? ElmLineKind::NoData : reply.status;
    fail(ObdFailure::NoCar, FormatText(TranslateText(kNoCarText), {StatusName(k)}));
    return;
  }
  // With the protocol chosen the answer is readable already.
  if (!reply.messages.empty()) {
    handleBitmaps(reply);
    for (ObdEcu& e : results_.ecus) e.bitmapsAsked |= 1;
    firstBitmapAsked_ = true;
  }
  setPhase(ObdPhase::Identifying);
  send(Request{Purpose::DescribeProtocol, {}, "AT DPN"}, 0);
}

void ObdSession::stepDescribeProtocol() {
  std::optional<ObdProtocol> found;
  for (const ObdLine& l : setupLines_) {
    if (l.overlong) continue;
    if ((found = ParseDescribeProtocolNumber(l.text))) {
      results_.protocolChosenByAdapter = !l.text.empty() && l.text[0] == 'A';
      break;
    }
  }
  if (found) {
    results_.protocol = *found;
    framing_ = ObdProtocolOf(*found).framing;
  }
  if (framing_ == ObdFraming::Unknown) {
    fail(ObdFailure::NoAdapter, kNoProtocolText);
    return;
  }
  send(Request{Purpose::Voltage, {}, "AT RV"}, 0);
}

void ObdSession::stepVoltage() {
  for (const ObdLine& l : setupLines_)
    if (const auto v = ParseAdapterVoltage(l.text)) results_.voltage = v;
  if (onIdentity) onIdentity();
  setPhase(ObdPhase::Discovering);
  if (auto next = nextBitmapRequest()) {
    send(std::move(*next), pauseFor());
    return;
  }
  queueReading();
  sendNext();
}

void ObdSession::stepBitmap(const ObdReply& reply) {
  handleBitmaps(reply);
  if (auto next = nextBitmapRequest()) {
    send(std::move(*next), pauseFor());
    return;
  }
  if (onIdentity) onIdentity();
  queueReading();
  sendNext();
}

void ObdSession::readMonitorStatus(const ObdReply& reply) {
  for (const obd::Message& m : positive(reply, obd::kCurrentData)) {
    if (m.data.size() < 2 || m.data[1] != 0x01) continue;
    const auto status = obd::DecodeMonitorStatus(std::span<const uint8_t>(m.data).subspan(2));
    if (ObdEcu* e = status ? ecuEntry(m.ecu) : nullptr) e->status = status;
  }
}

void ObdSession::readFreezeFrameCode(const ObdReply& reply) {
  // As with the codes: an ECU that answered (a frame, "none" or a refusal)
  // replaces its frame; one that said nothing keeps the frame it gave.
  std::set<uint32_t> answered;
  for (const obd::Message& m : reply.messages) answered.insert(m.ecu);
  std::erase_if(results_.freezeFrames,
                [&](const ObdFreezeFrame& f) { return answered.count(f.ecu) > 0; });
  std::set<uint32_t> withFrame;
  for (const obd::Message& m : positive(reply, obd::kFreezeFrame)) {
    for (const obd::PidReply& pr : obd::SplitFreezeFrame(m.data).pids) {
      if (pr.pid != 0x02 || pr.bytes.size() < 2) continue;
      if (pr.bytes[0] == 0 && pr.bytes[1] == 0) continue;  // no frame stored
      const std::string code = obd::DtcText(pr.bytes[0], pr.bytes[1]);
      std::erase_if(results_.freezeFrames, [&](const ObdFreezeFrame& f) { return f.ecu == m.ecu; });
      results_.freezeFrames.push_back(ObdFreezeFrame{m.ecu, code, {}});
      withFrame.insert(m.ecu);
    }
  }
  if (!withFrame.empty()) {
    const uint8_t ask[] = {obd::kFreezeFrame, 0x00, 0x00};
    queue_.push_front(Request{Purpose::FreezeFrameBitmap, {ask, ask + 3}, ObdRequestText(ask)});
  }
}

void ObdSession::readFreezeFrameBitmap(const ObdReply& reply) {
  std::set<uint8_t> pids;
  for (const obd::Message& m : positive(reply, obd::kFreezeFrame)) {
    for (const obd::PidReply& pr : obd::SplitFreezeFrame(m.data).pids) {
      if (pr.pid != 0x00 || pr.bytes.size() < 4) continue;
      obd::SupportedPids s;
      s.addBitmap(0x00, pr.bytes);
      for (uint8_t pid : s.list()) {
        const obd::Pid* row = obd::FindPid(pid);
        if (pid != 0x02 && row && row->kind != obd::PidKind::Bitmap) pids.insert(pid);
      }
    }
  }
  // Asked in PID order after the bitmap, ahead of what else waits.
  std::vector<Request> asks;
  for (uint8_t pid : pids) {
    if (asks.size() >= kMaxFreezeFramePids) break;
    const uint8_t ask[] = {obd::kFreezeFrame, pid, 0x00};
    asks.push_back(Request{Purpose::FreezeFramePid, {ask, ask + 3}, ObdRequestText(ask)});
  }
  queue_.insert(queue_.begin(), asks.begin(), asks.end());
}

void ObdSession::readFreezeFramePid(const ObdReply& reply) {
  for (const obd::Message& m : positive(reply, obd::kFreezeFrame)) {
    for (obd::PidReply& pr : obd::SplitFreezeFrame(m.data).pids) {
      for (ObdFreezeFrame& f : results_.freezeFrames) {
        if (f.ecu != m.ecu || pr.frame != 0) continue;
        // A kept frame read again takes the new answer in place.
        const auto same = std::find_if(f.pids.begin(), f.pids.end(),
                                       [&](const obd::PidReply& p) { return p.pid == pr.pid; });
        if (same != f.pids.end()) {
          *same = pr;
        } else {
          f.pids.push_back(pr);
        }
      }
    }
  }
}

void ObdSession::readVehicleInfo(const Request& r, const ObdReply& reply) {
  const uint8_t infoType = r.bytes.size() > 1 ? r.bytes[1] : 0;
  std::map<uint32_t, std::vector<obd::Message>> byEcu;
  for (const obd::Message& m : positive(reply, obd::kVehicleInfo))
    if (m.data.size() >= 2 && m.data[1] == infoType) byEcu[m.ecu].push_back(m);
  for (const auto& [ecu, messages] : byEcu) {
    ObdEcu* e = ecuEntry(ecu);
    if (!e) continue;
    if (r.purpose == Purpose::Vin) e->vin = obd::ParseVin(messages);
    if (r.purpose == Purpose::CalibrationIds)
      e->calibrationIds = obd::ParseCalibrationIds(messages);
    if (r.purpose == Purpose::EcuNames) e->name = obd::ParseEcuName(messages);
  }
  if (onIdentity) onIdentity();
}

void ObdSession::readClearReply(const ObdReply& reply) {
  if (const std::vector<obd::Message> done = positive(reply, obd::kClearCodes); !done.empty()) {
    results_.clear = ObdClear::Done;
    // What a clear erases is gone from the ECUs that confirmed it, even if
    // the read that follows does not reach them. Permanent codes stay: only
    // the ECU itself drops them, after drives without the fault.
    std::set<uint32_t> cleared;
    for (const obd::Message& m : done) cleared.insert(m.ecu);
    std::erase_if(results_.codes, [&](const ObdCode& c) {
      return c.kind != ObdCodeKind::Permanent && cleared.count(c.ecu) > 0;
    });
    std::erase_if(results_.freezeFrames,
                  [&](const ObdFreezeFrame& f) { return cleared.count(f.ecu) > 0; });
  } else {
    results_.clear = ObdClear::NoAnswer;
    for (const obd::Message& m : reply.messages) {
      if (const auto neg = obd::ReadNegativeReply(m.data);
          neg && neg->service == obd::kClearCodes) {
        results_.clear = ObdClear::Refused;
        results_.clearRefusal = neg->code;
      }
    }
  }
  queueRereadAfterClear();
}

void ObdSession::handleBitmaps(const ObdReply& reply) {
  for (const obd::Message& m : positive(reply, obd::kCurrentData)) {
    if (m.data.size() < 6) continue;
    const uint8_t b = m.data[1];
    if (b % 0x20 != 0 || b > kObdLastBitmap) continue;
    if (ObdEcu* e = ecuEntry(m.ecu))
      e->pids.addBitmap(b, std::span<const uint8_t>(m.data).subspan(2, 4));
  }
}

std::optional<ObdSession::Request> ObdSession::nextBitmapRequest() {
  std::optional<uint8_t> lowest;
  // The search's own "01 00" could not be read before the protocol was
  // known: asked again, once.
  if (results_.ecus.empty() && !firstBitmapAsked_) lowest = 0x00;
  firstBitmapAsked_ = true;
  for (const ObdEcu& e : results_.ecus) {
    const auto next = e.pids.nextBitmap();
    if (!next || *next > kObdLastBitmap || (e.bitmapsAsked >> (*next / 0x20)) & 1) continue;
    if (!lowest || *next < *lowest) lowest = next;
  }
  if (!lowest) return std::nullopt;
  // Whoever does not answer it now is not asked for it again.
  for (ObdEcu& e : results_.ecus) e.bitmapsAsked |= static_cast<uint8_t>(1u << (*lowest / 0x20));
  const uint8_t ask[] = {obd::kCurrentData, *lowest};
  return Request{Purpose::Bitmap, {ask, ask + 2}, ObdRequestText(ask)};
}

void ObdSession::handleCodes(const Request& r, const ObdReply& reply) {
  const uint8_t service = r.bytes.empty() ? 0 : r.bytes[0];
  const ObdCodeKind kind = r.purpose == Purpose::StoredCodes    ? ObdCodeKind::Stored
                           : r.purpose == Purpose::PendingCodes ? ObdCodeKind::Pending
                                                                : ObdCodeKind::Permanent;
  // An ECU's answer (even "none", or a refusal) replaces the codes it gave
  // before; an ECU that said nothing (silence, a bus error, NO DATA) keeps
  // them: its codes were not read, they did not go away.
  std::set<uint32_t> answered;
  for (const obd::Message& m : reply.messages) answered.insert(m.ecu);
  std::erase_if(results_.codes,
                [&](const ObdCode& c) { return c.kind == kind && answered.count(c.ecu); });
  for (const obd::Message& m : positive(reply, service)) {
    const obd::TroubleCodes c = obd::ParseTroubleCodes(m.data, isCan());
    for (const std::string& code : c.codes) {
      const bool known = std::any_of(
          results_.codes.begin(), results_.codes.end(),
          [&](const ObdCode& o) { return o.kind == kind && o.ecu == m.ecu && o.code == code; });
      if (!known) results_.codes.push_back(ObdCode{m.ecu, kind, code});
    }
  }
  if (r.purpose == Purpose::PermanentCodes) {
    results_.codesRead = true;
    codesReadAt_ = clock_.now();
    if (onCodes) onCodes();
  }
}

void ObdSession::queueRequest(Purpose p, std::initializer_list<uint8_t> bytes) {
  std::vector<uint8_t> b(bytes);
  queue_.push_back(Request{p, b, ObdRequestText(b)});
}

void ObdSession::queueCodeReads() {
  queueRequest(Purpose::MonitorStatus, {obd::kCurrentData, 0x01});
  queueRequest(Purpose::StoredCodes, {obd::kStoredCodes});
  queueRequest(Purpose::PendingCodes, {obd::kPendingCodes});
  queueRequest(Purpose::PermanentCodes, {obd::kPermanentCodes});
}

void ObdSession::queueReading() {
  setPhase(ObdPhase::Reading);
  if (options_.readInfo) {
    queueRequest(Purpose::Vin, {obd::kVehicleInfo, 0x02});
    queueRequest(Purpose::CalibrationIds, {obd::kVehicleInfo, 0x04});
    queueRequest(Purpose::EcuNames, {obd::kVehicleInfo, 0x0A});
  }
  if (options_.readCodes || options_.clear) queueCodeReads();
  if (options_.readCodes) queueRequest(Purpose::FreezeFrameCode, {obd::kFreezeFrame, 0x02, 0x00});
}

void ObdSession::queueRereadAfterClear() {
  queueCodeReads();
  queueRequest(Purpose::FreezeFrameCode, {obd::kFreezeFrame, 0x02, 0x00});
}

bool ObdSession::requestCodes(bool clear) {
  if (phase_ != ObdPhase::Reading && phase_ != ObdPhase::Polling) return false;
  if (clear) {
    results_.clear = ObdClear::Asked;
    const uint8_t ask[] = {obd::kClearCodes};
    queue_.push_back(Request{Purpose::Clear, {ask, ask + 1}, ObdRequestText(ask)});
  } else {
    queueRereadAfterClear();  // the same read: status, three kinds, freeze frame
  }
  return true;
}

void ObdSession::sendNext() {
  if (!running()) return;
  if (!queue_.empty()) {
    Request r = std::move(queue_.front());
    queue_.pop_front();
    send(std::move(r), pauseFor());
    return;
  }
  if (phase_ == ObdPhase::Reading && options_.clear && !cleared_) {
    cleared_ = true;
    results_.clear = ObdClear::Asked;
    const uint8_t ask[] = {obd::kClearCodes};
    send(Request{Purpose::Clear, {ask, ask + 1}, ObdRequestText(ask)}, pauseFor());
    return;
  }
  if (phase_ == ObdPhase::Reading && options_.poll) planPolling();
  if (phase_ == ObdPhase::Polling && !pollPids_.empty()) {
    send(nextPollRequest(), pauseFor());
    return;
  }
  // Everything asked was read; nothing left to poll.
  toWrite_.reset();
  port_.closeDevice();
  setPhase(ObdPhase::Done);
}

// ---- polling -----------------------------------------------------------------

void ObdSession::planPolling() {
  std::vector<uint8_t> wanted = options_.pids;
  if (wanted.empty()) {
    for (const ObdEcu& e : results_.ecus)
      for (uint8_t pid : e.pids.list()) wanted.push_back(pid);
    std::sort(wanted.begin(), wanted.end());
    wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
    const bool words = options_.wordPids;
    std::erase_if(wanted, [words](uint8_t pid) {
      const obd::Pid* row = obd::FindPid(pid);
      return !row ||
             !(row->kind == obd::PidKind::Number || (words && row->kind == obd::PidKind::Words));
    });
  }
  pollPids_.clear();
  columns_.clear();
  for (uint8_t pid : wanted) {
    // A PID the table does not know has no known length: its answer cannot
    // be read, and in a request of several it would stop the reading of
    // the PIDs after it.
    if (!obd::FindPid(pid)) continue;
    std::vector<uint32_t> ecus;
    for (const ObdEcu& e : results_.ecus)
      if (e.pids.has(pid)) ecus.push_back(e.id);
    if (ecus.empty()) continue;           // asked for, but no ECU supports it
    std::sort(ecus.begin(), ecus.end());  // columns in address order, whoever answered first
    if (std::find(pollPids_.begin(), pollPids_.end(), pid) != pollPids_.end()) continue;
    pollPids_.push_back(pid);
    char hex[8];
    std::snprintf(hex, sizeof hex, "OBD_%02X", pid);
    for (uint32_t ecu : ecus)
      columns_.push_back(ObdColumn{
          pid, ecu, ecus.size() > 1 ? std::string(hex) + "_" + ObdEcuText(ecu) : std::string(hex)});
  }
  pollAt_ = 0;
  setPhase(ObdPhase::Polling);
}

ObdSession::Request ObdSession::nextPollRequest() {
  if (pollAt_ >= pollPids_.size()) pollAt_ = 0;
  const size_t most = multiPid_ && isCan() ? kObdMaxPidsPerRequest : 1;
  std::vector<uint8_t> bytes{obd::kCurrentData};
  for (size_t i = pollAt_; i < pollPids_.size() && bytes.size() <= most; ++i)
    bytes.push_back(pollPids_[i]);
  int expected = 0;
  if (multiPid_ && isCan()) {
    for (const ObdEcu& e : results_.ecus)
      if (std::any_of(bytes.begin() + 1, bytes.end(), [&](uint8_t pid) { return e.pids.has(pid); }))
        ++expected;
  }
  Request r{Purpose::Poll, bytes, ObdRequestText(bytes, expected), expected};
  return r;
}

std::vector<std::pair<uint32_t, uint8_t>> ObdSession::storePollValues(const Request& r,
                                                                      const ObdReply& reply,
                                                                      Millis now,
                                                                      std::set<uint8_t>& answered) {
  std::vector<std::pair<uint32_t, uint8_t>> changed;
  for (const obd::Message& m : positive(reply, obd::kCurrentData)) {
    // Only the ECUs found before polling have columns and rows; answers under
    // any other id would only grow the values without bound.
    if (!results_.ecu(m.ecu)) continue;
    for (const obd::PidReply& pr : obd::SplitCurrentData(m.data).pids) {
      if (std::find(r.bytes.begin() + 1, r.bytes.end(), pr.pid) == r.bytes.end()) continue;
      answered.insert(pr.pid);
      ObdValue& v = results_.values[{m.ecu, pr.pid}];
      const bool first = !v.value;
      v.ecu = m.ecu;
      v.pid = pr.pid;
      v.bytes = pr.bytes;
      v.at = now;
      if (const obd::Pid* row = obd::FindPid(pr.pid))
        if (auto value = obd::PidValue(*row, pr.bytes)) {
          v.min = first ? *value : std::min(v.min, *value);
          v.max = first ? *value : std::max(v.max, *value);
          v.value = value;
        }
      ++valuesRead_;
      changed.emplace_back(m.ecu, pr.pid);
    }
  }
  return changed;
}

void ObdSession::endPollRound() {
  ++roundsDone_;
  // A PID that nobody answers, round after round (a bitmap that claims
  // everything), leaves the poll; its column stays, empty. Counted only in
  // rounds where the car answered something else: a car that fell silent
  // (ignition off, a bus error) keeps its PIDs, to be read again when it
  // is back.
  if (!roundAnswered_.empty() || !everAnswered_) {
    std::vector<uint8_t> keep;
    for (uint8_t pid : pollPids_) {
      int& miss = misses_[pid];
      miss = roundAnswered_.count(pid) ? 0 : miss + 1;
      if (miss < kObdMissesBeforeDrop) keep.push_back(pid);
    }
    pollPids_ = std::move(keep);
  }
  roundAnswered_.clear();
  pollAt_ = 0;
}

void ObdSession::handlePoll(const Request& r, const ObdReply& reply) {
  const bool multiForm = r.bytes.size() > 2 || r.expected > 0;
  if (reply.status == ElmLineKind::Unknown && multiForm && multiPid_) {
    // The adapter does not take several PIDs or the answer count: one PID
    // a request from now on, this group again.
    multiPid_ = false;
    logLine("--- single PID requests");
    send(nextPollRequest(), pauseFor());
    return;
  }
  const Millis now = clock_.now();
  std::set<uint8_t> answered;
  const auto changed = storePollValues(r, reply, now, answered);
  pollAt_ += r.bytes.size() - 1;
  roundAnswered_.insert(answered.begin(), answered.end());
  if (!answered.empty()) everAnswered_ = true;
  if (pollAt_ >= pollPids_.size()) endPollRound();
  if (!changed.empty() && onValues) onValues(changed);
  if (!running()) return;
  if (pollPids_.empty() || (options_.pollRounds > 0 && roundsDone_ >= options_.pollRounds)) {
    port_.closeDevice();
    setPhase(ObdPhase::Done);
    return;
  }
  if (!queue_.empty()) {  // a read or a clear asked for since the last request
    sendNext();
    return;
  }
  if (options_.codesEvery > 0 && now - codesReadAt_ >= options_.codesEvery) {
    // Codes again between two rounds; polling goes on after them.
    queueCodeReads();
    codesReadAt_ = now;
    sendNext();
    return;
  }
  send(nextPollRequest(), pauseFor());
}

}  // namespace kalvex

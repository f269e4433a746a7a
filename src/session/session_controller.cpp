#include "session/session_controller.h"

#include <algorithm>
#include <cerrno>

#include "adapter/adapter_registry.h"
#include "catalogue/catalogue.h"
#include "catalogue/first_request.h"
#include "decode/reply_handling.h"
#include "faults/faults.h"
#include "link/port_discovery.h"
#include "link/serial_link.h"
#include "link/system_errors.h"
#include "protocol/kwp_services.h"
#include "protocol/translate.h"
#include "session/log_file.h"
#include "session/value_recorder.h"

namespace kalvex {

namespace {
constexpr Micros kMicrosPerMs = 1000;

// Timer2 and Timer3: switching on one that runs already keeps its
// deadline; switching it off forgets it.
void SwitchTimer(std::optional<Micros>& deadline, bool on, Micros now, Millis interval) {
  if (!on) {
    deadline.reset();
  } else if (!deadline) {
    deadline = now + interval * kMicrosPerMs;
  }
}
}  // namespace

std::string LogErrorText(const LogFile& log, int code) {
  return FormatText(
      TranslateText(QT_TRANSLATE_NOOP("kalvex", "Не удалось записать LOG-файл в папку %1: %2.")),
      {log.folder(), SystemReason(code)});
}

SessionController::SessionController(SessionView& view, SerialLink& port, const Clock& clock,
                                     LogFile& log)
    : view_(view),
      port_(port),
      clock_(clock),
      log_(log),
      timer1_(clock.nowMicros() + kTimer1Interval * kMicrosPerMs) {}

SessionController::~SessionController() = default;

const AdapterState& SessionController::adapterState() const {
  static const AdapterState kNone;
  return driver_ ? driver_->state() : kNone;
}

void SessionController::guarded(const std::function<void()>& fn) {
  // The program's standard error display: the handler ends, the program
  // carries on.
  try {
    fn();
  } catch (const std::exception& e) {
    view_.showError(e.what());
  }
}

// ---- start / stop ---------------------------------------------

// The link parameters are recomputed at every start and stop from the lists
// as they are now.
void SessionController::loadLinkParams() {
  const LinkParams params = LinkParamsOf(view_.makeIndex(), view_.ecuTypeIndex());
  st_.canSession = false;
  // No make or ECU type: the K-line address most types use.
  st_.ecuAddress = params.found ? params.ecuAddress : 0x10;
  st_.canId = params.canId;
}

void SessionController::start() {
  guarded([this] {
    loadLinkParams();
    if (!running()) startSession();
  });
}

void SessionController::stop() {
  guarded([this] {
    loadLinkParams();
    if (opening_)
      cancelOpening();
    else if (running_)
      stopSession();
  });
}

void SessionController::startSession() {
  if (logEnabled_) {
    if (int err = log_.create(); err != 0) {
      showLogError(err);
      return;
    }
  }
  logBroken_ = false;
  errorShown_ = false;
  const int adapter = view_.adapterIndex();
  const AdapterEntry* adapterEntry = FindAdapter(adapter);
  if (!adapterEntry) return;
  st_.adapterType = static_cast<uint8_t>(adapter);
  const std::string portText = view_.portText();
  if (portText.empty()) {
    view_.showError(kNoPortMessage);
    return;
  }

  view_.setSelectorsEnabled(false);
  Opening opening{++openAttempts_,      adapterEntry, view_.makeIndex(),
                  view_.ecuTypeIndex(), portText,     std::nullopt};
  if (onStarting) onStarting(opening.make, opening.ecu, adapter);
  const uint64_t attempt = opening.attempt;
  opening_ = std::move(opening);
  port_.beginOpen(DevicePathForPortText(portText), [this, attempt](const std::string& error) {
    guarded([&] { openFinished(attempt, error); });
  });
  if (!opening_ || opening_->attempt != attempt) return;  // finished already
  // Still connecting: the button stops it, the label says what it waits for.
  opening_->deadline = clock_.nowMicros() + Micros{kOpenLimitMs} * kMicrosPerMs;
  const std::string address = ConnectingAddress(portText);
  view_.showRunning(true);
  status_ = LinkStatus::Connecting;
  view_.setStatusText(FormatText(TranslateText(kStatusConnecting), {address}));
}

void SessionController::openFinished(uint64_t attempt, const std::string& error) {
  if (!opening_ || opening_->attempt != attempt) return;  // given up meanwhile
  const Opening opening = std::move(*opening_);
  opening_.reset();
  if (!error.empty()) {
    view_.setSelectorsEnabled(true);
    if (opening.deadline) {
      view_.showRunning(false);
      showStatus(LinkStatus::NoLink);
    }
    view_.showError(PortErrorText(opening.portText, error));
    if (onOpenFinished) onOpenFinished(false);
    return;
  }

  pending_.reset();
  rxDeferred_ = false;
  timer2_.reset();
  timer3_.reset();
  if (asked_ != Asked::Read) asked_ = Asked::None;
  firstChosen_ = false;
  adapterAnswered_ = false;
  st_.canSession = LinkParamsOf(opening.make, opening.ecu).canSession;
  DriverServices& services = *this;
  driver_ = opening.adapter->makeDriver(services);
  running_ = true;
  view_.showRunning(true);
  try {
    driver_->start();
  } catch (...) {
    stopSession();
    if (onOpenFinished) onOpenFinished(false);
    throw;
  }
  if (onOpenFinished) onOpenFinished(true);
}

// A stop while the port still connects: the connect is abandoned, nothing
// was opened, so there is nothing else to undo.
void SessionController::cancelOpening() {
  opening_.reset();
  port_.cancelOpen();
  view_.showRunning(false);
  showStatus(LinkStatus::NoLink);
  view_.setSelectorsEnabled(true);
}

void SessionController::stopSession() {
  running_ = false;
  view_.showRunning(false);
  pending_.reset();  // a write still waiting for its pause is cancelled
  rxDeferred_ = false;
  port_.closeDevice();
  st_.nextRequest = "81";
  st_.nextCommand = kNoRequest;
  if (driver_) driver_->clearReceive();
  st_.rememberedFaultCount = 0;
  asked_ = Asked::None;
  // The port is closed: the label must not go on claiming a link.
  showStatus(LinkStatus::NoLink);
  view_.setGaugeValue(Component::VS_TOG, 0.0f);
  if (recorder_) recorder_->setGaugeValue(Component::VS_TOG, 0.0f);
  view_.setSelectorsEnabled(true);
  timer3_.reset();
  timer2_.reset();
}

void SessionController::shutdown() {
  if (opening_) {
    opening_.reset();
    port_.cancelOpen();
  }
  pending_.reset();
  rxDeferred_ = false;
  timer2_.reset();
  timer3_.reset();
  shutDown_ = true;
  running_ = false;
  port_.closeDevice();
}

// ---- fault buttons ------------------------------------------------------

void SessionController::clearFaults() {
  const int make = view_.makeIndex();
  if (!ClearButtonActs(make)) return;
  if (ClearTakenAtClick(make)) {
    st_.nextCommand = kClearRequest;
    asked_ = Asked::None;  // the later click wins
  } else if (running_) {
    asked_ = Asked::Clear;  // for the next send step
  }
}

void SessionController::readFaults() {
  if (!FaultReadRequest(view_.makeIndex())) return;
  asked_ = Asked::Read;
}

void SessionController::resumeLiveData() {
  if (running_) asked_ = Asked::Resume;
}

uint8_t SessionController::firstDataRequest() const {
  // The moments at which this adapter's sessions choose their first request,
  // in the order they pass them.
  if (!driver_) return kUnchanged;
  const FirstRequestPoint points[] = {driver_->dataStartPoint(st_.canSession),
                                      FirstRequestPoint::SessionStartData};
  for (FirstRequestPoint at : points)
    if (const uint8_t n = FirstRequest(view_.makeIndex(), view_.ecuTypeIndex(), at);
        n != kUnchanged)
      return n;
  return kUnchanged;
}

bool SessionController::takePendingRequest() {
  // StartDiagnosticSession must still go out first.
  if (asked_ == Asked::None || st_.nextCommand == kStartDiagnosticSession) return false;
  // The make is looked up now: it may have changed since an idle click.
  const std::optional<uint8_t> read = FaultReadRequest(view_.makeIndex());
  const Asked asked = asked_;
  asked_ = Asked::None;
  if (asked == Asked::Resume) {
    const uint8_t first = firstDataRequest();
    if (first == kUnchanged) return false;
    st_.nextCommand = first;
    return true;
  }
  if (asked == Asked::Read && !read) return false;
  st_.nextCommand = asked == Asked::Read ? *read : kClearRequest;
  return true;
}

// ---- log -----------------------------------------------------------------

void SessionController::setLogEnabled(bool on) {
  logEnabled_ = on;
  // Switched on mid-session before any file exists in this run: make one, so
  // the lines have somewhere to go.
  if (on && running_ && !logBroken_ && !log_.hasFile()) {
    if (int err = log_.create(); err != 0) {
      logBroken_ = true;
      showLogError(err);
    }
  }
}

void SessionController::logLine(LogMarker marker, const std::string& text) {
  if (!logEnabled_ || logBroken_) return;
  int err = 0;
  if (!log_.hasFile()) err = log_.create();  // switched on mid-session
  if (err == 0) err = log_.appendLine(marker, text);
  if (err != 0) {
    // Reported once; the session goes on without a log.
    logBroken_ = true;
    showLogError(err);
  }
}

void SessionController::showErrorOnce(const std::string& message) {
  if (errorShown_) return;
  errorShown_ = true;
  view_.showError(message);
}

// ---- port notifications ----------------------------------------------------

void SessionController::VaComm1RxChar(size_t count) {
  guarded([&] {
    if (!running_ || !driver_ || !port_.isOpen() || count == 0) return;
    if (pending_) {
      // Blocked in a pause: the bytes wait in the port until it is over.
      rxDeferred_ = true;
      return;
    }
    driver_->receive(count);
  });
}

void SessionController::onPortError(const std::string& message) {
  guarded([&] {
    view_.showError(PortErrorText(view_.portText(), message));
    if (running_) stopSession();
  });
}

// ---- time ------------------------------------------------------------------

void SessionController::writeAfter(Millis pauseMs, std::vector<uint8_t> bytes,
                                   std::function<void()> after) {
  // "More than pauseMs": the microsecond after the pause has passed in full.
  Pending p{clock_.nowMicros() + pauseMs * kMicrosPerMs + 1, std::move(bytes), std::move(after)};
  if (pauseMs <= 0) {
    pending_.reset();
    if (!p.bytes.empty()) port_.writeBytes(p.bytes.data(), p.bytes.size());
    if (p.after) p.after();
    return;
  }
  pending_ = std::move(p);
}

void SessionController::pause(Millis pauseMs) { writeAfter(pauseMs, {}, {}); }

void SessionController::completePending() {
  Pending p = std::move(*pending_);
  pending_.reset();
  if (!p.bytes.empty()) port_.writeBytes(p.bytes.data(), p.bytes.size());
  if (p.after) p.after();
}

void SessionController::setTimer2(bool on) {
  SwitchTimer(timer2_, on, clock_.nowMicros(), kTimer2Interval);
}

void SessionController::setTimer3(bool on) {
  SwitchTimer(timer3_, on, clock_.nowMicros(), kTimer3Interval);
}

std::optional<Micros> SessionController::nextDeadlineMicros() const {
  if (shutDown_) return std::nullopt;
  if (pending_) return pending_->due;
  Micros d = timer1_;
  if (opening_ && opening_->deadline) d = std::min(d, *opening_->deadline);
  if (timer2_) d = std::min(d, *timer2_);
  if (timer3_) d = std::min(d, *timer3_);
  return d;
}

void SessionController::fireTimer(int which) {
  const Micros now = clock_.nowMicros();
  auto advance = [now](Micros& deadline, Millis intervalMs) {
    const Micros interval = intervalMs * kMicrosPerMs;
    deadline += interval;
    if (deadline <= now) deadline = now + interval;  // missed ticks coalesce
  };
  switch (which) {
    case 1:
      advance(timer1_, kTimer1Interval);
      if (!opening_) showStatus(noLinkStatus());  // the connecting text stays
      break;
    case 2:
      advance(*timer2_, kTimer2Interval);
      if (running_ && driver_) driver_->startRetry();
      // The first set-up line and its retry went unanswered: say so now
      // rather than at the next watchdog tick, and not as a silent ECU.
      if (running_ && !adapterAnswered_) showStatus(LinkStatus::NoAdapter);
      break;
    case 3:
      advance(*timer3_, kTimer3Interval);
      if (running_ && driver_) driver_->requestRetry();
      break;
  }
}

// Timer1 writes nothing, so it runs at once. Timer2 and Timer3 write: while
// the write the bytes asked for is still waiting for its pause, that write
// goes and they wait for it (a complete line has switched them off by then),
// so no write is replaced, lost or sent twice.
void SessionController::fireTicksDueBy(Micros when) {
  if (timer1_ <= when) fireTimer(1);
  if (pending_) return;
  if (timer2_ && *timer2_ <= when) fireTimer(2);
  if (pending_) return;
  if (timer3_ && *timer3_ <= when) fireTimer(3);
}

void SessionController::onTimer() {
  if (shutDown_) return;
  if (opening_ && opening_->deadline && *opening_->deadline <= clock_.nowMicros()) {
    // The link's own thread has not answered in time (a name lookup that
    // hangs): the open is given up here, and fails as a connect would.
    const uint64_t attempt = opening_->attempt;
    const std::string reason = port_.expireOpen();
    guarded([&] { openFinished(attempt, reason); });
  }
  guarded([this] {
    for (;;) {
      const Micros now = clock_.nowMicros();
      if (pending_) {
        if (pending_->due > now) break;
        const Micros pauseEnd = pending_->due;
        completePending();
        if (rxDeferred_ && !pending_ && running_ && driver_) {
          // Bytes that came during the pause go first, as a message queue
          // serves them before timer ticks: a reply completed meanwhile
          // disarms Timer3 before it can fire.
          rxDeferred_ = false;
          driver_->receive(kRxBufferSize);
          port_.requestRxNotify();
        }
        // Then the ticks that fell due during the pause, even when those
        // bytes began the next pause: an adapter that sends lines faster than
        // the pause lasts would otherwise put them off for ever.
        fireTicksDueBy(pauseEnd);
        continue;
      }
      int which = 0;
      Micros best = now + 1;
      if (timer1_ < best) best = timer1_, which = 1;
      if (timer2_ && *timer2_ < best) best = *timer2_, which = 2;
      if (timer3_ && *timer3_ < best) best = *timer3_, which = 3;
      if (which == 0) break;
      fireTimer(which);
    }
  });
  if (!pending_ && rxDeferred_) {
    rxDeferred_ = false;
    guarded([this] { port_.requestRxNotify(); });
  }
}

// ---- accepted responses ---------------------------------------------------

bool SessionController::acceptResponse() {
  timer3_.reset();
  timer2_.reset();
  showStatus(LinkStatus::Linked);
  const int make = view_.makeIndex();
  const int ecu = view_.ecuTypeIndex();
  // Lent to the reply handling and taken back, not copied.
  ReplyState rs;
  rs.next.nextCommand = st_.nextCommand;
  rs.next.nextRequest = std::move(st_.nextRequest);
  rs.rememberedFaultCount = st_.rememberedFaultCount;
  rs.memo1 = std::move(memo1_);
  std::optional<GaugeTee> tee;
  if (recorder_) tee.emplace(view_, *recorder_);
  GaugeSink& gauges = tee ? static_cast<GaugeSink&>(*tee) : view_;
  const bool memoChanged = HandleReplyData(make, ecu, st_.response, gauges, rs);
  st_.nextCommand = rs.next.nextCommand;
  st_.nextRequest = std::move(rs.next.nextRequest);
  st_.rememberedFaultCount = rs.rememberedFaultCount;
  memo1_ = std::move(rs.memo1);
  if (memoChanged) view_.setFaultLines(memo1_);
  const uint8_t sid = st_.response[0];
  if (sid == kwp::kStartCommunicationReply)
    st_.nextCommand = firstRequestAt(FirstRequestPoint::StartCommunication);
  if (sid == kwp::kStartDiagnosticSessionReply) {
    st_.nextCommand = firstRequestAt(view_.activePage() == 1 ? FirstRequestPoint::SessionStartFaults
                                                             : FirstRequestPoint::SessionStartData);
  }
  if (recorder_) recorder_->replyAccepted(clock_.now());
  if (onResponseAccepted) onResponseAccepted(st_.response);
  if (sid == kwp::kStopCommunicationReply) {
    // StopCommunication accepted: the full stop, so the button and the
    // selectors never claim a session that is no longer running.
    stopSession();
    return false;
  }
  return true;
}

uint8_t SessionController::applyOverride(uint8_t chosen) {
  if (firstChosen_ || chosen == kStartDiagnosticSession) return chosen;
  firstChosen_ = true;
  return firstOverride_ ? *firstOverride_ : chosen;
}

// The first-request table, kept as it is where it says "unchanged"; the
// first request a table changes is where kalvex-cli's override applies.
uint8_t SessionController::firstRequestAt(FirstRequestPoint at) {
  const uint8_t n = FirstRequest(view_.makeIndex(), view_.ecuTypeIndex(), at);
  if (n == kUnchanged || n == st_.nextCommand) return st_.nextCommand;
  return applyOverride(n);
}

}  // namespace kalvex

#include "cli/monitor.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "protocol/csv_file.h"
#include "protocol/kwp_services.h"

namespace kalvex::cli {
namespace {

// Without a reply for this long, or after a failed port, --reconnect closes
// the port and opens it again this much later.
constexpr Millis kReconnectSilence = 10'000;
constexpr Millis kReconnectWait = 2'000;

std::optional<Micros> Earliest(std::optional<Micros> a, std::optional<Micros> b) {
  if (!a) return b;
  if (!b) return a;
  return std::min(*a, *b);
}

}  // namespace

Monitor::Monitor(const MonitorOptions& o, std::optional<uint8_t> firstRequest, FILE* csv,
                 const Clock& clock, EventLoop& loop)
    : o_(o),
      clock_(clock),
      loop_(loop),
      view_(o, log_, clock),
      port_(loop.dispatcher()),
      session_(view_, port_, clock, log_) {
  // A reader on a pipe sees each reply, and Ctrl-C loses nothing.
  if (csv) csv_.emplace(CsvFileSink(csv), 0);
  view_.attach(session_);
  session_.setRecorder(&recorder_);
  session_.setLogEnabled(o.log);
  session_.setFirstRequestOverride(firstRequest);
  session_.setRequestPause(o.pause);
  port_.setRxHandler([this](size_t count) { session_.VaComm1RxChar(count); });
  port_.setErrorHandler([this](const std::string& message) { onPortError(message); });
  session_.onResponseAccepted = [this](const ResponseBytes& rb) { onResponseAccepted(rb); };
  session_.onOpenFinished = [this](bool opened) { onOpenFinished(opened); };
}

int Monitor::run() {
  start_ = clock_.now();
  recorder_.begin(start_);
  lastAccepted_ = start_;
  int status = 1;  // the port did not open; the error is on stderr already
  startSession();
  // Open, or still connecting to a Wi-Fi adapter (onOpenFinished tells).
  if (session_.running()) {
    std::optional<Millis> until;
    if (o_.durationS) until = start_ + static_cast<Millis>(*o_.durationS * 1000.0 + 0.5);
    if (!outputFailed_ && !openFailed_)
      loop_.run([this] { return deadline(); }, [this] { onDue(); }, until);
    session_.stop();  // closes the port, or gives the connect up
    view_.printDueStatus(true);
    // A port that never opened, or an output that failed, wins over a lost
    // port, which wins over no reply.
    if (openFailed_ || outputFailed_)
      status = 1;
    else if (portFailed_)
      status = 4;
    else
      status = accepted_ > 0 && !stoppedBeforeData_ && !gaveUp_ ? 0 : 3;
  }
  session_.shutdown();
  port_.closeDevice();
  return status;
}

void Monitor::onOpenFinished(bool opened) {
  if (!opened) {
    if (!everOpened_) {
      // The first open failed: the error line is out, the run ends with 1.
      openFailed_ = true;
      loop_.quit();
    } else {
      reopenAt_ = clock_.now() + kReconnectWait;  // --reconnect: try again
    }
    return;
  }
  if (!everOpened_) {
    everOpened_ = true;
    // As the window shows it from the start. Nothing has been read yet:
    // the first write still waits for its pause. A port that does not
    // open leaves only its error line and no CSV.
    view_.showStatus(LinkStatus::NoLink);
    writeHeader();
    return;
  }
  view_.setQuiet(false);
  lastAccepted_ = clock_.now();  // the silence counts from this start
}

void Monitor::scheduleReconnect(const std::string& why) {
  session_.stop();  // closes the port
  std::fprintf(stderr, "kalvex-cli monitor: %s; reconnecting to %s in %lld s\n", why.c_str(),
               o_.port.c_str(), static_cast<long long>(kReconnectWait / 1000));
  view_.setQuiet(true);
  reopenAt_ = clock_.now() + kReconnectWait;
}

// Without --reconnect a failed port ends the run there (after its error
// text): whatever was accepted before, the adapter is gone and the caller
// must know.
void Monitor::onPortError(const std::string& message) {
  if (o_.reconnect) {
    if (!session_.running()) return;  // a late report of a port already let go
    scheduleReconnect("the port failed (" + message + ")");
    return;
  }
  session_.onPortError(message);
  portFailed_ = true;
  loop_.quit();
}

void Monitor::failOutput(const char* what) {
  if (outputFailed_) return;
  outputFailed_ = true;
  std::fprintf(stderr, "kalvex-cli monitor: cannot write %s: %s\n", what, std::strerror(errno));
  loop_.quit();
}

// The session stops and closes the port once the StopCommunication reply
// is handled; the run ends then, or starts again.
void Monitor::ecuStopped() {
  if (session_.running()) return;
  const std::string why = "the ECU ended the communication (StopCommunication)";
  if (o_.reconnect) {
    scheduleReconnect(why);
  } else {
    std::fprintf(stderr, "kalvex-cli monitor: %s\n", why.c_str());
    // The help promises 3 for a stop before any data came.
    if (dataReplies_ == 0) stoppedBeforeData_ = true;
    loop_.quit();
  }
}

void Monitor::onResponseAccepted(const ResponseBytes& rb) {
  if (rb[0] == kwp::kStopCommunicationReply)
    loop_.post([this] { ecuStopped(); });
  else
    ++accepted_;  // the stop is no data: alone it leaves the status of no reply
  lastAccepted_ = clock_.now();
  if (outputFailed_) return;
  // The recorder made a row only for replies that set values: a fault
  // read's replies set none.
  if (recorder_.lastReplyMadeRow() || kwp::IsFaultListReply(rb[0])) ++dataReplies_;
  if (recorder_.lastReplyMadeRow() && csv_ &&
      !csv_->row(static_cast<double>(clock_.now() - start_) / 1000.0, recorder_.current())) {
    failOutput("the CSV rows");
    return;
  }
  if (o_.faults && kwp::IsFaultListReply(rb[0])) printFaultList();
  if (o_.replies && accepted_ >= *o_.replies) loop_.quit();
}

void Monitor::printFaultList() {
  // A fault read is repeated a few times a second; a script wants news.
  if (printedFaults_ && *printedFaults_ == view_.memo1()) return;
  printedFaults_ = view_.memo1();
  for (const std::string& line : view_.memo1()) std::printf("%s\n", TranslateText(line).c_str());
  std::printf("\n");
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) failOutput("the fault list");
}

void Monitor::startSession() {
  view_.takeLogFailure();
  session_.start();
  if (!session_.running() && o_.reconnect && view_.takeLogFailure() && session_.logEnabled()) {
    std::fprintf(stderr, "kalvex-cli monitor: going on without the log\n");
    session_.setLogEnabled(false);
    session_.start();
  }
}

// Rows only come from the loop, so the header still leads them; a port
// that fails to open leaves no CSV at all.
void Monitor::writeHeader() {
  if (csv_ && !csv_->header()) failOutput("the CSV rows");
}

std::optional<Micros> Monitor::deadline() const {
  std::optional<Micros> d = session_.nextDeadlineMicros();
  if (const auto held = view_.statusDue()) d = Earliest(d, *held * 1000);
  if (!o_.reconnect) {
    if (o_.giveUpS > 0 && !session_.adapterAnswered())
      d = Earliest(d, (start_ + o_.giveUpS * 1000) * 1000);
    return d;
  }
  const Millis own = reopenAt_ ? *reopenAt_ : lastAccepted_ + kReconnectSilence;
  return Earliest(d, own * 1000);
}

void Monitor::onDue() {
  session_.onTimer();
  view_.printDueStatus();
  const Millis now = clock_.now();
  if (!o_.reconnect) {
    // An adapter that never says a word would keep a script waiting for ever.
    if (o_.giveUpS > 0 && !gaveUp_ && !session_.adapterAnswered() &&
        now - start_ >= o_.giveUpS * 1000) {
      gaveUp_ = true;
      std::fprintf(stderr,
                   "kalvex-cli monitor: not one line from the adapter in %ld s; giving up\n",
                   o_.giveUpS);
      loop_.quit();
    }
    return;
  }
  if (reopenAt_)
    reopenIfDue(now);
  else if (now - lastAccepted_ >= kReconnectSilence)
    scheduleReconnect("no reply for 10 s");
}

void Monitor::reopenIfDue(Millis now) {
  if (now < *reopenAt_) return;
  reopenAt_.reset();
  // The silence counts from this start, the connect's own limit (5 s) within it.
  lastAccepted_ = now;
  // Start again; the open may fail while the adapter is away, at once or
  // (a Wi-Fi adapter) later: onOpenFinished takes both.
  startSession();
  if (!session_.running() && !reopenAt_) reopenAt_ = now + kReconnectWait;
}

}  // namespace kalvex::cli

// kalvex-cli monitor: a real session on a serial port, headless.
//
//   kalvex-cli monitor --port PATH|HOST:PORT --adapter elm327|kesta --make M --ecu E
//                      [--log] [--duration S] [--csv FILE] [--faults [--clear]]
//                      [--replies N] [--pause MS] [--reconnect]
//
// After every accepted reply that set values one CSV row goes to stdout (or
// FILE): the time since the start and the twelve gauge values, each empty
// until a decoder has set it in this run. The status text goes to stderr
// when it changes, less a "no link" the next reply takes back at once.
// --faults starts on the make's fault read request and prints the fault
// list after every fault reply (CSV rows then only with --csv); --clear
// sends the clear request first. --replies ends the run after N accepted
// replies (tests and benchmarks). --pause sets the pause before each data
// request (20..1000 ms, default 200; K-line sessions keep at least 55 ms).
// --reconnect: a failed port, or 10 s without an accepted reply, closes the
// port; 2 s later it is opened and the session started again, for as long
// as the run lasts; the CSV goes on in the same file and time.
// Exit status: 0 after --duration or Ctrl-C with at least one accepted
// reply, 3 when the link never came up, 1 when the session could not
// start, 2 for bad arguments, 4 when the port failed (not with --reconnect).
#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#include <signal.h>
#endif

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "catalogue/catalogue.h"
#include "cli/commands.h"
#include "cli/event_loop.h"
#include "cli/status_lines.h"
#include "faults/faults.h"
#include "link/link_factory.h"
#include "protocol/components.h"
#include "protocol/request_catalogue.h"
#include "protocol/translate.h"
#include "protocol/utf8_path.h"
#include "session/log_file.h"
#include "session/session_controller.h"
#include "session/session_values.h"
#include "session/session_view.h"
#include "session/value_recorder.h"

namespace kalvex::cli {
namespace {

// Without a reply for this long, or after a failed port, --reconnect closes
// the port and opens it again this much later.
constexpr Millis kReconnectSilence = 10'000;
constexpr Millis kReconnectWait = 2'000;

// One line, as for every error; `kalvex-cli --help` has the usage.
int MonitorUsage(const std::string& problem) {
  std::fprintf(stderr, "kalvex-cli monitor: %s\n", problem.c_str());
  return 2;
}

// The window, as plain fields: the lists are fixed by the arguments.
class HeadlessView final : public SessionView {
 public:
  // A "no link" that the next reply takes back is held for one request's
  // pause and its retry time, then printed if it still holds.
  HeadlessView(const MonitorOptions& o, const LogFile& log, const Clock& clock)
      : o_(o), log_(log), clock_(clock), status_(o.pause + kTimer3Interval) {}

  int makeIndex() const override { return o_.make; }
  int ecuTypeIndex() const override { return o_.ecu; }
  int adapterIndex() const override { return o_.adapter; }
  int activePage() const override { return o_.faults ? 1 : 0; }
  std::string portText() const override { return o_.port; }
  void setSelectorsEnabled(bool) override {}
  void setPortSelectorEnabled(bool) override {}
  void showRunning(bool running) override { running_ = running; }
  void setStatusText(const std::string& text) override {
    print(status_.set(text, running_, clock_.now()));
  }
  std::optional<Millis> statusDue() const { return status_.due(); }
  // A held status line whose time has come, or any at the end of the run.
  void printDueStatus(bool flush = false) { print(status_.takeDue(clock_.now(), flush)); }
  void setFaultLines(const std::vector<std::string>& lines) override { memo1_ = lines; }
  void showError(const std::string& message) override {
    ++errors_;
    // A log failure is named here by its file and the system's own reason,
    // and is said even while reconnecting.
    if (log_.lastError() != 0 && message == LogErrorText(log_, log_.lastError())) {
      logFailed_ = true;
      std::fprintf(stderr, "kalvex-cli monitor: cannot write the log %s\n",
                   log_.lastErrorText().c_str());
      return;
    }
    if (quiet_) return;
    std::fprintf(stderr, "kalvex-cli monitor: %s\n", TranslateText(message).c_str());
  }
  // The values go to the session's recorder; there is no dashboard.
  void setGaugeValue(Component, float) override {}
  const std::vector<std::string>& memo1() const { return memo1_; }
  // While reconnecting, a port that does not open yet is not news.
  void setQuiet(bool quiet) { quiet_ = quiet; }
  // True once after a log failure was reported.
  bool takeLogFailure() { return std::exchange(logFailed_, false); }

 private:
  // The core's Russian status text, shown in the chosen language.
  static void print(const std::optional<std::string>& line) {
    if (line) std::fprintf(stderr, "%s\n", TranslateText(*line).c_str());
  }

  bool quiet_ = false;
  bool logFailed_ = false;
  const MonitorOptions& o_;
  const LogFile& log_;
  const Clock& clock_;
  bool running_ = false;
  StatusLines status_;
  std::vector<std::string> memo1_;
  int errors_ = 0;
};

// False when the row could not be written (a closed pipe, a full disk).
bool WriteCsvRow(FILE* out, Millis sinceStart, const GaugeValues& values) {
  std::fputs(CsvRow(sinceStart / 1000.0, values).c_str(), out);
  // A reader on a pipe sees each reply, and Ctrl-C loses nothing.
  return std::fflush(out) == 0 && !std::ferror(out);
}

#ifdef _WIN32
// Ctrl-C, Ctrl-Break and a closing console quit the loop. Windows runs the
// handler on a thread of its own, and EventLoop::quit is thread-safe.
class StopSignals {
 public:
  explicit StopSignals(EventLoop& loop) {
    loop_ = &loop;
    ::SetConsoleCtrlHandler(Handler, TRUE);
  }
  ~StopSignals() {
    ::SetConsoleCtrlHandler(Handler, FALSE);
    loop_ = nullptr;
  }

 private:
  static BOOL WINAPI Handler(DWORD) {
    if (EventLoop* loop = loop_) loop->quit();
    return TRUE;
  }
  static inline std::atomic<EventLoop*> loop_{nullptr};
};
#else
// Turns SIGINT/SIGTERM into a quit of the loop. The signals are blocked in
// every thread (the mask is set before any thread starts), so only sigwait
// sees them; SIGUSR2 wakes the watcher when the run ends on its own.
class StopSignals {
 public:
  explicit StopSignals(EventLoop& loop) {
    sigemptyset(&set_);
    sigaddset(&set_, SIGINT);
    sigaddset(&set_, SIGTERM);
    sigaddset(&set_, SIGUSR2);
    pthread_sigmask(SIG_BLOCK, &set_, nullptr);
    thread_ = std::thread([this, &loop] {
      int sig = 0;
      while (sigwait(&set_, &sig) == 0) {
        if (sig == SIGUSR2) return;
        loop.quit();
      }
    });
  }
  // The mask stays: the process is about to exit, and a second Ctrl-C
  // still pending must not kill it on the way out.
  ~StopSignals() {
    pthread_kill(thread_.native_handle(), SIGUSR2);
    thread_.join();
  }

 private:
  sigset_t set_;
  std::thread thread_;
};
#endif

}  // namespace

int RunMonitor(const MonitorOptions& o) {
  std::optional<uint8_t> firstRequest;
  if (o.faults) {
    firstRequest = FaultReadRequest(o.make);
    if (!firstRequest)
      return MonitorUsage(TranslateText(Makes()[o.make].text) + " has no fault read request");
    if (o.clear) {
      if (!ClearButtonActs(o.make))
        return MonitorUsage(TranslateText(Makes()[o.make].text) + " has no clear request");
      firstRequest = kClearRequest;
    }
  }

  FILE* csv = nullptr;
  if (!o.csv.empty()) {
    csv = OpenFileUtf8(o.csv, "wb");
    if (!csv) {
      std::fprintf(stderr, "kalvex-cli monitor: cannot write %s: %s\n", o.csv.c_str(),
                   std::strerror(errno));
      return 1;
    }
  } else if (!o.faults) {
    csv = stdout;
  }

  // A closed output pipe is a write error to stop on, not a signal to die of
  // with the port still open.
#ifndef _WIN32
  ::signal(SIGPIPE, SIG_IGN);
#endif
  SteadyClock clock;
  EventLoop loop(clock);
  int status = 0;
  {
    // Declared in this order so the port (whose threads post to the loop)
    // goes first and the signal watcher last.
    StopSignals signals(loop);
    LogFile log;
    HeadlessView view(o, log, clock);
    PortLink port(loop.dispatcher());
    SessionController session(view, port, clock, log);
    // The values of the whole run, reconnections included: one time axis,
    // and each value empty until a decoder has set it in this run.
    ValueRecorder recorder;
    session.setRecorder(&recorder);
    session.setLogEnabled(o.log);
    session.setFirstRequestOverride(firstRequest);
    session.setRequestPause(o.pause);
    port.setRxHandler([&](size_t count) { session.VaComm1RxChar(count); });

    const Millis start = clock.now();
    recorder.begin(start);
    long accepted = 0;
    Millis lastAccepted = start;
    // --reconnect: when the port is to be opened again.
    std::optional<Millis> reopenAt;
    auto scheduleReconnect = [&](const std::string& why) {
      session.stop();  // closes the port
      std::fprintf(stderr, "kalvex-cli monitor: %s; reconnecting to %s in %lld s\n", why.c_str(),
                   o.port.c_str(), static_cast<long long>(kReconnectWait / 1000));
      view.setQuiet(true);
      reopenAt = clock.now() + kReconnectWait;
    };
    // Without --reconnect a failed port ends the run there (after its error
    // text): whatever was accepted before, the adapter is gone and the
    // caller must know.
    bool portFailed = false;
    port.setErrorHandler([&](const std::string& message) {
      if (o.reconnect) {
        if (!session.running()) return;  // a late report of a port already let go
        scheduleReconnect("the port failed (" + message + ")");
        return;
      }
      session.onPortError(message);
      portFailed = true;
      loop.quit();
    });
    bool outputFailed = false;
    auto failOutput = [&](const char* what) {
      if (outputFailed) return;
      outputFailed = true;
      std::fprintf(stderr, "kalvex-cli monitor: cannot write %s: %s\n", what, std::strerror(errno));
      loop.quit();
    };
    // The ECU's StopCommunication: the session stops and closes the port
    // once this reply is handled; the run ends then, or starts again.
    auto ecuStopped = [&] {
      if (session.running()) return;
      const std::string why = "the ECU ended the communication (StopCommunication)";
      if (o.reconnect) {
        scheduleReconnect(why);
      } else {
        std::fprintf(stderr, "kalvex-cli monitor: %s\n", why.c_str());
        loop.quit();
      }
    };
    session.onResponseAccepted = [&](const ResponseBytes& rb) {
      if (rb[0] == 0xC2)
        loop.post(ecuStopped);
      else
        ++accepted;  // the stop is no data: alone it leaves the status of no reply
      lastAccepted = clock.now();
      if (outputFailed) return;
      // The recorder made a row only for replies that set values: a fault
      // read's replies set none.
      if (recorder.lastReplyMadeRow() && csv &&
          !WriteCsvRow(csv, clock.now() - start, recorder.current())) {
        failOutput("the CSV rows");
        return;
      }
      if (o.faults && (rb[0] == 0x58 || rb[0] == 0x57)) {
        for (const std::string& line : view.memo1())
          std::printf("%s\n", TranslateText(line).c_str());
        std::printf("\n");
        if (std::fflush(stdout) != 0 || std::ferror(stdout)) failOutput("the fault list");
      }
      if (o.replies && accepted >= *o.replies) loop.quit();
    };
    // Starts the session; under --reconnect a log that cannot be created is
    // given up (said once) and the session starts without it.
    auto startSession = [&] {
      view.takeLogFailure();
      session.start();
      if (!session.running() && o.reconnect && view.takeLogFailure() && session.logEnabled()) {
        std::fprintf(stderr, "kalvex-cli monitor: going on without the log\n");
        session.setLogEnabled(false);
        session.start();
      }
    };
    startSession();
    if (!session.running()) {
      status = 1;  // the port did not open; the error is on stderr already
    } else {
      // As the window shows it from the start. Nothing has been read yet:
      // the first write still waits for its pause. A port that does not
      // open leaves only its error line.
      view.setStatusText(kStatusNoLink);
      // Rows only come from the loop below, so the header still leads them;
      // a port that fails to open leaves no CSV at all.
      if (csv) {
        std::fprintf(csv, "%s\n", kCsvHeader);
        if (std::fflush(csv) != 0 || std::ferror(csv)) failOutput("the CSV rows");
      }
      std::optional<Millis> until;
      if (o.durationS) until = start + static_cast<Millis>(*o.durationS * 1000.0 + 0.5);
      auto deadline = [&]() -> std::optional<Micros> {
        std::optional<Micros> d = session.nextDeadlineMicros();
        if (const auto held = view.statusDue()) d = d ? std::min(*d, *held * 1000) : *held * 1000;
        if (!o.reconnect) return d;
        const Millis own = reopenAt ? *reopenAt : lastAccepted + kReconnectSilence;
        return d ? std::min(*d, own * 1000) : own * 1000;
      };
      auto onDue = [&] {
        session.onTimer();
        view.printDueStatus();
        if (!o.reconnect) return;
        const Millis now = clock.now();
        if (reopenAt) {
          if (now < *reopenAt) return;
          reopenAt.reset();
          startSession();  // start again; the open may fail while the adapter is away
          if (session.running()) {
            view.setQuiet(false);
            lastAccepted = now;  // the silence counts from this start
          } else {
            reopenAt = now + kReconnectWait;
          }
        } else if (now - lastAccepted >= kReconnectSilence) {
          scheduleReconnect("no reply for 10 s");
        }
      };
      if (!outputFailed) loop.run(deadline, onDue, until);
      session.stop();  // closes the port
      view.printDueStatus(true);
      // A lost port wins over no reply; an output that failed wins over both.
      status = outputFailed ? 1 : portFailed ? 4 : accepted > 0 ? 0 : 3;
    }
    session.shutdown();
    port.closeDevice();
  }
  if (csv && csv != stdout) std::fclose(csv);
  return status;
}

}  // namespace kalvex::cli

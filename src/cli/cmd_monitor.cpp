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
// list each time a fault reply changes it (CSV rows then only with --csv); --clear
// sends the clear request first. --replies ends the run after N accepted
// replies (tests and benchmarks). --pause sets the pause before each data
// request (20..1000 ms, default 200; K-line sessions keep at least 55 ms).
// --reconnect: a failed port, or 10 s without an accepted reply, closes the
// port; 2 s later it is opened and the session started again, for as long
// as the run lasts; the CSV goes on in the same file and time. Without it,
// --give-up S (default 30, 0 never) ends a run in which the adapter sent
// not one line in S seconds.
// Exit status: 0 after --duration or Ctrl-C with at least one accepted
// reply, 3 when the link never came up (or the ECU stopped before any
// data), 1 when the session could not start or an output is missing,
// 2 for bad arguments, 4 when the port failed (not with --reconnect).
#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#include <signal.h>
#endif

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <thread>

#include "catalogue/catalogue.h"
#include "cli/commands.h"
#include "cli/event_loop.h"
#include "cli/monitor.h"
#include "faults/faults.h"
#include "link/process_setup.h"
#include "protocol/clock.h"
#include "protocol/request_catalogue.h"
#include "protocol/translate.h"
#include "protocol/utf8_path.h"

namespace kalvex::cli {
namespace {

// One line, as for every error; `kalvex-cli --help` has the usage.
int MonitorUsage(const std::string& problem) {
  std::fprintf(stderr, "kalvex-cli monitor: %s\n", problem.c_str());
  return 2;
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

  // Started with standard output closed (it is /dev/null now): the rows, or
  // the fault list, would go nowhere while the run looked fine.
  if ((o.csv.empty() || o.faults) && StandardOutputWasClosed()) {
    std::fprintf(stderr, "kalvex-cli monitor: standard output is closed; %s\n",
                 o.faults ? "the fault list is written there" : "give --csv FILE for the rows");
    return 1;
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
    // The signal watcher goes last, after the monitor and its port.
    StopSignals signals(loop);
    Monitor monitor(o, firstRequest, csv, clock, loop);
    status = monitor.run();
  }
  if (csv && csv != stdout) std::fclose(csv);
  return status;
}

}  // namespace kalvex::cli

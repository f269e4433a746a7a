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
#include <cstdio>
#include <optional>
#include <string>

#include "catalogue/catalogue.h"
#include "cli/commands.h"
#include "cli/csv_output.h"
#include "cli/event_loop.h"
#include "cli/monitor.h"
#include "cli/stop_signals.h"
#include "faults/faults.h"
#include "protocol/clock.h"
#include "protocol/request_catalogue.h"
#include "protocol/translate.h"

namespace kalvex::cli {
namespace {

// One line, as for every error; `kalvex-cli --help` has the usage.
int MonitorUsage(const std::string& problem) {
  std::fprintf(stderr, "kalvex-cli monitor: %s\n", problem.c_str());
  return 2;
}

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
  if (const int failed = OpenCsvOutput(o, csv)) return failed;

  IgnoreBrokenPipe();
  SteadyClock clock;
  EventLoop loop(clock);
  int status = 0;
  {
    // The signal watcher goes last, after the monitor and its port.
    LoopStopSignals signals(loop);
    Monitor monitor(o, firstRequest, csv, clock, loop);
    status = monitor.run();
  }
  CloseCsvOutput(csv);
  return status;
}

}  // namespace kalvex::cli

// One run of `kalvex-cli monitor`: a session on a port, its CSV rows and
// status lines, and with --reconnect the closing and opening again of the
// port. The event loop calls deadline() and onDue(); the port's and the
// session's notifications land in the handlers below.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/event_loop.h"
#include "cli/headless_view.h"
#include "link/link_factory.h"
#include "protocol/clock.h"
#include "protocol/csv_file.h"
#include "protocol/response.h"
#include "session/log_file.h"
#include "session/session_controller.h"
#include "session/value_recorder.h"

namespace kalvex::cli {

class Monitor {
 public:
  // `csv` (may be null) stays the caller's to close; `firstRequest` is the
  // fault read or clear request that replaces the make's own first request.
  Monitor(const MonitorOptions& o, std::optional<uint8_t> firstRequest, FILE* csv,
          const Clock& clock, EventLoop& loop);
  Monitor(const Monitor&) = delete;
  Monitor& operator=(const Monitor&) = delete;

  // Runs until --duration, --replies, Ctrl-C or a failure; the exit status.
  int run();

 private:
  // --reconnect: close the port now and open it again kReconnectWait later.
  void scheduleReconnect(const std::string& why);
  void onPortError(const std::string& message);
  // Stdout or the CSV file cannot be written: the run ends, once.
  void failOutput(const char* what);
  // The ECU's StopCommunication was handled.
  void ecuStopped();
  void onResponseAccepted(const ResponseBytes& rb);
  // The open begun by a start finished (a Wi-Fi adapter connects later).
  void onOpenFinished(bool opened);
  void printFaultList();
  // Starts the session; under --reconnect a log that cannot be created is
  // given up (said once) and the session starts without it.
  void startSession();
  void writeHeader();
  std::optional<Micros> deadline() const;
  void onDue();
  void reopenIfDue(Millis now);

  const MonitorOptions& o_;
  std::optional<CsvWriter> csv_;  // each row written at once
  const Clock& clock_;
  EventLoop& loop_;
  // In this order so the port (whose threads post to the loop) goes before
  // the view and the log it reports through.
  LogFile log_;
  HeadlessView view_;
  PortLink port_;
  SessionController session_;
  // The values of the whole run, reconnections included: one time axis,
  // and each value empty until a decoder has set it in this run.
  ValueRecorder recorder_;
  Millis start_ = 0;
  long accepted_ = 0;
  Millis lastAccepted_ = 0;
  // --reconnect: when the port is to be opened again.
  std::optional<Millis> reopenAt_;
  bool portFailed_ = false;
  bool outputFailed_ = false;
  bool everOpened_ = false;  // the first open succeeded
  bool openFailed_ = false;  // the first open failed
  bool gaveUp_ = false;      // --give-up: the adapter never said a word
  // Replies that carried data: a row's values, or a fault list.
  long dataReplies_ = 0;
  bool stoppedBeforeData_ = false;
  // The fault list as last printed; printed again only when it changes.
  std::optional<std::vector<std::string>> printedFaults_;
};

}  // namespace kalvex::cli

// kalvex-cli monitor's window: the selectors as plain fields fixed by the
// arguments, the status line on stderr, the fault list kept for printing.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/command_line.h"
#include "cli/status_lines.h"
#include "protocol/clock.h"
#include "protocol/components.h"
#include "protocol/translate.h"
#include "session/log_file.h"
#include "session/session_controller.h"
#include "session/session_view.h"

namespace kalvex::cli {

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
  // The session's label: decided by its state, the text is only shown.
  void setStatusText(const std::string&) override {
    if (session_) showStatus(session_->linkStatus());
  }
  void showStatus(LinkStatus status) { print(status_.set(status, running_, clock_.now())); }
  // The session whose label this is; set once both exist.
  void attach(const SessionController& session) { session_ = &session; }
  std::optional<Millis> statusDue() const { return status_.due(); }
  // A held status line whose time has come, or any at the end of the run.
  void printDueStatus(bool flush = false) { print(status_.takeDue(clock_.now(), flush)); }
  void setFaultLines(const std::vector<std::string>& lines) override { memo1_ = lines; }
  void showError(const std::string& message) override {
    ++errors_;
    // A log failure is named here by its file and the system's own reason,
    // and is said even while reconnecting.
    if (session_ && session_->logFailures() != logFailuresSeen_) {
      logFailuresSeen_ = session_->logFailures();
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
  // The core's Russian status text, shown in the chosen language; the
  // connecting one names the address.
  void print(const std::optional<LinkStatus>& status) const {
    if (!status) return;
    std::fprintf(
        stderr, "%s\n",
        FormatText(TranslateText(StatusText(*status)), {ConnectingAddress(o_.port)}).c_str());
  }

  bool quiet_ = false;
  bool logFailed_ = false;
  const MonitorOptions& o_;
  const LogFile& log_;
  const Clock& clock_;
  bool running_ = false;
  const SessionController* session_ = nullptr;
  uint64_t logFailuresSeen_ = 0;
  StatusLines status_;
  std::vector<std::string> memo1_;
  int errors_ = 0;
};

}  // namespace kalvex::cli

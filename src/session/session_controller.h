// The diagnostic session: start/stop, the order in which an accepted reply is
// handled, the first request and the three link timers. GUI-free: the
// window is a SessionView, the port a SerialLink, time a Clock. Every pause
// and timer is a deadline; the owner calls onTimer() once nextDeadline() has
// passed. Not thread-safe: every call comes from the user-interface thread.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "adapter/adapter_driver.h"
#include "catalogue/first_request.h"
#include "protocol/clock.h"
#include "protocol/response.h"
#include "session/session_view.h"

namespace kalvex {

struct AdapterEntry;
class LogFile;
class SerialLink;
class ValueRecorder;

constexpr Millis kTimer1Interval = 10000;
constexpr Millis kTimer2Interval = 2000;
constexpr Millis kTimer3Interval = 1000;

// Shown when Button1 starts a session while ComboBox1 has no port.
inline constexpr const char* kNoPortMessage = QT_TRANSLATE_NOOP("kalvex", "Не выбран COM-порт");

// What the session shows when the log file fails with `code`: the folder
// and the reason, in the window's words.
std::string LogErrorText(const LogFile& log, int code);

class SessionController : private DriverServices {
 public:
  SessionController(SessionView& view, SerialLink& port, const Clock& clock, LogFile& log);
  ~SessionController() override;
  SessionController(const SessionController&) = delete;
  SessionController& operator=(const SessionController&) = delete;

  // Decided by the session's own state: start() while stopped opens the port
  // and starts the adapter, stop() while running closes it, stop() while the
  // port is still connecting gives the connect up; either one otherwise only
  // recomputes the link parameters. An open that finishes later (a Wi-Fi
  // adapter's connect) runs the rest of the start when it does; until then
  // the session counts as running, shows kStatusConnecting and gives the
  // open up after kOpenLimitMs.
  void start();
  void stop();
  // The clear button: the clear request at the next data send, for the
  // makes whose clear button acts.
  void clearFaults();
  // "Прочитать ошибки": the make's fault read request at the next data send.
  // Asked while idle, it waits for the next session's first data send.
  void readFaults();
  // Back from a fault read to live data: the ECU type's first data request
  // at the next data send, as a start would choose it (running sessions only).
  void resumeLiveData();
  void setLogEnabled(bool on);  // CheckBox1Click / stored setting
  bool logEnabled() const { return logEnabled_; }
  void VaComm1RxChar(size_t count);  // the port's bytes-received notification
  void onPortError(const std::string& message);
  // Earliest pending write / pause / Timer1..3 deadline, to the
  // microsecond. While a write is pending only its deadline counts: ticks
  // wait until it is written.
  std::optional<Micros> nextDeadlineMicros() const;
  // The same, rounded up to whole milliseconds for a shell whose timers
  // count those.
  std::optional<Millis> nextDeadline() const {
    const auto d = nextDeadlineMicros();
    return d ? std::optional<Millis>(CeilMillis(*d)) : std::nullopt;
  }
  // Runs everything due at clock.now().
  void onTimer();
  // Window closing: cancel a pending write, timers off, port closed.
  void shutdown();

  // Replaces the first data request the first-request table chooses in a
  // session; used by kalvex-cli monitor --faults/--clear.
  void setFirstRequestOverride(std::optional<uint8_t> number) { firstOverride_ = number; }
  // The pause before each data request (--pause), kept within 20..1000 ms;
  // K-line sessions still wait at least 55 ms.
  void setRequestPause(Millis ms) {
    st_.requestPause = std::clamp(ms, kMinRequestPause, kMaxRequestPause);
  }

  // Observers (may be empty): just before the port is opened at start, and
  // after each accepted response has been handled.
  std::function<void(int make, int ecu, int adapter)> onStarting;
  std::function<void(const ResponseBytes&)> onResponseAccepted;
  // The open begun by start() finished: the session runs (true), or the
  // failure has been shown and it is stopped (false). Not after a stop()
  // that gave the open up. May run inside start().
  std::function<void(bool opened)> onOpenFinished;

  // Every gauge value the session sets also goes to `recorder` (may be
  // null), and every accepted reply is recorded there before
  // onResponseAccepted runs. The recorder must outlive the session.
  void setRecorder(ValueRecorder* recorder) { recorder_ = recorder; }

  // A session runs, or its port is still being opened.
  bool running() const { return running_ || opening_.has_value(); }
  bool connecting() const { return opening_.has_value(); }
  // A complete line came from the adapter since the start.
  bool adapterAnswered() const { return adapterAnswered_; }
  // The label's state for a link that is not (or no longer) answering.
  LinkStatus noLinkStatus() const {
    return running_ && !adapterAnswered_ ? LinkStatus::NoAdapter : LinkStatus::NoLink;
  }
  // What the label shows now.
  LinkStatus linkStatus() const { return status_; }
  // How many log failures were shown; an error display that sees it grow
  // knows the message it shows is the log's.
  uint64_t logFailures() const { return logFailures_; }

  // Read-only views for tests and tools.
  const RequestState& sessionState() const { return st_; }
  // The current driver's set-up and receive state (empty before a start).
  const AdapterState& adapterState() const;
  bool timer2Enabled() const { return timer2_.has_value(); }
  bool timer3Enabled() const { return timer3_.has_value(); }
  bool writePending() const { return pending_.has_value(); }
  const std::vector<std::string>& faultLines() const { return memo1_; }

 private:
  // The label's state, and its text to the view.
  void showLogError(int err) {
    ++logFailures_;
    view_.showError(LogErrorText(log_, err));
  }
  void showStatus(LinkStatus s) {
    status_ = s;
    view_.setStatusText(StatusText(s));
  }
  struct Pending {
    Micros due = 0;  // the first microsecond "more than" the pause after it was asked
    std::vector<uint8_t> bytes;
    std::function<void()> after;
  };

  // DriverServices
  RequestState& state() override { return st_; }
  SerialLink& port() override { return port_; }
  int makeIndex() const override { return view_.makeIndex(); }
  int ecuTypeIndex() const override { return view_.ecuTypeIndex(); }
  void writeAfter(Millis pauseMs, std::vector<uint8_t> bytes, std::function<void()> after) override;
  void pause(Millis pauseMs) override;
  void setTimer2(bool on) override;
  void setTimer3(bool on) override;
  void lineReceived() override { adapterAnswered_ = true; }
  void logLine(LogMarker marker, const std::string& text) override;
  void showErrorOnce(const std::string& message) override;
  bool acceptResponse() override;
  bool takePendingRequest() override;

  // The start's settings, kept while the port opens.
  struct Opening {
    uint64_t attempt = 0;
    const AdapterEntry* adapter = nullptr;
    int make = -1;
    int ecu = -1;
    std::string portText;
    std::optional<Micros> deadline;  // only for an open that did not finish at once
  };

  void loadLinkParams();
  void startSession();
  void openFinished(uint64_t attempt, const std::string& error);
  void cancelOpening();
  void stopSession();
  void completePending();
  void fireTimer(int which);
  void fireTicksDueBy(Micros when);
  uint8_t applyOverride(uint8_t chosen);
  uint8_t firstRequestAt(FirstRequestPoint at) override;
  uint8_t firstDataRequest() const;
  bool ensureLogFile();
  void guarded(const std::function<void()>& fn);

  SessionView& view_;
  SerialLink& port_;
  const Clock& clock_;
  LogFile& log_;
  RequestState st_;
  std::unique_ptr<AdapterDriver> driver_;
  std::vector<std::string> memo1_;
  ValueRecorder* recorder_ = nullptr;

  bool logEnabled_ = false;
  bool logBroken_ = false;   // an I/O error was reported this session
  bool errorShown_ = false;  // showErrorOnce used this session
  bool running_ = false;
  bool adapterAnswered_ = false;  // a complete line came since the start
  bool shutDown_ = false;
  LinkStatus status_ = LinkStatus::NoLink;
  uint64_t logFailures_ = 0;
  // A request the user asked for with a button, written at the next data
  // send so that no decoder's choice overwrites it first.
  enum class Asked { None, Clear, Read, Resume };
  Asked asked_ = Asked::None;
  bool firstChosen_ = false;
  std::optional<uint8_t> firstOverride_;

  std::optional<Opening> opening_;
  uint64_t openAttempts_ = 0;
  std::optional<Pending> pending_;
  bool rxDeferred_ = false;  // a notification arrived while blocked
  Micros timer1_;
  std::optional<Micros> timer2_;
  std::optional<Micros> timer3_;
};

}  // namespace kalvex

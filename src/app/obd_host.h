// Qt glue around the generic OBD-II session, as SessionHost is for the
// makers' one: the port, the log file, the session and one precise
// single-shot timer armed to the session's earliest deadline after every
// event. The window only ever calls in and hears back through the hooks.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/deadline_timer.h"
#include "protocol/clock.h"
#include "session/obd_session.h"

namespace kalvex {

class LogFile;
class SerialLink;
class PortLink;
class ObdRoutingLink;

class ObdHost : public QObject {
  Q_OBJECT
 public:
  explicit ObdHost(QObject* parent = nullptr);
  ~ObdHost() override;

  void start(const std::string& portText, const ObdOptions& options);
  void stop();
  // "Прочитать ошибки" / "Сброс ошибок" (the latter once the user agreed);
  // false when the session is not at a stage that can take it.
  bool readCodes();
  bool clearCodes();
  void setLogEnabled(bool on) { logEnabled_ = on; }
  void shutdown();
  // A line of our own in the session's log (when it has one).
  void logNote(const std::string& text);

  // Sessions on `portText` open `target` instead: on `link` when given (the
  // in-process demo), else on the serial port (the generic simulator's own
  // pseudo-terminal behind the demo's port).
  void routePort(const std::string& portText, std::string target, SerialLink* link);

  ObdSession& session() { return *session_; }
  const ObdSession& session() const { return *session_; }
  const Clock& clock() const { return clock_; }
  bool running() const { return session_->running(); }
  // When the session started, on clock(): the CSV's time column counts from it.
  Millis startedAt() const { return startedAt_; }

  // Hooks (may be empty), on the user-interface thread.
  std::function<void(bool running)> onRunningChanged;
  std::function<void(ObdPhase)> onPhase;
  std::function<void(const std::vector<std::pair<uint32_t, uint8_t>>&)> onValues;
  std::function<void()> onCodes;
  std::function<void()> onIdentity;

 private:
  void rearm();

  SteadyClock clock_;
  std::unique_ptr<PortLink> port_;
  std::unique_ptr<ObdRoutingLink> link_;
  std::unique_ptr<LogFile> log_;
  std::unique_ptr<ObdSession> session_;
  SessionPulse pulse_;
  bool logEnabled_ = false;
  Millis startedAt_ = 0;
};

}  // namespace kalvex

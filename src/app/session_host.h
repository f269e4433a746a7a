// Qt glue around the session core: owns the port link (PortLink), the
// clock, the log file and the session controller, and one precise single-shot
// timer armed to the core's earliest deadline after every event.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "app/deadline_timer.h"
#include "protocol/clock.h"
#include "session/session_view.h"

namespace kalvex {

class LogFile;
class SerialLink;
class SessionController;
class PortLink;

class SessionHost : public QObject {
  Q_OBJECT
 public:
  SessionHost(SessionView& view, QObject* parent = nullptr);
  ~SessionHost() override;

  // The session's own start/stop and fault requests, then the timer rearmed.
  void start();
  void stop();
  void clearFaults();
  void readFaults();            // "Прочитать ошибки"
  void setLogEnabled(bool on);  // CheckBox1Click and the stored setting
  bool logEnabled() const;
  // FormClose: stop timers, cancel a pending write, close the port, before
  // anything is destroyed.
  void shutdown();

  // For the window: a session began or ended (checked after every event),
  // and a reply was handled, with the request chosen after it.
  std::function<void(bool running)> onRunningChanged;
  std::function<void(int nextRequest)> onReplyHandled;
  const Clock& clock() const { return clock_; }

  // Sessions that open `devicePath` use `link` instead of the serial port
  // (demo mode's in-process simulator). `link` must outlive this host.
  void routeDevice(const std::string& devicePath, SerialLink& link);

  SessionController& controller() { return *controller_; }
  PortLink& port() { return *port_; }

 private:
  void rearm();  // the timer to the controller's next deadline
  void command(void (SessionController::*request)());  // the request, then rearm()

  SessionView& view_;
  SteadyClock clock_;
  std::unique_ptr<PortLink> port_;  // the serial port, or a routed device's link
  std::unique_ptr<LogFile> log_;
  std::unique_ptr<SessionController> controller_;
  SessionPulse pulse_;
};

}  // namespace kalvex

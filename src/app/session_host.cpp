#include "app/session_host.h"

#include <utility>

#include "link/link_factory.h"
#include "session/log_file.h"
#include "session/session_controller.h"

namespace kalvex {

SessionHost::SessionHost(SessionView& view, QObject* parent)
    : QObject(parent),
      view_(view),
      port_(std::make_unique<PortLink>(QueuedOn(this), WindowPortBuffers())),
      log_(std::make_unique<LogFile>()),
      controller_(std::make_unique<SessionController>(view_, *port_, clock_, *log_)),
      pulse_(
          this, clock_,
          {[this] { return controller_->running(); },
           [this] { return controller_->nextDeadlineMicros(); }, [this] { controller_->onTimer(); },
           [this](bool running) {
             if (onRunningChanged) onRunningChanged(running);
           }}) {
  port_->setRxHandler([this](size_t count) {
    controller_->VaComm1RxChar(count);
    rearm();
  });
  port_->setErrorHandler([this](const std::string& message) {
    controller_->onPortError(message);
    rearm();
  });
  // A connect that finished on its own thread brings new deadlines.
  controller_->onOpenFinished = [this](bool) { rearm(); };
  controller_->onResponseAccepted = [this](const ResponseBytes&) {
    if (onReplyHandled) onReplyHandled(controller_->sessionState().nextCommand);
  };
  rearm();  // Timer1 runs from the start
}

SessionHost::~SessionHost() { shutdown(); }

void SessionHost::command(void (SessionController::*request)()) {
  (controller_.get()->*request)();
  rearm();
}

void SessionHost::start() { command(&SessionController::start); }
void SessionHost::stop() { command(&SessionController::stop); }
void SessionHost::clearFaults() { command(&SessionController::clearFaults); }
void SessionHost::readFaults() { command(&SessionController::readFaults); }

void SessionHost::routeDevice(const std::string& devicePath, SerialLink& link) {
  port_->route(devicePath, link);
}

void SessionHost::setLogEnabled(bool on) { controller_->setLogEnabled(on); }
bool SessionHost::logEnabled() const { return controller_->logEnabled(); }

void SessionHost::shutdown() {
  if (!pulse_.stop()) return;
  controller_->shutdown();
  port_->setRxHandler({});
  port_->setErrorHandler({});
}

void SessionHost::rearm() { pulse_.rearm(); }

}  // namespace kalvex

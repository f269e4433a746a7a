#include "app/session_host.h"

#include <QMetaObject>
#include <algorithm>
#include <utility>
#include <vector>

#include "link/link_factory.h"
#include "session/log_file.h"
#include "session/session_controller.h"

namespace kalvex {

namespace {

// The port as the window loads it: 5 s read time-out, no waiting for room
// in the write queue (requests are a few bytes; a full queue means the
// adapter is stuck, which the error tells at once).
TVaBuffers WindowPortBuffers() {
  TVaBuffers buffers;
  buffers.ReadTimeout = 5000;
  buffers.WriteTimeout = 0;
  return buffers;
}

}  // namespace

// The link the session holds: the serial port, except for the devices
// routed elsewhere, chosen at each open. Both keep the same handlers.
class RoutingLink final : public SerialLink {
 public:
  explicit RoutingLink(SerialLink& port) : port_(port), active_(&port) {}

  void route(const std::string& devicePath, SerialLink& link) {
    routes_.emplace_back(devicePath, &link);
    link.setRxHandler(rxHandler_);
    link.setErrorHandler(errorHandler_);
  }

  void openDevice(const std::string& path) override {
    if (active_->isOpen()) active_->closeDevice();
    active_ = &port_;
    for (const auto& [device, link] : routes_)
      if (device == path) active_ = link;
    active_->openDevice(path);
  }
  void closeDevice() override { active_->closeDevice(); }
  bool isOpen() const override { return active_->isOpen(); }
  size_t readBytes(uint8_t* dst, size_t capacity) override {
    return active_->readBytes(dst, capacity);
  }
  size_t writeBytes(const uint8_t* src, size_t count) override {
    return active_->writeBytes(src, count);
  }
  void setDtr(bool on) override { active_->setDtr(on); }
  void setRxHandler(RxHandler handler) override {
    rxHandler_ = handler;
    port_.setRxHandler(handler);
    for (auto& route : routes_) route.second->setRxHandler(handler);
  }
  void requestRxNotify() override { active_->requestRxNotify(); }
  void setErrorHandler(ErrorHandler handler) override {
    errorHandler_ = handler;
    port_.setErrorHandler(handler);
    for (auto& route : routes_) route.second->setErrorHandler(handler);
  }

 private:
  SerialLink& port_;
  SerialLink* active_;
  std::vector<std::pair<std::string, SerialLink*>> routes_;
  RxHandler rxHandler_;
  ErrorHandler errorHandler_;
};

SessionHost::SessionHost(SessionView& view, QObject* parent)
    : QObject(parent),
      view_(view),
      port_(std::make_unique<PortLink>(
          [this](std::function<void()> fn) {
            // From the port's threads to the user-interface thread; dropped by
            // Qt once this object is gone.
            QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
          },
          WindowPortBuffers())),
      link_(std::make_unique<RoutingLink>(*port_)),
      log_(std::make_unique<LogFile>()),
      controller_(std::make_unique<SessionController>(view_, *link_, clock_, *log_)) {
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, [this] { onTimer(); });
  link_->setRxHandler([this](size_t count) {
    controller_->VaComm1RxChar(count);
    rearm();
  });
  link_->setErrorHandler([this](const std::string& message) {
    controller_->onPortError(message);
    rearm();
  });
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
  link_->route(devicePath, link);
}

void SessionHost::setLogEnabled(bool on) { controller_->setLogEnabled(on); }
bool SessionHost::logEnabled() const { return controller_->logEnabled(); }

void SessionHost::shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  timer_.stop();
  controller_->shutdown();
  link_->setRxHandler({});
  link_->setErrorHandler({});
}

void SessionHost::rearm() {
  if (shutDown_) return;
  if (controller_->running() != running_) {
    running_ = controller_->running();
    if (onRunningChanged) onRunningChanged(running_);
  }
  const auto deadline = controller_->nextDeadlineMicros();
  if (!deadline) {
    timer_.stop();
    return;
  }
  // Rounded up: a timer that fired a fraction early would only be armed again.
  const Millis wait = std::max<Millis>(0, CeilMillis(*deadline - clock_.nowMicros()));
  timer_.start(static_cast<int>(std::min<Millis>(wait, 24 * 3600 * 1000)));
}

void SessionHost::onTimer() {
  if (shutDown_) return;
  controller_->onTimer();
  rearm();
}

}  // namespace kalvex

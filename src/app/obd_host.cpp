#include "app/obd_host.h"

#include <utility>

#include "link/link_factory.h"
#include "session/log_file.h"

namespace kalvex {

// The link the generic session holds: the serial port, or for a routed port
// text another device or an in-process link, chosen at each open.
class ObdRoutingLink final : public SerialLink {
 public:
  explicit ObdRoutingLink(SerialLink& port) : port_(port), active_(&port) {}

  struct Route {
    std::string portText, target;
    SerialLink* link;
  };
  void route(Route r) {
    if (r.link) {
      r.link->setRxHandler(rx_);
      r.link->setErrorHandler(error_);
    }
    routes_.push_back(std::move(r));
  }

  // choose() first: it picks the link the call then goes to.
  void openDevice(const std::string& text) override {
    const std::string path = choose(text);
    active_->openDevice(path);
  }
  // A Wi-Fi adapter connects on the port's own thread; the routed links
  // open at once.
  void beginOpen(const std::string& text, OpenDone done) override {
    const std::string path = choose(text);
    active_->beginOpen(path, std::move(done));
  }
  void cancelOpen() override { active_->cancelOpen(); }
  std::string expireOpen() override { return active_->expireOpen(); }
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
    rx_ = handler;
    port_.setRxHandler(handler);
    for (Route& r : routes_)
      if (r.link) r.link->setRxHandler(handler);
  }
  void requestRxNotify() override { active_->requestRxNotify(); }
  void setErrorHandler(ErrorHandler handler) override {
    error_ = handler;
    port_.setErrorHandler(handler);
    for (Route& r : routes_)
      if (r.link) r.link->setErrorHandler(handler);
  }

 private:
  // The link an open of `text` goes to, and the path it opens there.
  std::string choose(const std::string& text) {
    if (active_->isOpen()) active_->closeDevice();
    active_->cancelOpen();
    active_ = &port_;
    std::string path = text;
    for (const Route& r : routes_) {
      if (r.portText != text) continue;
      if (r.link) active_ = r.link;
      path = r.target;
    }
    return path;
  }

  SerialLink& port_;
  SerialLink* active_;
  std::vector<Route> routes_;
  RxHandler rx_;
  ErrorHandler error_;
};

ObdHost::ObdHost(QObject* parent)
    : QObject(parent),
      port_(std::make_unique<PortLink>(QueuedOn(this), WindowPortBuffers())),
      link_(std::make_unique<ObdRoutingLink>(*port_)),
      log_(std::make_unique<LogFile>()),
      session_(std::make_unique<ObdSession>(*link_, clock_, *log_)),
      pulse_(this, clock_,
             {[this] { return session_->running(); },
              [this] { return session_->nextDeadlineMicros(); }, [this] { session_->onTimer(); },
              [this](bool running) {
                if (onRunningChanged) onRunningChanged(running);
              }}) {
  link_->setRxHandler([this](size_t count) {
    session_->onRx(count);
    rearm();
  });
  link_->setErrorHandler([this](const std::string& message) {
    session_->onPortError(message);
    rearm();
  });
  session_->onPhase = [this](ObdPhase p) {
    if (onPhase) onPhase(p);
  };
  session_->onValues = [this](const std::vector<std::pair<uint32_t, uint8_t>>& keys) {
    if (onValues) onValues(keys);
  };
  session_->onCodes = [this] {
    if (onCodes) onCodes();
  };
  session_->onIdentity = [this] {
    if (onIdentity) onIdentity();
  };
  session_->onOpenFinished = [this] { rearm(); };
}

ObdHost::~ObdHost() { shutdown(); }

void ObdHost::routePort(const std::string& portText, std::string target, SerialLink* link) {
  link_->route({portText, std::move(target), link});
}

void ObdHost::start(const std::string& portText, const ObdOptions& options) {
  if (pulse_.stopped()) return;
  session_->setLogEnabled(logEnabled_);  // the session makes the file at its start
  startedAt_ = clock_.now();
  session_->start(portText, options);
  rearm();
}

void ObdHost::stop() {
  session_->stop();
  link_->closeDevice();
  rearm();
}

bool ObdHost::readCodes() {
  const bool asked = session_->requestCodes(false);
  rearm();
  return asked;
}

bool ObdHost::clearCodes() {
  const bool asked = session_->requestCodes(true);
  rearm();
  return asked;
}

void ObdHost::logNote(const std::string& text) {
  // A marker of its own: a replay of the log takes only the requests and
  // the adapter's lines.
  if (logEnabled_ && log_->hasFile()) log_->appendLine(" *** ", text);
}

void ObdHost::shutdown() {
  if (!pulse_.stop()) return;
  session_->stop();
  link_->closeDevice();
  link_->setRxHandler({});
  link_->setErrorHandler({});
}

void ObdHost::rearm() { pulse_.rearm(); }

}  // namespace kalvex

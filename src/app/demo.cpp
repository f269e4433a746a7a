#include "app/demo.h"

#include <QObject>
#include <QTimer>
#include <algorithm>

#include "app/main_window.h"
#include "app/obd_host.h"
#include "app/obd_panel.h"
#include "app/session_host.h"
#include "link/port_discovery.h"
#include "link/serial_link.h"
#include "session/session_controller.h"
#include "sim/adapter_sim.h"
#ifndef _WIN32
#include "sim/pty_server.h"
#endif

namespace kalvex {

// The simulated adapter on the user-interface thread: every write is fed to
// it at once and its answer becomes the bytes waiting to be read, announced
// by a queued bytes-received notification as the serial port's event
// thread would (one in flight; again after a handler that read something,
// else only after requestRxNotify()).
class InProcessDemoLink final : public SerialLink {
 public:
  explicit InProcessDemoLink(std::string devicePath) : devicePath_(std::move(devicePath)) {}
  // The generic OBD-II car behind the adapter instead of the makers' ECUs.
  InProcessDemoLink(std::string devicePath, const sim::ObdSimOptions& obd)
      : devicePath_(std::move(devicePath)), sim_(obd) {}

  void openDevice(const std::string& path) override {
    if (path != devicePath_) throw EVaCommError("Specified device not found (" + path + ").");
    open_ = true;
    armed_ = true;
    rx_.clear();
  }
  void closeDevice() override {
    open_ = false;
    rx_.clear();
  }
  bool isOpen() const override { return open_; }
  size_t readBytes(uint8_t* dst, size_t capacity) override {
    const size_t n = std::min(capacity, rx_.size());
    std::copy_n(rx_.begin(), n, dst);
    rx_.erase(0, n);
    return n;
  }
  size_t writeBytes(const uint8_t* src, size_t count) override {
    if (!open_) return 0;
    std::string now, later;
    sim_.feed(std::string_view(reinterpret_cast<const char*>(src), count), now, later);
    rx_ += now + later;
    offer();
    return count;
  }
  void setDtr(bool) override {}
  void setRxHandler(RxHandler handler) override { rxHandler_ = std::move(handler); }
  void requestRxNotify() override {
    armed_ = true;
    offer();
  }
  void setErrorHandler(ErrorHandler) override {}  // nothing here can fail

  void select(int make, int ecu) { sim_.ecu().select(make, ecu); }

 private:
  void offer() {
    if (!open_ || !armed_ || inFlight_ || rx_.empty()) return;
    inFlight_ = true;
    QTimer::singleShot(0, &context_, [this] { deliver(); });
  }
  void deliver() {
    inFlight_ = false;
    if (!open_ || rx_.empty() || !rxHandler_) return;
    const size_t before = rx_.size();
    RxHandler handler = rxHandler_;  // may replace itself or close the link
    handler(before);
    armed_ = rx_.size() < before;
    offer();
  }

  std::string devicePath_;
  sim::AdapterSim sim_;
  std::string rx_;
  RxHandler rxHandler_;
  bool open_ = false;
  bool armed_ = true;
  bool inFlight_ = false;
  QObject context_;  // pending notifications die with the link
};

namespace {

class InProcessDemoSimulator final : public DemoSimulator {
 public:
  // A name no serial driver registers, opened as it is.
  static constexpr const char* kPort = "\\\\.\\KalvexDemo";
  static constexpr const char* kObdPort = "\\\\.\\KalvexDemoObd";

  InProcessDemoSimulator()
      : link_(DevicePathForPortText(kPort)),
        obdLink_(DevicePathForPortText(kObdPort), sim::ObdSimOptions{}) {}
  std::string portPath() const override { return kPort; }
  void select(int make, int ecu) override { link_.select(make, ecu); }
  SerialLink* link() override { return &link_; }
  std::string obdTarget() const override { return DevicePathForPortText(kObdPort); }
  SerialLink* obdLink() override { return &obdLink_; }

 private:
  InProcessDemoLink link_;
  InProcessDemoLink obdLink_;
};

#ifndef _WIN32
class PtyDemoSimulator final : public DemoSimulator {
 public:
  PtyDemoSimulator(std::unique_ptr<sim::PtyServer> server, std::unique_ptr<sim::PtyServer> obd)
      : server_(std::move(server)), obd_(std::move(obd)) {}
  std::string portPath() const override { return server_->slavePath(); }
  void select(int make, int ecu) override { server_->select(make, ecu); }
  sim::PtyServer* server() override { return server_.get(); }
  std::string obdTarget() const override { return obd_->slavePath(); }
  sim::PtyServer* obdServer() override { return obd_.get(); }

 private:
  std::unique_ptr<sim::PtyServer> server_;
  std::unique_ptr<sim::PtyServer> obd_;  // the generic car, on a terminal of its own
};
#endif

}  // namespace

std::unique_ptr<DemoSimulator> StartInProcessDemoSimulator() {
  return std::make_unique<InProcessDemoSimulator>();
}

std::unique_ptr<DemoSimulator> StartDemoSimulator(std::string& error) {
#ifdef _WIN32
  error.clear();
  return StartInProcessDemoSimulator();
#else
  sim::PtyServerOptions options;  // no ECU until a session starts, no delay, no SEARCHING
  auto server = sim::PtyServer::Start(options, error);
  if (!server) return nullptr;
  sim::PtyServerOptions obdOptions;
  obdOptions.obd = sim::ObdSimOptions{};
  auto obd = sim::PtyServer::Start(obdOptions, error);
  if (!obd) return nullptr;
  return std::make_unique<PtyDemoSimulator>(std::move(server), std::move(obd));
#endif
}

void AttachDemoSimulator(DemoSimulator& sim, MainWindow& form) {
  SessionHost* host = form.sessionHost();
  if (!host) return;
  if (SerialLink* link = sim.link())
    host->routeDevice(DevicePathForPortText(sim.portPath()), *link);
  if (ObdPanel* obd = form.obdPanel())
    obd->host().routePort(sim.portPath(), sim.obdTarget(), sim.obdLink());
  SessionController& controller = host->controller();
  // Keep whatever else listens to the start.
  auto previous = controller.onStarting;
  controller.onStarting = [&sim, previous](int make, int ecu, int adapter) {
    sim.select(make, ecu);
    if (previous) previous(make, ecu, adapter);
  };
}

}  // namespace kalvex

#include "app/demo.h"

#include "app/main_window.h"
#include "app/session_host.h"
#include "session/session_controller.h"
#include "sim/pty_server.h"

namespace kalvex {
namespace {

class PtyDemoSimulator final : public DemoSimulator {
 public:
  explicit PtyDemoSimulator(std::unique_ptr<sim::PtyServer> server) : server_(std::move(server)) {}
  std::string portPath() const override { return server_->slavePath(); }
  void select(int make, int ecu) override { server_->select(make, ecu); }
  sim::PtyServer& server() override { return *server_; }

 private:
  std::unique_ptr<sim::PtyServer> server_;
};

}  // namespace

std::unique_ptr<DemoSimulator> StartDemoSimulator(std::string& error) {
#ifdef _WIN32
  error = "demo mode needs pseudo-terminals, which this system lacks";
  return nullptr;
#else
  sim::PtyServerOptions options;  // no ECU until a session starts, no delay, no SEARCHING
  auto server = sim::PtyServer::Start(options, error);
  if (!server) return nullptr;
  return std::make_unique<PtyDemoSimulator>(std::move(server));
#endif
}

void AttachDemoSimulator(DemoSimulator& sim, TForm1& form) {
  SessionHost* host = form.sessionHost();
  if (!host) return;
  SessionController& controller = host->controller();
  // Keep whatever else listens to the start.
  auto previous = controller.onStarting;
  controller.onStarting = [&sim, previous](int make, int ecu, int adapter) {
    sim.select(make, ecu);
    if (previous) previous(make, ecu, adapter);
  };
}

}  // namespace kalvex

// Demo mode: a simulated adapter and ECU offered as the first port of the
// list. On POSIX it serves a pseudo-terminal, so the session goes through the
// real serial port; Windows has no pseudo-terminals, so there the simulator
// answers in-process through a link of its own.
#pragma once

#include <memory>
#include <string>

namespace kalvex {

class SerialLink;
class MainWindow;
namespace sim {
class PtyServer;
}

class DemoSimulator {
 public:
  virtual ~DemoSimulator() = default;
  // The port text listed for the simulator.
  virtual std::string portPath() const = 0;
  // The ECU type behind the simulated adapter (thread-safe, at any time).
  virtual void select(int make, int ecu) = 0;
  // The link sessions on portPath() use instead of the serial port; null
  // when portPath() is a device the serial port opens itself.
  virtual SerialLink* link() { return nullptr; }
  // The pseudo-terminal's server, for checks; null for the in-process one.
  virtual sim::PtyServer* server() { return nullptr; }
  // The generic OBD-II car the demo's port leads to in generic mode: the
  // device sessions open instead, and the link they open it on (null: the
  // serial port).
  virtual std::string obdTarget() const = 0;
  virtual SerialLink* obdLink() { return nullptr; }
  virtual sim::PtyServer* obdServer() { return nullptr; }
};

// Returns null and fills `error` when the simulator cannot start. It answers
// at once (no reply delay) and without the SEARCHING... text.
std::unique_ptr<DemoSimulator> StartDemoSimulator(std::string& error);
// The simulator answering in-process on the user-interface thread, as
// Windows uses it (any platform; never fails).
std::unique_ptr<DemoSimulator> StartInProcessDemoSimulator();
// Lets the simulator follow the make and ECU type chosen at each start, and
// routes the sessions on its port to its link. The simulator must outlive
// the window's session.
void AttachDemoSimulator(DemoSimulator& sim, MainWindow& form);

}  // namespace kalvex

// Demo mode: a simulated adapter and ECU on a pseudo-terminal, offered as
// the first port of the list.
#pragma once

#include <memory>
#include <string>

namespace kalvex {

class TForm1;
namespace sim {
class PtyServer;
}

class DemoSimulator {
 public:
  virtual ~DemoSimulator() = default;
  virtual std::string portPath() const = 0;
  // The ECU type behind the simulated adapter (thread-safe, at any time).
  virtual void select(int make, int ecu) = 0;
  virtual sim::PtyServer& server() = 0;
};

// Returns null and fills `error` when the simulator cannot start. It answers
// at once (no reply delay) and without the SEARCHING... text.
std::unique_ptr<DemoSimulator> StartDemoSimulator(std::string& error);
// Lets the simulator follow the make and ECU type chosen at each start. The
// simulator must outlive the form's session.
void AttachDemoSimulator(DemoSimulator& sim, TForm1& form);

}  // namespace kalvex

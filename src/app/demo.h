// Demo mode: a simulated adapter and ECU on a pseudo-terminal, offered as
// the first port of the list.
#pragma once

#include <memory>
#include <string>

namespace kalvex {

class TForm1;

class DemoSimulator {
 public:
  virtual ~DemoSimulator() = default;
  virtual std::string portPath() const = 0;
};

// Returns null and fills `error` when the simulator cannot start.
std::unique_ptr<DemoSimulator> StartDemoSimulator(std::string& error);
// Lets the simulator follow the make and ECU type chosen at each start.
void AttachDemoSimulator(DemoSimulator& sim, TForm1& form);

}  // namespace kalvex

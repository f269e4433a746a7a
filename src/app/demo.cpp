#include "app/demo.h"

namespace kalvex {

// Placeholder until the simulator lands.
std::unique_ptr<DemoSimulator> StartDemoSimulator(std::string& error) {
  error = "the simulator is not built yet";
  return nullptr;
}
void AttachDemoSimulator(DemoSimulator&, TForm1&) {}

}  // namespace kalvex

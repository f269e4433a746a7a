// kalvex-cli monitor against adapters that misbehave: the run ends when it
// should, with the right exit status and status texts, however the adapter
// talks.
#include "e2e/adapter_faults.h"

#include <gtest/gtest.h>

namespace kalvex::testing {
namespace {

TEST(AdapterFaults, MonitorHoldsAndTellsWhatHappened) {
  const std::vector<FaultScenario> scenarios = FaultScenarios();
  std::vector<RunningScenario> running = StartScenarios(scenarios);
  ASSERT_EQ(running.size(), scenarios.size());
  for (RunningScenario& r : running) {
    const FaultScenario& s = *r.scenario;
    EXPECT_EQ(r.monitor->wait(60), s.exitStatus) << s.name << ": " << r.monitor->err();
    const std::string err = r.monitor->err();
    size_t at = 0;
    for (const std::string& text : s.stderrInOrder) {
      const size_t found = err.find(text, at);
      EXPECT_NE(found, std::string::npos) << s.name << ": \"" << text << "\" in order in\n" << err;
      if (found != std::string::npos) at = found + text.size();
    }
  }
}

}  // namespace
}  // namespace kalvex::testing

// ZAZ (make 8) and IZH (make 9): one Микас type each, both answering the
// same long reply to 21 01.
#include "sim/ecu_layouts.h"

namespace kalvex::sim {
namespace {

// Микас 7.6/10.3/11.3/10.3+/11.3+ and Микас 7.6
const EcuLayout kMikas = {{
    Reply(Local(0x01), 38,
          {
              Rpm(Word(18, 19), {1, 100, 0, true}, {1, 1}),
              Coolant(30, kMinus40),
              Intake(31, kMinus40),
              AirFlow(Word(26, 27), kTenths),
              Throttle(Word(20, 21), kTenths),
              Injection(Word(24, 25), {1, 100}),
              Battery(37, kTenths),
              Speed(36),
          }),
}};

}  // namespace

const EcuLayout* ZazLayout(int ecu) { return ecu == 0 ? &kMikas : nullptr; }
const EcuLayout* IzhLayout(int ecu) { return ZazLayout(ecu); }

}  // namespace kalvex::sim

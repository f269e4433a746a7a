// SUZUKI (make 16): both GRAND VITARA types answer one long reply to 21 00.
// Words high byte first. The reply carries no supply voltage.
#include "sim/ecu_layouts.h"

namespace kalvex::sim {
namespace {

// GRAND VITARA v.1 and v.2 (they differ only in the K-line address)
const EcuLayout kGrandVitara = {{
    Reply(Local(0x00), 41,
          {
              Coolant(16, kMinus40),
              Map(21),
              Rpm(Word(22, 23), {1, 400}, {1, 4}),
              Speed(24),
              Intake(26, kMinus40),
              Throttle(38, kPercent),
              Injection(Word(39, 40), {1, 1000}),
          }),
}};

}  // namespace

const EcuLayout* SuzukiLayout(int ecu) { return ecu == 0 || ecu == 1 ? &kGrandVitara : nullptr; }

}  // namespace kalvex::sim

// DAEWOO and CHEVROLET (makes 12 and 13): the one SIRIUS type answers 21 02
// with every gauge. Words high byte first.
#include "sim/ecu_layouts.h"

namespace kalvex::sim {
namespace {

// SIRIUS D3/D4/D42
const EcuLayout kSirius = {{
    Reply(Local(0x02), 19,
          {
              Rpm(Word(7, 8), {1, 100, 0, true}, {1, 1}),
              Coolant(2, {191.4L, 255, -49}),
              Intake(3, {191.4L, 255, -49}),
              Map(11, {119, 255}),
              Throttle(4, kPercent),
              Injection(Word(17, 18), {1, 250}),
              Battery(5, {1, 8}),
              Speed(6),
          }),
}};

}  // namespace

const EcuLayout* DaewooLayout(int ecu) { return ecu == 0 ? &kSirius : nullptr; }
const EcuLayout* ChevroletLayout(int ecu) { return DaewooLayout(ecu); }

}  // namespace kalvex::sim

// KIA (make 11): engine data in the reply to 21 02, vehicle speed in the
// reply to 21 03. Words low byte first.
#include "sim/ecu_layouts.h"

namespace kalvex::sim {
namespace {

// The engine data of both types; the load row (air flow or manifold
// pressure) stands in the same place.
EcuLayout EngineData(Field load) {
  return {{
      Reply(Local(0x02), 46,
            {
                Rpm(29, {40, 100}, {40, 1}),
                Coolant(33, {191.2L, 255, -49}),
                Intake(35, {191.2L, 255, -49}),
                std::move(load),
                Throttle(26, kPercent),
                Injection(Word(45, 44), {262.1L, 65536}),
                Battery(31, {24, 255}),
            }),
      Reply(Local(0x03), 49, {Speed(48, {320, 256})}),
  }};
}

// ECU_v.1 (1.4L/1.6L MAF) CAN
const EcuLayout kEcuV1 = EngineData(AirFlow(Word(9, 8), kTenths));
// ECU_v.2 (1.4L/1.6L MAP) CAN: manifold pressure in place of the air flow.
const EcuLayout kEcuV2 = EngineData(Map(Word(17, 16), {2560, 65536000}));

const EcuLayout* const kKia[] = {&kEcuV1, &kEcuV2};

}  // namespace

const EcuLayout* KiaLayout(int ecu) { return TypeAt(kKia, ecu); }

}  // namespace kalvex::sim

// GAZ (make 3) and UAZ (make 4): UAZ has the first four GAZ ECU types under
// the same indices; only GAZ has the Euro-5 type on 22 00 01.
#include "sim/ecu_layouts.h"

namespace kalvex::sim {
namespace {

constexpr Scale kTenthsRounded{1, 10, 0, true};

// Bosch ME17.9.7 Euro-3 and Euro-4. The speed word only reaches 2 km/h at
// full scale, so the simulated speed saturates there.
const EcuLayout kMe1797 = {{
    Reply(Local(0x01), 110,
          {
              Rpm(Word(2, 3), {1, 400, 0, true}, {1, 4, 0, true}),
              Coolant(Word(8, 9), {0.75L, 1, -48, true}),
              Intake(11, {0.75L, 1, -48, true}),
              AirFlow(Word(19, 20), kTenthsRounded),
              Throttle(Word(25, 26), {15984, 655360}),
              Injection(Word(27, 28), {41942, 6553600}),
              Battery(49, kTenths),
              Speed(Word(108, 109), {2, 65536, 0, true}),
          }),
}};

// Микас 10.3/11.3
const EcuLayout kMikas103 = {{
    Reply(Local(0x01), 38,
          {
              Rpm(Word(18, 19), {1, 100, 0, true}, {1, 1}),
              Throttle(Word(20, 21), kTenths),
              Injection(Word(24, 25), {1, 100}),
              Battery(37, kTenths),
              Speed(36),
              AirFlow(Word(26, 27), kTenthsRounded),
              Coolant(30, kMinus40),
              Intake(31, kMinus40),
          }),
}};

// Микас 11 Euro-2: words low byte first; the battery comes on 21 03.
constexpr Scale kPer128Rounded{1, 128, 0, true};
const EcuLayout kMikas11 = {{
    Reply(Local(0x01), 43,
          {
              Rpm(Word(3, 2), {1, 200, 0, true}, {1, 2, 0, true}),
              Coolant(Word(5, 4), kPer128Rounded),
              Intake(Word(7, 6), kPer128Rounded),
              AirFlow(Word(23, 22), kPer128Rounded),
              Throttle(Word(9, 8), {1, 128}),
              Injection(Word(19, 18), {1, 200}),
              Speed(Word(42, 41)),
          }),
    Reply(Local(0x03), 4, {Battery(Word(3, 2), {1, 256})}),
}};

// Bosch ME 17.9.71 Euro-5 (GAZ only)
const EcuLayout kMe17971 = {{
    Reply(Common(0x00, 0x01), 38,
          {
              Battery(4, kTenths),
              Coolant(5, {0.75L, 1, -49}),
              Rpm(Word(6, 7), {1, 400}, {1, 4}),
              Speed(8, {1.25L, 1, 0, true}),
              Injection(Word(10, 11), {419.4L, 65535}),
              Throttle(Word(12, 13), {800, 32767}),
              AirFlow(Word(18, 19), {0.1L}),
              Intake(37, {0.75L, 1, -49}),
          }),
}};

const EcuLayout* const kGaz[] = {&kMe1797, &kMikas103, &kMikas11, &kMe1797, &kMe17971};
constexpr int kUazTypes = 4;  // the first four of GAZ

}  // namespace

const EcuLayout* GazLayout(int ecu) { return TypeAt(kGaz, ecu); }

const EcuLayout* UazLayout(int ecu) { return ecu < kUazTypes ? GazLayout(ecu) : nullptr; }

}  // namespace kalvex::sim

// CITROEN (make 14) and PEUGEOT (make 15): every type answers 21 C0 80 01
// and 21 C4 80 01; which quantity sits in which reply is per type.
#include "sim/ecu_layouts.h"

namespace kalvex::sim {
namespace {

// The replies echo the service and the first identifier byte only.
DataReply ReplyC0(std::initializer_list<Rows> rows) {
  return EchoingReply({0x21, 0xC0, 0x80, 0x01}, 2, 16, rows);
}
DataReply ReplyC4(std::initializer_list<Rows> rows) {
  return EchoingReply({0x21, 0xC4, 0x80, 0x01}, 2, 21, rows);
}

// The layout of the types with the engine data in the 0xC0 reply (engine
// speed 32 rpm a step, the battery in tenths) and the speed alone in the
// 0xC4 reply, one km/h per bit. They differ in the scales and the throttle.
EcuLayout EngineInC0(Scale temperature, Scale map, Field throttle, Scale injection) {
  return {{
      ReplyC0({
          Rpm(2, {32, 100}, {32, 1}),
          Coolant(12, temperature),
          Intake(14, temperature),
          Map(15, map),
          std::move(throttle),
          Injection(6, injection),
          Battery(3, kTenths),
      }),
      ReplyC4({Speed(20)}),
  }};
}

// CITROEN Sagem S 2000 PM1
const EcuLayout kSagem = EngineInC0(kMinus40, {1305, 255}, Throttle(8), {209, 255});

// CITROEN 1.6L 16V NFU: engine speed and voltage come with the speed.
const EcuLayout kNfu = {{
    ReplyC0({
        Coolant(12, {191.4L, 255, -48}),
        Intake(14, {191.4L, 255, -48}),
        Map(15, {10}),
        Throttle(8),
        Injection(6, {99.44L, 255}),
    }),
    ReplyC4({
        Rpm(2, {40, 100}, {40, 1}),
        Battery(3, {28.1L, 255}),
        Speed(20, {318, 255}),
    }),
}};

// CITROEN 2.0L 16V RFJ/RFN: throttle in byte 9.
const EcuLayout kRfj = EngineInC0(kMinus40, {3977, 255}, Throttle(9, {120, 255}), {99.44L, 255});

// PEUGEOT MM6LP/MM4.8P(M): temperatures fall as the byte rises.
const EcuLayout kMm6lp = EngineInC0({-184, 255, 155}, {400, 255}, Throttle(8), {100, 255});

const EcuLayout* const kCitroen[] = {&kSagem, &kNfu, &kRfj};

}  // namespace

const EcuLayout* CitroenLayout(int ecu) { return TypeAt(kCitroen, ecu); }

const EcuLayout* PeugeotLayout(int ecu) { return ecu == 0 ? &kMm6lp : nullptr; }

}  // namespace kalvex::sim

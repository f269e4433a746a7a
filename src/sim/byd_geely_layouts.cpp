// BYD (make 5) and Geely (make 6): every type answers one long reply to
// 21 01. BYD's F3 Delphi MT20U answers as Chery's Tiggo Delphi does.
#include "sim/ecu_layouts.h"

namespace kalvex::sim {
namespace {

// M797: no intake air.
const EcuLayout kM797 = {{
    Reply(Local(0x01), 58,
          {
              Rpm(Word(34, 35), {1, 400, 0, true}, {1, 4, 0, true}),
              Coolant(41, kMinus40),
              AirFlow(Word(50, 51), kTenths),
              Throttle(24, kPercent),
              Injection(Word(56, 57), {0.39L, 255}),
              Battery(33, {0.07L}),
              Speed(38),
          }),
}};

// Delphi MT20/MT80: no throttle.
const EcuLayout kDelphiMt20 = {{
    Reply(Local(0x01), 43,
          {
              Rpm(Word(39, 40), {1, 100, 0, true}, {1, 1}),
              Coolant(24, kMinus40),
              Intake(22, kMinus40),
              Map(19, {94.41L, 255, 10.35L}),
              Injection(Word(41, 42), {1, 128}),
              Battery(20, kTenths),
              Speed(38),
          }),
}};

const EcuLayout* const kGeely[] = {&kM797, &kDelphiMt20};

}  // namespace

const EcuLayout* BydLayout(int ecu) { return ecu == 0 ? CheryLayout(0) : nullptr; }

const EcuLayout* GeelyLayout(int ecu) { return TypeAt(kGeely, ecu); }

}  // namespace kalvex::sim

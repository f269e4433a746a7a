// HYUNDAI (make 1): most types answer several local identifiers, each with a
// part of the live data; words are sent low byte first (the high byte sits at
// the higher index).
#include <iterator>

#include "sim/ecu_layouts.h"

namespace kalvex::sim {
namespace {

using C = Component;
using Q = Quantity;

constexpr int kByte = -1;

// Replies that several types send alike.
// The speed (0x06) and injection time (0x03) of ECU_v.2, v.3 and v.4.
const DataReply kSpeedAt10 = {
    {0x21, 0x06},
    {0x61, 0x06},
    14,
    {
        {{C::VS_Speed, C::VI_Speed}, 10, kByte, 1.25L, 1, 0, true, Q::Speed},
    }};
const DataReply kInjectionAt10 = {{0x21, 0x03},
                                  {0x61, 0x03},
                                  14,
                                  {
                                      {{C::VS_DV}, 10, kByte, 208.1L, 255, 0, false, Q::Injection},
                                  }};
// Injection time and speed (0x02) of ECU_v.9, v.10 and v.14.
const DataReply kCanInjectionAndSpeed = {
    {0x21, 0x02},
    {0x61, 0x02},
    28,
    {
        {{C::VS_DV}, 25, 24, 53717.21L, 65535, 0, false, Q::Injection},
        {{C::VS_Speed, C::VI_Speed}, 14, kByte, 319, 255, 0, false, Q::Speed},
    }};
// The throttle word (0x1F) of ECU_v.10 and v.14.
const DataReply kThrottleWord = {{0x21, 0x1F},
                                 {0x61, 0x1F},
                                 10,
                                 {
                                     {{C::VS_THR}, 7, 6, 480, 65535, 0, false, Q::Throttle},
                                 }};

// ECU_v.1 (1.3L/1.5L/1.6L)
const EcuLayout kV1 = {{
    {{0x21, 0x06},
     {0x61, 0x06},
     8,
     {
         {{C::VS_Speed, C::VI_Speed}, 2, kByte, 1.25L, 1, 0, true, Q::Speed},
         {{C::VS_Nmot}, 6, 5, 1, 400, 0, true, Q::RpmHundreds},
         {{C::VI_Nmot}, 6, 5, 1, 4, 0, true, Q::Rpm},
     }},
    {{0x21, 0x03},
     {0x61, 0x03},
     10,
     {
         {{C::VS_Ub, C::VI_Ub}, 4, kByte, 17.9L, 255, 0, false, Q::Battery},
         {{C::VS_TOG}, 5, kByte, 0.75L, 1, -48, true, Q::Coolant},
         {{C::VS_TANS}, 6, kByte, 0.75L, 1, -48, true, Q::Intake},
         {{C::VS_THR}, 7, kByte, 100, 255, 0, false, Q::Throttle},
     }},
    {{0x21, 0x04},
     {0x61, 0x04},
     10,
     {
         {{C::VS_DV}, 7, 6, 175, 65535, 0, false, Q::Injection},
         {{C::VS_MAP}, 3, 2, 256, 65535, 0, true, Q::Map},
     }},
}};

// ECU_v.2 (1.3L/1.5L/1.6L) and ECU_v.4 (1.6L)
const EcuLayout kV2 = {{
    kSpeedAt10,
    {{0x21, 0x02},
     {0x61, 0x02},
     34,
     {
         {{C::VS_MAP}, 13, 12, 256, 65535, 0, false, Q::Map},
         {{C::VS_THR}, 22, kByte, 100, 255, 0, false, Q::Throttle},
         {{C::VS_Ub, C::VI_Ub}, 27, kByte, 17.9L, 255, 0, false, Q::Battery},
         {{C::VS_TOG}, 29, kByte, 0.75L, 1, -48, true, Q::Coolant},
         {{C::VS_TANS}, 31, kByte, 0.75L, 1, -48, true, Q::Intake},
     }},
    {{0x21, 0x05},
     {0x61, 0x05},
     14,
     {
         {{C::VS_Nmot}, 10, 9, 1, 400, 0, true, Q::RpmHundreds},
         {{C::VI_Nmot}, 10, 9, 1, 4, 0, true, Q::Rpm},
     }},
    kInjectionAt10,
}};

// ECU_v.3 (1.1L/1.3L/1.5L/1.6L): engine speed in the 0x02 block, 40 rpm a step.
const EcuLayout kV3 = {{
    kSpeedAt10,
    {{0x21, 0x02},
     {0x61, 0x02},
     34,
     {
         {{C::VS_MAP}, 13, 12, 256, 65535, 0, false, Q::Map},
         {{C::VS_THR}, 22, kByte, 100, 255, 0, false, Q::Throttle},
         {{C::VS_Nmot}, 25, kByte, 40, 100, 0, true, Q::RpmHundreds},
         {{C::VI_Nmot}, 25, kByte, 40, 1, 0, false, Q::Rpm},
         {{C::VS_Ub, C::VI_Ub}, 27, kByte, 17.9L, 255, 0, false, Q::Battery},
         {{C::VS_TOG}, 29, kByte, 0.75L, 1, -48, true, Q::Coolant},
         {{C::VS_TANS}, 31, kByte, 0.75L, 1, -48, true, Q::Intake},
     }},
    kInjectionAt10,
}};

// ECU_v.5 (1.8L/2.0L): one 21 01 reply carries everything.
const EcuLayout kV5 = {{
    {{0x21, 0x01},
     {0x61, 0x01},
     48,
     {
         {{C::VS_Ub, C::VI_Ub}, 2, kByte, 25.9L, 255, 0, false, Q::Battery},
         {{C::VS_TOG}, 5, kByte, 191.1L, 255, -49, false, Q::Coolant},
         {{C::VS_TANS}, 7, kByte, 191.1L, 255, -49, false, Q::Intake},
         {{C::VS_THR}, 9, kByte, 120, 255, 0, false, Q::Throttle},
         {{C::VS_MAP}, 16, 15, 5205.3L, 655350, 0, false, Q::Map},
         {{C::VS_Speed, C::VI_Speed}, 20, kByte, 1, 1, 0, false, Q::Speed},
         {{C::VS_Nmot}, 22, 21, 1, 100, 0, false, Q::RpmHundreds},
         {{C::VI_Nmot}, 22, 21, 1, 1, 0, false, Q::Rpm},
         {{C::VS_DV}, 45, 44, 262.1L, 65535, 0, false, Q::Injection},
     }},
}};

// ECU_v.6 (1.8L/2.0L CVVT): air mass instead of manifold pressure.
const EcuLayout kV6 = {{
    {{0x21, 0x01},
     {0x61, 0x01},
     80,
     {
         {{C::VS_Ub, C::VI_Ub}, 2, kByte, 25.9L, 255, 0, false, Q::Battery},
         {{C::VS_TOG}, 5, kByte, 191.1L, 255, -49, false, Q::Coolant},
         {{C::VS_TANS}, 10, kByte, 191.1L, 255, -49, false, Q::Intake},
         {{C::VS_THR}, 12, kByte, 120, 255, 0, false, Q::Throttle},
         {{C::VS_MRV}, 17, 16, 2048, 65535, 0, false, Q::AirFlow},
         {{C::VS_Speed, C::VI_Speed}, 31, kByte, 1, 1, 0, false, Q::Speed},
         {{C::VS_Nmot}, 33, 32, 1, 100, 0, false, Q::RpmHundreds},
         {{C::VI_Nmot}, 33, 32, 1, 1, 0, false, Q::Rpm},
         {{C::VS_DV}, 78, 77, 262.1L, 65535, 0, false, Q::Injection},
     }},
}};

// ECU_v.7 (2.7L)
const EcuLayout kV7 = {{
    {{0x21, 0x01},
     {0x61, 0x01},
     60,
     {
         {{C::VS_Ub, C::VI_Ub}, 2, kByte, 25.9L, 255, 0, false, Q::Battery},
         {{C::VS_TOG}, 5, kByte, 191.1L, 255, -49, false, Q::Coolant},
         {{C::VS_TANS}, 7, kByte, 191.1L, 255, -49, false, Q::Intake},
         {{C::VS_THR}, 9, kByte, 120, 255, 0, false, Q::Throttle},
         {{C::VS_MRV}, 14, 13, 13347.3L, 65535, 0, false, Q::AirFlow},
         {{C::VS_Speed, C::VI_Speed}, 20, kByte, 1, 1, 0, false, Q::Speed},
         {{C::VS_Nmot}, 22, 21, 1, 100, 0, false, Q::RpmHundreds},
         {{C::VI_Nmot}, 22, 21, 1, 1, 0, false, Q::Rpm},
         {{C::VS_DV}, 57, 56, 262.1L, 65535, 0, false, Q::Injection},
     }},
}};

// ECU_v.8 (1.4L/1.6L) CAN and ECU_v.12 (1.6L) CAN
const EcuLayout kV8 = {{
    {{0x21, 0x02},
     {0x61, 0x02},
     48,
     {
         {{C::VS_MAP}, 17, 16, 2560, 65536000, 0, false, Q::Map},
         {{C::VS_THR}, 26, kByte, 100, 255, 0, false, Q::Throttle},
         {{C::VS_Ub, C::VI_Ub}, 31, kByte, 24, 255, 0, false, Q::Battery},
         {{C::VS_Nmot}, 29, kByte, 40, 100, 0, false, Q::RpmHundreds},
         {{C::VI_Nmot}, 29, kByte, 40, 1, 0, false, Q::Rpm},
         {{C::VS_TOG}, 33, kByte, 191.2L, 255, -49, false, Q::Coolant},
         {{C::VS_TANS}, 35, kByte, 191.1L, 255, -49, false, Q::Intake},
         {{C::VS_DV}, 45, 44, 262.1L, 65536, 0, false, Q::Injection},
     }},
    {{0x21, 0x03},
     {0x61, 0x03},
     52,
     {
         {{C::VS_Speed, C::VI_Speed}, 48, kByte, 320, 256, 0, false, Q::Speed},
     }},
}};

// ECU_v.9 (1.4L/1.6L) CAN
const EcuLayout kV9 = {{
    {{0x21, 0x01},
     {0x61, 0x01},
     40,
     {
         {{C::VS_THR}, 22, kByte, 100, 255, 0, false, Q::Throttle},
         {{C::VS_Ub, C::VI_Ub}, 7, kByte, 17.37L, 255, 0, false, Q::Battery},
         {{C::VS_Nmot}, 10, 9, 1, 400, 0, false, Q::RpmHundreds},
         {{C::VI_Nmot}, 10, 9, 1, 4, 0, false, Q::Rpm},
         {{C::VS_MRV}, 15, 14, 1, 4, 0, false, Q::AirFlow},
         {{C::VS_TOG}, 27, kByte, 191.4L, 255, -49, false, Q::Coolant},
         {{C::VS_TANS}, 35, kByte, 191.1L, 255, -49, false, Q::Intake},
     }},
    kCanInjectionAndSpeed,
}};

// ECU_v.10 (2.0L) CAN
const EcuLayout kV10 = {{
    {{0x21, 0x01},
     {0x61, 0x01},
     40,
     {
         {{C::VS_Ub, C::VI_Ub}, 7, kByte, 17.37L, 255, 0, false, Q::Battery},
         {{C::VS_Nmot}, 10, 9, 1, 400, 0, false, Q::RpmHundreds},
         {{C::VI_Nmot}, 10, 9, 1, 4, 0, false, Q::Rpm},
         {{C::VS_MAP}, 19, 18, 2560, 65536000, 0, false, Q::Map},
         {{C::VS_TOG}, 27, kByte, 191.4L, 255, -49, false, Q::Coolant},
         {{C::VS_TANS}, 35, kByte, 191.1L, 255, -49, false, Q::Intake},
     }},
    kCanInjectionAndSpeed,
    kThrottleWord,
}};

// ECU_v.11 (2.7L) CAN: no coolant, no injection time.
const EcuLayout kV11 = {{
    {{0x21, 0x02},
     {0x61, 0x02},
     40,
     {
         {{C::VS_Ub, C::VI_Ub}, 31, kByte, 17.37L, 255, 0, false, Q::Battery},
         {{C::VS_Nmot}, 29, kByte, 40, 100, 0, false, Q::RpmHundreds},
         {{C::VI_Nmot}, 29, kByte, 40, 1, 0, false, Q::Rpm},
         {{C::VS_MAP}, 17, 16, 2560, 65536000, 0, false, Q::Map},
         {{C::VS_TANS}, 35, kByte, 191.1L, 255, -49, false, Q::Intake},
     }},
    {{0x21, 0x03},
     {0x61, 0x03},
     52,
     {
         {{C::VS_Speed, C::VI_Speed}, 48, kByte, 319, 255, 0, false, Q::Speed},
     }},
    {{0x21, 0x06},
     {0x61, 0x06},
     10,
     {
         {{C::VS_THR}, 7, 6, 480, 65535, 0, false, Q::Throttle},
     }},
}};

// ECU_v.13 (2.0L) CAN
const EcuLayout kV13 = {{
    {{0x21, 0x02},
     {0x61, 0x02},
     48,
     {
         {{C::VS_MAP}, 17, 16, 2560, 65536000, 0, false, Q::Map},
         {{C::VS_THR}, 26, kByte, 100, 255, 0, false, Q::Throttle},
         {{C::VS_Ub, C::VI_Ub}, 31, kByte, 17.4L, 255, 0, false, Q::Battery},
         {{C::VS_Nmot}, 29, kByte, 40, 100, 0, false, Q::RpmHundreds},
         {{C::VI_Nmot}, 29, kByte, 40, 1, 0, false, Q::Rpm},
         {{C::VS_TOG}, 33, kByte, 191.2L, 255, -49, false, Q::Coolant},
         {{C::VS_TANS}, 35, kByte, 191.1L, 255, -49, false, Q::Intake},
         {{C::VS_DV}, 45, 44, 53717.2L, 65535, 0, false, Q::Injection},
     }},
    {{0x21, 0x03},
     {0x61, 0x03},
     52,
     {
         {{C::VS_Speed, C::VI_Speed}, 48, kByte, 320, 256, 0, false, Q::Speed},
     }},
}};

// ECU_v.14 (1.8L/2.4L) CAN: as ECU_v.10, engine speed in rpm.
const EcuLayout kV14 = {{
    {{0x21, 0x01},
     {0x61, 0x01},
     40,
     {
         {{C::VS_Ub, C::VI_Ub}, 7, kByte, 17.37L, 255, 0, false, Q::Battery},
         {{C::VS_Nmot}, 10, 9, 1, 100, 0, false, Q::RpmHundreds},
         {{C::VI_Nmot}, 10, 9, 1, 1, 0, false, Q::Rpm},
         {{C::VS_MAP}, 19, 18, 2560, 65536000, 0, false, Q::Map},
         {{C::VS_TOG}, 27, kByte, 191.4L, 255, -49, false, Q::Coolant},
         {{C::VS_TANS}, 35, kByte, 191.1L, 255, -49, false, Q::Intake},
     }},
    kCanInjectionAndSpeed,
    kThrottleWord,
}};

const EcuLayout* const kHyundai[] = {&kV1, &kV2, &kV3,  &kV2,  &kV5, &kV6,  &kV7,
                                     &kV8, &kV9, &kV10, &kV11, &kV8, &kV13, &kV14};

}  // namespace

const EcuLayout* HyundaiLayout(int ecu) {
  if (ecu < 0 || ecu >= static_cast<int>(std::size(kHyundai))) return nullptr;
  return kHyundai[ecu];
}

}  // namespace kalvex::sim

// Generic OBD-II trouble codes: the five-character form ("P0301") made from
// the two bytes a vehicle reports, and what a code means, in Russian and
// English. Codes the standard leaves to the vehicle maker are named as such
// and never given a generic sentence; a generic code without a row of its
// own gets a line naming its family from the code's structure.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "obd/obd_text.h"

namespace kalvex::obd {

// The two bytes of a reported trouble code as "P0301": bits 7-6 of `high`
// give the letter (00 P, 01 C, 10 B, 11 U), bits 5-4 the first digit (0-3),
// bits 3-0 the second (a hex digit), `low` the last two (uppercase hex).
// A mode 03/07/0A reply pads its list with 00 00; that pair reads "P0000"
// here, so the caller drops the padding before asking.
std::string DtcText(uint8_t high, uint8_t low);

// Whether `code` has the form of a trouble code: a letter P, C, B or U, a
// digit 0-3, three hex digits. Lowercase is accepted (typed by hand);
// surrounding spaces are not.
bool IsWellFormedDtc(std::string_view code);

// Whether a well-formed code lies in a range the vehicle maker defines:
// P1xxx, P30xx-P33xx, B1xxx, B2xxx, C1xxx, C2xxx, U1xxx, U2xxx.
bool IsManufacturerDtc(std::string_view code);

// The table's description of `code` (any letter case), or nullptr when the
// code has no row.
const Text* FindDtcDescription(std::string_view code);

// What `code` means in `lang`: its description when the table has one; for
// other well-formed codes a line naming the family ("P0 — система зажигания,
// пропуски воспламенения, описание неизвестно") or saying the vehicle maker
// defines it; for anything else a line saying the code is not understood.
std::string DescribeDtc(std::string_view code, Lang lang);

struct DtcDescription {
  std::string_view code;  // "P0301", uppercase
  Text text;
};

// Every described code, in ascending code order. Built once, on first use.
std::span<const DtcDescription> DtcDescriptions();

}  // namespace kalvex::obd

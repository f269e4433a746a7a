// BYD: the one type answers 21 01 like Chery's Tiggo Delphi and is decoded
// by the same rows.
#include "decode/chery.h"
#include "decode/table.h"

namespace kalvex::table {
namespace {

// "F3 Delphi MT20U"
constexpr Branch kByd[] = {
    {Ecu(0, 0x61, 0x01), kCheryTiggoDelphi, Request(11)},
};

}  // namespace

std::span<const Branch> BydBranches() { return kByd; }

}  // namespace kalvex::table

// Argument helpers shared by the kalvex-cli subcommands.
#pragma once

#include <optional>
#include <string>

namespace kalvex::cli {

// A make by item index ("0") or by its text, whole or up to the bracket
// ("LADA (ВАЗ)", "LADA", "lada"); nullopt when none matches.
std::optional<int> ParseMake(const std::string& text);
// An ECU type index valid for `make`.
std::optional<int> ParseEcuType(int make, const std::string& text);
// A whole decimal number in [lo, hi].
std::optional<long> ParseInteger(const std::string& text, long lo, long hi);
// A finite decimal number in [lo, hi].
std::optional<double> ParseNumber(const std::string& text, double lo, double hi);

}  // namespace kalvex::cli

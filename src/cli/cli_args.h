// Argument helpers shared by the kalvex-cli subcommands.
#pragma once

#include <optional>
#include <string>

#include "protocol/text.h"

namespace kalvex::cli {

// A make by item index ("0") or by its text, whole or up to the bracket
// ("LADA (ВАЗ)", "LADA", "lada"); nullopt when none matches.
std::optional<int> ParseMake(const std::string& text);
// An ECU type of `make` by its index, or by its list text (ASCII letters in
// any case); nullopt when none matches.
std::optional<int> ParseEcuType(int make, const std::string& text);
// Numbers: ParseInteger and ParseNumber of protocol/text.h, the window's
// parsers, so both programs take and refuse the same texts.

}  // namespace kalvex::cli

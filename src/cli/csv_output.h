// Where a monitor's CSV rows go, shared by the makers' and the OBD monitor.
#pragma once

#include <cstdio>

#include "cli/commands.h"

namespace kalvex::cli {

// Opens --csv FILE, or picks standard output when no file is named and the
// fault lists do not own it; csv stays null when no rows are written.
// Returns 0, or 1 (said on stderr) when the file cannot be written.
int OpenCsvOutput(const MonitorOptions& o, FILE*& csv);

// Closes what OpenCsvOutput opened; standard output stays open.
void CloseCsvOutput(FILE* csv);

}  // namespace kalvex::cli

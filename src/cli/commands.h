// The kalvex-cli subcommands; each takes its checked options and returns
// the process exit status.
#pragma once

#include <cstdio>
#include <vector>

#include "cli/command_line.h"
#include "link/port_discovery.h"

namespace kalvex::cli {

int RunPorts(const PortsOptions& o);
// The list of `ports` to `out`, one a line, and what to do to `err`: for
// each port this user may not open, or, when there is none at all, how to
// connect an adapter (still exit status 0: an empty list is an answer).
// 1 when `out` could not be written.
int PrintPorts(const std::vector<PortEntry>& ports, std::FILE* out, std::FILE* err);
int RunDecode(const DecodeOptions& o);
int RunSimulate(const SimulateOptions& o);
int RunMonitor(const MonitorOptions& o);
int RunReplay(const ReplayOptions& o);

}  // namespace kalvex::cli

// The kalvex-cli subcommands; each takes its checked options and returns
// the process exit status.
#pragma once

#include "cli/command_line.h"

namespace kalvex::cli {

int RunPorts(const PortsOptions& o);
int RunDecode(const DecodeOptions& o);
int RunSimulate(const SimulateOptions& o);
int RunMonitor(const MonitorOptions& o);
int RunReplay(const ReplayOptions& o);
// The generic OBD-II mode (cmd_obd.cpp): obd info, and monitor --obd.
int RunObdInfo(const ObdInfoOptions& o);
int RunObdMonitor(const MonitorOptions& o);
int RunObdReplay(const ReplayOptions& o);

}  // namespace kalvex::cli

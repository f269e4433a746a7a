// The kalvex-cli subcommands; each takes the arguments after its name and
// returns the process exit status.
#pragma once

namespace kalvex::cli {

int RunPorts(int argc, char** argv);
int RunDecode(int argc, char** argv);
int RunSimulate(int argc, char** argv);
int RunMonitor(int argc, char** argv);
int RunReplay(int argc, char** argv);

}  // namespace kalvex::cli

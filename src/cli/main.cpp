// kalvex-cli: the headless front end.
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/commands.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: kalvex-cli ports [--port PATH]...\n"
               "       kalvex-cli decode --make M --ecu E [--next N] HEX\n"
               "       kalvex-cli decode --stdin\n"
               "       kalvex-cli simulate --make M --ecu E [--delay MS] [--searching]\n"
               "       kalvex-cli monitor --port PATH --adapter elm327|kesta --make M --ecu E\n"
               "                          [--log] [--duration S] [--replies N] [--csv FILE]\n"
               "                          [--faults [--clear]] [--pause MS] [--reconnect]\n"
               "       kalvex-cli replay LOGFILE --make M --ecu E [--csv FILE]\n"
               "exit status: 0 done; 1 a file or output cannot be written, or the port cannot\n"
               "be opened; 2 bad usage; decode: 1 when a case was bad; monitor: 3 the ECU\n"
               "never answered, 4 the port failed during the run (wins over 3; with\n"
               "--reconnect: 0 when any reply was accepted, else 3); replay: 1 when the log\n"
               "cannot be read or holds no ELM327 replies\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string cmd = argv[1];
  if (cmd == "ports") return kalvex::cli::RunPorts(argc - 2, argv + 2);
  if (cmd == "decode") return kalvex::cli::RunDecode(argc - 2, argv + 2);
  if (cmd == "simulate") return kalvex::cli::RunSimulate(argc - 2, argv + 2);
  if (cmd == "monitor") return kalvex::cli::RunMonitor(argc - 2, argv + 2);
  if (cmd == "replay") return kalvex::cli::RunReplay(argc - 2, argv + 2);
  if (cmd == "--help" || cmd == "-h" || cmd == "help") {
    Usage();
    return 0;
  }
  std::fprintf(stderr, "kalvex-cli: unknown command: %s\n", cmd.c_str());
  return Usage();
}

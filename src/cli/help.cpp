#include "cli/help.h"

namespace kalvex::cli {

const char* MainHelp() {
  return "Usage: kalvex-cli COMMAND [OPTIONS]\n"
         "Kalvex without a window: diagnostic scanner for engine control units\n"
         "(KWP2000 over ELM327 and Kesta-mini serial adapters).\n"
         "\n"
         "Commands:\n"
         "  ports [--port PATH]...   list the serial ports the window would offer\n"
         "  decode                   decode one reply given as hex, or many from stdin\n"
         "  simulate                 a simulated adapter and ECU on a pseudo-terminal\n"
         "                           or a loopback TCP port (Linux only)\n"
         "  monitor                  a session on a serial port: gauge values as CSV,\n"
         "                           or the fault list\n"
         "  replay                   the CSV a session's ELM327 log file stands for\n"
         "\n"
         "Options:\n"
         "  -h, --help               show this help and exit\n"
         "  -v, --version            show the version and exit\n"
         "  --lang en|ru             language of the status lines, fault lines and\n"
         "                           error texts of every command (default ru); this\n"
         "                           help is in English either way\n"
         "\n"
         "`kalvex-cli COMMAND --help` shows the options of one command.\n"
         "\n"
         "Exit status (each command's --help has its own):\n"
         "  0  done\n"
         "  1  a file, port or output failed (see the command)\n"
         "  2  bad usage\n"
         "  3  monitor: no reply accepted\n"
         "  4  monitor: the port failed during the run\n";
}

const char* CommandHelp(const std::string& command) {
  if (command == "ports")
    return "Usage: kalvex-cli ports [--port PATH]...\n"
           "Lists the serial ports that open exclusively right now, one a line, as the\n"
           "window's port list shows them: on Linux the device paths of USB serial,\n"
           "Bluetooth and real UART ports; on Windows, in number order, the COM ports\n"
           "the serial drivers registered (even when in use) and those of COM1 to\n"
           "COM256 that open.\n"
           "A port this user may not open is listed with \"(нет доступа)\" (with --lang\n"
           "en \"(no access)\") and what to do on stderr.\n"
           "\n"
           "  --port PATH   also list PATH, after the ports found (repeatable)\n"
           "\n"
           "Exit status: 0 listed (even none); 1 the list cannot be written; 2 bad\n"
           "usage.\n";
  if (command == "decode")
    return "Usage: kalvex-cli decode --make M --ecu E [--next N] HEX...\n"
           "       kalvex-cli decode --stdin\n"
           "Runs the handling of one accepted reply (decoder, fault list, clear reply)\n"
           "on bytes given as hex and prints every gauge value set, NextCommand and the\n"
           "fault lines.\n"
           "\n"
           "  --make M    make by list index (0 LADA ... 16 SUZUKI)\n"
           "  --ecu E     ECU type by its index within the make\n"
           "  --next N    NextCommand before the reply (default 0)\n"
           "  --stdin     read cases from standard input, one a line: \"M E N HEX\";\n"
           "              each case's output is followed by an empty line\n"
           "\n"
           "Exit status: 0; 1 when a case was bad or the output cannot be written;\n"
           "2 bad usage.\n";
  if (command == "simulate")
    return "Usage: kalvex-cli simulate --make M --ecu E [--delay MS] [--searching]\n"
           "                           [--tcp 127.0.0.1:PORT]\n"
           "Serves a simulated adapter (ELM327 or Kesta-mini, whichever set-up line\n"
           "arrives) and ECU on a new pseudo-terminal, whose path is printed on the\n"
           "first line, until SIGINT or SIGTERM. Linux only.\n"
           "\n"
           "  --make M       make by index or name (\"LADA\", \"0\")\n"
           "  --ecu E        ECU type by index within the make, or by its name\n"
           "  --delay MS     answer each request after MS milliseconds (0 to 60000)\n"
           "  --searching    the ELM327 says SEARCHING... before its first answer\n"
           "  --tcp ADDR     serve on TCP instead, as a Wi-Fi adapter does, one scanner\n"
           "                 at a time; loopback only (127.0.0.1:PORT or [::1]:PORT;\n"
           "                 port 0 picks a free one); the address is printed instead\n"
           "\n"
           "Exit status: 0 after SIGINT or SIGTERM; 1 no pseudo-terminal (or, with\n"
           "--tcp, no listening socket) could be had;\n"
           "2 bad usage.\n";
  if (command == "monitor")
    return "Usage: kalvex-cli monitor --port PORT --adapter elm327|kesta --make M --ecu E\n"
           "                          [--log] [--duration S] [--replies N] [--csv FILE]\n"
           "                          [--faults [--clear]] [--pause MS] [--reconnect]\n"
           "Runs a diagnostic session on a serial port or a Wi-Fi adapter without a\n"
           "window. After every accepted reply one CSV row (time and the twelve gauge\n"
           "values) goes to stdout or FILE; the link status goes to stderr when it\n"
           "changes. Ctrl-C ends the run.\n"
           "\n"
           "  --port PORT      the serial device (/dev/ttyUSB0; on Windows \\\\.\\COM3),\n"
           "                   or a Wi-Fi adapter's HOST:PORT (tcp://HOST:PORT)\n"
           "  --adapter A      elm327 or kesta\n"
           "  --make M         make by index or name\n"
           "  --ecu E          ECU type by index within the make, or by its name\n"
           "  --log            write the session log file, as the window's log switch\n"
           "  --duration S     stop after S seconds\n"
           "  --replies N      stop after N accepted replies\n"
           "  --csv FILE       write the CSV rows to FILE instead of stdout\n"
           "  --faults         read the fault codes and print the list after each reply\n"
           "  --clear          with --faults: clear the codes first\n"
           "  --pause MS       pause before each data request (20 to 1000, default 200;\n"
           "                   never below 55 on a K-line)\n"
           "  --reconnect      when the port fails or no reply came for 10 s, close it,\n"
           "                   wait 2 s and start again; the CSV goes on\n"
           "\n"
           "The run ends at --duration, --replies, Ctrl-C, a failed port, or when the\n"
           "ECU ends the communication (StopCommunication, said on stderr); under\n"
           "--reconnect the last two start the session again instead. With --log, a\n"
           "log that cannot be created is named with the reason; under --reconnect\n"
           "the run goes on without it.\n"
           "\n"
           "Exit status: 0 at least one reply accepted (StopCommunication is no\n"
           "reply here); 1 the port cannot be opened, the log cannot be created\n"
           "(without --reconnect) or an output cannot be written; 2 bad usage; 3 no\n"
           "reply accepted (the ECU never answered, or stopped before any data); 4 the\n"
           "port failed during the run (wins over 3; with --reconnect it is reopened\n"
           "and the status is 0 or 3).\n";
  if (command == "replay")
    return "Usage: kalvex-cli replay LOGFILE --make M --ecu E [--csv FILE]\n"
           "Turns the \" -E- \" lines of a log written during an ELM327 session into the\n"
           "CSV monitor wrote for it: one row per reply the session accepted, the time\n"
           "in whole seconds since the log's first line, written as the log is read.\n"
           "Said once on stderr: lines the session would not have accepted, lines\n"
           "without a valid time stamp (skipped), a clock that went back (the time\n"
           "column carries on without going back), and more than half of the data\n"
           "replies not fitting the make and ECU type chosen.\n"
           "\n"
           "  --make M       make by index or name\n"
           "  --ecu E        ECU type by index within the make, or by its name\n"
           "  --csv FILE     write the CSV to FILE instead of stdout (not the log itself)\n"
           "\n"
           "Exit status: 0; 1 the log cannot be read, is no session log, or holds no\n"
           "reply the session would have accepted, or the CSV cannot be written; 2 bad\n"
           "usage (--csv naming the log included).\n";
  return nullptr;
}

std::string VersionText() {
#ifdef _WIN32
  const char* platform = "Windows x86-64";
#else
  const char* platform = "Linux";
#endif
  return std::string("kalvex-cli ") + KALVEX_VERSION + " (" + platform + ")\n";
}

}  // namespace kalvex::cli

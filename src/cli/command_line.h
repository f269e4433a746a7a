// kalvex-cli's command line: one parser for every command, its options
// checked and turned into the values each command runs with.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "adapter/adapter_driver.h"
#include "link/tcp_socket.h"
#include "protocol/clock.h"

namespace kalvex::cli {

struct PortsOptions {
  std::vector<std::string> extraPorts;  // --port, after the ports found
};

struct DecodeOptions {
  bool fromStdin = false;
  // Numbers outside the lists are kept: the case runner reports them as a
  // case's error, like any other bad case.
  int make = 0;
  int ecu = 0;
  int next = 0;
  std::string hex;  // the HEX arguments, joined by spaces
};

struct SimulateOptions {
  int make = -1;
  int ecu = -1;
  int delayMs = 0;
  bool searching = false;
  std::optional<net::TcpAddress> tcp;
  // --obd: the generic OBD-II car instead of a make's ECU.
  bool obd = false;
  std::string protocol = "can11";  // can11, can29, kwp, iso9141
  bool obdSilent = false;
  bool obdRefuse = false;
  int obdPendingMs = 0;
  bool oldChip = false;  // --elm-version 1.0
};

struct MonitorOptions {
  std::string port;
  // --obd: the generic OBD-II mode (ELM327 only); --adapter, --make and
  // --ecu are not needed then.
  bool obd = false;
  uint8_t obdProtocol = 0;    // ObdProtocol, --protocol
  std::vector<uint8_t> pids;  // --pids, in the order given
  bool yes = false;           // --yes: --clear without asking
  bool english = false;       // --lang en
  int adapter = -1;           // ComboBoxTA index: 0 ELM327, 1 Kesta-mini
  int make = -1;
  int ecu = -1;
  bool log = false;
  std::optional<double> durationS;
  std::string csv;
  bool faults = false;
  bool clear = false;
  std::optional<long> replies;
  Millis pause = kDefaultRequestPause;
  bool reconnect = false;
  // Without --reconnect: the run ends (status 3) when the adapter has sent
  // not one line for this long; 0 never.
  long giveUpS = 30;
};

// kalvex-cli obd info: what a generic OBD-II car tells about itself.
struct ObdInfoOptions {
  std::string port;
  uint8_t protocol = 0;  // ObdProtocol
  bool log = false;
  bool english = false;  // --lang en: the vocabulary's own English
};

struct ReplayOptions {
  bool obd = false;  // --obd: the log of a generic OBD-II session
  std::string logPath;
  std::string csvPath;
  int make = -1;
  int ecu = -1;
};

struct CommandLine {
  std::string command;                  // empty when the line ends the run
  std::optional<std::string> language;  // --lang, wherever it stood
  PortsOptions ports;
  DecodeOptions decode;
  SimulateOptions simulate;
  MonitorOptions monitor;
  ObdInfoOptions obd;
  ReplayOptions replay;
};

// What parsing came to: status -1 runs `line.command`; otherwise the run
// ends with that status after `out` goes to stdout (help, version) and
// `err` to stderr (a mistake, one line, or the usage).
struct ParseOutcome {
  int status = -1;
  std::string out;
  std::string err;
};

// `args` without the program's name.
ParseOutcome ParseCommandLine(const std::vector<std::string>& args, CommandLine& line);

}  // namespace kalvex::cli

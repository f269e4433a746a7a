#include "cli/command_line.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <map>
#include <memory>

#include "adapter/adapter_registry.h"
#include "adapter/elm327_obd.h"
#include "catalogue/catalogue.h"
#include "cli/cli_args.h"
#include "cli/help.h"
#include "protocol/languages.h"
#include "protocol/text.h"

namespace kalvex::cli {
namespace {

// The option values as typed; turned into numbers and indices after the
// parse, so every mistake is named in the command's own words.
struct RawLine {
  std::string lang;
  bool version = false;
  std::vector<std::string> ports;
  bool fromStdin = false;
  std::string make, ecu, next, delay, tcp, port, adapter, duration, csv, replies, pause, log;
  std::string protocol, pending, elmVersion, giveUp;
  bool obd = false, obdSilent = false, obdRefuse = false;
  std::vector<std::string> hex;
  bool searching = false, writeLog = false, faults = false, clear = false, reconnect = false;
  bool yes = false;
  std::string pids, action;  // obd and protocol above serve monitor and obd too
};

struct CommandText {
  const char* name;
  const char* synopsis;  // the usage line(s), as the man page has them
  const char* summary;   // its line in the overview
};

const CommandText kCommands[] = {
    {"", "Usage: kalvex-cli COMMAND [OPTIONS]\n", ""},
    {"ports", "Usage: kalvex-cli ports [--port PATH]...\n",
     "list the serial ports the window would offer"},
    {"decode",
     "Usage: kalvex-cli decode --make M --ecu E [--next N] HEX...\n"
     "       kalvex-cli decode --stdin\n",
     "decode one reply given as hex, or many from stdin"},
    {"simulate",
     "Usage: kalvex-cli simulate --make M --ecu E [--delay MS] [--searching]\n"
     "                           [--tcp 127.0.0.1:PORT]\n"
     "       kalvex-cli simulate --obd [--protocol P] [--elm-version V] [--obd-silent]\n"
     "                           [--obd-refuse] [--obd-pending S] [--delay MS]\n"
     "                           [--searching] [--tcp 127.0.0.1:PORT]\n",
     "a simulated adapter and ECU on a pseudo-terminal\nor a loopback TCP port (Linux only)"},
    {"monitor",
     "Usage: kalvex-cli monitor --port PORT --adapter elm327|kesta --make M --ecu E\n"
     "                          [--log] [--duration S] [--replies N] [--csv FILE]\n"
     "                          [--faults [--clear]] [--pause MS] [--reconnect]\n"
     "                          [--give-up S]\n"
     "       kalvex-cli monitor --obd --port PORT [--protocol P] [--pids 0C,0D,...]\n"
     "                          [--log] [--duration S] [--csv FILE] [--pause MS]\n"
     "                          [--faults [--clear [--yes]]]\n",
     "a session on a serial port: gauge values as CSV,\nor the fault list"},
    {"obd", "Usage: kalvex-cli obd info --port PORT [--protocol P] [--log]\n",
     "what a car tells in generic OBD-II (SAE J1979)"},
    {"replay",
     "Usage: kalvex-cli replay LOGFILE --make M --ecu E [--csv FILE]\n"
     "       kalvex-cli replay LOGFILE --obd [--csv FILE]\n",
     "the CSV a session's ELM327 log file stands for"},
};

const CommandText& TextOf(const std::string& name) {
  for (const CommandText& c : kCommands)
    if (name == c.name) return c;
  return kCommands[0];
}

// The generated help, laid out as a man page's synopsis: the usage lines
// first (CLI11 would write "[OPTIONS]" only), then what the command does,
// its options, the commands (by their one-line summaries) and the exit
// statuses.
class HelpFormatter final : public CLI::Formatter {
 public:
  HelpFormatter() {
    column_width(27);
    label("Positionals", "Arguments");
  }
  std::string make_help(const CLI::App* app, std::string, CLI::AppFormatMode) const override {
    const std::string name = app->get_parent() ? app->get_name() : std::string();
    std::string out = TextOf(name).synopsis;
    out += app->get_description();
    out += make_positionals(app);
    out += make_groups(app, CLI::AppFormatMode::Normal);
    // CLI11 2.1 writes this heading without asking for its label.
    std::string commands = make_subcommands(app, CLI::AppFormatMode::Normal);
    if (const size_t at = commands.find("Subcommands:"); at != std::string::npos)
      commands.replace(at, 12, "Commands:");
    out += commands;
    if (!app->get_footer().empty()) out += "\n" + app->get_footer();
    return out;
  }
  std::string make_subcommand(const CLI::App* sub) const override {
    std::stringstream out;
    CLI::detail::format_help(out, sub->get_name(), TextOf(sub->get_name()).summary,
                             get_column_width());
    return out.str();
  }
};

// --make and --ecu, as every command that talks to a make takes them.
void MakeAndEcuOptions(CLI::App* sub, RawLine& raw) {
  sub->add_option("--make", raw.make, "make by index or name (\"LADA\", \"0\")")->type_name("M");
  sub->add_option("--ecu", raw.ecu, "ECU type by index within the make, or by its name")
      ->type_name("E");
}

void ObdProtocolOption(CLI::App* sub, RawLine& raw) {
  sub->add_option("--protocol", raw.protocol,
                  "auto (default), can11, can29, can11-250, can29-250, kwp,\n"
                  "kwp-slow or iso9141")
      ->type_name("P");
}

CLI::App* Command(CLI::App& app, const char* name, const char* description, const char* footer) {
  CLI::App* sub = app.add_subcommand(name, description);
  sub->set_help_flag("-h,--help", "show this help and exit");
  sub->footer(footer);
  // --lang stands anywhere on the line, so a command hands on what it
  // does not know; what nobody knows is kept and named after the parse.
  sub->fallthrough();
  sub->allow_extras();
  return sub;
}

void BuildGlobalOptions(CLI::App& app, RawLine& raw) {
  app.formatter(std::make_shared<HelpFormatter>());
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app.allow_extras();
  app.require_subcommand(0, 1);
  app.description(
      "Kalvex without a window: diagnostic scanner for engine control units\n"
      "(KWP2000 over ELM327 and Kesta-mini serial adapters).\n");
  app.set_help_flag("-h,--help", "show this help and exit");
  app.add_flag("-v,--version", raw.version, "show the version and exit");
  app.add_option("--lang", raw.lang,
                 "language of the status lines, fault lines and\n"
                 "error texts of every command (default ru); this\n"
                 "help is in English either way")
      ->type_name(LanguageCodesText("|", "|"));
  app.footer(
      "`kalvex-cli COMMAND --help` shows the options of one command.\n"
      "\n"
      "Exit status (each command's --help has its own):\n"
      "  0  done\n"
      "  1  a file, port or output failed (see the command)\n"
      "  2  bad usage\n"
      "  3  monitor: no reply accepted; obd, monitor --obd: the car never answered\n"
      "  4  monitor, obd: the port failed during the run\n");
}

void BuildPorts(CLI::App& app, RawLine& raw) {
  CLI::App* ports =
      Command(app, "ports",
              "Lists the serial ports that open exclusively right now, one a line, as the\n"
              "window's port list shows them: on Linux the device paths of USB serial,\n"
              "Bluetooth and real UART ports; on Windows, in number order, the COM ports\n"
              "the serial drivers registered (even when in use) and those of COM1 to\n"
              "COM256 that open.\n"
              "A port this user may not open is listed with \"(нет доступа)\" (with --lang\n"
              "en \"(no access)\") and what to do on stderr; when no port is found at all,\n"
              "stderr says how to connect an adapter or give one with --port.\n",
              "Exit status: 0 listed (even none); 1 the list cannot be written; 2 bad\n"
              "usage.\n");
  ports->add_option("--port", raw.ports, "also list PATH, after the ports found (repeatable)")
      ->type_name("PATH")
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
}

void BuildDecode(CLI::App& app, RawLine& raw) {
  CLI::App* decode =
      Command(app, "decode",
              "Runs the handling of one accepted reply (decoder, fault list, clear reply)\n"
              "on bytes given as hex and prints every gauge value set, NextCommand and the\n"
              "fault lines.\n",
              "Exit status: 0; 1 when a case was bad or the output cannot be written;\n"
              "2 bad usage.\n");
  MakeAndEcuOptions(decode, raw);
  decode->add_option("--next", raw.next, "NextCommand before the reply (default 0)")
      ->type_name("N");
  decode->add_flag("--stdin", raw.fromStdin,
                   "read cases from standard input, one a line: \"M E N HEX\";\n"
                   "each case's output is followed by an empty line");
  decode->add_option("HEX", raw.hex, "the reply's bytes (spaces between them optional)")
      ->type_name("");
}

void BuildSimulate(CLI::App& app, RawLine& raw) {
  CLI::App* simulate =
      Command(app, "simulate",
              "Serves a simulated adapter (ELM327 or Kesta-mini, whichever set-up line\n"
              "arrives) and ECU on a new pseudo-terminal, whose path is printed on the\n"
              "first line, until SIGINT or SIGTERM. Linux only.\n"
              "With --obd: an ELM327 v1.5 in front of a generic OBD-II car (SAE J1979):\n"
              "an engine ECU (7E8, K-line 10) and a transmission ECU (7E9, K-line 18),\n"
              "current data, freeze frame, stored, pending and permanent codes, clear,\n"
              "VIN, calibration ID and ECU name, answered with the chip's timing.\n",
              "Exit status: 0 after SIGINT or SIGTERM; 1 no pseudo-terminal (or, with\n"
              "--tcp, no listening socket) could be had;\n"
              "2 bad usage.\n");
  MakeAndEcuOptions(simulate, raw);
  simulate
      ->add_option("--delay", raw.delay, "answer each request after MS milliseconds (0 to 60000)")
      ->type_name("MS");
  simulate->add_flag("--searching", raw.searching,
                     "the ELM327 says SEARCHING... before its first answer");
  simulate
      ->add_option("--tcp", raw.tcp,
                   "serve on TCP instead, as a Wi-Fi adapter does, one scanner\n"
                   "at a time; loopback only (127.0.0.1:PORT or [::1]:PORT;\n"
                   "port 0 picks a free one); the address is printed instead")
      ->type_name("ADDR");
  simulate->add_flag("--obd", raw.obd, "the generic OBD-II car instead of --make and --ecu");
  simulate
      ->add_option("--protocol", raw.protocol,
                   "with --obd, the car's bus: can11 (ISO 15765-4 CAN 11/500,\n"
                   "the default), can29 (CAN 29/500), kwp (ISO 14230-4) or\n"
                   "iso9141 (ISO 9141-2)")
      ->type_name("P");
  simulate
      ->add_option("--elm-version", raw.elmVersion,
                   "with --obd, 1.5 (the default) or 1.0: the old chip refuses\n"
                   "reply-count digits and requests for several PIDs with \"?\"")
      ->type_name("V");
  simulate->add_flag("--obd-silent", raw.obdSilent,
                     "with --obd, the car answers nothing (UNABLE TO CONNECT,\n"
                     "NO DATA, BUS INIT: ...ERROR)");
  simulate->add_flag("--obd-refuse", raw.obdRefuse,
                     "with --obd, every ECU answers every request 7F xx 22");
  simulate
      ->add_option("--obd-pending", raw.pending,
                   "with --obd, the engine says \"response pending\" (7F xx 78)\n"
                   "for S seconds (0 to 60) before each answer")
      ->type_name("S");
}

// The generic OBD-II side of monitor, after its session options.
void MonitorObdOptions(CLI::App* monitor, RawLine& raw) {
  monitor->add_flag("--obd", raw.obd,
                    "generic OBD-II (ELM327 only): the supported PIDs polled,\n"
                    "columns OBD_0C ... (OBD_0D_7E9 where two ECUs answer)");
  ObdProtocolOption(monitor, raw);
  monitor->add_option("--pids", raw.pids, "with --obd: the PIDs to poll, hex, comma-separated")
      ->type_name("LIST");
  monitor->add_flag("--yes", raw.yes,
                    "with --obd --clear: clear without asking (scripts); without\n"
                    "it the question needs a terminal");
}

void BuildMonitor(CLI::App& app, RawLine& raw) {
  CLI::App* monitor =
      Command(app, "monitor",
              "Runs a diagnostic session on a serial port or a Wi-Fi adapter without a\n"
              "window. After every accepted reply one CSV row (time and the twelve gauge\n"
              "values) goes to stdout or FILE; the link status goes to stderr when it\n"
              "changes. Ctrl-C ends the run.\n",
              "The run ends at --duration, --replies, Ctrl-C, a failed port, when the\n"
              "ECU ends the communication (StopCommunication, said on stderr), or after\n"
              "--give-up seconds without one line from the adapter; under --reconnect\n"
              "the failed port and the ECU's stop start the session again instead, and\n"
              "there is no giving up. A Wi-Fi adapter that does not connect within 5 s\n"
              "(its name lookup included) is a port that cannot be opened. With --log, a\n"
              "log that cannot be created is named with the reason; under --reconnect\n"
              "the run goes on without it.\n"
              "\n"
              "Exit status: 0 at least one reply accepted (StopCommunication is no\n"
              "reply here); 1 the port cannot be opened, the log cannot be created\n"
              "(without --reconnect) or an output cannot be written (standard output\n"
              "closed without --csv included); 2 bad usage; 3 no reply accepted (the\n"
              "adapter or the ECU never answered, or the ECU stopped before any data);\n"
              "4 the port failed during the run (wins over 3; with --reconnect it is\n"
              "reopened and the status is 0 or 3).\n");
  monitor
      ->add_option("--port", raw.port,
                   "the serial device (/dev/ttyUSB0; on Windows \\\\.\\COM3),\n"
                   "or a Wi-Fi adapter's HOST:PORT (tcp://HOST:PORT)")
      ->type_name("PORT");
  monitor->add_option("--adapter", raw.adapter, "elm327 or kesta")->type_name("A");
  MakeAndEcuOptions(monitor, raw);
  monitor->add_flag("--log", raw.writeLog,
                    "write the session log file, as the window's log switch");
  monitor->add_option("--duration", raw.duration, "stop after S seconds")->type_name("S");
  monitor->add_option("--replies", raw.replies, "stop after N accepted replies")->type_name("N");
  monitor->add_option("--csv", raw.csv, "write the CSV rows to FILE instead of stdout")
      ->type_name("FILE");
  monitor->add_flag("--faults", raw.faults, "read the fault codes; print the list when it changes");
  monitor->add_flag("--clear", raw.clear, "with --faults: clear the codes first");
  monitor
      ->add_option("--pause", raw.pause,
                   "pause before each data request (20 to 1000, default 200;\n"
                   "never below 55 on a K-line)")
      ->type_name("MS");
  monitor->add_flag("--reconnect", raw.reconnect,
                    "when the port fails or no reply came for 10 s, close it,\n"
                    "wait 2 s and start again; the CSV goes on");
  monitor
      ->add_option("--give-up", raw.giveUp,
                   "without --reconnect: end the run (status 3) when the\n"
                   "adapter sent not one line in S seconds (default 30; 0 never)")
      ->type_name("S");

  MonitorObdOptions(monitor, raw);
}

void BuildObd(CLI::App& app, RawLine& raw) {
  CLI::App* obd =
      Command(app, "obd",
              "Talks to a car in generic OBD-II (SAE J1979) through an ELM327 and prints\n"
              "what it tells: protocol, adapter voltage, VIN, calibration IDs, the ECUs\n"
              "that answered, their supported PIDs with current values, the MIL, trouble\n"
              "codes (stored, pending, permanent) with descriptions, readiness and the\n"
              "freeze frame. With --lang en the standard's words are English.\n",
              "Exit status: 0 read; 1 the port cannot be opened or the output cannot be\n"
              "written; 2 bad usage; 3 the adapter or the car never answered; 4 the port\n"
              "failed during the run.\n");
  obd->add_option("ACTION", raw.action, "info")->type_name("");
  obd->add_option("--port", raw.port, "the serial device, or a Wi-Fi adapter's HOST:PORT")
      ->type_name("PORT");
  ObdProtocolOption(obd, raw);
  obd->add_flag("--log", raw.writeLog, "write the session log file");
}

void BuildReplay(CLI::App& app, RawLine& raw) {
  CLI::App* replay =
      Command(app, "replay",
              "Turns the \" -E- \" lines of a log written during an ELM327 session into the\n"
              "CSV monitor wrote for it: one row per reply the session accepted, the time\n"
              "in whole seconds since the log's first line, written as the log is read.\n"
              "Said once on stderr: lines the session would not have accepted, lines\n"
              "without a valid time stamp (skipped), a clock that went back (the time\n"
              "column carries on without going back), and more than half of the data\n"
              "replies not fitting the make and ECU type chosen.\n",
              "Exit status: 0; 1 the log cannot be read, is no session log, or holds no\n"
              "reply the session would have accepted, or the CSV cannot be written; 2 bad\n"
              "usage (--csv naming the log included).\n");
  replay->add_option("LOGFILE", raw.log, "the session log to read")->type_name("");
  MakeAndEcuOptions(replay, raw);
  replay->add_flag("--obd", raw.obd,
                   "the log of a generic OBD-II session (monitor --obd, obd info):\n"
                   "the CSV monitor --obd wrote; no --make or --ecu");
  replay
      ->add_option("--csv", raw.csv, "write the CSV to FILE instead of stdout (not the log itself)")
      ->type_name("FILE");
}

void Build(CLI::App& app, RawLine& raw) {
  BuildGlobalOptions(app, raw);
  BuildPorts(app, raw);
  BuildDecode(app, raw);
  BuildSimulate(app, raw);
  BuildMonitor(app, raw);
  BuildObd(app, raw);
  BuildReplay(app, raw);

  // "kalvex-cli help" is the overview too; not listed.
  app.add_subcommand("help")->group("")->allow_extras();
}

bool Given(const CLI::App& sub, const std::string& option) {
  return sub.get_option(option)->count() > 0;
}

// Make and ECU type by index or name; an error text, or empty.
std::string TakeMakeAndEcu(const RawLine& raw, int& make, int& ecu) {
  if (raw.make.empty() || raw.ecu.empty()) return "--make and --ecu are needed";
  const auto m = ParseMake(raw.make);
  if (!m) return "unknown make: " + raw.make;
  const auto e = ParseEcuType(*m, raw.ecu);
  if (!e) return "unknown ECU type for this make: " + raw.ecu;
  make = *m;
  ecu = *e;
  return {};
}

std::string TakePorts(const RawLine& raw, PortsOptions& o) {
  o.extraPorts = raw.ports;
  return {};
}

std::string TakeDecode(const CLI::App& sub, const RawLine& raw, DecodeOptions& o) {
  // An index past the lists stays a number: the case runner names it.
  const auto number = [](const std::string& text) { return ParseInteger(text, -1000000, 1000000); };
  for (const std::string& h : raw.hex) o.hex += (o.hex.empty() ? "" : " ") + h;
  o.fromStdin = raw.fromStdin;
  const bool haveMake = Given(sub, "--make"), haveEcu = Given(sub, "--ecu");
  if (haveMake) {
    const auto byName = ParseMake(raw.make);
    const auto n = byName ? std::optional<long>(*byName) : number(raw.make);
    if (!n) return "unknown make: " + raw.make;
    o.make = static_cast<int>(*n);
  }
  if (haveEcu) {
    const bool known = o.make >= 0 && o.make < kMakeCount;
    const auto byName = known ? ParseEcuType(o.make, raw.ecu) : std::nullopt;
    const auto n = byName ? std::optional<long>(*byName) : number(raw.ecu);
    if (!n) return "unknown ECU type for this make: " + raw.ecu;
    o.ecu = static_cast<int>(*n);
  }
  if (Given(sub, "--next")) {
    const auto n = number(raw.next);
    if (!n) return "--next needs a number";
    o.next = static_cast<int>(*n);
  }
  if (o.fromStdin) {
    if (haveMake || haveEcu || !o.hex.empty())
      return "--stdin takes its cases from standard input only";
    return {};
  }
  if (!haveMake || !haveEcu) return "--make and --ecu are required";
  return {};
}

std::string TakeSimulate(const CLI::App& sub, const RawLine& raw, SimulateOptions& o) {
  if (Given(sub, "--delay")) {
    const auto ms = ParseInteger(raw.delay, 0, 60'000);
    if (!ms) return "--delay needs milliseconds from 0 to 60000";
    o.delayMs = static_cast<int>(*ms);
  }
  if (Given(sub, "--tcp")) {
    o.tcp = net::ParseTcpAddress(raw.tcp, true);
    if (!o.tcp) return "--tcp needs HOST:PORT, for example 127.0.0.1:35000";
    // Never a server reachable from outside this machine.
    if (!net::IsLoopbackHost(o.tcp->host))
      return "--tcp serves on a loopback address only (127.0.0.1 or ::1): " + raw.tcp;
  }
  o.searching = raw.searching;
  o.obd = raw.obd;
  const bool obdOnly = Given(sub, "--protocol") || Given(sub, "--elm-version") ||
                       Given(sub, "--obd-pending") || raw.obdSilent || raw.obdRefuse;
  if (!o.obd) {
    if (obdOnly) return "--protocol, --elm-version and --obd-* go with --obd";
    return TakeMakeAndEcu(raw, o.make, o.ecu);
  }
  if (Given(sub, "--make") || Given(sub, "--ecu")) return "--obd takes no --make or --ecu";
  if (Given(sub, "--protocol")) {
    if (raw.protocol != "can11" && raw.protocol != "can29" && raw.protocol != "kwp" &&
        raw.protocol != "iso9141")
      return "--protocol is can11, can29, kwp or iso9141, not " + raw.protocol;
    o.protocol = raw.protocol;
  }
  if (Given(sub, "--elm-version")) {
    if (raw.elmVersion != "1.0" && raw.elmVersion != "1.5")
      return "--elm-version is 1.0 or 1.5, not " + raw.elmVersion;
    o.oldChip = raw.elmVersion == "1.0";
  }
  if (Given(sub, "--obd-pending")) {
    const auto s = ParseNumber(raw.pending, 0, 60);
    if (!s) return "--obd-pending needs seconds from 0 to 60";
    o.obdPendingMs = static_cast<int>(*s * 1000 + 0.5);
  }
  o.obdSilent = raw.obdSilent;
  o.obdRefuse = raw.obdRefuse;
  if (o.obdSilent && o.obdRefuse) return "--obd-silent and --obd-refuse exclude each other";
  return {};
}

// --protocol: the ELM327's protocol number; an error text, or empty.
std::string TakeObdProtocol(const CLI::App& sub, const RawLine& raw, uint8_t& protocol) {
  if (!Given(sub, "--protocol")) return {};
  const auto p = ParseObdProtocolOption(raw.protocol);
  if (!p)
    return "--protocol is auto, can11, can29, can11-250, can29-250, kwp, kwp-slow or iso9141, "
           "not " +
           raw.protocol;
  protocol = static_cast<uint8_t>(*p);
  return {};
}

// --pids 0C,0D,05: hex PIDs (1 to 2 digits, either case), at most 64.
std::string TakePids(const std::string& text, std::vector<uint8_t>& pids) {
  const std::string bad = "--pids needs hex PIDs separated by commas (0C,0D,05), not " + text;
  size_t at = 0;
  while (at <= text.size()) {
    const size_t comma = std::min(text.find(',', at), text.size());
    const std::string one = text.substr(at, comma - at);
    if (one.empty() || one.size() > 2) return bad;
    int v = 0;
    for (char c : one) {
      const int d = hex::LenientValue(c);
      if (d < 0) return bad;
      v = v * 16 + d;
    }
    if (std::find(pids.begin(), pids.end(), v) == pids.end())
      pids.push_back(static_cast<uint8_t>(v));
    if (pids.size() > 64) return bad;
    at = comma + 1;
  }
  return {};
}

std::string TakeMonitor(const CLI::App& sub, const RawLine& raw, MonitorOptions& o) {
  o.port = raw.port;
  o.obd = raw.obd;
  if (Given(sub, "--adapter")) {
    o.adapter = AdapterIndexByName(raw.adapter);
    if (o.adapter < 0) return "--adapter is elm327 or kesta, not " + raw.adapter;
  }
  if (Given(sub, "--duration")) {
    o.durationS = ParseNumber(raw.duration, 0.001, 1e7);
    if (!o.durationS) return "--duration needs seconds (a number above 0)";
  }
  if (Given(sub, "--csv")) {
    o.csv = raw.csv;
    if (o.csv.empty()) return "--csv needs a file name";
  }
  if (Given(sub, "--replies")) {
    o.replies = ParseInteger(raw.replies, 1, 1'000'000'000);
    if (!o.replies) return "--replies needs a count above 0";
  }
  if (Given(sub, "--give-up")) {
    const auto s = ParseInteger(raw.giveUp, 0, 1'000'000);
    if (!s) return "--give-up needs seconds from 0 to 1000000";
    o.giveUpS = *s;
  }
  if (Given(sub, "--pause")) {
    const auto ms = ParseInteger(raw.pause, kMinRequestPause, kMaxRequestPause);
    if (!ms) return "--pause needs milliseconds from 20 to 1000";
    o.pause = *ms;
  }
  o.log = raw.writeLog;
  o.faults = raw.faults;
  o.clear = raw.clear;
  o.reconnect = raw.reconnect;
  o.yes = raw.yes;
  if (o.obd) {
    if (o.port.empty()) return "--port is needed";
    if (Given(sub, "--make") || Given(sub, "--ecu")) return "--obd takes no --make or --ecu";
    if (o.reconnect) return "--obd does not take --reconnect";
    if (o.replies) return "--obd does not take --replies";
    if (std::string problem = TakeObdProtocol(sub, raw, o.obdProtocol); !problem.empty())
      return problem;
    if (Given(sub, "--pids"))
      if (std::string problem = TakePids(raw.pids, o.pids); !problem.empty()) return problem;
    if (o.clear && !o.faults) return "--clear goes with --faults";
    if (o.yes && !o.clear) return "--yes goes with --clear";
    return {};
  }
  if (Given(sub, "--protocol") || Given(sub, "--pids") || o.yes)
    return "--protocol, --pids and --yes go with --obd";
  if (o.port.empty()) return "--port is needed";
  if (o.adapter < 0) return "--adapter is needed";
  if (std::string problem = TakeMakeAndEcu(raw, o.make, o.ecu); !problem.empty()) return problem;
  if (o.clear && !o.faults) return "--clear goes with --faults";
  return {};
}

std::string TakeObd(const CLI::App& sub, const RawLine& raw, ObdInfoOptions& o) {
  if (raw.action != "info")
    return raw.action.empty() ? "the action is needed: kalvex-cli obd info --port PORT" : "unknown action: " + raw.action;
  o.port = raw.port;
  o.log = raw.writeLog;
  if (o.port.empty()) return "--port is needed";
  return TakeObdProtocol(sub, raw, o.protocol);
}

std::string TakeReplay(const CLI::App& sub, const RawLine& raw, ReplayOptions& o) {
  if (Given(sub, "--csv")) {
    o.csvPath = raw.csv;
    if (o.csvPath.empty()) return "--csv needs a file name";
  }
  o.logPath = raw.log;
  if (o.logPath.empty()) return "the log file is needed";
  o.obd = raw.obd;
  if (o.obd) {
    if (Given(sub, "--make") || Given(sub, "--ecu")) return "--obd takes no --make or --ecu";
    return {};
  }
  return TakeMakeAndEcu(raw, o.make, o.ecu);
}

// The options of the command given, checked and kept in its options;
// what is wrong with them, or empty.
std::string TakeCommand(const std::string& command, const CLI::App& sub, const RawLine& raw,
                        CommandLine& line) {
  std::string problem;
  if (command == "ports") problem = TakePorts(raw, line.ports);
  if (command == "decode") problem = TakeDecode(sub, raw, line.decode);
  if (command == "simulate") problem = TakeSimulate(sub, raw, line.simulate);
  if (command == "monitor") problem = TakeMonitor(sub, raw, line.monitor);
  if (command == "replay") problem = TakeReplay(sub, raw, line.replay);
  if (command == "obd") problem = TakeObd(sub, raw, line.obd);
  return problem;
}

const CLI::App* ParsedCommand(const CLI::App& app) {
  const auto parsed = app.get_subcommands();
  return parsed.empty() ? nullptr : parsed.front();
}

ParseOutcome Fail(const std::string& command, const std::string& problem) {
  ParseOutcome r;
  r.status = 2;
  r.err = "kalvex-cli" + (command.empty() ? "" : " " + command) + ": " + problem + "\n";
  return r;
}

ParseOutcome Usage(const std::string& problem = {}) {
  ParseOutcome r;
  r.status = 2;
  if (!problem.empty()) r.err = "kalvex-cli: " + problem + "\n";
  r.err += MainHelp();
  return r;
}

ParseOutcome Print(const std::string& text) {
  ParseOutcome r;
  r.status = 0;
  r.out = text;
  return r;
}

// The option an "expected a value" error names, from CLI11's "--x: ...".
std::string OptionOf(const CLI::Error& e) {
  const std::string what = e.what();
  return what.substr(0, what.find(':'));
}

}  // namespace

ParseOutcome ParseCommandLine(const std::vector<std::string>& args, CommandLine& line) {
  CLI::App app("", "kalvex-cli");
  RawLine raw;
  Build(app, raw);
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  std::optional<CLI::Error> failure;
  try {
    app.parse(reversed);
  } catch (const CLI::Error& e) {
    failure = e;
  }
  const CLI::App* sub = ParsedCommand(app);
  const std::string command = sub ? sub->get_name() : std::string();
  const std::vector<std::string> unknown = app.remaining(true);

  // --lang first: a wrong language is the first thing said.
  if (failure && OptionOf(*failure) == "--lang") {
    // "--lang=" names an empty language rather than none.
    if (std::find(args.begin(), args.end(), "--lang=") != args.end()) {
      line.language = "";
      return Fail("", "--lang is " + LanguageCodesText() + ", not ");
    }
    return Fail("", "--lang needs " + LanguageCodesText());
  }
  if (app.get_option("--lang")->count() > 0) {
    line.language = raw.lang;
    if (!IsLanguage(raw.lang))
      return Fail("", "--lang is " + LanguageCodesText() + ", not " + raw.lang);
  }

  if (failure && failure->get_name() == "CallForHelp") {
    if (sub && command != "help") return Print(CommandHelp(command));
    if (!sub && !unknown.empty()) return Usage("unknown command: " + unknown.front());
    return Print(MainHelp());
  }
  // A command's help wins over a mistake on its line, even one that
  // stopped the parse (an option left without its value).
  const bool asksForHelp = std::find_if(args.begin(), args.end(), [](const std::string& a) {
                             return a == "--help" || a == "-h";
                           }) != args.end();
  if (failure && sub && command != "help" && asksForHelp) return Print(CommandHelp(command));
  if (failure) {
    if (failure->get_name() == "ArgumentMismatch")
      return Fail(command, "unknown or incomplete argument: " + OptionOf(*failure));
    return Fail(command, failure->what());
  }
  if (!sub) {
    if (!unknown.empty()) return Usage("unknown command: " + unknown.front());
    if (raw.version) return Print(VersionText());
    return Usage();
  }
  if (command == "help") return Print(MainHelp());
  if (!unknown.empty()) return Fail(command, "unknown or incomplete argument: " + unknown.front());

  const std::string problem = TakeCommand(command, *sub, raw, line);
  line.monitor.english = line.obd.english = line.language == "en";
  if (!problem.empty()) return Fail(command, problem);
  line.command = command;
  return {};
}

const char* MainHelp() {
  static const std::string text = [] {
    CLI::App app("", "kalvex-cli");
    RawLine raw;
    Build(app, raw);
    return app.help();
  }();
  return text.c_str();
}

const char* CommandHelp(const std::string& command) {
  static const std::map<std::string, std::string> texts = [] {
    CLI::App app("", "kalvex-cli");
    RawLine raw;
    Build(app, raw);
    std::map<std::string, std::string> all;
    for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; }))
      if (!sub->get_group().empty()) all[sub->get_name()] = sub->help();
    return all;
  }();
  const auto it = texts.find(command);
  return it == texts.end() ? nullptr : it->second.c_str();
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

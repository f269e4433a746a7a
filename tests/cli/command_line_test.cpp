// kalvex-cli's command line as a user types it: what each line runs with,
// and which lines end at once with which status and words.
#include "cli/command_line.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "cli/help.h"

namespace kalvex::cli {
namespace {

struct Parsed {
  ParseOutcome outcome;
  CommandLine line;
};

Parsed Parse(const std::vector<std::string>& args) {
  Parsed p;
  p.outcome = ParseCommandLine(args, p.line);
  return p;
}

TEST(CommandLine, LangStandsAnywhereAndIsEnOrRu) {
  struct Row {
    std::vector<std::string> args;
    std::string command;  // what runs; empty when the line ends the run
    std::optional<std::string> language;
    bool error;
  };
  const Row rows[] = {
      {{"--lang", "en", "ports", "--port", "x"}, "ports", "en", false},
      {{"ports", "--lang=ru"}, "ports", "ru", false},
      {{"ports", "--port", "x", "--lang", "en"}, "ports", "en", false},
      {{"ports"}, "ports", std::nullopt, false},
      {{"--lang", "en", "--lang", "ru", "ports"}, "ports", "ru", false},  // the last one counts
      {{"--lang", "de", "ports"}, "", "de", true},
      {{"--lang="}, "", "", true},
      {{"ports", "--lang"}, "", std::nullopt, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.args.back());
    const Parsed p = Parse(row.args);
    EXPECT_EQ(p.line.command, row.command);
    EXPECT_EQ(p.line.language, row.language);
    EXPECT_EQ(p.outcome.status == 2, row.error) << p.outcome.err;
    if (row.error) {
      EXPECT_EQ(p.outcome.err.rfind("kalvex-cli: --lang ", 0), 0u) << p.outcome.err;
    }
  }
  EXPECT_EQ(Parse({"--lang", "de", "ports"}).outcome.err,
            "kalvex-cli: --lang is en or ru, not de\n");
}

TEST(CommandLine, MakeAndEcuByIndexOrByName) {
  struct Row {
    std::vector<std::string> args;
    int make, ecu;
  };
  const Row rows[] = {
      {{"--make", "0", "--ecu", "2"}, kLada, 2},
      {{"--make", "LADA", "--ecu", "Январь 7.2"}, kLada, 2},
      {{"--make=lada", "--ecu=2"}, kLada, 2},
      {{"--ecu", "ecu_v.4 (1.6l)", "--make", "hyundai"}, kHyundai, 3},
      {{"--make", std::to_string(kNissan), "--ecu", "Общий CAN"}, kNissan, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.args[1] + " " + row.args.back());
    for (const char* command : {"simulate", "replay", "monitor", "decode"}) {
      std::vector<std::string> args = {command};
      if (std::string(command) == "replay") args.push_back("session.log");
      if (std::string(command) == "monitor")
        args.insert(args.end(), {"--port", "/dev/ttyUSB0", "--adapter", "elm327"});
      args.insert(args.end(), row.args.begin(), row.args.end());
      const Parsed p = Parse(args);
      ASSERT_EQ(p.outcome.status, -1) << command << ": " << p.outcome.err;
      const auto [make, ecu] = [&]() -> std::pair<int, int> {
        if (p.line.command == "simulate") return {p.line.simulate.make, p.line.simulate.ecu};
        if (p.line.command == "replay") return {p.line.replay.make, p.line.replay.ecu};
        if (p.line.command == "monitor") return {p.line.monitor.make, p.line.monitor.ecu};
        return {p.line.decode.make, p.line.decode.ecu};
      }();
      EXPECT_EQ(make, row.make) << command;
      EXPECT_EQ(ecu, row.ecu) << command;
    }
  }
}

TEST(CommandLine, EachCommandGetsItsValues) {
  Parsed p = Parse({"monitor",   "--port",     "tcp://127.0.0.1:35000",
                    "--adapter", "kesta",      "--make",
                    "0",         "--ecu",      "0",
                    "--log",     "--duration", "1.5",
                    "--replies", "7",          "--csv",
                    "out.csv",   "--faults",   "--clear",
                    "--pause",   "55",         "--reconnect",
                    "--give-up", "0"});
  ASSERT_EQ(p.outcome.status, -1) << p.outcome.err;
  const MonitorOptions& m = p.line.monitor;
  EXPECT_EQ(m.port, "tcp://127.0.0.1:35000");
  EXPECT_EQ(m.adapter, 1);
  EXPECT_TRUE(m.log && m.faults && m.clear && m.reconnect);
  EXPECT_EQ(m.durationS, 1.5);
  EXPECT_EQ(m.replies, 7);
  EXPECT_EQ(m.csv, "out.csv");
  EXPECT_EQ(m.pause, 55);
  EXPECT_EQ(m.giveUpS, 0);

  p = Parse({"monitor", "--port", "p", "--adapter", "elm327", "--make", "0", "--ecu", "0"});
  EXPECT_EQ(p.line.monitor.pause, kDefaultRequestPause);
  EXPECT_EQ(p.line.monitor.giveUpS, 30);
  EXPECT_FALSE(p.line.monitor.durationS || p.line.monitor.replies || p.line.monitor.log);

  p = Parse({"decode", "--make", "0", "--ecu", "0", "--next", "11", "61", "01", "0A"});
  ASSERT_EQ(p.outcome.status, -1) << p.outcome.err;
  EXPECT_EQ(p.line.decode.next, 11);
  EXPECT_EQ(p.line.decode.hex, "61 01 0A");
  // A number past the lists reaches the case runner, which names it.
  p = Parse({"decode", "--make", "0", "--ecu", "9", "61"});
  ASSERT_EQ(p.outcome.status, -1) << p.outcome.err;
  EXPECT_EQ(p.line.decode.ecu, 9);
  EXPECT_TRUE(Parse({"decode", "--stdin"}).line.decode.fromStdin);

  p = Parse(
      {"simulate", "--make", "0", "--ecu", "0", "--delay", "0", "--searching", "--tcp", "[::1]:0"});
  ASSERT_EQ(p.outcome.status, -1) << p.outcome.err;
  EXPECT_TRUE(p.line.simulate.searching);
  ASSERT_TRUE(p.line.simulate.tcp);
  EXPECT_EQ(p.line.simulate.tcp->port, 0);

  p = Parse({"ports", "--port", "/dev/a", "--port", "/dev/b"});
  EXPECT_EQ(p.line.ports.extraPorts, (std::vector<std::string>{"/dev/a", "/dev/b"}));

  p = Parse({"replay", "a.log", "--csv", "a.csv", "--make", "0", "--ecu", "0"});
  EXPECT_EQ(p.line.replay.logPath, "a.log");
  EXPECT_EQ(p.line.replay.csvPath, "a.csv");
}

TEST(CommandLine, MistakesEndWithStatusTwoAndOneLineNamingThem) {
  const std::vector<std::string> monitor = {"monitor", "--port", "p", "--adapter", "elm327"};
  auto withMonitor = [&](std::vector<std::string> more) {
    std::vector<std::string> args = monitor;
    args.insert(args.end(), more.begin(), more.end());
    return args;
  };
  struct Row {
    std::vector<std::string> args;
    std::string err;
  };
  const Row rows[] = {
      {{"ports", "--bogus"}, "kalvex-cli ports: unknown or incomplete argument: --bogus"},
      {{"ports", "--port"}, "kalvex-cli ports: unknown or incomplete argument: --port"},
      {{"ports", "extra"}, "kalvex-cli ports: unknown or incomplete argument: extra"},
      {{"decode", "--make", "0", "61"}, "kalvex-cli decode: --make and --ecu are required"},
      {{"decode", "--stdin", "61"},
       "kalvex-cli decode: --stdin takes its cases from standard input only"},
      {{"decode", "--make", "VOLGA", "--ecu", "0"}, "kalvex-cli decode: unknown make: VOLGA"},
      {{"decode", "--make", "0", "--ecu", "0", "--next", "x"},
       "kalvex-cli decode: --next needs a number"},
      {{"simulate", "--make", "0", "--ecu", "0", "--delay", "60001"},
       "kalvex-cli simulate: --delay needs milliseconds from 0 to 60000"},
      {{"simulate", "--make", "0", "--ecu", "0", "--tcp", "35000"},
       "kalvex-cli simulate: --tcp needs HOST:PORT, for example 127.0.0.1:35000"},
      {{"simulate", "--make", "0", "--ecu", "0", "--tcp", "0.0.0.0:35000"},
       "kalvex-cli simulate: --tcp serves on a loopback address only (127.0.0.1 or ::1): "
       "0.0.0.0:35000"},
      {{"simulate", "--make", "0"}, "kalvex-cli simulate: --make and --ecu are needed"},
      {{"simulate", "--make", "99", "--ecu", "0"}, "kalvex-cli simulate: unknown make: 99"},
      {{"simulate", "--make", "LADA", "--ecu", "Январь"},
       "kalvex-cli simulate: unknown ECU type for this make: Январь"},
      {{"monitor", "--adapter", "elm327"}, "kalvex-cli monitor: --port is needed"},
      {{"monitor", "--port", "p"}, "kalvex-cli monitor: --adapter is needed"},
      {{"monitor", "--port", "p", "--adapter", "obd"},
       "kalvex-cli monitor: --adapter is elm327 or kesta, not obd"},
      {withMonitor({"--make", "0", "--ecu", "0", "--duration", "0"}),
       "kalvex-cli monitor: --duration needs seconds (a number above 0)"},
      {withMonitor({"--make", "0", "--ecu", "0", "--replies", "0"}),
       "kalvex-cli monitor: --replies needs a count above 0"},
      {withMonitor({"--make", "0", "--ecu", "0", "--pause", "19"}),
       "kalvex-cli monitor: --pause needs milliseconds from 20 to 1000"},
      {withMonitor({"--make", "0", "--ecu", "0", "--give-up", "-1"}),
       "kalvex-cli monitor: --give-up needs seconds from 0 to 1000000"},
      {withMonitor({"--make", "0", "--ecu", "0", "--give-up", "soon"}),
       "kalvex-cli monitor: --give-up needs seconds from 0 to 1000000"},
      {withMonitor({"--make", "0", "--ecu", "0", "--csv", ""}),
       "kalvex-cli monitor: --csv needs a file name"},
      {withMonitor({"--make", "0", "--ecu", "0", "--clear"}),
       "kalvex-cli monitor: --clear goes with --faults"},
      {withMonitor({"--make", "0", "--ecu", "0", "--ecu"}),
       "kalvex-cli monitor: unknown or incomplete argument: --ecu"},
      {withMonitor({"--make", "0", "--ecu", "0", "-x"}),
       "kalvex-cli monitor: unknown or incomplete argument: -x"},
      {{"replay", "--make", "0", "--ecu", "0"}, "kalvex-cli replay: the log file is needed"},
      {{"replay", "a.log", "b.log", "--make", "0", "--ecu", "0"},
       "kalvex-cli replay: unknown or incomplete argument: b.log"},
      {{"replay", "a.log", "--make", "0", "--ecu", "99"},
       "kalvex-cli replay: unknown ECU type for this make: 99"},
  };
  for (const Row& row : rows) {
    const Parsed p = Parse(row.args);
    EXPECT_EQ(p.outcome.status, 2) << row.err;
    EXPECT_EQ(p.outcome.err, row.err + "\n");
    EXPECT_EQ(p.outcome.out, "");
    EXPECT_EQ(p.line.command, "") << row.err;
  }
}

TEST(CommandLine, HelpVersionAndUsage) {
  struct Row {
    std::vector<std::string> args;
    int status;
    std::string out;
    std::string errStart;
  };
  const Row rows[] = {
      {{}, 2, "", MainHelp()},
      {{"--lang", "en"}, 2, "", MainHelp()},
      {{"help"}, 0, MainHelp(), ""},
      {{"-h"}, 0, MainHelp(), ""},
      {{"--lang", "en", "--help"}, 0, MainHelp(), ""},
      {{"replay", "--help", "--make"}, 0, CommandHelp("replay"), ""},
      {{"monitor", "--bogus", "-h"}, 0, CommandHelp("monitor"), ""},
      {{"-v"}, 0, VersionText(), ""},
      {{"frobnicate"}, 2, "", "kalvex-cli: unknown command: frobnicate\nUsage: "},
      {{"frobnicate", "--help"}, 2, "", "kalvex-cli: unknown command: frobnicate\nUsage: "},
      {{"--verbose"}, 2, "", "kalvex-cli: unknown command: --verbose\nUsage: "},
      {{"Decode"}, 2, "", "kalvex-cli: unknown command: Decode\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.args.empty() ? "(none)" : row.args[0]);
    const Parsed p = Parse(row.args);
    EXPECT_EQ(p.outcome.status, row.status);
    EXPECT_EQ(p.outcome.out, row.out);
    EXPECT_EQ(p.outcome.err.rfind(row.errStart, 0), 0u) << p.outcome.err;
  }
  // Every option a command takes is in its help, with the command's exit statuses.
  for (const char* command : {"ports", "decode", "simulate", "monitor", "replay"}) {
    const std::string help = CommandHelp(command);
    EXPECT_EQ(help.rfind(std::string("Usage: kalvex-cli ") + command, 0), 0u) << help;
    EXPECT_NE(help.find("Exit status:"), std::string::npos) << command;
  }
  EXPECT_EQ(CommandHelp("help"), nullptr);
}

TEST(CommandLine, SimulateObdTakesTheCarsOptionsInsteadOfMakeAndEcu) {
  struct Accepted {
    std::vector<std::string> args;
    std::string protocol;
    bool silent, refuse, oldChip;
    int pendingMs;
  };
  const Accepted accepted[] = {
      {{"simulate", "--obd"}, "can11", false, false, false, 0},
      {{"simulate", "--obd", "--protocol", "kwp", "--obd-silent"}, "kwp", true, false, false, 0},
      {{"simulate", "--obd", "--protocol", "iso9141", "--obd-refuse", "--elm-version", "1.0"},
       "iso9141",
       false,
       true,
       true,
       0},
      {{"simulate", "--obd", "--protocol", "can29", "--obd-pending", "2.5", "--elm-version", "1.5",
        "--searching", "--tcp", "127.0.0.1:0"},
       "can29",
       false,
       false,
       false,
       2500},
  };
  for (const Accepted& a : accepted) {
    const Parsed p = Parse(a.args);
    ASSERT_EQ(p.outcome.status, -1) << p.outcome.err;
    const SimulateOptions& o = p.line.simulate;
    EXPECT_TRUE(o.obd);
    EXPECT_EQ(o.protocol, a.protocol);
    EXPECT_EQ(o.obdSilent, a.silent);
    EXPECT_EQ(o.obdRefuse, a.refuse);
    EXPECT_EQ(o.oldChip, a.oldChip);
    EXPECT_EQ(o.obdPendingMs, a.pendingMs);
  }
  struct Refused {
    std::vector<std::string> args;
    std::string err;
  };
  const Refused refused[] = {
      {{"simulate", "--obd", "--make", "0", "--ecu", "0"},
       "kalvex-cli simulate: --obd takes no --make or --ecu"},
      {{"simulate", "--obd", "--protocol", "j1850"},
       "kalvex-cli simulate: --protocol is can11, can29, kwp or iso9141, not j1850"},
      {{"simulate", "--obd", "--elm-version", "2.1"},
       "kalvex-cli simulate: --elm-version is 1.0 or 1.5, not 2.1"},
      {{"simulate", "--obd", "--obd-pending", "61"},
       "kalvex-cli simulate: --obd-pending needs seconds from 0 to 60"},
      {{"simulate", "--obd", "--obd-silent", "--obd-refuse"},
       "kalvex-cli simulate: --obd-silent and --obd-refuse exclude each other"},
      {{"simulate", "--make", "0", "--ecu", "0", "--protocol", "kwp"},
       "kalvex-cli simulate: --protocol, --elm-version and --obd-* go with --obd"},
  };
  for (const Refused& r : refused) {
    const Parsed p = Parse(r.args);
    EXPECT_EQ(p.outcome.status, 2) << r.err;
    EXPECT_EQ(p.outcome.err, r.err + "\n");
  }
}

}  // namespace
}  // namespace kalvex::cli

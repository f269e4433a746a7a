// The generic OBD-II mode's command lines: what obd info and monitor --obd
// run with, and which lines are refused with which words.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "adapter/elm327_obd.h"
#include "cli/command_line.h"

namespace kalvex::cli {
namespace {

struct Row {
  std::vector<std::string> args;
  std::string error;  // the whole stderr line; empty when the line runs
};

TEST(ObdCommandLine, AcceptedAndRefusedLines) {
  const Row rows[] = {
      {{"obd", "info", "--port", "/dev/ttyUSB0"}, ""},
      {{"obd", "info", "--port", "p", "--protocol", "kwp-slow", "--log", "--lang", "en"}, ""},
      {{"obd", "--port", "p"}, "kalvex-cli obd: the action is needed: kalvex-cli obd info --port PORT\n"},
      {{"obd", "show", "--port", "p"}, "kalvex-cli obd: unknown action: show\n"},
      {{"obd", "info"}, "kalvex-cli obd: --port is needed\n"},
      {{"obd", "info", "--port", "p", "--protocol", "j1850"},
       "kalvex-cli obd: --protocol is auto, can11, can29, can11-250, can29-250, kwp, kwp-slow or "
       "iso9141, not j1850\n"},
      {{"monitor", "--obd", "--port", "p"}, ""},
      {{"monitor", "--obd", "--port", "p", "--pids", "0c,D,05", "--csv", "f.csv"}, ""},
      {{"monitor", "--obd", "--port", "p", "--faults", "--clear", "--yes"}, ""},
      {{"monitor", "--obd", "--port", "p", "--adapter", "kesta"}, ""},  // refused when run
      {{"monitor", "--obd"}, "kalvex-cli monitor: --port is needed\n"},
      {{"monitor", "--obd", "--port", "p", "--make", "0"},
       "kalvex-cli monitor: --obd takes no --make or --ecu\n"},
      {{"monitor", "--obd", "--port", "p", "--reconnect"},
       "kalvex-cli monitor: --obd does not take --reconnect\n"},
      {{"monitor", "--obd", "--port", "p", "--pids", "0C,,0D"},
       "kalvex-cli monitor: --pids needs hex PIDs separated by commas (0C,0D,05), not 0C,,0D\n"},
      {{"monitor", "--obd", "--port", "p", "--pids", "100"},
       "kalvex-cli monitor: --pids needs hex PIDs separated by commas (0C,0D,05), not 100\n"},
      {{"monitor", "--obd", "--port", "p", "--clear"},
       "kalvex-cli monitor: --clear goes with --faults\n"},
      {{"monitor", "--obd", "--port", "p", "--faults", "--yes"},
       "kalvex-cli monitor: --yes goes with --clear\n"},
      {{"replay", "x.log", "--obd", "--csv", "x.csv"}, ""},
      {{"replay", "x.log", "--obd", "--make", "0"},
       "kalvex-cli replay: --obd takes no --make or --ecu\n"},
      {{"monitor", "--port", "p", "--adapter", "elm327", "--make", "0", "--ecu", "0", "--pids",
        "0C"},
       "kalvex-cli monitor: --protocol, --pids and --yes go with --obd\n"},
  };
  for (const Row& row : rows) {
    std::string line;
    for (const std::string& a : row.args) line += a + " ";
    SCOPED_TRACE(line);
    CommandLine parsed;
    const ParseOutcome r = ParseCommandLine(row.args, parsed);
    EXPECT_EQ(r.err, row.error);
    EXPECT_EQ(r.status, row.error.empty() ? -1 : 2);
  }
}

TEST(ObdCommandLine, ValuesTaken) {
  CommandLine a;
  ASSERT_EQ(ParseCommandLine({"monitor", "--obd", "--port", "p", "--pids", "0c,D,05,0C",
                              "--protocol", "can29-250", "--lang", "en"},
                             a)
                .status,
            -1);
  EXPECT_TRUE(a.monitor.obd);
  EXPECT_EQ(a.monitor.pids, (std::vector<uint8_t>{0x0C, 0x0D, 0x05}));  // repeats once
  EXPECT_EQ(a.monitor.obdProtocol, static_cast<uint8_t>(ObdProtocol::Can29_250));
  EXPECT_TRUE(a.monitor.english);

  CommandLine b;
  ASSERT_EQ(ParseCommandLine({"obd", "info", "--port", "tcp://127.0.0.1:35000"}, b).status, -1);
  EXPECT_EQ(b.command, "obd");
  EXPECT_EQ(b.obd.port, "tcp://127.0.0.1:35000");
  EXPECT_EQ(b.obd.protocol, static_cast<uint8_t>(ObdProtocol::Auto));
  EXPECT_FALSE(b.obd.english);
}

}  // namespace
}  // namespace kalvex::cli

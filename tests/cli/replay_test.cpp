// kalvex-cli replay on logs that are wrong in one way each: what it says on
// stderr, its exit status, and the rows it still writes.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "cli/log_replay.h"
#include "e2e/process_runner.h"

namespace kalvex::cli {
namespace {

using kalvex::testing::Child;
using kalvex::testing::TempDir;

// A LADA K-line data reply as the log holds it.
const std::string kLada =
    "610111181F262D343B422D500005656C737A81006896A8010C00B9C0C7CED5DCE3EAF1F8FF06";

std::string Write(const std::string& name, const std::string& text) {
  const std::string path = TempDir() + "/" + name;
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

std::vector<std::string> Times(const std::string& csv) {
  std::vector<std::string> out;
  size_t at = csv.find('\n');
  while (at != std::string::npos && at + 1 < csv.size()) {
    out.push_back(csv.substr(at + 1, csv.find(',', at) - at - 1));
    at = csv.find('\n', at + 1);
  }
  return out;
}

TEST(Replay, BadLogsAreNamedAndCounted) {
  const std::string e = " -E- " + kLada + "\r\n";
  struct Case {
    const char* name;
    std::string log;
    std::vector<std::string> args;  // after the log; make 0, ECU 0 when empty
    int status;
    const char* says;                // one line of stderr holds this ("" = stderr empty)
    std::vector<std::string> times;  // the time column
  };
  const std::vector<Case> cases = {
      {"clock_back",
       "31/10/2027 02:59:58" + e + "31/10/2027 02:59:59" + e + "31/10/2027 02:00:00" + e +
           "31/10/2027 02:00:01" + e,
       {},
       0,
       "clock goes back 3599 s at line 3",
       {"0.000", "1.000", "1.000", "2.000"}},
      {"bad_stamps",
       "01/01/2027 00:00:00" + e + "-1:-5:-9 00:00:00" + e + "31/02/2027 00:00:01" + e +
           "01/01/2027 24:00:00" + e + "01/01/2027 00:00:02" + e,
       {},
       0,
       "3 lines without a valid time stamp skipped (the first is line 2)",
       {"0.000", "2.000"}},
      {"cr_only",
       "01/01/2027 00:00:00\r01/01/2027 00:00:03 -E- " + kLada + "\r",
       {},
       0,
       "",
       {"3.000"}},
      {"lf_only_no_last_end",
       "01/01/2027 00:00:00\n01/01/2027 00:00:04 -E- " + kLada,
       {},
       0,
       "",
       {"4.000"}},
      {"wrong_make",
       "01/01/2027 00:00:00" + e + "01/01/2027 00:00:01" + e,
       {"--make", "1", "--ecu", "3"},
       0,
       "2 of 2 data replies do not fit HYUNDAI",
       {"0.000", "1.000"}},
      {"too_short_for_its_branch",
       "01/01/2027 00:00:00 -E- 610111\r\n",
       {},
       0,
       "1 of 1 data replies do not fit LADA",
       {"0.000"}},
      {"no_replies",
       "01/01/2027 00:00:00\r\n01/01/2027 00:00:01\r\n",
       {},
       1,
       "holds no replies",
       {}},
      {"only_adapter_lines",
       "01/01/2027 00:00:00 --- 2101NODATA>\r\n",
       {},
       1,
       "holds no extracted replies",
       {}},
      {"none_accepted", "01/01/2027 00:00:00 -E- DAA\r\n", {}, 1, "none of the 1 replies", {}},
      {"no_stamp_at_all", "not a log\r\n", {}, 1, "not a session log", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string log = Write(std::string("replay_") + c.name + ".log", c.log);
    std::vector<std::string> args{"replay", log};
    if (c.args.empty())
      args.insert(args.end(), {"--make", "0", "--ecu", "0"});
    else
      args.insert(args.end(), c.args.begin(), c.args.end());
    Child replay(args, std::string("replay_") + c.name);
    EXPECT_EQ(replay.wait(30), c.status) << replay.err();
    const std::string err = replay.err();
    if (*c.says) {
      EXPECT_NE(err.find(c.says), std::string::npos) << err;
      EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    } else {
      EXPECT_EQ(err, "");
    }
    EXPECT_EQ(Times(replay.out()), c.times);
    if (c.status != 0) {
      EXPECT_EQ(replay.out(), "") << "no header without rows";
    }
  }
}

TEST(Replay, RefusesToWriteItsCsvOverTheLog) {
  // A generic session's log with values in it: a replay that went on would
  // write its CSV over the log.
  const std::string obdLog =
      "08/12/2026 14:23:27\r\n"
      "08/12/2026 14:23:27 >>> AT SP 0\r\n"
      "08/12/2026 14:23:27 --- OK\r\n"
      "08/12/2026 14:23:27 >>> 01 00\r\n"
      "08/12/2026 14:23:30 --- 7E8 06 41 00 BE 3F A8 13\r\n"
      "08/12/2026 14:23:30 >>> AT DPN\r\n"
      "08/12/2026 14:23:30 --- A6\r\n"
      "08/12/2026 14:23:31 >>> 01 0D\r\n"
      "08/12/2026 14:23:31 --- 7E8 03 41 0D 32\r\n";
  const struct {
    const char* name;
    std::string text;
    std::vector<std::string> kind;  // the arguments after the log
  } logs[] = {
      {"replay_self", "01/01/2027 00:00:00 -E- " + kLada + "\r\n", {"--make", "0", "--ecu", "0"}},
      {"replay_self_obd", obdLog, {"--obd"}},
  };
  for (const auto& l : logs) {
    const std::string log = Write(std::string(l.name) + ".log", l.text);
    for (const std::string& csv :
         {log, TempDir() + "/./" + l.name + ".log", TempDir() + "//" + l.name + ".log"}) {
      SCOPED_TRACE(csv);
      std::vector<std::string> args = {"replay", log};
      args.insert(args.end(), l.kind.begin(), l.kind.end());
      args.insert(args.end(), {"--csv", csv});
      Child replay(args, l.name);
      EXPECT_EQ(replay.wait(30), 2);
      EXPECT_NE(replay.err().find("names the log itself"), std::string::npos) << replay.err();
      EXPECT_EQ(kalvex::testing::ReadFile(log), l.text);
    }
  }
}

TEST(Replay, LinesSplitAnywhereAreJoined) {
  // The same text fed whole and a byte at a time gives the same lines.
  const std::string text = "a\r\nbb\rccc\n\n\rdddd";
  std::vector<std::string> whole, bytes;
  LineSplitter s1, s2;
  auto into = [](std::vector<std::string>& v) {
    return [&v](std::string_view l) { v.emplace_back(l); };
  };
  s1.feed(text.data(), text.size(), into(whole));
  s1.finish(into(whole));
  for (char ch : text) s2.feed(&ch, 1, into(bytes));
  s2.finish(into(bytes));
  EXPECT_EQ(whole, (std::vector<std::string>{"a", "bb", "ccc", "dddd"}));
  EXPECT_EQ(bytes, whole);
}

}  // namespace
}  // namespace kalvex::cli

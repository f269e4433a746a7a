// A generic OBD-II session's log read back into the values it held.
#include "session/obd_log_replay.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace kalvex {
namespace {

// "name=value" per column of each row, time first.
std::vector<std::string> Read(const std::string& log, int* skipped = nullptr) {
  ObdLogReplay r;
  std::istringstream in(log);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    r.addLine(line);
  }
  r.finish();
  if (skipped) *skipped = r.skipped();
  std::vector<std::string> out;
  const std::vector<ObdColumn> columns = r.columns();
  // A row holds what its answer read; the columns carry their values on, as the CSV does.
  std::map<std::pair<uint32_t, uint8_t>, double> known;
  for (const ObdLogReplay::Row& row : r.rows()) {
    for (const auto& [key, value] : row.values) known[key] = value;
    std::string s = std::to_string(row.seconds);
    for (const ObdColumn& c : columns) {
      s += " " + c.name + "=";
      if (auto it = known.find({c.ecu.value_or(0), c.pid}); it != known.end()) {
        char v[32];
        std::snprintf(v, sizeof v, "%g", it->second);
        s += v;
      }
    }
    out.push_back(s);
  }
  return out;
}

const char* const kCanLog =
    "08/12/2026 14:23:27\r\n"
    "08/12/2026 14:23:27 >>> AT SP 0\r\n"
    "08/12/2026 14:23:27 --- OK\r\n"
    "08/12/2026 14:23:27 >>> 01 00\r\n"
    "08/12/2026 14:23:27 --- SEARCHING...\r\n"
    "08/12/2026 14:23:30 --- 7E8 06 41 00 BE 3F A8 13\r\n"
    "08/12/2026 14:23:30 >>> AT DPN\r\n"
    "08/12/2026 14:23:30 --- A6\r\n"
    "08/12/2026 14:23:31 >>> 01 0D 0C 2\r\n"
    "08/12/2026 14:23:31 --- 7E8 06 41 0D 32 0C 1A F8\r\n"
    "08/12/2026 14:23:31 --- 7E9 03 41 0D 31\r\n"
    "08/12/2026 14:23:32 >>> 01 0D 0C 2\r\n"
    "08/12/2026 14:23:32 --- NO DATA\r\n"
    "08/12/2026 14:23:33 >>> 01 0D 0C 2\r\n"
    "08/12/2026 14:23:33 --- 7E8 04 41 0C 0F A0\r\n";

TEST(ObdLogReplay, RowsPerAnswerWithValuesInTheMonitorsColumns) {
  EXPECT_EQ(Read(kCanLog),
            (std::vector<std::string>{
                "4 OBD_0D_7E8=50 OBD_0D_7E9=49 OBD_0C=1726",
                "6 OBD_0D_7E8=50 OBD_0D_7E9=49 OBD_0C=1000",  // the NO DATA made no row
            }));
}

TEST(ObdLogReplay, WhatItCannotReadIsSkippedNotTrusted) {
  const struct {
    const char* name;
    std::string log;
    std::vector<std::string> rows;
    int skipped;
  } cases[] = {
      // Answers before the protocol was named cannot be framed.
      {"no_protocol_yet",
       "08/12/2026 14:23:31 >>> 01 0D 1\r\n08/12/2026 14:23:31 --- 7E8 03 41 0D 32\r\n",
       {},
       0},
      {"garbage_lines",
       std::string(kCanLog) + "not a log line\r\n08/12/2026 14:23:34 >>> 01 0D\r\n" +
           "08/12/2026 14:23:34 --- 7E8 03 41 0D\r\n",  // a single frame short of its length
       {"4 OBD_0D_7E8=50 OBD_0D_7E9=49 OBD_0C=1726", "6 OBD_0D_7E8=50 OBD_0D_7E9=49 OBD_0C=1000"},
       2},
      {"clock_going_back",
       "08/12/2026 14:23:30 >>> AT DPN\r\n08/12/2026 14:23:30 --- 6\r\n"
       "08/12/2026 14:23:40 >>> 01 0D 1\r\n08/12/2026 14:23:40 --- 7E8 03 41 0D 32\r\n"
       "08/12/2026 14:23:20 >>> 01 0D 1\r\n08/12/2026 14:23:20 --- 7E8 03 41 0D 33\r\n",
       {"10 OBD_0D=50", "10 OBD_0D=51"},
       0},
  };
  for (const auto& c : cases) {
    int skipped = -1;
    EXPECT_EQ(Read(c.log, &skipped), c.rows) << c.name;
    EXPECT_EQ(skipped, c.skipped) << c.name;
  }
}

// A log whose answers come under ever new ECU ids: the ECUs kept are
// bounded, the rest skipped, and each row holds only its own answer's values
// (so memory grows with the log, not with its square).
TEST(ObdLogReplay, AnswersUnderEverNewIdsStayBounded) {
  const struct {
    const char* name;
    int answers;
    int ecusPerAnswer;  // each answer's ECUs are new ids
    size_t columns;
    int skipped;
    size_t rows;  // an answer left with no value kept makes none
  } cases[] = {
      {"sixteen_fit", 1, 16, 16, 0, 1},
      {"seventeenth_skipped", 1, 17, 16, 1, 1},
      {"new_ids_every_answer", 3, 10, 16, 14, 2},
  };
  for (const auto& c : cases) {
    ObdLogReplay r;
    r.addLine("08/12/2026 14:23:30 >>> AT DPN");
    r.addLine("08/12/2026 14:23:30 --- 6");
    int id = 0x600;
    for (int a = 0; a < c.answers; ++a) {
      r.addLine("08/12/2026 14:23:31 >>> 01 0D");
      for (int e = 0; e < c.ecusPerAnswer; ++e) {
        char line[64];
        std::snprintf(line, sizeof line, "08/12/2026 14:23:31 --- %03X 03 41 0D 32", id++);
        r.addLine(line);
      }
    }
    r.finish();
    EXPECT_EQ(r.columns().size(), c.columns) << c.name;
    EXPECT_EQ(r.skipped(), c.skipped) << c.name;
    ASSERT_EQ(r.rows().size(), c.rows) << c.name;
    for (const ObdLogReplay::Row& row : r.rows())
      EXPECT_LE(row.values.size(), static_cast<size_t>(c.ecusPerAnswer)) << c.name;
  }
}

}  // namespace
}  // namespace kalvex

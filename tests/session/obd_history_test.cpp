// The generic session's values over time: a row per poll answer holding
// only what that answer measured, bounded, and its CSV as monitor --obd
// writes it, each column's last value repeated, also past the rows dropped.
#include "session/obd_history.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kalvex {
namespace {

constexpr uint32_t kEngine = 0x7E8;
constexpr uint32_t kGearbox = 0x7E9;

const std::vector<ObdColumn> kColumns = {{0x0C, kEngine, "OBD_0C"},
                                         {0x0D, kEngine, "OBD_0D_7E8"},
                                         {0x0D, kGearbox, "OBD_0D_7E9"},
                                         {0x05, kEngine, "OBD_05"}};

struct Read {
  uint32_t ecu;
  uint8_t pid;
  std::vector<uint8_t> bytes;
};
struct Answer {
  Millis at;
  std::vector<Read> reads;
};

// Engine speed 1A F8 (1726 rpm) and both speeds; a coolant answer cut
// short; a PID told in words (no column); then the coolant, 5A (50 °C).
const std::vector<Answer> kAnswers = {
    {1000, {{kEngine, 0x0C, {0x1A, 0xF8}}, {kEngine, 0x0D, {0x3E}}}},
    {1100, {{kGearbox, 0x0D, {0x3D}}}},
    {1200, {{kEngine, 0x05, {}}}},
    {1300, {{kEngine, 0x01, {0x00, 0x07, 0x65, 0x00}}}},
    {1400, {{kEngine, 0x05, {0x5A}}}},
};

// The rows as "time column=value ...; ...".
std::string Rows(const ObdValueHistory& h) {
  std::string out;
  for (size_t i = 0; i < h.size(); ++i) {
    out += std::to_string(h[i].ms);
    for (size_t c = 0; c < h.columns().size(); ++c)
      if (const auto v = h.value(i, c)) out += " " + h.columns()[c].name + "=" + std::to_string(*v);
    out += ";";
  }
  return out;
}

TEST(ObdValueHistory, RowsHoldWhatEachAnswerMeasuredAndTheCsvCarriesValuesOn) {
  const std::string header = "time,OBD_0C,OBD_0D_7E8,OBD_0D_7E9,OBD_05\n";
  struct Case {
    size_t capacity;
    std::string rows;
    uint64_t dropped;
    std::string csv;
  } const cases[] = {
      {10,
       "1000 OBD_0C=1726.000000 OBD_0D_7E8=62.000000;1100 OBD_0D_7E9=61.000000;"
       "1400 OBD_05=50.000000;",
       0, header + "1.000,1726,62,,\n1.100,1726,62,61,\n1.400,1726,62,61,50\n"},
      // The first answer is gone, but its values still fill the rows after it.
      {2, "1100 OBD_0D_7E9=61.000000;1400 OBD_05=50.000000;", 1,
       header + "1.100,1726,62,61,\n1.400,1726,62,61,50\n"},
      {1, "1400 OBD_05=50.000000;", 2, header + "1.400,1726,62,61,50\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.capacity);
    ObdValueHistory h(c.capacity);
    h.begin(kColumns);
    ObdResults r;
    for (const Answer& a : kAnswers) {
      std::vector<std::pair<uint32_t, uint8_t>> keys;
      for (const Read& read : a.reads) {
        // The session keeps the last good number when an answer is short.
        ObdValue& v = r.values[{read.ecu, read.pid}];
        v.ecu = read.ecu;
        v.pid = read.pid;
        v.bytes = read.bytes;
        v.at = a.at + 500;
        keys.emplace_back(read.ecu, read.pid);
      }
      h.append(500, keys, r);
    }
    EXPECT_EQ(Rows(h), c.rows);
    EXPECT_EQ(h.appended(), 3u);
    EXPECT_EQ(h.dropped(), c.dropped);
    EXPECT_EQ(h.csvText(), c.csv);
  }
}

}  // namespace
}  // namespace kalvex

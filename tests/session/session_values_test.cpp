// The session's rows: the monitor's CSV text, the oldest rows dropped past
// the capacity, and reading a CSV back for the chart.
#include "session/session_values.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace kalvex {
namespace {

std::string TempPath(const std::string& name) {
  const char* dir = std::getenv("KALVEX_BINARY_DIR");
  return std::string(dir ? dir : "/tmp") + "/testenv/" + name;
}

std::string Slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

TEST(SessionValues, CsvRowsDroppedRowsAndReadingBack) {
  GaugeValues v{};
  EXPECT_EQ(CsvRow(0, v), "0.000,,,,,,,,,,,,\n");
  v[static_cast<size_t>(Component::VI_Nmot)] = 1040.0f;
  v[static_cast<size_t>(Component::VS_Ub)] = 14.15f;
  v[static_cast<size_t>(Component::VS_MAP)] = -0.5f;
  // Columns in the monitor's order, not the component order; floats in full.
  EXPECT_EQ(CsvRow(61.2345, v), "61.234,,,,1040,,14.1499996,,,,,,-0.5\n");

  SessionValues s(3);
  for (int i = 0; i < 5; ++i) {
    v[static_cast<size_t>(Component::VS_THR)] = static_cast<float>(i);
    s.append(i * 250, v);
  }
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(s.dropped(), 2u);
  EXPECT_EQ(s.appended(), 5u);
  EXPECT_EQ(s[0].ms, 500);
  EXPECT_EQ(*s[0].value(Component::VS_THR), 2.0f);
  EXPECT_FALSE(s[0].value(Component::VS_TOG));

  const std::string path = TempPath("values.csv");
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(s.writeCsv(f));
  std::fclose(f);
  const std::string text = Slurp(path);
  EXPECT_EQ(text.substr(0, text.find('\n')), kCsvHeader);
  EXPECT_NE(text.find("\n0.750,,,,1040,,14.1499996,,,3,,,-0.5\n"), std::string::npos) << text;

  SessionValues back;
  std::string error;
  ASSERT_TRUE(back.readCsv(path, error)) << error;
  ASSERT_EQ(back.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(back[i].ms, s[i].ms);
    EXPECT_EQ(back[i].set, s[i].set);
    EXPECT_EQ(back[i].v, s[i].v);
  }
  s.clear();
  EXPECT_EQ(s.size(), 0u);
  EXPECT_EQ(s.dropped(), 0u);
}

TEST(SessionValues, ReadsSubsetsAndRejectsWhatIsNoCsvOfValues) {
  struct Case {
    const char* text;
    bool ok;
    const char* what;
  };
  const Case cases[] = {
      {"time,VI_Nmot,VS_TOG\n0.000,800,\n1.500,900,20\n", true, "a subset of the columns"},
      {"time,VI_Nmot\r\n0.000,800\r\n", true, "CRLF lines"},
      {"", false, "empty"},
      {"speed,VI_Nmot\n0,1\n", false, "no time column"},
      {"time,RPM\n0,1\n", false, "an unknown column"},
      {"time,VI_Nmot\n0.000\n", false, "a short row"},
      {"time,VI_Nmot\n0.000,fast\n", false, "not a number"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = TempPath("read.csv");
    std::ofstream(path, std::ios::binary) << c.text;
    SessionValues s;
    std::string error;
    EXPECT_EQ(s.readCsv(path, error), c.ok) << error;
    EXPECT_EQ(error.empty(), c.ok);
    if (std::string(c.what) == "a subset of the columns") {
      ASSERT_EQ(s.size(), 2u);
      EXPECT_EQ(s[1].ms, 1500);
      EXPECT_EQ(*s[1].value(Component::VS_TOG), 20.0f);
      EXPECT_FALSE(s[0].value(Component::VS_TOG));
      EXPECT_TRUE(s.columns()[static_cast<size_t>(Component::VI_Nmot)]);
      EXPECT_FALSE(s.columns()[static_cast<size_t>(Component::VS_Speed)]);
    }
  }
  SessionValues s;
  std::string error;
  EXPECT_FALSE(s.readCsv(TempPath("no-such-dir/x.csv"), error));
  EXPECT_NE(error.find("cannot read"), std::string::npos);
}

}  // namespace
}  // namespace kalvex

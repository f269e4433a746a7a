// The values CSV's writer and reader together: what one writes the other
// reads back to the bit, whole or in pieces of any size.
#include "protocol/csv_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace kalvex {
namespace {

struct Row {
  double seconds;
  GaugeValues values;
};

std::vector<Row> SomeRows() {
  std::vector<Row> rows;
  for (int i = 0; i < 300; ++i) {
    Row r{i * 0.2, {}};
    r.values[static_cast<size_t>(Component::VI_Nmot)] = 800.0f + static_cast<float>(i) / 7.0f;
    if (i % 3 == 0) r.values[static_cast<size_t>(Component::VS_Ub)] = -0.1f * static_cast<float>(i);
    rows.push_back(r);
  }
  return rows;
}

TEST(CsvFile, WriterPiecesAndReaderGiveTheRowsBack) {
  struct Case {
    size_t piece;         // the writer's piece size
    size_t feed;          // the reader's piece size
    size_t writesAtMost;  // calls of the sink
    const char* what;
  };
  const Case cases[] = {
      {0, 1, 301, "each row at once, read a byte at a time"},
      {CsvWriter::kPiece, 7, 1, "one piece, read in odd pieces"},
      {1000, 1 << 20, 20, "small pieces, read whole"},
  };
  const std::vector<Row> rows = SomeRows();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string text;
    size_t writes = 0;
    CsvWriter w(
        [&](std::string_view piece) {
          ++writes;
          text += piece;
          return true;
        },
        c.piece);
    ASSERT_TRUE(w.header());
    for (const Row& r : rows) ASSERT_TRUE(w.row(r.seconds, r.values));
    ASSERT_TRUE(w.flush());
    EXPECT_LE(writes, c.writesAtMost);
    EXPECT_EQ(text.substr(0, text.find('\n')), kCsvHeader);

    std::vector<Row> back;
    const std::vector<Component> lanes = {Component::VS_Ub, Component::VI_Nmot};
    CsvReader reader(lanes, [&](double t, const float* v) {
      Row r{t, {}};
      for (size_t l = 0; l < lanes.size(); ++l)
        if (!std::isnan(v[l])) r.values[static_cast<size_t>(lanes[l])] = v[l];
      back.push_back(r);
    });
    std::string error;
    for (size_t at = 0; at < text.size(); at += c.feed)
      ASSERT_TRUE(reader.feed(text.data() + at, std::min(c.feed, text.size() - at), error))
          << error;
    ASSERT_TRUE(reader.finish(error)) << error;
    ASSERT_EQ(back.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
      EXPECT_NEAR(back[i].seconds, rows[i].seconds, 0.0005);
      EXPECT_EQ(back[i].values, rows[i].values) << "row " << i;
    }
  }
}

TEST(CsvFile, AFailedWriteStaysFailed) {
  int calls = 0;
  CsvWriter w([&](std::string_view) { return ++calls > 1 && false; }, 0);
  EXPECT_FALSE(w.header());
  EXPECT_FALSE(w.row(0, {}));
  EXPECT_FALSE(w.flush());
  EXPECT_EQ(calls, 1) << "nothing more goes to a sink that failed";
}

TEST(CsvFile, ALaneWithoutAColumnFailsTheHeaderUnlessItMayLack) {
  const std::string text = "time,VI_Nmot\n0.500,900\n";
  std::string error;
  CsvReader strict({Component::VS_TOG}, [](double, const float*) {});
  EXPECT_FALSE(strict.feed(text.data(), text.size(), error));
  EXPECT_NE(error.find("no column VS_TOG"), std::string::npos) << error;

  std::vector<float> seen;
  CsvReader lenient(
      {Component::VS_TOG, Component::VI_Nmot},
      [&](double, const float* v) { seen.assign(v, v + 2); }, /*lanesMayLack=*/true);
  error.clear();
  ASSERT_TRUE(lenient.feed(text.data(), text.size(), error)) << error;
  ASSERT_TRUE(lenient.finish(error)) << error;
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_TRUE(std::isnan(seen[0]));
  EXPECT_EQ(seen[1], 900.0f);
}

}  // namespace
}  // namespace kalvex

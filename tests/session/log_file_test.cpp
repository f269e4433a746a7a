// The log's writer and reader agree: what LogFile writes, ReadLogLine gives
// back (the stamp's seconds, the marker, the text), and what it was not
// written by is refused.
#include "session/log_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace kalvex {
namespace {

TEST(LogFormat, WhatTheWriterWritesTheReaderReadsBack) {
  const auto dir =
      std::filesystem::temp_directory_path() /
      ("kalvex-log-format-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  // 29 Feb of a leap year, 23:59:58, then two seconds later: 1 March.
  std::tm now{};
  now.tm_year = 2024 - 1900;
  now.tm_mon = 1;
  now.tm_mday = 29;
  now.tm_hour = 23;
  now.tm_min = 59;
  now.tm_sec = 58;
  LogFile log(dir.string(), [&] { return now; });
  ASSERT_EQ(log.create(), 0);
  ASSERT_EQ(log.appendLine(LogMarker::Adapter, "61 01 0A>"), 0);
  now.tm_sec = 0;
  now.tm_min = 0;
  now.tm_hour = 0;
  now.tm_mday = 1;
  now.tm_mon = 2;
  ASSERT_EQ(log.appendLine(LogMarker::Extracted, "61010A"), 0);

  std::ifstream in(log.fileName(), std::ios::binary);
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);) {
    ASSERT_TRUE(!l.empty() && l.back() == '\r') << "CRLF line ends";
    l.pop_back();
    lines.push_back(l);
  }
  in.close();  // Windows removes no file that is still open
  ASSERT_EQ(lines.size(), 3u);
  std::vector<std::optional<LogLine>> read;
  for (const std::string& l : lines) read.push_back(ReadLogLine(l));
  ASSERT_TRUE(read[0] && read[1] && read[2]);
  EXPECT_FALSE(read[0]->marker);
  EXPECT_EQ(read[1]->marker, LogMarker::Adapter);
  EXPECT_EQ(read[1]->text, "61 01 0A>");
  EXPECT_EQ(read[2]->marker, LogMarker::Extracted);
  EXPECT_EQ(read[2]->text, "61010A");
  EXPECT_EQ(read[2]->seconds - read[0]->seconds, 2);
  std::filesystem::remove_all(dir, ec);
}

TEST(LogFormat, LinesNotStampedAsTheWriterStampsAreRefused) {
  for (const char* line : {"", "29/02/2023 10:00:00", "31/04/2024 10:00:00", "01/01/2024 24:00:00",
                           "01/01/2024 10:00:0", "01-01-2024 10:00:00", "01/01/2024 10:00:00x",
                           "1/01/2024 10:00:00 --- X"})
    EXPECT_FALSE(ReadLogLine(line)) << line;
  // An unknown marker still has its stamp.
  const auto odd = ReadLogLine("01/01/2024 10:00:00 ??? X");
  ASSERT_TRUE(odd);
  EXPECT_FALSE(odd->marker);
}

}  // namespace
}  // namespace kalvex

// kalvex-cli --lang en (the built binary) against the simulator: the status
// lines, the fault list and the errors come out in English, from the same
// table the checks of tests/cli look at; the CSV stays as it is.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "cli/language.h"
#include "e2e/process_runner.h"
#include "faults/faults.h"
#include "protocol/translate.h"
#include "session/session_view.h"
#include "sim/pty_server.h"
#include "support/cyrillic.h"

namespace kalvex {
namespace {

using testing::Child;

using testing::HasCyrillic;

// The line the table describes `code` with, in English.
std::string EnglishFaultLine(const char* code) {
  for (const FaultRow& row : FaultDescriptionTable())
    if (std::string(row.code) == code) return cli::EnglishText(kTextContext, row.line);
  return "no row for " + std::string(code);
}

std::string English(const char* russian) { return cli::EnglishText(kTextContext, russian); }

TEST(LanguageEndToEnd, MonitorInEnglish) {
  std::string error;
  auto faults = sim::PtyServer::Start({0, 0, 0, false}, error);
  auto values = sim::PtyServer::Start({0, 0, 0, false}, error);
  ASSERT_TRUE(faults && values) << error;
  // --lang before the command and after it.
  Child read({"--lang", "en", "monitor", "--port", faults->slavePath(), "--adapter", "elm327",
              "--make", "LADA", "--ecu", "0", "--faults", "--replies", "2", "--duration", "60"},
             "lang_faults");
  Child data({"monitor", "--port", values->slavePath(), "--adapter", "elm327", "--make", "0",
              "--ecu", "0", "--replies", "3", "--duration", "60", "--lang=en"},
             "lang_values");
  Child missing({"monitor", "--lang", "en", "--port", "/dev/kalvex-no-such-port", "--adapter",
                 "kesta", "--make", "0", "--ecu", "0"},
                "lang_missing");
  ASSERT_EQ(read.wait(), 0) << read.err();
  ASSERT_EQ(data.wait(), 0) << data.err();
  EXPECT_EQ(missing.wait(), 1);

  cli::UseLanguage("en");
  const std::string undescribed = UndescribedCodesLine({"1602"});
  cli::UseLanguage("ru");
  const std::string block = EnglishFaultLine("0102") + "\n" + EnglishFaultLine("0301") + "\n" +
                            EnglishFaultLine("0562") + "\n" + undescribed + "\n\n";
  EXPECT_EQ(read.out(), block);  // two fault replies, one list: printed once
  EXPECT_FALSE(HasCyrillic(read.err())) << read.err();

  EXPECT_EQ(data.err(), English(kStatusNoLink) + "\n" + English(kStatusLinked) + "\n" +
                            English(kStatusNoLink) + "\n");
  EXPECT_EQ(data.out().substr(0, 5), "time,");  // a file format: the same in every language

  EXPECT_NE(missing.err().find("/dev/kalvex-no-such-port"), std::string::npos) << missing.err();
  EXPECT_FALSE(HasCyrillic(missing.err())) << missing.err();
}

TEST(LanguageEndToEnd, AnUnknownLanguageIsBadUsage) {
  Child child({"--lang", "de", "ports"}, "lang_de");
  EXPECT_EQ(child.wait(), 2);
  EXPECT_EQ(child.out(), "");
  EXPECT_EQ(child.err(), "kalvex-cli: --lang is en or ru, not de\n");
}

}  // namespace
}  // namespace kalvex

// `kalvex-cli ports` as a user reads it: the list on stdout, and on stderr
// what to do, for a port this user may not open and for no port at all.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/language.h"

namespace kalvex::cli {
namespace {

std::string ReadBack(std::FILE* f) {
  std::string text;
  std::rewind(f);
  char buf[512];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
  std::fclose(f);
  return text;
}

struct Printed {
  int status;
  std::string out, err;
};

Printed Print(const std::vector<PortEntry>& ports) {
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  Printed p{PrintPorts(ports, out, err), {}, {}};
  p.out = ReadBack(out);
  p.err = ReadBack(err);
  return p;
}

TEST(PortsList, NoPortAtAllSaysHowToConnectOneAndStillSucceeds) {
  const struct {
    const char* language;
    std::vector<PortEntry> ports;
    const char* out;
    const char* err;  // the whole of stderr; nullptr: begins with the hint below
  } kRows[] = {
      {"ru",
       {},
       "",
       "Адаптер не найден: подключите USB-адаптер или привяжите Bluetooth-адаптер; Wi-Fi адаптер "
       "укажите как --port tcp://ХОСТ:ПОРТ, другое устройство — как --port ПУТЬ.\n"},
      {"en",
       {},
       "",
       "No adapter found: plug in a USB adapter or pair a Bluetooth adapter; give a Wi-Fi adapter "
       "as --port tcp://HOST:PORT, any other device as --port PATH.\n"},
      {"ru",
       {{"/dev/ttyUSB0", false}, {"tcp://127.0.0.1:35000", false}},
       "/dev/ttyUSB0\ntcp://127.0.0.1:35000\n",
       ""},
      // A port that is there but refused is no "adapter not found".
      {"ru", {{"/dev/kalvex-test-none", true}}, "/dev/kalvex-test-none (нет доступа)\n", nullptr},
      {"en", {{"/dev/kalvex-test-none", true}}, "/dev/kalvex-test-none (no access)\n", nullptr},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.language + std::string(" ") + row.out);
    UseLanguage(row.language);
    const Printed p = Print(row.ports);
    UseLanguage("ru");
    EXPECT_EQ(p.status, 0);
    EXPECT_EQ(p.out, row.out);
    if (row.err) {
      EXPECT_EQ(p.err, row.err);
    } else {
      EXPECT_NE(p.err.find("/dev/kalvex-test-none"), std::string::npos) << p.err;
      EXPECT_EQ(p.err.find("--port tcp://"), std::string::npos) << p.err;
    }
  }
}

TEST(PortsList, TheWindowsOwnTextNamesItsWifiItem) {
  EXPECT_STREQ(kNoAdapterFound,
               "Адаптер не найден: подключите USB-адаптер, привяжите Bluetooth-адаптер или "
               "выберите «Wi-Fi адаптер…»");
  EXPECT_STREQ(EnglishText(kTextContext, kNoAdapterFound),
               "No adapter found: plug in a USB adapter, pair a Bluetooth adapter or choose "
               "“Wi-Fi adapter…”");
}

}  // namespace
}  // namespace kalvex::cli

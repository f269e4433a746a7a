// kalvex-cli's help and version as a user meets them, and the man page kept
// in step with the help texts.
#include "cli/help.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>

#include "support/run_cli.h"

namespace {

using kalvex::test::CliRun;
using kalvex::test::RunCli;

TEST(CliHelp, HelpAndVersionGoToStdoutAndSucceed) {
  const struct {
    const char* args;
    std::string out;
  } kRows[] = {
      {"--help", kalvex::cli::MainHelp()},
      {"-h", kalvex::cli::MainHelp()},
      {"--version", std::string("kalvex-cli ") + KALVEX_VERSION + " (Linux)\n"},
      {"-v", std::string("kalvex-cli ") + KALVEX_VERSION + " (Linux)\n"},
      // A command's help wins over everything else on its line.
      {"decode --help", kalvex::cli::CommandHelp("decode")},
      {"decode --make 0 -h", kalvex::cli::CommandHelp("decode")},
      {"monitor --port /dev/null --help", kalvex::cli::CommandHelp("monitor")},
      {"simulate --help", kalvex::cli::CommandHelp("simulate")},
      {"ports --help", kalvex::cli::CommandHelp("ports")},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.args);
    const CliRun run = RunCli(row.args);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, row.out);
  }
}

TEST(CliHelp, MistakesPrintNothingOnStdoutAndExitTwo) {
  for (const char* args : {"", "frobnicate", "frobnicate --help", "--verbose"}) {
    SCOPED_TRACE(args);
    const CliRun run = RunCli(args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
  }
}

TEST(CliHelp, TheManPageNamesEveryOptionOfTheHelp) {
  const char* data = std::getenv("KALVEX_TEST_DATA");
  ASSERT_NE(data, nullptr);
  std::ifstream in(std::string(data) + "/../../packaging/kalvex-cli.1");
  ASSERT_TRUE(in.good());
  std::string man(std::istreambuf_iterator<char>(in), {});
  // roff writes a minus as "\-".
  for (size_t at; (at = man.find("\\-")) != std::string::npos;) man.erase(at, 1);

  std::string help = kalvex::cli::MainHelp();
  const std::string exitStatus = man.substr(man.find(".SH EXIT STATUS"));
  for (const char* command : {"ports", "decode", "simulate", "monitor", "replay"}) {
    ASSERT_NE(kalvex::cli::CommandHelp(command), nullptr) << command;
    help += kalvex::cli::CommandHelp(command);
    EXPECT_NE(man.find(std::string(".B ") + command), std::string::npos) << command;
    // Every command states its exit statuses, in its help and in the man page.
    EXPECT_NE(std::string(kalvex::cli::CommandHelp(command)).find("Exit status:"),
              std::string::npos)
        << command;
    EXPECT_NE(exitStatus.find(std::string(".B ") + command + "\n"), std::string::npos) << command;
  }
  std::set<std::string> options;
  const std::regex option("--[a-z]+");
  for (std::sregex_iterator it(help.begin(), help.end(), option), end; it != end; ++it)
    options.insert(it->str());
  EXPECT_GE(options.size(), 15u);
  for (const std::string& o : options) EXPECT_NE(man.find(o), std::string::npos) << o;
}

}  // namespace

// kalvex-cli's help and version as a user meets them, and the man page kept
// in step with the help texts.
#include "cli/help.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>

namespace {

struct CliRun {
  std::string out;
  int status = -1;
};

// `command` through the shell, its standard output and exit status.
CliRun RunCommand(const std::string& command) {
  CliRun run;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return run;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) run.out.append(buf, n);
  const int raw = pclose(p);
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return run;
}

CliRun RunCli(const std::string& args) {
  const char* dir = std::getenv("KALVEX_BINARY_DIR");
  return RunCommand(std::string(dir ? dir : ".") + "/kalvex-cli " + args + " 2>/dev/null");
}

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

// The pages as `man` shows them: a font or minus code written with one
// backslash too many ("\\fB") comes out as raw text; Cyrillic the page's
// encoding does not carry comes out as mojibake, with a troff warning.
TEST(CliHelp, TheManPagesRenderWithoutRawRoffCodes) {
  const char* data = std::getenv("KALVEX_TEST_DATA");
  ASSERT_NE(data, nullptr);
  if (std::system("command -v man >/dev/null 2>&1") != 0) GTEST_SKIP() << "no man here";
  const struct {
    const char* page;
    const char* russian;  // a text of the page that must come out as it is
  } kPages[] = {{"kalvex.1", "“Номер COM-порта”"}, {"kalvex-cli.1", "“(нет доступа)”"}};
  for (const auto& p : kPages) {
    SCOPED_TRACE(p.page);
    const std::string path = std::string(data) + "/../../packaging/" + p.page;
    const CliRun run =
        RunCommand("LANG=C.UTF-8 LC_ALL= MANWIDTH=80 man --warnings -l '" + path + "' 2>&1");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_GT(run.out.size(), 1000u);
    // No text of these pages has a backslash of its own.
    const size_t raw = run.out.find('\\');
    EXPECT_EQ(raw, std::string::npos)
        << "raw roff code: " << run.out.substr(raw == std::string::npos ? 0 : raw, 24);
    EXPECT_EQ(run.out.find("warning"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(p.russian), std::string::npos) << run.out;
  }
}

}  // namespace

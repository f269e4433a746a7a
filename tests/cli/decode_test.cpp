// kalvex-cli decode, run as a process the way users and scripts run it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "support/run_cli.h"

namespace {

using kalvex::test::CliRun;

std::string Cli() { return kalvex::test::CliPath(); }

CliRun RunDecode(const std::string& args, const std::string* input = nullptr) {
  return kalvex::test::RunCli("decode " + args, input);
}

class DecodeCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::ifstream(Cli()).good()) GTEST_FAIL() << "build kalvex-cli first: " << Cli();
  }
};

TEST_F(DecodeCliTest, OneCaseFromTheCommandLine) {
  // Январь 5.1 P-83: B[13] = 21, B[20] = 176, B[10] = 0, the rest 0.
  const CliRun run = RunDecode(
      "--make 0 --ecu 0 --next 11 "
      "61 01 00 00 00 00 00 00 00 00 00 00 00 15 00 00 00 00 00 00 B0");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "VS_Speed 0\nVI_Speed 0\nVS_Nmot 8\nVI_Nmot 840\nVS_Ub 14\nVI_Ub 14\nVS_TOG -40\n"
            "VS_MRV 0\nVS_THR 0\nVS_DV 0\nNextCommand 11\n");
}

TEST_F(DecodeCliTest, BadCaseOnTheCommandLineIsAnErrorBlock) {
  const CliRun run = RunDecode("--make 0 --ecu 9 61");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "error ECU type out of range for make 0: 9\n");
  EXPECT_EQ(RunDecode("--make 0 61").status, 2);  // usage
}

TEST_F(DecodeCliTest, StdinGoesOnAfterABadLine) {
  const std::string input =
      "0 0 0 58 02 01 02 20 03 01 E0\r\n"
      "0 0 0 58 02 01 0\n"
      "\n"
      "0 0 3 54";  // no final newline
  const CliRun run = RunDecode("--stdin", &input);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out,
            "Memo1 0102 - Датчик массового расхода воздуха, низкий уровень выходного сигнала\n"
            "Memo1 0301 - Обнаружены пропуски воспламенения в 1-ом цилиндре\n"
            "NextCommand 0\n\n"
            "error bad hex at character 10\n\n"
            "NextCommand 12\n\n");
}

TEST_F(DecodeCliTest, StdinAllGoodExitsZeroAndSurvivesHugeLines) {
  std::string input = "0 6 13 62 00 01\n";
  input += "0 0 0 " + std::string(3000, 'F') + "\n";    // 1500 bytes
  input += "0 0 0 " + std::string(200000, '0') + "\n";  // far past any buffer
  input += "0 3 11 61\n";
  const CliRun run = RunDecode("--stdin", &input);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("error more than 1024 bytes\n\n"), std::string::npos);
  EXPECT_NE(run.out.find("error line longer than"), std::string::npos);
  EXPECT_NE(run.out.find("NextCommand 11\n\n"), std::string::npos);  // the last case ran

  const std::string good = "0 6 13 62 00 01\n0 3 11 61\n";
  EXPECT_EQ(RunDecode("--stdin", &good).status, 0);
}

// A full disk is an error, said once, not a silent success.
TEST_F(DecodeCliTest, OutputThatCannotBeWrittenExitsOne) {
  const std::string err = ::testing::TempDir() + "kalvex_decode_err.txt";
  for (const char* args : {"--make 0 --ecu 0 61 01", "--stdin < /dev/null", "--stdin"}) {
    std::string command = Cli() + " decode " + args;
    if (std::string(args) == "--stdin") command = "yes '0 0 11 61 01' | head -n 50000 | " + command;
    const int raw = std::system((command + " > /dev/full 2> '" + err + "'").c_str());
    std::ifstream in(err);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (std::string(args) == "--stdin < /dev/null") {
      EXPECT_EQ(WEXITSTATUS(raw), 0) << "nothing to write";
      continue;
    }
    EXPECT_EQ(WEXITSTATUS(raw), 1) << args;
    EXPECT_EQ(text, "kalvex-cli decode: cannot write the output: No space left on device\n")
        << args;
  }
  std::remove(err.c_str());
}

}  // namespace

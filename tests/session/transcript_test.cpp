// Runs every transcript under tests/data/session against the real session
// controller and drivers on a manual clock.
#include "support/transcript.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace kalvex::test {
namespace {

std::vector<std::string> TranscriptFiles() {
  std::vector<std::string> out;
  const char* root = std::getenv("KALVEX_TEST_DATA");
  if (!root) return out;
  for (const auto& e : std::filesystem::directory_iterator(std::filesystem::path(root) / "session"))
    if (e.path().extension() == ".txt") out.push_back(e.path().string());
  std::sort(out.begin(), out.end());
  return out;
}

class Transcript : public ::testing::TestWithParam<std::string> {};

TEST_P(Transcript, Runs) {
  SessionHarness h;
  TranscriptRunner runner(h);
  const auto failures = runner.runFile(GetParam());
  for (const auto& f : failures) ADD_FAILURE() << f;
}

INSTANTIATE_TEST_SUITE_P(Session, Transcript, ::testing::ValuesIn(TranscriptFiles()),
                         [](const auto& info) {
                           std::string n = std::filesystem::path(info.param).stem().string();
                           for (char& c : n)
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           return n;
                         });

TEST(Transcript, DataFolderIsFound) { EXPECT_FALSE(TranscriptFiles().empty()); }

}  // namespace
}  // namespace kalvex::test

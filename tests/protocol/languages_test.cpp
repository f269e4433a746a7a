// The languages are found, not named: every translations/kalvex_XX.ts of the
// source tree is offered, Russian first, and only those codes are accepted.
#include "protocol/languages.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

namespace kalvex {
namespace {

// The codes of the .ts files beside the sources (tests/data is two folders
// below the tree's root).
std::set<std::string> TranslationFiles() {
  const char* data = std::getenv("KALVEX_TEST_DATA");
  std::set<std::string> codes;
  if (!data) return codes;
  const auto folder = std::filesystem::path(data) / ".." / ".." / "translations";
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("kalvex_", 0) == 0 && entry.path().extension() == ".ts")
      codes.insert(name.substr(7, name.size() - 7 - 3));
  }
  return codes;
}

TEST(Languages, RussianFirstThenEveryTranslationFoundInItsOwnName) {
  const auto& all = Languages();
  ASSERT_FALSE(all.empty());
  EXPECT_STREQ(all[0].code, "ru");
  EXPECT_STREQ(all[0].name, "Русский");
  const std::set<std::string> files = TranslationFiles();
  ASSERT_FALSE(files.empty()) << "KALVEX_TEST_DATA does not lead to translations/";
  std::set<std::string> listed;
  for (size_t i = 1; i < all.size(); ++i) {
    listed.insert(all[i].code);
    // A finished translation names its language; the code is only the
    // fallback of a .ts that does not.
    EXPECT_STRNE(all[i].name, all[i].code) << all[i].code;
  }
  EXPECT_EQ(listed, files);
  EXPECT_EQ(listed.size(), all.size() - 1) << "a language listed twice";
}

TEST(Languages, OnlyTheFoundCodesAreLanguagesAndTheChoiceFallsBack) {
  struct Row {
    const char* asked;   // --lang
    const char* stored;  // LANGUAGE
    const char* shown;
  };
  const Row rows[] = {
      {"", "", "ru"},     {"en", "", "en"},      {"ru", "en", "ru"},
      {"", "en", "en"},   {"EN", "", "ru"},      {"en ", "", "ru"},
      {"xx", "en", "en"}, {"", "english", "ru"}, {"", "r", "ru"},
  };
  for (const Row& r : rows)
    EXPECT_EQ(ChooseLanguage(r.asked, r.stored), r.shown) << r.asked << "|" << r.stored;
  for (const Language& l : Languages()) EXPECT_TRUE(IsLanguage(l.code)) << l.code;
  EXPECT_FALSE(IsLanguage(""));
}

}  // namespace
}  // namespace kalvex

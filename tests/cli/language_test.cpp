// The English translation as kalvex-cli gets it: every entry finished and
// really English, every Russian text the core shows covered, composed
// messages right in both languages (--lang itself: command_line_test.cpp).
#include "cli/language.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "app/button_captions.h"
#include "catalogue/catalogue.h"
#include "faults/faults.h"
#include "link/port_discovery.h"
#include "link/system_errors.h"
#include "protocol/translate.h"
#include "session/session_controller.h"
#include "session/session_view.h"
#include "support/cyrillic.h"
#include "ui/chart_data.h"
#include "ui/dashboard_layout.h"

namespace kalvex::cli {
namespace {

using testing::HasCyrillic;

// The places a text is filled in at: %1..%9 (QString::arg, FormatText) and
// %s/%d (printf-style patterns), sorted.
std::vector<std::string> Placeholders(const std::string& s) {
  static const std::regex place("%[1-9sd]");
  std::vector<std::string> out;
  for (std::sregex_iterator it(s.begin(), s.end(), place), end; it != end; ++it)
    out.push_back(it->str());
  std::sort(out.begin(), out.end());
  return out;
}

// The Latin words and numbers of a text (two characters or more), in lower
// case: names of makes, models, ECUs, adapters and programs, codes, units.
std::vector<std::string> LatinWords(const std::string& s) {
  static const std::regex word("[A-Za-z0-9]{2,}");
  std::vector<std::string> out;
  for (std::sregex_iterator it(s.begin(), s.end(), word), end; it != end; ++it) {
    std::string w = it->str();
    std::transform(w.begin(), w.end(), w.begin(),
                   [](char c) { return static_cast<char>(std::tolower(c)); });
    out.push_back(w);
  }
  return out;
}

std::string LeadingBlanks(const std::string& s) { return s.substr(0, s.find_first_not_of(' ')); }

// English for the scope of one test, Russian again after it.
struct InEnglish {
  InEnglish() { UseLanguage("en"); }
  ~InEnglish() { UseLanguage("ru"); }
};

TEST(Language, EveryEntryIsFinishedEnglishThatKeepsItsPlaceholders) {
  ASSERT_GT(EnglishTexts().size(), 100u);
  const std::regex faultLine("^[0-9A-F]{4} - ");
  for (const EnglishEntry& e : EnglishTexts()) {
    const std::string source = e.source, english = e.english;
    EXPECT_FALSE(english.empty()) << source;
    EXPECT_FALSE(HasCyrillic(english)) << source << " -> " << english;
    EXPECT_EQ(Placeholders(source), Placeholders(english)) << source << " -> " << english;
    // Blanks in front are layout (a suffix after a port, an indented line).
    EXPECT_EQ(LeadingBlanks(source), LeadingBlanks(english)) << source;
    // Names and numbers are not translated: a car model, an ECU, a code
    // or a port option reads the same in both languages.
    // (A word may grow: the Cyrillic М of "М74" becomes a Latin one.)
    std::string lower = english;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return static_cast<char>(std::tolower(c)); });
    for (const std::string& w : LatinWords(source))
      EXPECT_NE(lower.find(w), std::string::npos) << source << " -> " << english << ": " << w;
    // A fault line is looked for by its code: the code stays in front.
    if (std::regex_search(source, faultLine)) {
      EXPECT_EQ(english.substr(0, 7), source.substr(0, 7));
    }
    // What the lookup answers is the entry itself.
    EXPECT_STREQ(EnglishText(e.context, e.source), e.english) << source;
  }
  EXPECT_EQ(EnglishText(kTextContext, "no such source text"), nullptr);
  EXPECT_EQ(EnglishText("no such context", kStatusNoLink), nullptr);
}

TEST(Language, EveryRussianTextTheCoreShowsHasAnEnglishOne) {
  std::vector<std::string> shown = {kCaptionStart,    kCaptionStop,  kStatusLinked, kStatusNoLink,
                                    kStatusNoAdapter, kNoFaultsLine, kNoAccessMark, kNoPortMessage};
  for (const FaultRow& row : FaultDescriptionTable()) shown.push_back(row.line);
  for (const ComponentSetup& s : DashboardSetup()) {
    // A first line told apart by a note is the window's alone (checked
    // with its translator).
    if (s.settings.name1Note.empty()) shown.push_back(s.settings.name1);
    shown.push_back(s.settings.name2);
    shown.push_back(s.settings.unit);
  }
  for (int c = 0; c < kComponentCount; ++c) {
    const Quantity q = QuantityOf(static_cast<Component>(c));
    shown.push_back(q.name);
    shown.push_back(q.unit);
  }
  int russian = 0;
  for (const std::string& text : shown) {
    if (!HasCyrillic(text)) continue;
    ++russian;
    EXPECT_NE(EnglishText(kTextContext, text.c_str()), nullptr) << text;
  }
  EXPECT_GE(russian, 74 + 8);
  // Without a choice every text stays as written.
  EXPECT_EQ(TranslateText(kStatusLinked), kStatusLinked);
  InEnglish english;
  EXPECT_EQ(TranslateText(kStatusLinked), EnglishText(kTextContext, kStatusLinked));
}

// The catalogue's texts: makes, ECU types, the vehicle list. Model names and
// Latin ECU names have nothing to translate and show as they are.
TEST(Language, EveryRussianCatalogueTextHasAnEnglishOne) {
  std::vector<std::string> shown = VehicleList();
  for (int make = 0; make < kMakeCount; ++make) {
    shown.push_back(Makes()[static_cast<size_t>(make)].text);
    for (const std::string& ecu : EcuTypesOf(make)) shown.push_back(ecu);
  }
  int russian = 0;
  for (const std::string& text : shown) {
    if (!HasCyrillic(text)) continue;
    ++russian;
    const char* english = EnglishText(kTextContext, text.c_str());
    EXPECT_NE(english, nullptr) << text;
  }
  EXPECT_GE(russian, 40);
}

// Messages put together from parts: the parts land in their places, and the
// Russian stays byte for byte as it was.
TEST(Language, ComposedMessagesInBothLanguages) {
  struct Row {
    std::string (*make)();
    const char* russian;
    const char* english;
  };
  const Row rows[] = {
      {[] {
         return UndescribedCodesLine({"0104", "010A"});
       },
       "Ещё 2 кода без описания: 0104, 010A", "No description for 2 more codes: 0104, 010A"},
      {[] { return UndescribedCodesLine({"1602"}); }, "Ещё 1 код без описания: 1602",
       "No description for 1 more code: 1602"},
      {[] {
         return PermissionHintFor("/dev/ttyUSB0", {"dialout", 20, 0660});
       },
       "Нет прав на порт /dev/ttyUSB0: добавьте пользователя в группу dialout (sudo usermod -aG "
       "dialout $USER) и войдите в систему заново.",
       "No permission for port /dev/ttyUSB0: add the user to the group dialout (sudo usermod -aG "
       "dialout $USER) and log in again."},
      {[] {
         return PermissionHintFor("/dev/ttyS0", {"", 0, 0600});
       },
       "Нет прав на порт /dev/ttyS0: устройство доступно только владельцу (права 0600), вступление "
       "в группу не поможет. Попросите администратора дать доступ правилом udev "
       "(GROUP=\"dialout\", MODE=\"0660\") или запустите программу от его имени.",
       "No permission for port /dev/ttyS0: only the owner may use the device (mode 0600), so "
       "joining a group will not help. Ask the administrator to grant access with a udev rule "
       "(GROUP=\"dialout\", MODE=\"0660\") or run the program as the owner."},
      {[] { return SystemReason(ENOSPC); }, "нет места на диске", "no space left on the disk"},
  };
  for (const Row& row : rows) EXPECT_EQ(row.make(), row.russian);
  InEnglish english;
  for (const Row& row : rows) EXPECT_EQ(row.make(), row.english);
}

// Why a save failed, for the system's codes a user can do something about;
// the rest keep the system's own text with the code.
TEST(Language, SaveFailureReasonsInBothLanguages) {
  struct Row {
    int code;
    const char* russian;
    const char* english;
  };
  const Row rows[] = {
      {ENOSPC, "нет места на диске", "no space left on the disk"},
      {EROFS, "файловая система только для чтения", "read-only file system"},
      {EACCES, "нет прав доступа", "permission denied"},
      {EPERM, "нет прав доступа", "permission denied"},
      {ENOENT, "нет такой папки", "no such folder"},
      {ENOTDIR, "часть пути не является папкой", "part of the path is not a folder"},
      {EISDIR, "это папка, а не файл или порт", "this is a folder, not a file or port"},
  };
  for (const Row& r : rows) EXPECT_EQ(SaveFailureReason(r.code), r.russian) << r.code;
  const std::string other = SaveFailureReason(EFBIG);
  EXPECT_EQ(other, std::string(std::strerror(EFBIG)) + " (код " + std::to_string(EFBIG) + ")");
  InEnglish english;
  for (const Row& r : rows) EXPECT_EQ(SaveFailureReason(r.code), r.english) << r.code;
  EXPECT_EQ(SaveFailureReason(EFBIG),
            std::string(std::strerror(EFBIG)) + " (code " + std::to_string(EFBIG) + ")");
}

TEST(Language, FormatTextFillsNumberedPlacesOnce) {
  struct Row {
    const char* pattern;
    std::vector<std::string> args;
    const char* out;
  };
  const Row rows[] = {
      {"%1: %2", {"COM3", "busy"}, "COM3: busy"},
      {"%2 before %1", {"a", "b"}, "b before a"},
      {"%1 and %1", {"x"}, "x and x"},
      {"%1 %3", {"a", "b"}, "a %3"},       // no third part: left as written
      {"100% %1", {"sure"}, "100% sure"},  // a lone % is text
      {"%1", {"%2 stays"}, "%2 stays"},    // a part is not filled in again
      {"ends with %", {}, "ends with %"},
  };
  for (const Row& row : rows) {
    std::string out;
    switch (row.args.size()) {
      case 0:
        out = FormatText(row.pattern, {});
        break;
      case 1:
        out = FormatText(row.pattern, {row.args[0]});
        break;
      default:
        out = FormatText(row.pattern, {row.args[0], row.args[1]});
        break;
    }
    EXPECT_EQ(out, row.out) << row.pattern;
  }
}

}  // namespace
}  // namespace kalvex::cli

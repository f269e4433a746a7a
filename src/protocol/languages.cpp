#include "protocol/languages.h"

#include <algorithm>

#include "protocol/translate.h"

namespace kalvex {
namespace {

// Each translation names its own language as its translation of this text
// (context "language"), so the list can show every language in its own words.
constexpr const char* kSourceLanguageName = QT_TRANSLATE_NOOP("language", "Русский");

}  // namespace

const std::vector<Language>& Languages() {
  static const std::vector<Language> all = [] {
    std::vector<Language> list{{kSourceLanguage, kSourceLanguageName}};
    // Generated from the translations/kalvex_XX.ts found at build time.
    const Language found[] = {
#include "protocol/kalvex_languages.inc"
        {nullptr, nullptr}};
    for (const Language& l : found)
      if (l.code && std::string_view(l.code) != kSourceLanguage) list.push_back(l);
    return list;
  }();
  return all;
}

bool IsLanguage(std::string_view code) {
  const auto& all = Languages();
  return std::any_of(all.begin(), all.end(), [&](const Language& l) { return code == l.code; });
}

std::string LanguageCodesText(std::string_view separator, std::string_view last) {
  std::vector<std::string> codes;
  for (const Language& l : Languages()) codes.emplace_back(l.code);
  std::sort(codes.begin(), codes.end());
  std::string text;
  for (size_t i = 0; i < codes.size(); ++i) {
    if (i > 0) text += i + 1 == codes.size() ? last : separator;
    text += codes[i];
  }
  return text;
}

std::string ChooseLanguage(std::string_view asked, std::string_view stored) {
  if (IsLanguage(asked)) return std::string(asked);
  if (IsLanguage(stored)) return std::string(stored);
  return kSourceLanguage;
}

}  // namespace kalvex

// The languages the texts can be shown in: Russian, the language they are
// written in, and every translation found beside it at build time (each
// translations/kalvex_XX.ts). The window's choice, the LANGUAGE setting and
// kalvex-cli's --lang all take their languages from here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kalvex {

struct Language {
  const char* code;  // "ru", "en": the XX of kalvex_XX.ts, of LANGUAGE and of --lang
  const char* name;  // in the language itself ("Русский", "English")
};

// The language of the source texts; it needs no translation.
inline constexpr const char* kSourceLanguage = "ru";

// Russian first, then the translations by their codes.
const std::vector<Language>& Languages();

bool IsLanguage(std::string_view code);

// The codes in alphabetical order, for a message ("en or ru", "de, en or ru")
// or an option's value ("en|ru" with "|" for both separators).
std::string LanguageCodesText(std::string_view separator = ", ", std::string_view last = " or ");

// The language the texts are shown in: the one asked for (--lang) when it is
// known, else the one stored (LANGUAGE) when it is known, else Russian.
std::string ChooseLanguage(std::string_view asked, std::string_view stored);

}  // namespace kalvex

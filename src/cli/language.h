// The language kalvex-cli (and the window's core texts) are shown in. Each
// translation comes from its translations/kalvex_XX.ts, turned into a table
// at build time, so kalvex-cli needs no Qt and prints what the window shows.
// Which languages there are: protocol/languages.h.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kalvex::cli {

// The finished translation into `language` of a Russian source text in
// `context`, or nullptr when that language's .ts has none (or there is no
// such language).
const char* TranslatedText(const std::string& language, const char* context, const char* source);

// TranslatedText for "en". Fits SetTextTranslator.
const char* EnglishText(const char* context, const char* source);

struct EnglishEntry {
  const char* context;
  const char* source;   // the Russian text, as marked in the code
  const char* english;  // its finished translation
};
// Every finished entry of kalvex_en.ts, in the file's order (for the checks).
const std::vector<EnglishEntry>& EnglishTexts();

// Makes the core's texts appear in `language`; Russian (as written) for
// Russian or a language without a table.
void UseLanguage(const std::string& language);

}  // namespace kalvex::cli

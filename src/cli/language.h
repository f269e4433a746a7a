// The language kalvex-cli (and the window's core texts) are shown in. The
// English comes from translations/kalvex_en.ts, turned into a table at
// build time, so kalvex-cli needs no Qt and prints what the window shows.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kalvex::cli {

// The finished English translation of a Russian source text in `context`,
// or nullptr when the .ts has none. Fits SetTextTranslator.
const char* EnglishText(const char* context, const char* source);

struct EnglishEntry {
  const char* context;
  const char* source;   // the Russian text, as marked in the code
  const char* english;  // its finished translation
};
// Every finished entry of the .ts, in the file's order (for the checks).
const std::vector<EnglishEntry>& EnglishTexts();

// Makes the core's texts English for "en", Russian (as written) otherwise.
void UseLanguage(const std::string& language);

}  // namespace kalvex::cli

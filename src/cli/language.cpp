#include "cli/language.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "protocol/translate.h"

namespace kalvex::cli {
namespace {

using EnglishRow = EnglishEntry;

// Generated from translations/kalvex_en.ts at build time: its finished
// entries, in the file's order.
constexpr EnglishRow kEnglish[] = {
#include "cli/kalvex_en_table.inc"
};

bool Less(const EnglishRow* a, std::string_view context, std::string_view source) {
  const int c = std::string_view(a->context).compare(context);
  return c < 0 || (c == 0 && std::string_view(a->source) < source);
}

// The rows sorted by context, then source, once.
const std::vector<const EnglishRow*>& Sorted() {
  static const std::vector<const EnglishRow*> rows = [] {
    std::vector<const EnglishRow*> r;
    for (const EnglishRow& row : kEnglish) r.push_back(&row);
    std::sort(r.begin(), r.end(), [](const EnglishRow* a, const EnglishRow* b) {
      return Less(a, b->context, b->source);
    });
    return r;
  }();
  return rows;
}

}  // namespace

const char* EnglishText(const char* context, const char* source) {
  if (!context || !source) return nullptr;
  const std::string_view ctx(context), src(source);
  const auto& rows = Sorted();
  const auto it = std::lower_bound(rows.begin(), rows.end(), 0,
                                   [&](const EnglishRow* r, int) { return Less(r, ctx, src); });
  if (it == rows.end() || ctx != (*it)->context || src != (*it)->source) return nullptr;
  return (*it)->english;
}

const std::vector<EnglishEntry>& EnglishTexts() {
  static const std::vector<EnglishEntry> all(std::begin(kEnglish), std::end(kEnglish));
  return all;
}

std::optional<std::string> TakeLanguageOption(int& argc, char** argv, std::string& error) {
  std::optional<std::string> language;
  int out = 0;
  for (int i = 0; i < argc; ++i) {
    const char* a = argv[i];
    if (std::strcmp(a, "--lang") == 0) {
      if (i + 1 >= argc) {
        error = "--lang needs en or ru";
        argv[out++] = argv[i];
        continue;
      }
      language = argv[++i];
    } else if (std::strncmp(a, "--lang=", 7) == 0) {
      language = a + 7;
    } else {
      argv[out++] = argv[i];
      continue;
    }
    if (*language != "en" && *language != "ru") error = "--lang is en or ru, not " + *language;
  }
  for (int i = out; i < argc; ++i) argv[i] = nullptr;
  argc = out;
  return language;
}

void UseLanguage(const std::string& language) {
  SetTextTranslator(language == "en" ? &EnglishText : nullptr);
}

}  // namespace kalvex::cli

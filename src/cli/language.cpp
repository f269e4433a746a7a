#include "cli/language.h"

#include <algorithm>
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

void UseLanguage(const std::string& language) {
  SetTextTranslator(language == "en" ? &EnglishText : nullptr);
}

}  // namespace kalvex::cli

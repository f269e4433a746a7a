#include "cli/language.h"

#include <algorithm>
#include <atomic>
#include <iterator>
#include <string_view>
#include <vector>

#include "protocol/translate.h"

namespace kalvex::cli {
namespace {

struct TextRow {
  const char* context;
  const char* source;       // the Russian text, as marked in the code
  const char* translation;  // its finished translation
};

struct LanguageTable {
  const char* code;  // null ends the list
  const TextRow* rows;
  size_t count;
};

// Generated at build time: kRows_XX from each translations/kalvex_XX.ts
// (its finished entries, in the file's order) and kTables, their index.
#include "cli/kalvex_tables.inc"

bool Less(const TextRow* a, std::string_view context, std::string_view source) {
  const int c = std::string_view(a->context).compare(context);
  return c < 0 || (c == 0 && std::string_view(a->source) < source);
}

// A table's rows sorted by context, then source.
struct SortedTable {
  std::string_view code;
  std::vector<const TextRow*> rows;
};

// Every table sorted, once.
const std::vector<SortedTable>& Sorted() {
  static const std::vector<SortedTable> tables = [] {
    std::vector<SortedTable> all;
    for (const LanguageTable* t = kTables; t->code; ++t) {
      SortedTable s{t->code, {}};
      for (size_t i = 0; i < t->count; ++i) s.rows.push_back(&t->rows[i]);
      std::sort(s.rows.begin(), s.rows.end(),
                [](const TextRow* a, const TextRow* b) { return Less(a, b->context, b->source); });
      all.push_back(std::move(s));
    }
    return all;
  }();
  return tables;
}

const SortedTable* TableOf(std::string_view language) {
  for (const SortedTable& t : Sorted())
    if (t.code == language) return &t;
  return nullptr;
}

const char* Find(const SortedTable* table, const char* context, const char* source) {
  if (!table || !context || !source) return nullptr;
  const std::string_view ctx(context), src(source);
  const auto& rows = table->rows;
  const auto it = std::lower_bound(rows.begin(), rows.end(), 0,
                                   [&](const TextRow* r, int) { return Less(r, ctx, src); });
  if (it == rows.end() || ctx != (*it)->context || src != (*it)->source) return nullptr;
  return (*it)->translation;
}

// The table UseLanguage chose; read by the port's threads through the
// messages they compose, hence atomic.
std::atomic<const SortedTable*> gCurrent{nullptr};

const char* CurrentText(const char* context, const char* source) {
  return Find(gCurrent.load(), context, source);
}

}  // namespace

const char* TranslatedText(const std::string& language, const char* context, const char* source) {
  return Find(TableOf(language), context, source);
}

const char* EnglishText(const char* context, const char* source) {
  return TranslatedText("en", context, source);
}

const std::vector<EnglishEntry>& EnglishTexts() {
  static const std::vector<EnglishEntry> all = [] {
    std::vector<EnglishEntry> entries;
    for (const LanguageTable* t = kTables; t->code; ++t) {
      if (std::string_view(t->code) != "en") continue;
      for (size_t i = 0; i < t->count; ++i)
        entries.push_back({t->rows[i].context, t->rows[i].source, t->rows[i].translation});
    }
    return entries;
  }();
  return all;
}

void UseLanguage(const std::string& language) {
  const SortedTable* table = TableOf(language);
  gCurrent.store(table);
  SetTextTranslator(table ? &CurrentText : nullptr);
}

}  // namespace kalvex::cli

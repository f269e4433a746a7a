#include "protocol/translate.h"

#include <atomic>

namespace kalvex {
namespace {

// Set before the port's threads start; read by them only through the
// messages they compose, hence atomic rather than a plain pointer.
std::atomic<TextTranslator> gTranslator{nullptr};

}  // namespace

void SetTextTranslator(TextTranslator translator) { gTranslator.store(translator); }

std::string TranslateText(const std::string& source) {
  if (const TextTranslator t = gTranslator.load()) {
    if (const char* text = t(kTextContext, source.c_str())) return text;
  }
  return source;
}

std::string FormatText(const std::string& pattern, std::initializer_list<std::string> args) {
  std::string out;
  out.reserve(pattern.size());
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    const char d = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
    if (c == '%' && d >= '1' && d <= '9' && static_cast<size_t>(d - '1') < args.size()) {
      out += *(args.begin() + (d - '1'));
      ++i;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace kalvex

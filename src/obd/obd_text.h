// A text of the generic OBD-II vocabulary in the two languages its tables
// carry side by side. The standard's words (PID captions, trouble code
// descriptions, bit-field words) are data of their own, hundreds of rows,
// so each row holds its Russian and its English instead of going through
// the translation files one by one.
#pragma once

namespace kalvex::obd {

enum class Lang { Ru, En };

struct Text {
  const char* ru = "";
  const char* en = "";
};

inline const char* Pick(const Text& t, Lang lang) { return lang == Lang::En ? t.en : t.ru; }

}  // namespace kalvex::obd

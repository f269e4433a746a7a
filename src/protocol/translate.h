// Texts a person reads are written in Russian, the program's own language,
// and the Russian text is its own translation key (as Qt's tr() does).
// The core stays free of Qt: it marks its texts with QT_TRANSLATE_NOOP in
// the context kTextContext, so lupdate collects them, and returns them in
// Russian; each front end translates them when it shows them (the window
// with its .qm, kalvex-cli with the table generated from the same .ts).
// Decisions compare the Russian texts, never a translation.
//
// Messages the core puts together from parts (a port name, a reason) are
// translated as patterns with %1, %2 ... through TranslateText, so the
// parts land in the right place in either language.
#pragma once

#include <initializer_list>
#include <string>

#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(context, text) text
#endif
// A text that reads the same in Russian in two places but not in English:
// the note tells its translations apart (Qt's disambiguation).
#ifndef QT_TRANSLATE_NOOP3
#define QT_TRANSLATE_NOOP3(context, text, note) \
  { text, note }
#endif

namespace kalvex {

// The one context of every text the core marks.
inline constexpr const char* kTextContext = "kalvex";

// Returns the translation of a Russian source text, or nullptr when there
// is none (then the Russian is shown).
using TextTranslator = const char* (*)(const char* context, const char* source);

// Chosen once by the front end before the session starts; none (the
// default) keeps every text Russian.
void SetTextTranslator(TextTranslator translator);

// The text in the chosen language: its translation, else the text itself.
std::string TranslateText(const std::string& source);

// `pattern` with %1, %2 ... replaced by `args` in order (a %n without an
// argument, and every other character, stays as it is).
std::string FormatText(const std::string& pattern, std::initializer_list<std::string> args);

}  // namespace kalvex

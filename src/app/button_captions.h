// The captions of the start button for the two states of a session. Plain text, no
// Qt: the window shows them translated, the tests' fake windows compare with them. The
// session never reads a caption; it tells the window whether it runs.
#pragma once

#include "protocol/translate.h"

namespace kalvex {

inline constexpr const char* kCaptionStart = QT_TRANSLATE_NOOP("kalvex", "Начать тестирование");
inline constexpr const char* kCaptionStop = QT_TRANSLATE_NOOP("kalvex", "Остановить тестирование");

}  // namespace kalvex

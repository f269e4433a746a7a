// The captions of Button1 for the two states of a session. Plain text, no
// Qt: the window shows them, the tests' fake windows compare with them. The
// session never reads a caption; it tells the window whether it runs.
#pragma once

namespace kalvex {

inline constexpr const char* kCaptionStart = "Начать тестирование";
inline constexpr const char* kCaptionStop = "Остановить тестирование";

}  // namespace kalvex

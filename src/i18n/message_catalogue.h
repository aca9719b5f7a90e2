#pragma once

#include <QString>

namespace vr {

inline constexpr int kMessageCount = 62;

enum LanguageNo : int { English = 0, ChineseGB = 1, ChineseBIG5 = 2 };

// Message n (0 to 61) in language `languageNo` (0 English, 1 simplified, 2 traditional
// Chinese). An out-of-range number gives an empty text.
QString MessageText(int number, int languageNo);

// LanguageNo of a stored LanguageFlag: exact, case-sensitive; anything else is English.
int LanguageNoFromFlag(const QString &flag);

// The LanguageFlag text of a language number.
QString LanguageFlag(int languageNo);

} // namespace vr

#pragma once

#include <QString>
#include <QStringList>

namespace vr {

inline constexpr int kMessageCount = 62;

enum LanguageNo : int { English = 0, ChineseGB = 1, ChineseBIG5 = 2 };

// The whole catalogue, built once on first use: 186 texts in message order, the three texts of
// a message side by side (English, simplified, traditional Chinese); message n in language L is
// entry 3 * n + L.
const QStringList &MessageCatalogue();

// Message n (0 to 61) in language `languageNo` (0 English, 1 simplified, 2 traditional
// Chinese). An out-of-range number gives an empty text.
QString MessageText(int number, int languageNo);

// LanguageNo of a stored LanguageFlag: exact, case-sensitive; anything else is English.
int LanguageNoFromFlag(const QString &flag);

// The LanguageFlag text of a language number.
QString LanguageFlag(int languageNo);

} // namespace vr

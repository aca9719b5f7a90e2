#pragma once

#include <optional>
#include <string>

#include <QString>

namespace vr {

// Text typed by the operator as it goes on the wire: 8-bit text in the code page of the
// language `languageNo` (simplified Chinese: code page 936, traditional Chinese: code page 950,
// English: Latin-1). ASCII text goes unchanged in every language. Nothing when a character has
// no code in that code page: such text must not be sent at all rather than sent wrong.
std::optional<std::string> EncodeOperatorText(const QString &text, int languageNo);

} // namespace vr

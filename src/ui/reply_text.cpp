#include "ui/reply_text.h"

#include <array>

namespace vr::ui {

namespace {
constexpr std::array<const char *, 32> kControlNames = {
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",
    "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
    "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};
constexpr unsigned char kDelete = 0x7F;
} // namespace

QString VisibleReplyText(const QByteArray &reply) {
    QString text;
    text.reserve(reply.size());
    for (const char c : reply) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < kControlNames.size())
            text += QLatin1Char('<') + QLatin1String(kControlNames[byte]) + QLatin1Char('>');
        else if (byte == kDelete)
            text += QLatin1String("<DEL>");
        else
            text += QChar(static_cast<char16_t>(byte));
    }
    return text;
}

} // namespace vr::ui

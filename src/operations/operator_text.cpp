#include "operations/operator_text.h"

#include "i18n/message_catalogue.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#endif

namespace vr {

namespace {

bool IsAscii(const QString &text) {
    for (const QChar c : text)
        if (c.unicode() > 0x7F)
            return false;
    return true;
}

std::optional<std::string> EncodeLatin1(const QString &text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar c : text) {
        if (c.unicode() > 0xFF)
            return std::nullopt;
        bytes += static_cast<char>(c.unicode());
    }
    return bytes;
}

#ifdef _WIN32

std::optional<std::string> EncodeCodePage(const QString &text, unsigned codePage) {
    const auto *wide = reinterpret_cast<const wchar_t *>(text.utf16());
    const int wideLength = static_cast<int>(text.size());
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide, wideLength, nullptr,
                                         0, nullptr, &usedDefault);
    if (size <= 0 || usedDefault)
        return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide, wideLength, bytes.data(), size,
                        nullptr, &usedDefault);
    if (usedDefault)
        return std::nullopt;
    return bytes;
}

#else

// glibc's converters for the Windows code pages, with the plain names as a fallback.
std::optional<std::string> EncodeCodePage(const QString &text, const char *codePage,
                                          const char *fallback) {
    iconv_t converter = iconv_open(codePage, "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1))
        converter = iconv_open(fallback, "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;

    QByteArray utf8 = text.toUtf8();
    std::string bytes(static_cast<std::size_t>(utf8.size()) * 4 + 4, '\0');
    char *in = utf8.data();
    std::size_t inLeft = static_cast<std::size_t>(utf8.size());
    char *out = bytes.data();
    std::size_t outLeft = bytes.size();
    // Without //TRANSLIT or //IGNORE a character with no code stops the conversion (EILSEQ).
    const std::size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
    const bool complete =
        result != static_cast<std::size_t>(-1) && inLeft == 0 &&
        iconv(converter, nullptr, nullptr, &out, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(converter);
    if (!complete)
        return std::nullopt;
    bytes.resize(bytes.size() - outLeft);
    return bytes;
}

#endif

} // namespace

std::optional<std::string> EncodeOperatorText(const QString &text, int languageNo) {
    if (IsAscii(text))
        return text.toStdString();
    // A lone surrogate is no character of any code page.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return std::nullopt;
    }
    switch (languageNo) {
#ifdef _WIN32
    case ChineseGB:
        return EncodeCodePage(text, 936);
    case ChineseBIG5:
        return EncodeCodePage(text, 950);
#else
    case ChineseGB:
        return EncodeCodePage(text, "CP936", "GB2312");
    case ChineseBIG5:
        return EncodeCodePage(text, "CP950", "BIG5");
#endif
    default:
        return EncodeLatin1(text);
    }
}

} // namespace vr

#include "settings/reg_file_format.h"

#include <QFileDevice>
#include <QIODevice>
#include <QStringDecoder>
#include <QStringView>

#include <algorithm>
#include <array>
#include <optional>

namespace vr {
namespace {

constexpr char kHeader[] = "Windows Registry Editor Version 5.00";

// The five settings in the order they are read.
constexpr std::array<const char *, 5> kKnownOrder = {"ScanCommNo", "ScanBaudRate", "ScanBaudRateNo",
                                                     "ScanCardID", "LanguageFlag"};

constexpr int kRegSz = 1;
constexpr int kRegBinary = 3;
constexpr int kRegDword = 4;

// regedit wraps long hex data after about this many characters, continuing with "\" and an
// indent of two spaces.
constexpr qsizetype kHexLineLimit = 76;

bool IsHexDigit(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
}

int HexDigitValue(QChar c) {
    const char16_t u = c.unicode();
    return u <= u'9' ? u - u'0' : (u | 0x20) - u'a' + 10;
}

bool IsHexDigits(QStringView text, qsizetype maxLength) {
    return !text.isEmpty() && text.size() <= maxLength &&
           std::all_of(text.begin(), text.end(), IsHexDigit);
}

// Parses a double-quoted text starting at `pos` (at the opening quote), with \\ and \" as the
// only escapes. Leaves `pos` after the closing quote.
std::optional<QString> ParseQuoted(QStringView line, qsizetype &pos) {
    if (pos >= line.size() || line[pos] != u'"')
        return std::nullopt;
    QString text;
    qsizetype run = ++pos; // start of the characters not yet taken into `text`
    for (; pos < line.size(); ++pos) {
        const QChar c = line[pos];
        if (c == u'"') {
            text += line.sliced(run, pos - run);
            ++pos;
            return text;
        }
        if (c == u'\\') {
            if (pos + 1 >= line.size() || (line[pos + 1] != u'\\' && line[pos + 1] != u'"'))
                return std::nullopt;
            text += line.sliced(run, pos - run);
            run = ++pos; // the escaped character starts the next run
        } else if (c.unicode() < 0x20 && c != u'\t') {
            return std::nullopt;
        }
    }
    return std::nullopt; // no closing quote
}

// Two hex digits a byte, separated by commas; blanks around an item are allowed.
std::optional<QByteArray> ParseHexBytes(QStringView list) {
    QByteArray bytes;
    if (list.trimmed().isEmpty())
        return bytes;
    bytes.reserve(list.size() / 3 + 1);
    for (qsizetype pos = 0;;) {
        const qsizetype comma = list.indexOf(u',', pos);
        const QStringView item =
            (comma < 0 ? list.sliced(pos) : list.sliced(pos, comma - pos)).trimmed();
        if (!IsHexDigits(item, 2) || item.size() != 2)
            return std::nullopt;
        bytes.append(char(HexDigitValue(item[0]) << 4 | HexDigitValue(item[1])));
        if (comma < 0)
            return bytes;
        pos = comma + 1;
    }
}

std::optional<QVariant> HexValue(int type, const QByteArray &bytes) {
    switch (type) {
    case kRegBinary:
        return QVariant(bytes);
    case kRegDword:
        if (bytes.size() != 4)
            return std::nullopt;
        return QVariant(int(quint32(quint8(bytes[0])) | quint32(quint8(bytes[1])) << 8 |
                            quint32(quint8(bytes[2])) << 16 | quint32(quint8(bytes[3])) << 24));
    case kRegSz: {
        if (bytes.size() % 2 != 0)
            return std::nullopt;
        QString text(bytes.size() / 2, Qt::Uninitialized);
        for (qsizetype i = 0; i < text.size(); ++i)
            text[i] = QChar(ushort(quint8(bytes[2 * i]) | quint8(bytes[2 * i + 1]) << 8));
        if (text.endsWith(QChar(0)))
            text.chop(1);
        return QVariant(text);
    }
    default:
        return QVariant::fromValue(RegTypedData{type, bytes});
    }
}

// The value part of a line after "=": a quoted text, dword:, hex: or hex(N):.
std::optional<QVariant> ParseValue(QStringView text) {
    if (text.startsWith(u'"')) {
        qsizetype pos = 0;
        const auto value = ParseQuoted(text, pos);
        if (!value || !text.sliced(pos).trimmed().isEmpty())
            return std::nullopt;
        return QVariant(*value);
    }
    const QStringView value = text.trimmed();
    if (value.startsWith(u"dword:")) {
        const QStringView digits = value.sliced(6);
        if (!IsHexDigits(digits, 8))
            return std::nullopt;
        return QVariant(int(quint32(digits.toUInt(nullptr, 16))));
    }
    int type = kRegBinary;
    QStringView list;
    if (value.startsWith(u"hex:")) {
        list = value.sliced(4);
    } else if (value.startsWith(u"hex(")) {
        const qsizetype close = value.indexOf(u"):");
        if (close < 0 || !IsHexDigits(value.sliced(4, close - 4), 8))
            return std::nullopt;
        type = int(value.sliced(4, close - 4).toUInt(nullptr, 16));
        list = value.sliced(close + 2);
    } else {
        return std::nullopt;
    }
    const auto bytes = ParseHexBytes(list);
    if (!bytes)
        return std::nullopt;
    return HexValue(type, *bytes);
}

constexpr char16_t kHexDigits[] = u"0123456789abcdef";

// Appends `text` in double quotes, with \\ and \" escaped.
void AppendQuoted(QString &out, QStringView text) {
    out += u'"';
    qsizetype run = 0; // start of the characters not yet copied
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\' || text[i] == u'"') {
            out += text.sliced(run, i - run);
            out += u'\\';
            run = i;
        }
    }
    out += text.sliced(run);
    out += u'"';
}

// Appends `prefix` and the bytes as two hex digits each, separated by commas. The line began at
// `lineStart` in `out`; it wraps as regedit wraps it.
void AppendHex(QString &out, QStringView prefix, const QByteArray &bytes, qsizetype lineStart) {
    out += prefix;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const bool last = i + 1 == bytes.size();
        if (out.size() - lineStart + 3 > kHexLineLimit && !last) {
            out += QLatin1String("\\\n  ");
            lineStart = out.size() - 2;
        }
        const auto byte = quint8(bytes[i]);
        out += QChar(kHexDigits[byte >> 4]);
        out += QChar(kHexDigits[byte & 0xF]);
        if (!last)
            out += u',';
    }
}

// Appends the text of a value after its `"name"=`, on a line that began at `lineStart` in `out`.
// False for a type the registry cannot hold.
bool AppendValue(QString &out, const QVariant &value, qsizetype lineStart) {
    switch (value.typeId()) {
    case QMetaType::Int: {
        const auto number = quint32(value.toInt());
        out += QLatin1String("dword:");
        for (int shift = 28; shift >= 0; shift -= 4)
            out += QChar(kHexDigits[(number >> shift) & 0xF]);
        return true;
    }
    case QMetaType::QString: {
        const QString text = value.toString();
        // A quoted text is a line of UTF-8: line breaks and other control characters, and a
        // half of a surrogate pair (which UTF-8 cannot carry), go as UTF-16 in hex instead.
        const bool plain = QStringView(text).isValidUtf16() &&
                           std::none_of(text.begin(), text.end(),
                                        [](QChar c) { return c.unicode() < 0x20 && c != u'\t'; });
        if (plain) {
            AppendQuoted(out, text);
            return true;
        }
        QByteArray utf16;
        for (const QChar c : text + QChar(0)) {
            utf16.append(char(c.unicode() & 0xFF));
            utf16.append(char(c.unicode() >> 8));
        }
        AppendHex(out, u"hex(1):", utf16, lineStart);
        return true;
    }
    case QMetaType::QByteArray:
        AppendHex(out, u"hex:", value.toByteArray(), lineStart);
        return true;
    default:
        if (value.metaType() == QMetaType::fromType<RegTypedData>()) {
            const auto data = value.value<RegTypedData>();
            AppendHex(out, QString::asprintf("hex(%x):", uint(data.type)), data.bytes, lineStart);
            return true;
        }
        return false;
    }
}

} // namespace

bool ReadRegFile(QIODevice &device, QSettings::SettingsMap &map) {
    // One byte more than a store may hold tells a file at the limit from a larger one, whatever
    // its size on disk said before.
    QByteArray data;
    while (data.size() <= kMaxStoreFileBytes) {
        const QByteArray chunk = device.read(kMaxStoreFileBytes + 1 - data.size());
        if (chunk.isEmpty())
            break;
        data += chunk;
    }
    if (data.size() > kMaxStoreFileBytes)
        return false;
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(data);
    if (decoder.hasError())
        return false;

    // The lines of the text without their line ends, one after the other.
    qsizetype next = 0;
    const auto nextLine = [&text, &next]() -> std::optional<QStringView> {
        if (next > text.size())
            return std::nullopt;
        qsizetype end = text.indexOf(u'\n', next);
        if (end < 0)
            end = text.size();
        QStringView line = QStringView(text).sliced(next, end - next);
        next = end + 1;
        if (line.endsWith(u'\r'))
            line.chop(1);
        return line;
    };
    if (nextLine()->trimmed() != QLatin1String(kHeader))
        return false;

    QSettings::SettingsMap values;
    auto hint = values.constEnd(); // where the next value is likely to go
    bool inSection = false;
    while (const std::optional<QStringView> current = nextLine()) {
        const QStringView line = current->trimmed();
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[')) {
            if (!line.endsWith(u']') ||
                line.sliced(1, line.size() - 2)
                        .compare(QLatin1String(kStoreKeyPath), Qt::CaseInsensitive) != 0)
                return false; // another key: not a store of ours
            inSection = true;
            continue;
        }
        if (!inSection)
            return false;
        qsizetype pos = 0;
        const auto name = ParseQuoted(line, pos);
        if (!name || name->isEmpty() || pos >= line.size() || line[pos] != u'=')
            return false;
        QStringView valueText = line.sliced(pos + 1);
        // Hex data may continue on the next lines after a trailing backslash.
        QString joined;
        if (valueText.startsWith(u"hex") && valueText.endsWith(u'\\')) {
            joined = valueText.toString();
            std::optional<QStringView> more;
            while (joined.endsWith(u'\\') && (more = nextLine())) {
                joined.chop(1);
                joined += more->trimmed();
            }
            if (joined.endsWith(u'\\'))
                return false;
            valueText = joined;
        }
        const auto value = ParseValue(valueText);
        if (!value)
            return false;
        // A file the store wrote holds its other values in order: inserted just after the one
        // before, each costs no search.
        hint = std::next(values.insert(hint, *name, *value));
    }
    map = values;
    return true;
}

bool WriteRegFile(QIODevice &device, const QSettings::SettingsMap &map) {
    QString text = QLatin1String(kHeader) + QLatin1String("\n\n[") + QLatin1String(kStoreKeyPath) +
                   QLatin1String("]\n");
    const auto add = [&text](const QString &name, const QVariant &value) {
        const qsizetype lineStart = text.size();
        AppendQuoted(text, name);
        text += u'=';
        // A type the registry cannot hold refuses the whole write.
        if (!AppendValue(text, value, lineStart))
            return false;
        text += u'\n';
        // UTF-8 takes at least a byte a character: a text this long is too long already.
        return text.size() <= kMaxStoreFileBytes;
    };
    const auto isKnown = [](const QString &name) {
        return std::any_of(kKnownOrder.begin(), kKnownOrder.end(),
                           [&name](const char *known) { return name == QLatin1String(known); });
    };
    // The five settings come first, in the order they are read; any other value follows by name.
    for (const char *name : kKnownOrder) {
        const auto it = map.constFind(QLatin1String(name));
        if (it != map.constEnd() && !add(it.key(), it.value()))
            return false;
    }
    for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
        if (!isKnown(it.key()) && !add(it.key(), it.value()))
            return false;
    }
    text += u'\n';
    const QByteArray bytes = text.toUtf8();
    if (bytes.size() > kMaxStoreFileBytes || device.write(bytes) != bytes.size())
        return false;
    // A file buffers the text and would write it only when it is committed, where a full disk
    // goes unnoticed and an empty file replaces the store. Written out here, the failure makes
    // the whole write fail and the old file stays.
    auto *file = qobject_cast<QFileDevice *>(&device);
    return file == nullptr || file->flush();
}

} // namespace vr

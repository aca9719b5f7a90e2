#include "settings/reg_file_format.h"

#include <QFileDevice>
#include <QIODevice>
#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <array>
#include <optional>

namespace vr {
namespace {

constexpr char kHeader[] = "Windows Registry Editor Version 5.00";

// The five settings come first, in the order they are read; any other value follows by name.
constexpr std::array<const char *, 5> kKnownOrder = {"ScanCommNo", "ScanBaudRate", "ScanBaudRateNo",
                                                     "ScanCardID", "LanguageFlag"};

constexpr int kRegSz = 1;
constexpr int kRegBinary = 3;
constexpr int kRegDword = 4;

// regedit wraps long hex data after about this many characters, continuing with "\" and an
// indent of two spaces.
constexpr qsizetype kHexLineLimit = 76;

bool IsHexDigits(const QString &text, qsizetype maxLength) {
    return !text.isEmpty() && text.size() <= maxLength &&
           std::all_of(text.begin(), text.end(), [](QChar c) {
               const char16_t u = c.unicode();
               return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f') ||
                      (u >= u'A' && u <= u'F');
           });
}

// Parses a double-quoted text starting at `pos` (at the opening quote), with \\ and \" as the
// only escapes. Leaves `pos` after the closing quote.
std::optional<QString> ParseQuoted(const QString &line, qsizetype &pos) {
    if (pos >= line.size() || line[pos] != u'"')
        return std::nullopt;
    QString text;
    for (++pos; pos < line.size(); ++pos) {
        const QChar c = line[pos];
        if (c == u'"') {
            ++pos;
            return text;
        }
        if (c == u'\\') {
            if (++pos >= line.size() || (line[pos] != u'\\' && line[pos] != u'"'))
                return std::nullopt;
            text += line[pos];
        } else if (c.unicode() < 0x20 && c != u'\t') {
            return std::nullopt;
        } else {
            text += c;
        }
    }
    return std::nullopt; // no closing quote
}

std::optional<QByteArray> ParseHexBytes(const QString &list) {
    QByteArray bytes;
    if (list.trimmed().isEmpty())
        return bytes;
    for (const QString &item : list.split(u',')) {
        const QString digits = item.trimmed();
        if (digits.size() != 2 || !IsHexDigits(digits, 2))
            return std::nullopt;
        bytes.append(char(digits.toUInt(nullptr, 16)));
    }
    return bytes;
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
std::optional<QVariant> ParseValue(const QString &text) {
    if (text.startsWith(u'"')) {
        qsizetype pos = 0;
        const auto value = ParseQuoted(text, pos);
        if (!value || !text.mid(pos).trimmed().isEmpty())
            return std::nullopt;
        return QVariant(*value);
    }
    const QString value = text.trimmed();
    if (value.startsWith(QLatin1String("dword:"))) {
        const QString digits = value.mid(6);
        if (!IsHexDigits(digits, 8))
            return std::nullopt;
        return QVariant(int(quint32(digits.toUInt(nullptr, 16))));
    }
    int type = kRegBinary;
    QString list;
    if (value.startsWith(QLatin1String("hex:"))) {
        list = value.mid(4);
    } else if (value.startsWith(QLatin1String("hex("))) {
        const qsizetype close = value.indexOf(QLatin1String("):"));
        if (close < 0 || !IsHexDigits(value.mid(4, close - 4), 8))
            return std::nullopt;
        type = int(value.mid(4, close - 4).toUInt(nullptr, 16));
        list = value.mid(close + 2);
    } else {
        return std::nullopt;
    }
    const auto bytes = ParseHexBytes(list);
    if (!bytes)
        return std::nullopt;
    return HexValue(type, *bytes);
}

QString Quoted(const QString &text) {
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == u'\\' || c == u'"')
            out += u'\\';
        out += c;
    }
    return out + u'"';
}

// `lead` is the length of the `"name"=` text in front of the value on its first line.
QString HexLine(const QString &prefix, const QByteArray &bytes, qsizetype lead) {
    QString out = prefix;
    qsizetype lineStart = -lead;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const QString item = QString::asprintf("%02x", uint(quint8(bytes[i])));
        const bool last = i + 1 == bytes.size();
        if (out.size() - lineStart + 3 > kHexLineLimit && !last) {
            out += QLatin1String("\\\n  ");
            lineStart = out.size() - 2;
        }
        out += item;
        if (!last)
            out += u',';
    }
    return out;
}

std::optional<QString> ValueText(const QVariant &value, qsizetype lead) {
    switch (value.typeId()) {
    case QMetaType::Int:
        return QString::asprintf("dword:%08x", quint32(value.toInt()));
    case QMetaType::QString: {
        const QString text = value.toString();
        const bool plain = std::none_of(text.begin(), text.end(),
                                        [](QChar c) { return c.unicode() < 0x20 && c != u'\t'; });
        if (plain)
            return Quoted(text);
        QByteArray utf16;
        for (const QChar c : text + QChar(0)) {
            utf16.append(char(c.unicode() & 0xFF));
            utf16.append(char(c.unicode() >> 8));
        }
        return HexLine(QStringLiteral("hex(1):"), utf16, lead);
    }
    case QMetaType::QByteArray:
        return HexLine(QStringLiteral("hex:"), value.toByteArray(), lead);
    default:
        if (value.metaType() == QMetaType::fromType<RegTypedData>()) {
            const auto data = value.value<RegTypedData>();
            return HexLine(QString::asprintf("hex(%x):", uint(data.type)), data.bytes, lead);
        }
        return std::nullopt; // a type the registry cannot hold: refuse the whole write
    }
}

} // namespace

bool ReadRegFile(QIODevice &device, QSettings::SettingsMap &map) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QByteArray data = device.readAll();
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    const QString text = decoder(data);
    if (decoder.hasError())
        return false;

    QStringList lines = text.split(u'\n');
    for (QString &line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    if (lines.isEmpty() || lines.first().trimmed() != QLatin1String(kHeader))
        return false;

    QSettings::SettingsMap values;
    bool inSection = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[')) {
            if (!line.endsWith(u']') ||
                line.mid(1, line.size() - 2)
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
        QString valueText = line.mid(pos + 1);
        // Hex data may continue on the next lines after a trailing backslash.
        if (valueText.startsWith(QLatin1String("hex"))) {
            while (valueText.endsWith(u'\\') && i + 1 < lines.size()) {
                valueText.chop(1);
                valueText += lines[++i].trimmed();
            }
            if (valueText.endsWith(u'\\'))
                return false;
        }
        const auto value = ParseValue(valueText);
        if (!value)
            return false;
        values.insert(*name, *value);
    }
    map = values;
    return true;
}

bool WriteRegFile(QIODevice &device, const QSettings::SettingsMap &map) {
    QStringList names;
    for (const char *name : kKnownOrder) {
        if (map.contains(QLatin1String(name)))
            names.append(QLatin1String(name));
    }
    for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
        if (!names.contains(it.key()))
            names.append(it.key());
    }

    QString text = QLatin1String(kHeader) + QLatin1String("\n\n[") + QLatin1String(kStoreKeyPath) +
                   QLatin1String("]\n");
    for (const QString &name : names) {
        const QString lead = Quoted(name) + u'=';
        const auto value = ValueText(map.value(name), lead.size());
        if (!value)
            return false;
        text += lead + *value + u'\n';
    }
    text += u'\n';
    const QByteArray bytes = text.toUtf8();
    if (device.write(bytes) != bytes.size())
        return false;
    // A file buffers the text and would write it only when it is committed, where a full disk
    // goes unnoticed and an empty file replaces the store. Written out here, the failure makes
    // the whole write fail and the old file stays.
    auto *file = qobject_cast<QFileDevice *>(&device);
    return file == nullptr || file->flush();
}

QSettings::Format RegFileFormat() {
    static const QSettings::Format format =
        QSettings::registerFormat(QStringLiteral("reg"), ReadRegFile, WriteRegFile);
    return format;
}

} // namespace vr

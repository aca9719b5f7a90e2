#include "settings/reg_file_format.h"
#include "store_fixture.h"

#include <QBuffer>

#include <gtest/gtest.h>

namespace vr::test {
namespace {

QByteArray Written(const QSettings::SettingsMap &map, bool *ok = nullptr) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const bool written = WriteRegFile(buffer, map);
    if (ok)
        *ok = written;
    return buffer.data();
}

struct ValueCase {
    const char *name;
    QVariant value;
    QByteArray line; // how the value appears in the file
};
void PrintTo(const ValueCase &row, std::ostream *os) {
    *os << row.name;
}

class RegValue : public ::testing::TestWithParam<ValueCase> {};

TEST_P(RegValue, IsWrittenInRegeditSyntaxAndReadBackWithItsType) {
    const ValueCase &row = GetParam();
    const QByteArray text = Written({{QStringLiteral("V"), row.value}});
    EXPECT_EQ(text, kHead + "\"V\"=" + row.line + "\n\n");

    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    QSettings::SettingsMap read;
    ASSERT_TRUE(ReadRegFile(buffer, read));
    ASSERT_TRUE(read.contains(QStringLiteral("V")));
    const QVariant back = read.value(QStringLiteral("V"));
    EXPECT_EQ(back.metaType(), row.value.metaType());
    if (back.metaType() == QMetaType::fromType<RegTypedData>()) {
        EXPECT_EQ(back.value<RegTypedData>().type, row.value.value<RegTypedData>().type);
        EXPECT_EQ(back.value<RegTypedData>().bytes, row.value.value<RegTypedData>().bytes);
    } else {
        EXPECT_EQ(back, row.value);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Values, RegValue,
    ::testing::Values(
        ValueCase{"Int", QVariant(3), "dword:00000003"},
        ValueCase{"NegativeIntAsFullDword", QVariant(-1), "dword:ffffffff"},
        ValueCase{"LargestInt", QVariant(0x7fffffff), "dword:7fffffff"},
        ValueCase{"DigitsStayText", QVariant(QStringLiteral("00000003")), "\"00000003\""},
        ValueCase{"EmptyText", QVariant(QString()), "\"\""},
        ValueCase{"QuoteAndBackslashEscaped", QVariant(QStringLiteral("a\"b\\c")),
                  "\"a\\\"b\\\\c\""},
        ValueCase{"ChineseStaysReadable", QVariant(QString::fromUtf8("繁體")),
                  "\"\xE7\xB9\x81\xE9\xAB\x94\""},
        ValueCase{"LineBreakTextAsUtf16", QVariant(QStringLiteral("a\nb")),
                  "hex(1):61,00,0a,00,62,00,00,00"},
        // UTF-8 cannot carry half of a surrogate pair; a quoted text would come back changed.
        ValueCase{"HalfSurrogateTextAsUtf16", QVariant(QString(QChar(0xD800))),
                  "hex(1):00,d8,00,00"},
        ValueCase{"Binary", QVariant(QByteArray("19")), "hex:31,39"},
        ValueCase{"EmptyBinary", QVariant(QByteArray()), "hex:"},
        ValueCase{"TypedData", QVariant::fromValue(RegTypedData{0xb, QByteArray(8, '\x01')}),
                  "hex(b):01,01,01,01,01,01,01,01"}),
    [](const auto &row) { return std::string(row.param.name); });

TEST(RegFile, LongBinaryWrapsLikeRegeditAndReadsBack) {
    QByteArray bytes;
    for (int i = 0; i < 100; ++i)
        bytes.append(char(i));
    const QByteArray text = Written({{QStringLiteral("Blob"), bytes}});
    const QList<QByteArray> lines = text.split('\n');
    ASSERT_GT(lines.size(), 6);
    for (const QByteArray &line : lines)
        EXPECT_LE(line.size(), 80) << line.constData();
    EXPECT_TRUE(lines[3].endsWith(",\\")) << lines[3].constData();
    EXPECT_TRUE(lines[4].startsWith("  ")) << lines[4].constData();

    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    QSettings::SettingsMap read;
    ASSERT_TRUE(ReadRegFile(buffer, read));
    EXPECT_EQ(read.value(QStringLiteral("Blob")).toByteArray(), bytes);
}

// The reader stops one byte past the limit, whatever the device holds beyond it.
TEST(RegFile, ReadsATextAtTheSizeLimitAndRefusesALongerOne) {
    for (const qint64 size :
         {kMaxStoreFileBytes, kMaxStoreFileBytes + 1, 20 * kMaxStoreFileBytes}) {
        QBuffer buffer;
        buffer.setData(PaddedTo(kHead + "\"ScanCommNo\"=dword:00000003\n", size));
        buffer.open(QIODevice::ReadOnly);
        QSettings::SettingsMap read;
        EXPECT_EQ(ReadRegFile(buffer, read), size == kMaxStoreFileBytes) << size;
        EXPECT_EQ(read.value(QStringLiteral("ScanCommNo")),
                  size == kMaxStoreFileBytes ? QVariant(3) : QVariant())
            << size;
        EXPECT_LE(buffer.pos(), kMaxStoreFileBytes + 1) << size;
    }
}

TEST(RegFile, RefusesToWriteATypeTheRegistryCannotHold) {
    bool ok = true;
    Written({{QStringLiteral("ScanCardID"), QStringLiteral("1")},
             {QStringLiteral("Ratio"), QVariant(0.5)}},
            &ok);
    EXPECT_FALSE(ok);
}

} // namespace
} // namespace vr::test

#include "settings/reg_file_format.h"
#include "settings/settings_store.h"
#include "store_fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <optional>
#include <unistd.h>

namespace vr::test {
namespace {

const QByteArray kComm3 = "\"ScanCommNo\"=dword:00000003\n";
const QByteArray kRate9600 = "\"ScanBaudRate\"=\"9600,n,8,1\"\n";
const QByteArray kNo2 = "\"ScanBaudRateNo\"=dword:00000002\n";
const QByteArray kCard = "\"ScanCardID\"=\"1234567890\"\n";
const QByteArray kLanguageGB = "\"LanguageFlag\"=\"ChineseGB\"\n";
const QByteArray kAllFive = kHead + kComm3 + kRate9600 + kNo2 + kCard + kLanguageGB;

Fields AllFive() {
    return MakeFields(3, "9600,n,8,1", 2, "1234567890", "ChineseGB", 1);
}
Fields OnlyLanguage(const char *flag, int languageNo) {
    return MakeFields(0, "19200,e,8,1", 5, "00000000", flag, languageNo);
}

// ---- Reading: defaults, wrong types, damage and access ------------------------------------

struct LoadCase {
    const char *name;
    std::optional<QByteArray> file; // no file at all when empty
    Access access;
    Fields expected;
};
void PrintTo(const LoadCase &row, std::ostream *os) {
    *os << row.name;
}

class LoadRules : public ::testing::TestWithParam<LoadCase> {};

TEST_P(LoadRules, GivesTheSettingsOfTheRules) {
    const LoadCase &row = GetParam();
    StoreFolder folder;
    if (row.file)
        folder.write(*row.file);
    folder.restrict(row.access);
    // As root, permissions bind only on the probe, which runs as an ordinary user.
    const Fields loaded = row.access != Access::Full && RunningAsRoot()
                              ? ProbeLoad(folder)
                              : FieldsOf(SettingsStore(folder.path()).load());
    EXPECT_EQ(loaded, row.expected);
}

std::vector<LoadCase> LoadCases() {
    const Access full = Access::Full;
    const Fields defaults = DefaultFields();
    // Every damaged file starts with a good ScanCommNo: nothing before the damage is used.
    const QByteArray good = kHead + kComm3;
    return {
        {"NoFile", std::nullopt, full, defaults},
        {"EmptyFile", QByteArray(""), full, defaults},
        {"KeyWithoutValues", kHead, full, defaults},
        {"AllFive", kAllFive, full, AllFive()},
        {"OnlyLanguageBig5", kHead + "\"LanguageFlag\"=\"ChineseBIG5\"\n", full,
         OnlyLanguage("ChineseBIG5", 2)},
        {"CommNoAsTextEndsReadingAtOnce",
         kHead + "\"ScanCommNo\"=\"3\"\n" + kRate9600 + kNo2 + kCard + kLanguageGB, full, defaults},
        {"BaudRateAsBinary",
         kHead + kComm3 + "\"ScanBaudRate\"=hex:39,36,30,30\n" + kNo2 + kCard + kLanguageGB, full,
         MakeFields(3, "19200,e,8,1", 5, "00000000", "English", 0)},
        {"BaudRateNoAsText",
         kHead + kComm3 + kRate9600 + "\"ScanBaudRateNo\"=\"2\"\n" + kCard + kLanguageGB, full,
         MakeFields(3, "9600,n,8,1", 5, "00000000", "English", 0)},
        {"CardIdAsInteger",
         kHead + kComm3 + kRate9600 + kNo2 + "\"ScanCardID\"=dword:000004d2\n" + kLanguageGB, full,
         MakeFields(3, "9600,n,8,1", 2, "00000000", "English", 0)},
        {"LanguageAsExpandableText",
         kHead + kComm3 + kRate9600 + kNo2 + kCard + "\"LanguageFlag\"=hex(2):41,00,00,00\n", full,
         MakeFields(3, "9600,n,8,1", 2, "1234567890", "English", 0)},
        {"ReadInFixedOrderNotFileOrder",
         kHead + "\"ScanCardID\"=dword:00000001\n" + kLanguageGB + kNo2 + kRate9600 + kComm3, full,
         MakeFields(3, "9600,n,8,1", 2, "00000000", "English", 0)},
        {"UnknownLanguageKept", kHead + "\"LanguageFlag\"=\"German\"\n", full,
         OnlyLanguage("German", 0)},
        {"LanguageCaseMatters", kHead + "\"LanguageFlag\"=\"chinesegb\"\n", full,
         OnlyLanguage("chinesegb", 0)},
        {"LongCardIdKeptWhole", kHead + "\"ScanCardID\"=\"123456789012345678901234567890\"\n", full,
         MakeFields(0, "19200,e,8,1", 5, "123456789012345678901234567890", "English", 0)},
        {"EmptyCardIdStaysEmpty", kHead + "\"ScanCardID\"=\"\"\n", full,
         MakeFields(0, "19200,e,8,1", 5, "", "English", 0)},
        {"EscapesAndChineseText", kHead + "\"ScanCardID\"=\"卡\\\\12\\\"3\"\n", full,
         MakeFields(0, "19200,e,8,1", 5, "卡\\12\"3", "English", 0)},
        // An index outside the list falls back to 5; the port still opens with the stored text.
        {"IndexAboveRangeKeepsModeText",
         kHead + kComm3 + "\"ScanBaudRate\"=\"57600,e,8,1\"\n" +
             "\"ScanBaudRateNo\"=dword:0000000c\n",
         full, MakeFields(3, "57600,e,8,1", 5, "00000000", "English", 0)},
        {"IndexNegativeKeepsModeText",
         kHead + kComm3 + "\"ScanBaudRate\"=\"57600,e,8,1\"\n" +
             "\"ScanBaudRateNo\"=dword:ffffffff\n",
         full, MakeFields(3, "57600,e,8,1", 5, "00000000", "English", 0)},
        {"IndexAboveRangeThenCardAndLanguageRead",
         kHead + kComm3 + "\"ScanBaudRate\"=\"9600,e,8,1\"\n" +
             "\"ScanBaudRateNo\"=dword:0000000c\n" + kCard + kLanguageGB,
         full, MakeFields(3, "9600,e,8,1", 5, "1234567890", "ChineseGB", 1)},
        {"LastIndexInRange",
         kHead + "\"ScanBaudRate\"=\"115200,e,8,1\"\n" + "\"ScanBaudRateNo\"=dword:0000000b\n",
         full, MakeFields(0, "115200,e,8,1", 11, "00000000", "English", 0)},
        {"WindowsLineEndsBomCommentsShortDword",
         "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n; edited by hand\r\n"
         "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VORNA\\VR880TXConfig]\r\n\"ScanCommNo\"=dword:3\r\n"
         "\"ScanBaudRate\"=\"9600,n,8,1\"\r\n\"ScanBaudRateNo\"=dword:00000002\r\n"
         "\"ScanCardID\"=\"1234567890\"\r\n\"LanguageFlag\"=\"ChineseGB\"",
         full, AllFive()},
        {"OtherValuesIgnored",
         kAllFive + "\"Other\"=hex(2):41,00,00,00\n\"Wrapped\"=hex:00,01,\\\n  02,03\n", full,
         AllFive()},
        {"DamagedHeader",
         "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\VORNA\\VR880TXConfig]\n" + kComm3, full,
         defaults},
        {"DamagedNoHeader", "[HKEY_LOCAL_MACHINE\\Software\\VORNA\\VR880TXConfig]\n" + kComm3, full,
         defaults},
        {"DamagedValueBeforeSection",
         "Windows Registry Editor Version 5.00\n" + kComm3 +
             "[HKEY_LOCAL_MACHINE\\Software\\VORNA\\VR880TXConfig]\n",
         full, defaults},
        {"DamagedOtherKey", good + "[HKEY_LOCAL_MACHINE\\Software\\Other]\n", full, defaults},
        {"DamagedUnterminatedText", good + "\"ScanCardID\"=\"1234", full, defaults},
        {"DamagedCutInName", good + "\"ScanCa", full, defaults},
        {"DamagedEmptyDword", good + "\"ScanBaudRateNo\"=dword:\n", full, defaults},
        {"DamagedNineDigitDword", good + "\"ScanBaudRateNo\"=dword:000000002\n", full, defaults},
        {"DamagedHexByte", good + "\"Other\"=hex:3g\n", full, defaults},
        {"DamagedDanglingContinuation", good + "\"Other\"=hex:01,\\", full, defaults},
        {"DamagedUnknownEscape", good + "\"ScanCardID\"=\"a\\nb\"\n", full, defaults},
        {"DamagedTextAfterValue", good + "\"ScanCardID\"=\"1\"x\n", full, defaults},
        {"DamagedUnquotedName", good + "ScanCardID=\"1\"\n", full, defaults},
        {"DamagedDeletionEntry", good + "\"ScanCardID\"=-\n", full, defaults},
        {"DamagedInvalidUtf8", good + "\"ScanCardID\"=\"\xff\xfe\"\n", full, defaults},
        {"DamagedBinaryGarbage", good + QByteArray("\x00\x13\x8f\x01\n", 5), full, defaults},
        {"ReadOnlyFile", kAllFive, Access::ReadOnlyFile, defaults},
        {"ReadOnlyFolder", kAllFive, Access::ReadOnlyFolder, defaults},
        {"AtSizeLimit", PaddedTo(kAllFive, kMaxStoreFileBytes), full, AllFive()},
        {"AboveSizeLimit", PaddedTo(kAllFive, kMaxStoreFileBytes + 1), full, defaults},
    };
}

INSTANTIATE_TEST_SUITE_P(Store, LoadRules, ::testing::ValuesIn(LoadCases()),
                         [](const auto &row) { return std::string(row.param.name); });

// ---- Saving -------------------------------------------------------------------------------

using Save = void (SettingsStore::*)(const ScanSettings &) const;

struct SaveCase {
    const char *name;
    Save save;
    QByteArray expected;
};
void PrintTo(const SaveCase &row, std::ostream *os) {
    *os << row.name;
}

class SaveWritesOnlyItsValues : public ::testing::TestWithParam<SaveCase> {};

// The stored ScanCommNo is text: a save replaces a value whatever its type, and leaves it alone
// otherwise. A value the program does not know is kept as it is.
TEST_P(SaveWritesOnlyItsValues, AndKeepsTheOthers) {
    StoreFolder folder;
    folder.write(kHead + "\"ScanCommNo\"=\"3\"\n" + kRate9600 + kNo2 + "\"ScanCardID\"=\"1111\"\n" +
                 kLanguageGB + "\"Other\"=hex(2):41,00,00,00\n");
    (SettingsStore(folder.path()).*GetParam().save)(NewSettings());
    EXPECT_EQ(folder.read(), GetParam().expected);
    EXPECT_EQ(folder.listing(), QStringList{QStringLiteral("VR880TXConfig.reg")});
}

INSTANTIATE_TEST_SUITE_P(
    Store, SaveWritesOnlyItsValues,
    ::testing::Values(
        SaveCase{"ScanSettings", &SettingsStore::SaveScanSettings,
                 kHead +
                     "\"ScanCommNo\"=dword:00000007\n\"ScanBaudRate\"=\"57600,e,8,1\"\n"
                     "\"ScanBaudRateNo\"=dword:00000008\n\"ScanCardID\"=\"1111\"\n" +
                     kLanguageGB + "\"Other\"=hex(2):41,00,00,00\n\n"},
        SaveCase{"CardID", &SettingsStore::SaveCardID,
                 kHead + "\"ScanCommNo\"=\"3\"\n" + kRate9600 + kNo2 +
                     "\"ScanCardID\"=\"0000001234\"\n" + kLanguageGB +
                     "\"Other\"=hex(2):41,00,00,00\n\n"},
        SaveCase{"Language", &SettingsStore::SaveLanguage,
                 kHead + "\"ScanCommNo\"=\"3\"\n" + kRate9600 + kNo2 + "\"ScanCardID\"=\"1111\"\n" +
                     "\"LanguageFlag\"=\"ChineseBIG5\"\n\"Other\"=hex(2):41,00,00,00\n\n"}),
    [](const auto &row) { return std::string(row.param.name); });

TEST(SettingsSave, FirstSaveCreatesTheMissingFolderWithTheCardOnly) {
    StoreFolder folder;
    const QString directory = folder.path() + QStringLiteral("/lib/vr880tx-config");
    const SettingsStore store(directory);
    store.SaveCardID(ScanSettings{});
    QFile file(store.filePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), kHead + "\"ScanCardID\"=\"00000000\"\n\n");
    EXPECT_EQ(QDir(directory).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("VR880TXConfig.reg")})
        << "no lock or temporary file may stay behind";
    EXPECT_EQ(FieldsOf(store.load()), DefaultFields());
}

// Qt's own INI format would read an int back as text in a fresh process; the reading rules would
// then turn every setting into its default.
TEST(SettingsSave, TypesSurviveAFreshProcess) {
    StoreFolder written;
    ScanSettings settings = NewSettings();
    settings.ScanCommNo = 12;
    settings.ScanBaudRateNo = 11;
    settings.ScanBaudRate = QStringLiteral("115200,e,8,1");
    settings.LanguageFlag = QStringLiteral("ChineseGB");
    const SettingsStore store(written.path());
    store.SaveScanSettings(settings);
    store.SaveCardID(settings);
    store.SaveLanguage(settings);
    EXPECT_EQ(ProbeLoad(written), MakeFields(12, "115200,e,8,1", 11, "0000001234", "ChineseGB", 1));

    // And the other way round: written by another process, read here for the first time.
    StoreFolder other;
    EXPECT_EQ(RunProbe(other, "save-scan", {"4", "3", "9600,e,8,1"}).exitCode, 0);
    EXPECT_EQ(RunProbe(other, "save-card", {"0042"}).exitCode, 0);
    EXPECT_EQ(RunProbe(other, "save-language", {"ChineseBIG5"}).exitCode, 0);
    EXPECT_EQ(FieldsOf(SettingsStore(other.path()).load()),
              MakeFields(4, "9600,e,8,1", 3, "0042", "ChineseBIG5", 2));
}

class CardTextRoundTrip : public ::testing::TestWithParam<const char *> {};

TEST_P(CardTextRoundTrip, ReadsBackExactlyInAFreshProcess) {
    StoreFolder folder;
    ScanSettings settings;
    settings.ScanCardID = QString::fromUtf8(GetParam());
    SettingsStore(folder.path()).SaveCardID(settings);
    EXPECT_EQ(ProbeLoad(folder), MakeFields(0, "19200,e,8,1", 5, GetParam(), "English", 0));
}

INSTANTIATE_TEST_SUITE_P(Store, CardTextRoundTrip,
                         ::testing::Values("", "0000001234", "12345678901234567890123456789012345",
                                           "卡號\\\"x\\", "tab\there", "line\nbreak\r\n",
                                           "  spaced  ", "[section]", "=dword:00000001"));

struct RefusedCase {
    const char *name;
    std::optional<QByteArray> file;
    Access access;
    const char *subfolder; // the store lives in a folder that does not exist yet
};
void PrintTo(const RefusedCase &row, std::ostream *os) {
    *os << row.name;
}

class SaveRefused : public ::testing::TestWithParam<RefusedCase> {};

// A store that cannot be opened with full access, or does not parse, is never written: the old
// file stays byte for byte and nothing is left beside it.
TEST_P(SaveRefused, LeavesTheOldFileIntact) {
    const RefusedCase &row = GetParam();
    StoreFolder folder;
    if (row.file)
        folder.write(*row.file);
    folder.restrict(row.access);
    const QByteArray before = folder.read();
    const QStringList entries = folder.listing();
    const QString directory =
        row.subfolder ? folder.path() + u'/' + QLatin1String(row.subfolder) : folder.path();

    const ScanSettings settings = NewSettings();
    if (row.access != Access::Full && RunningAsRoot()) {
        EXPECT_EQ(RunProbe(folder, "save-scan", {"7", "8", "57600,e,8,1"}, directory).exitCode, 0);
        EXPECT_EQ(RunProbe(folder, "save-card", {"0000001234"}, directory).exitCode, 0);
        EXPECT_EQ(RunProbe(folder, "save-language", {"ChineseBIG5"}, directory).exitCode, 0);
    } else {
        const SettingsStore store(directory);
        store.SaveScanSettings(settings);
        store.SaveCardID(settings);
        store.SaveLanguage(settings);
    }
    EXPECT_EQ(folder.read(), before);
    EXPECT_EQ(folder.listing(), entries);
}

INSTANTIATE_TEST_SUITE_P(
    Store, SaveRefused,
    ::testing::Values(
        RefusedCase{"ReadOnlyFolder", kAllFive, Access::ReadOnlyFolder, nullptr},
        RefusedCase{"ReadOnlyFile", kAllFive, Access::ReadOnlyFile, nullptr},
        RefusedCase{"DamagedFile", kHead + kComm3 + "\"ScanCardID\"=\"12", Access::Full, nullptr},
        RefusedCase{"MissingFolderInReadOnlyParent", std::nullopt, Access::ReadOnlyFolder,
                    "vr880tx-config"},
        RefusedCase{"AboveSizeLimit", PaddedTo(kAllFive, kMaxStoreFileBytes + 1), Access::Full,
                    nullptr},
        // Every save makes a value longer: the file would grow past the limit and
        // the next start would refuse it.
        RefusedCase{"SavesWouldPassSizeLimit",
                    PaddedTo(kHead + kComm3 + kRate9600 + kNo2 + "\"ScanCardID\"=\"1\"\n" +
                                 "\"LanguageFlag\"=\"English\"\n",
                             kMaxStoreFileBytes),
                    Access::Full, nullptr}),
    [](const auto &row) { return std::string(row.param.name); });

// A store at the size limit stays in use: a save that keeps the file within the limit is written.
TEST(SettingsSave, AtTheSizeLimitASaveThatFitsIsWritten) {
    StoreFolder folder;
    folder.write(PaddedTo(kAllFive, kMaxStoreFileBytes));
    SettingsStore(folder.path()).SaveCardID(NewSettings()); // as long as the stored card number
    EXPECT_EQ(folder.read(), PaddedTo(kHead + kComm3 + kRate9600 + kNo2 +
                                          "\"ScanCardID\"=\"0000001234\"\n" + kLanguageGB,
                                      kMaxStoreFileBytes));
}

// A crash or a full disk in the middle of a save must not damage the store, so a save writes a
// new file and renames it over the old one. A hard link to the old file shows that: it keeps
// the old content.
TEST(SettingsSave, ReplacesTheFileRatherThanWritingIntoIt) {
    StoreFolder folder;
    const SettingsStore store(folder.path());
    ScanSettings settings;
    settings.ScanCardID = QStringLiteral("1");
    store.SaveCardID(settings);
    const QByteArray first = folder.read();
    const QString link = folder.path() + QStringLiteral("/before.reg");
    ASSERT_EQ(
        ::link(QFile::encodeName(folder.file()).constData(), QFile::encodeName(link).constData()),
        0);

    settings.ScanCardID = QStringLiteral("2");
    store.SaveCardID(settings);
    QFile old(link);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), first);
    EXPECT_EQ(folder.read(), kHead + "\"ScanCardID\"=\"2\"\n\n");
    EXPECT_EQ(folder.listing(),
              (QStringList{QStringLiteral("VR880TXConfig.reg"), QStringLiteral("before.reg")}));
}

// Two copies of the program share the store: the last save wins value by value, also when this
// process has read the file before the other one wrote it.
TEST(SettingsSave, AnotherProcessesValuesAreKept) {
    StoreFolder folder;
    const SettingsStore store(folder.path());
    ScanSettings settings;
    settings.ScanCardID = QStringLiteral("1");
    store.SaveCardID(settings);
    EXPECT_EQ(FieldsOf(store.load()), MakeFields(0, "19200,e,8,1", 5, "1", "English", 0));
    EXPECT_EQ(RunProbe(folder, "save-language", {"ChineseGB"}).exitCode, 0);
    settings.ScanCardID = QStringLiteral("2");
    store.SaveCardID(settings);
    EXPECT_EQ(ProbeLoad(folder), MakeFields(0, "19200,e,8,1", 5, "2", "ChineseGB", 1));
}

} // namespace
} // namespace vr::test

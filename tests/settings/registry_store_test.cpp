// The settings store on the real Windows registry (under Wine in the test run): every reading and
// saving rule against HKEY_LOCAL_MACHINE\Software\VORNA\VR880TXConfig, read back with the
// system's own "reg query". Each test starts without the key and removes it at the end.
#include "settings/settings_store.h"
#include "settings_fields.h"

#include <windows.h>

#include <sddl.h>

#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <optional>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

void PrintTo(const QString &text, std::ostream *os) {
    *os << '"' << text.toStdString() << '"';
}

namespace vr::test {
namespace {

constexpr wchar_t kMakerKey[] = L"Software\\VORNA";
constexpr wchar_t kStoreKey[] = L"Software\\VORNA\\VR880TXConfig";
const QString kStoreKeyForReg = QStringLiteral("HKLM\\Software\\VORNA\\VR880TXConfig");

const Fields kDefaults = DefaultFields();

// One registry value as a test stores it, of any type.
struct Stored {
    std::wstring name;
    DWORD type;
    std::vector<BYTE> data;
};

Stored Dword(const wchar_t *name, DWORD number) {
    std::vector<BYTE> data(sizeof(number));
    std::memcpy(data.data(), &number, sizeof(number));
    return {name, REG_DWORD, data};
}

Stored Text(const wchar_t *name, const std::wstring &text, DWORD type = REG_SZ) {
    const auto *bytes = reinterpret_cast<const BYTE *>(text.c_str());
    return {name, type, std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t))};
}

Stored Binary(const wchar_t *name, std::vector<BYTE> bytes) {
    return {name, REG_BINARY, std::move(bytes)};
}

void CreateKey(const wchar_t *path, const std::vector<Stored> &values = {}) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    for (const Stored &value : values)
        EXPECT_EQ(::RegSetValueExW(key, value.name.c_str(), 0, value.type, value.data.data(),
                                   static_cast<DWORD>(value.data.size())),
                  ERROR_SUCCESS);
    ::RegCloseKey(key);
}

// Gives the key an access list that denies everyone `denied` and allows everything else.
void DenyEveryone(const wchar_t *path, DWORD denied) {
    wchar_t sddl[64];
    std::swprintf(sddl, 64, L"D:(D;;0x%lx;;;WD)(A;;KA;;;WD)", static_cast<unsigned long>(denied));
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1,
                                                                       &descriptor, nullptr));
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, WRITE_DAC, &key), ERROR_SUCCESS);
    EXPECT_EQ(::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor), ERROR_SUCCESS);
    ::RegCloseKey(key);
    ::LocalFree(descriptor);
}

void AllowEveryone(const wchar_t *path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;KA;;;WD)", SDDL_REVISION_1,
                                                                &descriptor, nullptr))
        return;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, WRITE_DAC, &key) == ERROR_SUCCESS) {
        ::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
        ::RegCloseKey(key);
    }
    ::LocalFree(descriptor);
}

void RemoveMakerKey() {
    AllowEveryone(kStoreKey);
    AllowEveryone(kMakerKey);
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kMakerKey);
    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kMakerKey);
}

// Whether the registry refuses to open the key with the denied right.
bool Enforced(const wchar_t *path, DWORD denied) {
    HKEY key = nullptr;
    const LSTATUS status = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, denied, &key);
    if (status == ERROR_SUCCESS)
        ::RegCloseKey(key);
    return status == ERROR_ACCESS_DENIED;
}

// The key as the system's "reg query" lists it: one "name type data" line per value, sorted; none
// when the key does not exist.
std::optional<QStringList> RegQuery() {
    QProcess reg;
    reg.start(QStringLiteral("reg.exe"), {QStringLiteral("query"), kStoreKeyForReg});
    EXPECT_TRUE(reg.waitForFinished(30000));
    if (reg.exitCode() != 0)
        return std::nullopt;
    QStringList values;
    const QStringList lines = QString::fromLocal8Bit(reg.readAllStandardOutput())
                                  .split(QRegularExpression(QStringLiteral("[\r\n]+")));
    for (const QString &line : lines) {
        if (!line.startsWith(QStringLiteral("    ")))
            continue;
        QStringList parts = line.trimmed().split(QStringLiteral("    "));
        while (parts.size() < 3)
            parts.append(QString()); // an empty text has no data column
        values.append(parts.mid(0, 3).join(QLatin1Char(' ')));
    }
    values.sort();
    return values;
}

class RegistryStore : public ::testing::Test {
protected:
    void SetUp() override { RemoveMakerKey(); }
    void TearDown() override { RemoveMakerKey(); }
};

// ---- Reading ------------------------------------------------------------------------------

struct LoadCase {
    const char *name;
    std::optional<std::vector<Stored>> key; // no key at all when empty
    DWORD deniedOnKey;                      // rights nobody has on the key
    Fields expected;
};
void PrintTo(const LoadCase &row, std::ostream *os) {
    *os << row.name;
}

class RegistryLoad : public RegistryStore, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(RegistryLoad, GivesTheSettingsOfTheRules) {
    const LoadCase &row = GetParam();
    if (row.key)
        CreateKey(kStoreKey, *row.key);
    if (row.deniedOnKey != 0) {
        DenyEveryone(kStoreKey, row.deniedOnKey);
        if (!Enforced(kStoreKey, row.deniedOnKey))
            GTEST_SKIP() << "this registry does not enforce the key's access list";
    }
    EXPECT_EQ(FieldsOf(SettingsStore().load()), row.expected);
    if (!row.key) {
        EXPECT_EQ(RegQuery(), std::nullopt) << "reading must not create the key";
    }
}

std::vector<Stored> AllFiveValues() {
    return {Dword(L"ScanCommNo", 3), Text(L"ScanBaudRate", L"9600,n,8,1"),
            Dword(L"ScanBaudRateNo", 2), Text(L"ScanCardID", L"1234567890"),
            Text(L"LanguageFlag", L"ChineseGB")};
}

// The five values with one of them replaced.
std::vector<Stored> AllFiveWith(Stored replacement) {
    std::vector<Stored> values = AllFiveValues();
    for (Stored &value : values)
        if (value.name == replacement.name)
            value = replacement;
    return values;
}

std::vector<LoadCase> LoadCases() {
    const Fields allFive = MakeFields(3, "9600,n,8,1", 2, "1234567890", "ChineseGB", 1);
    const std::vector<BYTE> text9600 = {'9', 0, '6', 0, '0', 0, '0', 0, 0, 0};
    return {
        {"NoKey", std::nullopt, 0, kDefaults},
        {"KeyWithoutValues", std::vector<Stored>{}, 0, kDefaults},
        {"AllFive", AllFiveValues(), 0, allFive},
        {"OnlyLanguageBig5", std::vector<Stored>{Text(L"LanguageFlag", L"ChineseBIG5")}, 0,
         MakeFields(0, "19200,e,8,1", 5, "00000000", "ChineseBIG5", 2)},
        {"CommNoAsTextEndsReadingAtOnce", AllFiveWith(Text(L"ScanCommNo", L"3")), 0, kDefaults},
        {"BaudRateAsBinary", AllFiveWith(Binary(L"ScanBaudRate", text9600)), 0,
         MakeFields(3, "19200,e,8,1", 5, "00000000", "English", 0)},
        {"BaudRateNoAsBinary", AllFiveWith(Binary(L"ScanBaudRateNo", {2, 0, 0, 0})), 0,
         MakeFields(3, "9600,n,8,1", 5, "00000000", "English", 0)},
        {"CardIdAsInteger", AllFiveWith(Dword(L"ScanCardID", 1234)), 0,
         MakeFields(3, "9600,n,8,1", 2, "00000000", "English", 0)},
        {"LanguageAsExpandableText",
         AllFiveWith(Text(L"LanguageFlag", L"ChineseGB", REG_EXPAND_SZ)), 0,
         MakeFields(3, "9600,n,8,1", 2, "1234567890", "English", 0)},
        {"CommNoAsSixtyFourBits",
         AllFiveWith(Stored{L"ScanCommNo", REG_QWORD, {3, 0, 0, 0, 0, 0, 0, 0}}), 0, kDefaults},
        {"UnknownLanguageKept", std::vector<Stored>{Text(L"LanguageFlag", L"German")}, 0,
         MakeFields(0, "19200,e,8,1", 5, "00000000", "German", 0)},
        {"LongCardIdKeptWhole",
         std::vector<Stored>{Text(L"ScanCardID", L"123456789012345678901234567890")}, 0,
         MakeFields(0, "19200,e,8,1", 5, "123456789012345678901234567890", "English", 0)},
        {"EmptyCardIdStaysEmpty", std::vector<Stored>{Text(L"ScanCardID", L"")}, 0,
         MakeFields(0, "19200,e,8,1", 5, "", "English", 0)},
        // Texts are taken as they are: no escapes of any kind.
        {"TextsTakenLiterally", std::vector<Stored>{Text(L"ScanCardID", L"@Invalid()")}, 0,
         MakeFields(0, "19200,e,8,1", 5, "@Invalid()", "English", 0)},
        {"ChineseCardText", std::vector<Stored>{Text(L"ScanCardID", L"\u5361\u865f")}, 0,
         MakeFields(0, "19200,e,8,1", 5, "卡號", "English", 0)},
        {"IndexAboveRange",
         std::vector<Stored>{Dword(L"ScanCommNo", 3), Text(L"ScanBaudRate", L"57600,e,8,1"),
                             Dword(L"ScanBaudRateNo", 12)},
         0, MakeFields(3, "57600,e,8,1", 5, "00000000", "English", 0)},
        {"KeyWithoutWriteAccess", AllFiveValues(), KEY_SET_VALUE, kDefaults},
    };
}

INSTANTIATE_TEST_SUITE_P(Registry, RegistryLoad, ::testing::ValuesIn(LoadCases()),
                         [](const auto &row) { return std::string(row.param.name); });

// ---- Saving -------------------------------------------------------------------------------

using Save = void (SettingsStore::*)(const ScanSettings &) const;

struct SaveCase {
    const char *name;
    Save save;
    QStringList expected;
};
void PrintTo(const SaveCase &row, std::ostream *os) {
    *os << row.name;
}

class RegistrySave : public RegistryStore, public ::testing::WithParamInterface<SaveCase> {};

// The stored ScanCommNo is text: a save replaces a value whatever its type, and leaves the others
// alone, one the program does not know included.
TEST_P(RegistrySave, WritesOnlyItsValuesWithTheirTypes) {
    CreateKey(kStoreKey, {Text(L"ScanCommNo", L"3"), Text(L"ScanBaudRate", L"9600,n,8,1"),
                          Dword(L"ScanBaudRateNo", 2), Text(L"ScanCardID", L"1111"),
                          Text(L"LanguageFlag", L"ChineseGB"), Binary(L"Other", {1, 2})});
    (SettingsStore().*GetParam().save)(NewSettings());
    QStringList expected = GetParam().expected;
    expected << QStringLiteral("Other REG_BINARY 0102");
    expected.sort();
    EXPECT_EQ(RegQuery(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Registry, RegistrySave,
    ::testing::Values(SaveCase{"ScanSettings",
                               &SettingsStore::SaveScanSettings,
                               {"ScanCommNo REG_DWORD 0x7", "ScanBaudRate REG_SZ 57600,e,8,1",
                                "ScanBaudRateNo REG_DWORD 0x8", "ScanCardID REG_SZ 1111",
                                "LanguageFlag REG_SZ ChineseGB"}},
                      SaveCase{"CardID",
                               &SettingsStore::SaveCardID,
                               {"ScanCommNo REG_SZ 3", "ScanBaudRate REG_SZ 9600,n,8,1",
                                "ScanBaudRateNo REG_DWORD 0x2", "ScanCardID REG_SZ 0000001234",
                                "LanguageFlag REG_SZ ChineseGB"}},
                      SaveCase{"Language",
                               &SettingsStore::SaveLanguage,
                               {"ScanCommNo REG_SZ 3", "ScanBaudRate REG_SZ 9600,n,8,1",
                                "ScanBaudRateNo REG_DWORD 0x2", "ScanCardID REG_SZ 1111",
                                "LanguageFlag REG_SZ ChineseBIG5"}}),
    [](const auto &row) { return std::string(row.param.name); });

// The first start on a PC without the key stores the card number: the key and its maker's key
// are created and hold that one value.
TEST_F(RegistryStore, FirstSaveCreatesTheKeyWithTheCardOnly) {
    SettingsStore().SaveCardID(ScanSettings{});
    EXPECT_EQ(RegQuery(), QStringList{QStringLiteral("ScanCardID REG_SZ 00000000")});
    EXPECT_EQ(FieldsOf(SettingsStore().load()), kDefaults);
}

TEST_F(RegistryStore, EverySettingRoundTrips) {
    const SettingsStore store;
    ScanSettings settings = NewSettings();
    settings.ScanCommNo = 16;
    settings.ScanBaudRateNo = 11;
    settings.ScanBaudRate = QStringLiteral("115200,e,8,1");
    store.SaveScanSettings(settings);
    store.SaveCardID(settings);
    store.SaveLanguage(settings);
    EXPECT_EQ(RegQuery(),
              (QStringList{"LanguageFlag REG_SZ ChineseBIG5", "ScanBaudRate REG_SZ 115200,e,8,1",
                           "ScanBaudRateNo REG_DWORD 0xb", "ScanCardID REG_SZ 0000001234",
                           "ScanCommNo REG_DWORD 0x10"}));
    EXPECT_EQ(FieldsOf(store.load()), FieldsOf(settings));
}

class CardTextRoundTrip : public RegistryStore,
                          public ::testing::WithParamInterface<const char *> {};

TEST_P(CardTextRoundTrip, ReadsBackExactly) {
    ScanSettings settings;
    settings.ScanCardID = QString::fromUtf8(GetParam());
    SettingsStore().SaveCardID(settings);
    EXPECT_EQ(FieldsOf(SettingsStore().load()),
              MakeFields(0, "19200,e,8,1", 5, GetParam(), "English", 0));
}

INSTANTIATE_TEST_SUITE_P(Registry, CardTextRoundTrip,
                         ::testing::Values("", "0000001234", "卡號\\\"x\\", "@@x", "@Invalid()",
                                           "  spaced  ", "tab\there"));

// A save that cannot create the key, or may not write into it, writes nothing and reports
// nothing.
enum class Obstacle {
    VolatileMakerKey, // a non-volatile key cannot be created under a volatile one
    NoRightToCreate,  // the maker key denies everyone the creation of subkeys
};

class KeyThatCannotBeCreated : public RegistryStore,
                               public ::testing::WithParamInterface<Obstacle> {};

TEST_P(KeyThatCannotBeCreated, MakesEverySaveWriteNothing) {
    if (GetParam() == Obstacle::VolatileMakerKey) {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kMakerKey, 0, nullptr, REG_OPTION_VOLATILE,
                                    KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ::RegCloseKey(key);
    } else {
        CreateKey(kMakerKey);
        DenyEveryone(kMakerKey, KEY_CREATE_SUB_KEY);
        HKEY probe = nullptr;
        if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\VORNA\\Probe", 0, nullptr,
                              REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &probe,
                              nullptr) == ERROR_SUCCESS) {
            ::RegCloseKey(probe);
            GTEST_SKIP() << "this registry lets a key be created without the right to do so";
        }
    }
    const SettingsStore store;
    store.SaveScanSettings(NewSettings());
    store.SaveCardID(NewSettings());
    store.SaveLanguage(NewSettings());
    EXPECT_EQ(RegQuery(), std::nullopt);
    EXPECT_EQ(FieldsOf(store.load()), kDefaults);
}

INSTANTIATE_TEST_SUITE_P(Registry, KeyThatCannotBeCreated,
                         ::testing::Values(Obstacle::VolatileMakerKey, Obstacle::NoRightToCreate),
                         [](const auto &row) {
                             return row.param == Obstacle::VolatileMakerKey
                                        ? std::string("VolatileMakerKey")
                                        : std::string("NoRightToCreate");
                         });

TEST_F(RegistryStore, SaveIntoAKeyWithoutWriteAccessWritesNothing) {
    CreateKey(kStoreKey, {Text(L"ScanCardID", L"1111")});
    DenyEveryone(kStoreKey, KEY_SET_VALUE);
    if (!Enforced(kStoreKey, KEY_SET_VALUE))
        GTEST_SKIP() << "this registry does not enforce the key's access list";
    const SettingsStore store;
    store.SaveScanSettings(NewSettings());
    store.SaveCardID(NewSettings());
    EXPECT_EQ(RegQuery(), QStringList{QStringLiteral("ScanCardID REG_SZ 1111")});
}

} // namespace
} // namespace vr::test

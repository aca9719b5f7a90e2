#include "i18n/message_catalogue.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <ostream>
#include <string>
#include <string_view>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

// Shows QStrings as text in failure messages.
void PrintTo(const QString &text, std::ostream *os) {
    *os << '"' << text.toStdString() << '"';
}

namespace vr {
namespace {

#ifdef _WIN32
// Whether `text` converts completely into `codePage` ("GB2312" or "BIG5"), through Windows' own
// code pages 20936 and 950, with no best-fit substitutes.
bool EncodesIn(const QString &text, const char *codePage) {
    const UINT page = std::string_view(codePage) == "GB2312" ? 20936 : 950;
    const std::wstring wide = text.toStdWString();
    BOOL usedDefault = FALSE;
    const int bytes =
        ::WideCharToMultiByte(page, WC_NO_BEST_FIT_CHARS, wide.c_str(),
                              static_cast<int>(wide.size()), nullptr, 0, nullptr, &usedDefault);
    return bytes > 0 && !usedDefault;
}
#else
// Whether `text` converts completely into `codePage` (glibc iconv, no transliteration).
bool EncodesIn(const QString &text, const char *codePage) {
    const iconv_t cd = iconv_open(codePage, "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    QByteArray utf8 = text.toUtf8();
    std::string out(std::size_t(utf8.size()) * 4 + 4, '\0');
    char *in = utf8.data();
    std::size_t inLeft = std::size_t(utf8.size());
    char *outPtr = out.data();
    std::size_t outLeft = out.size();
    const std::size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    return result != std::size_t(-1) && inLeft == 0;
}
#endif

TEST(MessageCatalogue, HoldsSixtyTwoMessagesEachInThreeLanguages) {
    EXPECT_EQ(kMessageCount, 62);
    for (int number = 0; number < kMessageCount; ++number)
        for (int language = 0; language < kLanguageCount; ++language)
            EXPECT_FALSE(MessageText(static_cast<Msg>(number), language).isEmpty())
                << number << "/" << language;
}

TEST(MessageCatalogue, LanguageOutOfRangeGivesEmptyText) {
    EXPECT_TRUE(MessageText(Msg::StartScan, 3).isEmpty());
    EXPECT_TRUE(MessageText(Msg::StartScan, -1).isEmpty());
}

struct SpotCheck {
    const char *name;
    Msg message;
    int language;
    const char *text;
};

class MessageSpotCheck : public ::testing::TestWithParam<SpotCheck> {};

TEST_P(MessageSpotCheck, MatchesTheCatalogueExactly) {
    EXPECT_EQ(MessageText(GetParam().message, GetParam().language),
              QString::fromUtf8(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Families, MessageSpotCheck,
    ::testing::Values(
        SpotCheck{"CaptionEnglish", Msg::Caption, English, "VORNA VR880TX Config V3.22-01"},
        SpotCheck{"CaptionSimplified", Msg::Caption, ChineseGB,
                  "VORNA VR880TX 控制器设定程式 V3.22-01"},
        SpotCheck{"StartEnglish", Msg::StartScan, English, "Start Scan Controller!"},
        SpotCheck{"StartSimplifiedAsciiBang", Msg::StartScan, ChineseGB, "请先扫描控制器!"},
        SpotCheck{"StartTraditional", Msg::StartScan, ChineseBIG5, "請先掃描控制器!"},
        SpotCheck{"AutoCancelSimplifiedIsLong", Msg::AutoTestCancel, ChineseGB, "取消自动测试"},
        SpotCheck{"AutoCancelTraditionalIsShort", Msg::AutoTestCancel, ChineseBIG5, "取消"},
        SpotCheck{"DidoEnglish", Msg::DidoTest, English, "DIDO Test"},
        SpotCheck{"DidoSimplified", Msg::DidoTest, ChineseGB, "DIDO测试"},
        SpotCheck{"DidoTraditional", Msg::DidoTest, ChineseBIG5, "DIDO測試"},
        SpotCheck{"SetIdOkEnglishPeriod", Msg::SetIdOk, English, "Set ID Ok."},
        SpotCheck{"SetIdErrorEnglishBang", Msg::SetIdError, English, "Set ID Error!"},
        SpotCheck{"SetIdErrorSimplified", Msg::SetIdError, ChineseGB, "设定读卡机编号错误"},
        SpotCheck{"SetIdErrorTraditional", Msg::SetIdError, ChineseBIG5, "設定讀卡機編號錯誤"},
        SpotCheck{"CommandPage", Msg::CommandPage, English, "Command"},
        SpotCheck{"TestCommandOkSimplifiedPeriod", Msg::TestCommandOk, ChineseGB, "指令测试完成."},
        SpotCheck{"TestCommandErrorTraditional", Msg::TestCommandError, ChineseBIG5,
                  "指令測試錯誤."},
        SpotCheck{"HolderModeErrorEnglish", Msg::SetHolderModeError, English,
                  "Set Holder Mode Error!"},
        SpotCheck{"DoorModeTitleSimplified", Msg::SetDoorMode, ChineseGB, "设定开门资料模式."},
        SpotCheck{"SetModeEnglish", Msg::SetMode, English, "Set Mode"},
        SpotCheck{"SetModeSimplified", Msg::SetMode, ChineseGB, "设定输出模式"},
        SpotCheck{"SetModeOkSimplified", Msg::SetModeOk, ChineseGB, "设定输出模式完成"},
        SpotCheck{"SetModeErrorTraditional", Msg::SetModeError, ChineseBIG5, "設定輸出模式錯誤"},
        SpotCheck{"CardTypeErrorEnglish", Msg::SetCardTypeError, English, "Set Card Type Error!"},
        SpotCheck{"FactoryEnglish", Msg::FactoryDefault, English, "Factory Default"},
        SpotCheck{"FactorySimplified", Msg::FactoryDefault, ChineseGB, "出厂预设"},
        SpotCheck{"FactoryTraditional", Msg::FactoryDefault, ChineseBIG5, "出廠預設"},
        SpotCheck{"BaudRateLabel", Msg::BaudRate, English, "BaudRate"},
        SpotCheck{"BaudRateUnused", Msg::SetBaudRateUnused, English, "Set Baud Rate"},
        SpotCheck{"ExitTraditional", Msg::Exit, ChineseBIG5, "結束"},
        SpotCheck{"OpenComTraditional", Msg::OpenCom, ChineseBIG5, "開啟串口"},
        SpotCheck{"SerialSimplifiedStaysAscii", Msg::SerialNumber, ChineseGB, "S/N"},
        SpotCheck{"SerialTraditional", Msg::SerialNumber, ChineseBIG5, "序號"},
        SpotCheck{"Version", Msg::Version, English, "VER"},
        SpotCheck{"InfoOkEnglishOpenParen", Msg::InfoOk, English, "Get Controller Info Ok. (COM"},
        SpotCheck{"InfoOkSimplified", Msg::InfoOk, ChineseGB, "读取控制器资讯完成. (串口"},
        SpotCheck{"InfoErrorTraditional", Msg::InfoError, ChineseBIG5, "讀取控制器資訊錯誤. (串口"},
        SpotCheck{"NotFind", Msg::NotFound, English, "Controller Not Find"},
        SpotCheck{"NotFindTraditional", Msg::NotFound, ChineseBIG5, "控制器沒有連線"},
        SpotCheck{"DateOkEnglishNoPeriod", Msg::SetDateTimeOk, English, "Set Date Time Ok"},
        SpotCheck{"AlarmSimplified", Msg::AlarmTest, ChineseGB, "设定警报测试"},
        SpotCheck{"AlarmTraditional", Msg::AlarmTest, ChineseBIG5, "警報測試"},
        SpotCheck{"AddCardSimplified", Msg::AddCard, ChineseGB, "设定读卡机与卡片"},
        SpotCheck{"AddCardTraditional", Msg::AddCard, ChineseBIG5, "設定卡片"},
        SpotCheck{"FactoryErrorEnglish", Msg::SetFactoryDefaultError, English,
                  "Set Factory Default Error"},
        SpotCheck{"SetBaudRateEnglish", Msg::SetBaudRate, English, "Set BaudRate"},
        SpotCheck{"SetBaudRateErrorTraditional", Msg::SetBaudRateError, ChineseBIG5,
                  "設定通訊速度錯誤"}),
    [](const auto &row) { return std::string(row.param.name); });

// Success and failure texts of an operation are its title followed by 完成 or 错误 / 錯誤.
struct Family {
    Msg title, ok, error;
};

class ChineseFamily : public ::testing::TestWithParam<Family> {};

TEST_P(ChineseFamily, OkAndErrorFollowTheTitle) {
    const Family family = GetParam();
    const QString gb = MessageText(family.title, ChineseGB);
    const QString big5 = MessageText(family.title, ChineseBIG5);
    EXPECT_EQ(MessageText(family.ok, ChineseGB), gb + QString::fromUtf8("完成"));
    EXPECT_EQ(MessageText(family.error, ChineseGB), gb + QString::fromUtf8("错误"));
    EXPECT_EQ(MessageText(family.ok, ChineseBIG5), big5 + QString::fromUtf8("完成"));
    EXPECT_EQ(MessageText(family.error, ChineseBIG5), big5 + QString::fromUtf8("錯誤"));
}

INSTANTIATE_TEST_SUITE_P(
    Titles, ChineseFamily,
    ::testing::Values(Family{Msg::SetId, Msg::SetIdOk, Msg::SetIdError},
                      Family{Msg::SetMode, Msg::SetModeOk, Msg::SetModeError},
                      Family{Msg::SetCardType, Msg::SetCardTypeOk, Msg::SetCardTypeError},
                      Family{Msg::SetDateTime, Msg::SetDateTimeOk, Msg::SetDateTimeError},
                      Family{Msg::AlarmTest, Msg::AlarmTestOk, Msg::AlarmTestError},
                      Family{Msg::AddCard, Msg::AddCardOk, Msg::AddCardError},
                      Family{Msg::SetFactoryDefault, Msg::SetFactoryDefaultOk,
                             Msg::SetFactoryDefaultError},
                      Family{Msg::SetBaudRate, Msg::SetBaudRateOk, Msg::SetBaudRateError}),
    [](const auto &row) { return "Message" + std::to_string(static_cast<int>(row.param.title)); });

TEST(MessageCatalogue, SetModeIsNotTheSetIdText) {
    for (int language : {English, ChineseGB, ChineseBIG5})
        EXPECT_NE(MessageText(Msg::SetMode, language), MessageText(Msg::SetId, language))
            << language;
}

TEST(MessageCatalogue, MakerLineIsNameThreeSpacesAndReservedAddress) {
    const QString address = QStringLiteral("   www.example.com");
    for (int language : {English, ChineseGB, ChineseBIG5}) {
        const QString text = MessageText(Msg::Maker, language);
        ASSERT_TRUE(text.endsWith(address)) << language;
        const QString name = text.chopped(address.size());
        ASSERT_FALSE(name.isEmpty()) << language;
        EXPECT_FALSE(name.endsWith(u' ')) << "more than three spaces in language " << language;
        if (language == English) {
            EXPECT_TRUE(name.startsWith(QStringLiteral("VORNA"))) << name.toStdString();
        } else {
            for (const QChar c : name)
                EXPECT_TRUE(c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF)
                    << "name not in Chinese characters: " << name.toStdString();
        }
    }
}

TEST(MessageCatalogue, EveryTextFitsItsCodePage) {
#ifdef _WIN32
    if (!::IsValidCodePage(20936))
        GTEST_SKIP() << "this system has no GB2312 code page (20936)";
#endif
    // The checker itself must be able to fail: 體 is traditional only, 们 simplified only.
    ASSERT_TRUE(EncodesIn(QString::fromUtf8("设定读卡机编号"), "GB2312"));
    ASSERT_FALSE(EncodesIn(QString::fromUtf8("體"), "GB2312"));
    ASSERT_FALSE(EncodesIn(QString::fromUtf8("们"), "BIG5"));
    for (int number = 0; number < kMessageCount; ++number) {
        const auto message = static_cast<Msg>(number);
        const QString english = MessageText(message, English);
        for (const QChar c : english)
            EXPECT_LT(c.unicode(), 0x80) << "message " << number << " English is not ASCII";
        EXPECT_TRUE(EncodesIn(MessageText(message, ChineseGB), "GB2312"))
            << "message " << number << ": " << MessageText(message, ChineseGB).toStdString();
        EXPECT_TRUE(EncodesIn(MessageText(message, ChineseBIG5), "BIG5"))
            << "message " << number << ": " << MessageText(message, ChineseBIG5).toStdString();
    }
}

struct FlagCase {
    const char *name;
    const char *flag;
    int languageNo;
};

class LanguageFlagRule : public ::testing::TestWithParam<FlagCase> {};

TEST_P(LanguageFlagRule, ExactCaseSensitiveMatchOnly) {
    EXPECT_EQ(LanguageNoFromFlag(QString::fromUtf8(GetParam().flag)), GetParam().languageNo);
}

INSTANTIATE_TEST_SUITE_P(Flags, LanguageFlagRule,
                         ::testing::Values(FlagCase{"English", "English", English},
                                           FlagCase{"ChineseGB", "ChineseGB", ChineseGB},
                                           FlagCase{"ChineseBIG5", "ChineseBIG5", ChineseBIG5},
                                           FlagCase{"LowerCaseGB", "chinesegb", English},
                                           FlagCase{"UpperCaseGB", "CHINESEGB", English},
                                           FlagCase{"MixedCaseBig5", "ChineseBig5", English},
                                           FlagCase{"TrailingSpace", "ChineseGB ", English},
                                           FlagCase{"LeadingSpace", " ChineseBIG5", English},
                                           FlagCase{"Prefix", "Chinese", English},
                                           FlagCase{"OtherLanguage", "German", English},
                                           FlagCase{"Empty", "", English}),
                         [](const auto &row) { return std::string(row.param.name); });

TEST(LanguageFlag, NamesEachLanguageAndRoundTrips) {
    EXPECT_EQ(LanguageFlag(English), QStringLiteral("English"));
    EXPECT_EQ(LanguageFlag(ChineseGB), QStringLiteral("ChineseGB"));
    EXPECT_EQ(LanguageFlag(ChineseBIG5), QStringLiteral("ChineseBIG5"));
    for (int language : {English, ChineseGB, ChineseBIG5})
        EXPECT_EQ(LanguageNoFromFlag(LanguageFlag(language)), language);
    EXPECT_EQ(LanguageFlag(7), QStringLiteral("English"));
}

} // namespace
} // namespace vr

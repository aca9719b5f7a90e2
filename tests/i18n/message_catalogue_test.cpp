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

TEST(MessageCatalogue, HoldsSixtyTwoMessagesInThreeLanguagesSideBySide) {
    const QStringList &catalogue = MessageCatalogue();
    ASSERT_EQ(catalogue.size(), 186);
    EXPECT_EQ(kMessageCount, 62);
    for (int number = 0; number < kMessageCount; ++number) {
        for (int language = 0; language < 3; ++language) {
            const QString text = MessageText(number, language);
            EXPECT_FALSE(text.isEmpty()) << number << "/" << language;
            EXPECT_EQ(text, catalogue.at(3 * number + language)) << number << "/" << language;
        }
    }
    EXPECT_EQ(catalogue.at(3 * 48 + ChineseGB), QString::fromUtf8("设定日期时间完成"));
}

TEST(MessageCatalogue, OutOfRangeGivesEmptyText) {
    EXPECT_TRUE(MessageText(-1, English).isEmpty());
    EXPECT_TRUE(MessageText(62, English).isEmpty());
    EXPECT_TRUE(MessageText(2, 3).isEmpty());
    EXPECT_TRUE(MessageText(2, -1).isEmpty());
}

struct SpotCheck {
    const char *name;
    int number;
    int language;
    const char *text;
};

class MessageSpotCheck : public ::testing::TestWithParam<SpotCheck> {};

TEST_P(MessageSpotCheck, MatchesTheCatalogueExactly) {
    EXPECT_EQ(MessageText(GetParam().number, GetParam().language),
              QString::fromUtf8(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Families, MessageSpotCheck,
    ::testing::Values(
        SpotCheck{"CaptionEnglish", 1, English, "VORNA VR880TX Config V3.22-01"},
        SpotCheck{"CaptionSimplified", 1, ChineseGB, "VORNA VR880TX 控制器设定程式 V3.22-01"},
        SpotCheck{"StartEnglish", 2, English, "Start Scan Controller!"},
        SpotCheck{"StartSimplifiedAsciiBang", 2, ChineseGB, "请先扫描控制器!"},
        SpotCheck{"StartTraditional", 2, ChineseBIG5, "請先掃描控制器!"},
        SpotCheck{"AutoCancelSimplifiedIsLong", 4, ChineseGB, "取消自动测试"},
        SpotCheck{"AutoCancelTraditionalIsShort", 4, ChineseBIG5, "取消"},
        SpotCheck{"DidoEnglish", 5, English, "DIDO Test"},
        SpotCheck{"DidoSimplified", 5, ChineseGB, "DIDO测试"},
        SpotCheck{"DidoTraditional", 5, ChineseBIG5, "DIDO測試"},
        SpotCheck{"SetIdOkEnglishPeriod", 8, English, "Set ID Ok."},
        SpotCheck{"SetIdErrorEnglishBang", 9, English, "Set ID Error!"},
        SpotCheck{"SetIdErrorSimplified", 9, ChineseGB, "设定读卡机编号错误"},
        SpotCheck{"SetIdErrorTraditional", 9, ChineseBIG5, "設定讀卡機編號錯誤"},
        SpotCheck{"CommandPage", 10, English, "Command"},
        SpotCheck{"TestCommandOkSimplifiedPeriod", 12, ChineseGB, "指令测试完成."},
        SpotCheck{"TestCommandErrorTraditional", 13, ChineseBIG5, "指令測試錯誤."},
        SpotCheck{"HolderModeErrorEnglish", 18, English, "Set Holder Mode Error!"},
        SpotCheck{"DoorModeTitleSimplified", 20, ChineseGB, "设定开门资料模式."},
        SpotCheck{"SetModeEnglish", 23, English, "Set Mode"},
        SpotCheck{"SetModeSimplified", 23, ChineseGB, "设定输出模式"},
        SpotCheck{"SetModeOkSimplified", 24, ChineseGB, "设定输出模式完成"},
        SpotCheck{"SetModeErrorTraditional", 25, ChineseBIG5, "設定輸出模式錯誤"},
        SpotCheck{"CardTypeErrorEnglish", 28, English, "Set Card Type Error!"},
        SpotCheck{"FactoryEnglish", 30, English, "Factory Default"},
        SpotCheck{"FactorySimplified", 30, ChineseGB, "出厂预设"},
        SpotCheck{"FactoryTraditional", 30, ChineseBIG5, "出廠預設"},
        SpotCheck{"BaudRateLabel", 35, English, "BaudRate"},
        SpotCheck{"BaudRateUnused", 36, English, "Set Baud Rate"},
        SpotCheck{"ExitTraditional", 37, ChineseBIG5, "結束"},
        SpotCheck{"OpenComTraditional", 38, ChineseBIG5, "開啟串口"},
        SpotCheck{"SerialSimplifiedStaysAscii", 41, ChineseGB, "S/N"},
        SpotCheck{"SerialTraditional", 41, ChineseBIG5, "序號"},
        SpotCheck{"Version", 42, English, "VER"},
        SpotCheck{"InfoOkEnglishOpenParen", 44, English, "Get Controller Info Ok. (COM"},
        SpotCheck{"InfoOkSimplified", 44, ChineseGB, "读取控制器资讯完成. (串口"},
        SpotCheck{"InfoErrorTraditional", 45, ChineseBIG5, "讀取控制器資訊錯誤. (串口"},
        SpotCheck{"NotFind", 46, English, "Controller Not Find"},
        SpotCheck{"NotFindTraditional", 46, ChineseBIG5, "控制器沒有連線"},
        SpotCheck{"DateOkEnglishNoPeriod", 48, English, "Set Date Time Ok"},
        SpotCheck{"AlarmSimplified", 50, ChineseGB, "设定警报测试"},
        SpotCheck{"AlarmTraditional", 50, ChineseBIG5, "警報測試"},
        SpotCheck{"AddCardSimplified", 53, ChineseGB, "设定读卡机与卡片"},
        SpotCheck{"AddCardTraditional", 53, ChineseBIG5, "設定卡片"},
        SpotCheck{"FactoryErrorEnglish", 58, English, "Set Factory Default Error"},
        SpotCheck{"SetBaudRateEnglish", 59, English, "Set BaudRate"},
        SpotCheck{"SetBaudRateErrorTraditional", 61, ChineseBIG5, "設定通訊速度錯誤"}),
    [](const auto &row) { return std::string(row.param.name); });

// Success and failure texts of an operation are its title followed by 完成 or 错误 / 錯誤.
class ChineseFamily : public ::testing::TestWithParam<int> {};

TEST_P(ChineseFamily, OkAndErrorFollowTheTitle) {
    const int title = GetParam();
    const QString gb = MessageText(title, ChineseGB);
    const QString big5 = MessageText(title, ChineseBIG5);
    EXPECT_EQ(MessageText(title + 1, ChineseGB), gb + QString::fromUtf8("完成"));
    EXPECT_EQ(MessageText(title + 2, ChineseGB), gb + QString::fromUtf8("错误"));
    EXPECT_EQ(MessageText(title + 1, ChineseBIG5), big5 + QString::fromUtf8("完成"));
    EXPECT_EQ(MessageText(title + 2, ChineseBIG5), big5 + QString::fromUtf8("錯誤"));
}

INSTANTIATE_TEST_SUITE_P(Titles, ChineseFamily, ::testing::Values(7, 23, 26, 47, 50, 53, 56, 59),
                         [](const auto &row) { return "Message" + std::to_string(row.param); });

TEST(MessageCatalogue, SetModeIsNotTheSetIdText) {
    for (int language : {English, ChineseGB, ChineseBIG5})
        EXPECT_NE(MessageText(23, language), MessageText(7, language)) << language;
}

TEST(MessageCatalogue, MakerLineIsNameThreeSpacesAndReservedAddress) {
    const QString address = QStringLiteral("   www.example.com");
    for (int language : {English, ChineseGB, ChineseBIG5}) {
        const QString text = MessageText(0, language);
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
        const QString english = MessageText(number, English);
        for (const QChar c : english)
            EXPECT_LT(c.unicode(), 0x80) << "message " << number << " English is not ASCII";
        EXPECT_TRUE(EncodesIn(MessageText(number, ChineseGB), "GB2312"))
            << "message " << number << ": " << MessageText(number, ChineseGB).toStdString();
        EXPECT_TRUE(EncodesIn(MessageText(number, ChineseBIG5), "BIG5"))
            << "message " << number << ": " << MessageText(number, ChineseBIG5).toStdString();
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

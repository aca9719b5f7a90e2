#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "i18n/message_catalogue.h"
#include "link/frame_codec.h"
#include "operations/commands.h"
#include "operations/operator_text.h"
#include "support/scripted_device.h"
#include "support/virtual_platform.h"

namespace vr {
namespace {

struct BodyCase {
    const char *name;
    std::optional<std::string> commandText;
    std::optional<std::string> expected; // body behind address 001, or nothing
};

class CommandBodyTest : public ::testing::TestWithParam<BodyCase> {};

TEST_P(CommandBodyTest, BuildsTheExactBody) {
    const BodyCase &c = GetParam();
    ASSERT_EQ(c.commandText.has_value(), c.expected.has_value());
    if (c.commandText) {
        EXPECT_EQ(Body("001", *c.commandText), *c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Codes, CommandBodyTest,
    ::testing::Values(
        BodyCase{"Probe", StatusProbeCommand(), "001AS"},
        BodyCase{"SetClock", SetClockCommand({2005, 3, 12, 14, 30, 5}), "001AA20050312143005"},
        BodyCase{"SetClockPadsEveryField", SetClockCommand({2006, 1, 2, 3, 4, 5}),
                 "001AA20060102030405"},
        BodyCase{"AlarmOff", AlarmTestCommand(0), "001JF0"},
        BodyCase{"FireAlarm", AlarmTestCommand(3), "001JF3"},
        BodyCase{"DuressAlarm", AlarmTestCommand(6), "001JF6"},
        BodyCase{"AlarmOutOfList", AlarmTestCommand(7), std::nullopt},
        BodyCase{"AddCard", AddCardCommand("0012345678"), "001HA00010012345678100001"},
        BodyCase{"AddCardEmpty", AddCardCommand(""), "001HA0001100001"},
        BodyCase{"AddCardAsTyped", AddCardCommand("ab 12"), "001HA0001ab 12100001"},
        BodyCase{"LineMode0", SetLineModeCommand(0), "001AE0"},
        BodyCase{"LineMode7", SetLineModeCommand(7), "001AE7"},
        BodyCase{"LineMode9", SetLineModeCommand(9), "001AE9"},
        BodyCase{"LineMode10", SetLineModeCommand(10), "001AEA"},
        BodyCase{"LineMode11", SetLineModeCommand(11), "001AEB"},
        BodyCase{"LineModeNone", SetLineModeCommand(-1), std::nullopt},
        BodyCase{"LineMode12", SetLineModeCommand(12), std::nullopt},
        BodyCase{"SetAddress", SetAddressCommand("12345678", "005"), "001AD12345678005"},
        BodyCase{"Width24", SetCardWidthCommand(0), "001AF24"},
        BodyCase{"Width32", SetCardWidthCommand(1), "001AF32"},
        BodyCase{"Width40", SetCardWidthCommand(2), "001AF40"},
        BodyCase{"WidthOutOfList", SetCardWidthCommand(3), std::nullopt},
        BodyCase{"CardType0", SetCardTypeCommand(0), "001CJ0"},
        BodyCase{"CardType2", SetCardTypeCommand(2), "001CJ2"},
        BodyCase{"CardTypeNone", SetCardTypeCommand(-1), std::nullopt},
        BodyCase{"FactoryDefault", FactoryDefaultCommand(), "001AI"},
        BodyCase{"ReadVersion", ReadVersionCommand(), "001AV"},
        BodyCase{"ReadClock", ReadClockCommand(), "001AB"},
        BodyCase{"ReadCardWidth", ReadCardWidthCommand(), "001AF"},
        BodyCase{"TestModeOn", TestModeCommand(true), "001CG1"},
        BodyCase{"TestModeOff", TestModeCommand(false), "001CG0"},
        BodyCase{"ReadEvent", ReadEventCommand(), "001IE"},
        BodyCase{"NextEvent", NextEventCommand(), "001IB"},
        BodyCase{"ReadInputs", ReadInputsCommand(), "001DF"},
        BodyCase{"EndTest", EndTestCommand(), "001JE"},
        BodyCase{"ResetOutputs", ResetOutputsCommand(), "001JD"},
        BodyCase{"Output2On", SetOutputCommand(2, true), "001JD21"},
        BodyCase{"Output3Off", SetOutputCommand(3, false), "001JD30"},
        BodyCase{"Input7", InputSettingCommand(7), "001DB750"}),
    [](const ::testing::TestParamInfo<BodyCase> &param) { return std::string(param.param.name); });

TEST(ReplyFieldTest, ReadsByPositionFromTheEtx) {
    const std::string reply = ReplyFrame("00100"
                                         "12345678");
    EXPECT_EQ(ReplyAddress(reply), "001");
    EXPECT_EQ(ReplySerial(reply), "12345678");
    EXPECT_EQ(ReplyField(reply, 1, 1), "\x03");
}

TEST(ReplyFieldTest, ShortReplyGivesAShorterTextAndNeverReadsBeyondIt) {
    const std::string reply = "\x03"
                              "12345678";
    EXPECT_EQ(ReplySerial(reply), "678");
    EXPECT_EQ(ReplyField(reply, 9, 5), "8");
    EXPECT_EQ(ReplyField(reply, 10, 5), "");
    EXPECT_EQ(ReplyField(reply, 0, 3), "");
    EXPECT_EQ(ReplyField("", 7, 8), "");
    EXPECT_EQ(ReplyClockText(reply), "678//  ::");
}

TEST(ReplyFieldTest, ClockTextLaysOutTheFourteenDigits) {
    EXPECT_EQ(ReplyClockText(ReplyFrame("00100"
                                        "20050301140509")),
              "2005/03/01  14:05:09");
}

TEST(ReplyFieldTest, CardWidthMatchesOnlyTheThreeWidths) {
    EXPECT_EQ(CardWidthIndex("24"), 0);
    EXPECT_EQ(CardWidthIndex("32"), 1);
    EXPECT_EQ(CardWidthIndex("40"), 2);
    EXPECT_EQ(CardWidthIndex("16"), -1);
    EXPECT_EQ(CardWidthIndex("3"), -1);
    EXPECT_EQ(CardWidthIndex(""), -1);
}

// The probe passes only with an accepted reply of exactly 20 bytes.
struct ProbeCase {
    const char *name;
    std::string reply; // empty: no reply
    bool passes;
};

class StatusProbeTest : public ::testing::TestWithParam<ProbeCase> {};

TEST_P(StatusProbeTest, JudgesAcceptanceAndLength) {
    test::VirtualPlatform platform;
    test::ScriptedDevice device;
    platform.attach(1, device);
    ControllerLink link(platform);
    ASSERT_TRUE(link.CommOpen(1, "19200,e,8,1"));
    if (!GetParam().reply.empty())
        device.answerNext(GetParam().reply);
    EXPECT_EQ(SendStatusProbe(link, "001"), GetParam().passes);
    link.CommClose();
    ASSERT_EQ(device.requests().size(), 1u);
    EXPECT_EQ(device.requests()[0], RequestFrame("001AS"));
}

std::string WrongCrc(std::string frame) {
    frame[frame.size() - 2] = frame[frame.size() - 2] == '0' ? '1' : '0';
    return frame;
}

INSTANTIATE_TEST_SUITE_P(Replies, StatusProbeTest,
                         ::testing::Values(ProbeCase{"TwentyBytes",
                                                     ReplyFrame("00100"
                                                                "12345678"),
                                                     true},
                                           ProbeCase{"NineteenBytes",
                                                     ReplyFrame("00100"
                                                                "1234567"),
                                                     false},
                                           ProbeCase{"TwentyOneBytes",
                                                     ReplyFrame("00100"
                                                                "123456789"),
                                                     false},
                                           ProbeCase{"WrongCrc",
                                                     WrongCrc(ReplyFrame("00100"
                                                                         "12345678")),
                                                     false},
                                           ProbeCase{"NoReply", "", false}),
                         [](const ::testing::TestParamInfo<ProbeCase> &param) {
                             return std::string(param.param.name);
                         });

// Operator text on the wire: ASCII as typed in every language, other text in the code page of
// the current language, and nothing at all for a character that has no code there.
struct TextCase {
    const char *name;
    QString text;
    int languageNo;
    std::optional<std::string> bytes;
};

class OperatorTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(OperatorTextTest, EncodesInTheLanguagesCodePage) {
    EXPECT_EQ(EncodeOperatorText(GetParam().text, GetParam().languageNo), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, OperatorTextTest,
    ::testing::Values(
        TextCase{"AsciiEnglish", "ab 12\tZ", English, "ab 12\tZ"},
        TextCase{"AsciiSimplified", "AB", ChineseGB, "AB"},
        TextCase{"AsciiTraditional", "AB", ChineseBIG5, "AB"}, TextCase{"Empty", "", ChineseGB, ""},
        TextCase{"Latin1InEnglish", QString::fromUtf8("\xC3\xA9"), English, "\xE9"},
        TextCase{"SimplifiedInGb", QString::fromUtf8("\xE4\xB8\xAD\xE6\x96\x87"), ChineseGB,
                 "\xD6\xD0\xCE\xC4"},
        TextCase{"TraditionalInBig5", QString::fromUtf8("\xE4\xB8\xAD\xE6\x96\x87"), ChineseBIG5,
                 "\xA4\xA4\xA4\xE5"},
        TextCase{"MixedInGb",
                 QString::fromUtf8("HA\xE4\xB8\xAD"
                                   "1"),
                 ChineseGB,
                 "HA\xD6\xD0"
                 "1"},
        TextCase{"ChineseInEnglish", QString::fromUtf8("\xE4\xB8\xAD"), English, std::nullopt},
        TextCase{"EmojiInGb", QString::fromUtf8("A\xF0\x9F\x98\x80"), ChineseGB, std::nullopt},
        TextCase{"EmojiInBig5", QString::fromUtf8("\xF0\x9F\x98\x80"), ChineseBIG5, std::nullopt},
        TextCase{"LoneSurrogate", QString(QChar(0xD800)), ChineseGB, std::nullopt},
        // U+00A0 has no code in the Big5 code page: a converter that replaced it would send
        // something the operator never typed.
        TextCase{"NoBreakSpaceInBig5", QString(QChar(0x00A0)), ChineseBIG5, std::nullopt}),
    [](const ::testing::TestParamInfo<TextCase> &param) { return std::string(param.param.name); });

} // namespace
} // namespace vr

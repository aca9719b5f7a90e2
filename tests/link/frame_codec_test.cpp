#include "link/frame_codec.h"

#include <gtest/gtest.h>

namespace vr {
namespace {

struct CrcCase {
    const char *name;
    std::string bytes;
    std::uint16_t crc;
};

class FrameCrcTest : public ::testing::TestWithParam<CrcCase> {};

TEST_P(FrameCrcTest, MatchesCheckValue) {
    EXPECT_EQ(FrameCrc(GetParam().bytes), GetParam().crc);
}

INSTANTIATE_TEST_SUITE_P(CheckValues, FrameCrcTest,
                         ::testing::Values(CrcCase{"Check", "123456789", 0xBB3D},
                                           CrcCase{"ProbeScan",
                                                   std::string("\x01"
                                                               "000AS\x02"),
                                                   0x11B7},
                                           CrcCase{"ProbeController001",
                                                   std::string("\x01"
                                                               "001AS\x02"),
                                                   0xEDB6},
                                           CrcCase{"EmptyRequest", std::string("\x01\x02"), 0x5180},
                                           CrcCase{"MinimalReply",
                                                   std::string("\x03"
                                                               "0000\x04"),
                                                   0xFB5A},
                                           CrcCase{"Empty", std::string(), 0x0000}),
                         [](const auto &row) { return std::string(row.param.name); });

TEST(HexByte, UpperCaseHighNibbleFirst) {
    const auto check = [](std::uint8_t value, const char *digits) {
        const auto pair = HexByte(value);
        EXPECT_EQ(std::string(pair.begin(), pair.end()), digits) << int(value);
    };
    check(0x0A, "0A");
    check(0xFF, "FF");
    check(0x00, "00");
    check(0xB7, "B7");
}

TEST(RequestFrame, ProbeGoesOutAsTwelveBytes) {
    EXPECT_EQ(RequestCrc("000AS"), 0x11B7);
    EXPECT_EQ(RequestCrc("001AS"), 0xEDB6);
    EXPECT_EQ(RequestCrc(""), 0x5180);
    EXPECT_EQ(RequestFrame("000AS"), std::string("\x01"
                                                 "000AS\x02"
                                                 "11B7\r"));
}

TEST(RequestFrame, BodyLengthIsAnEightBitCount) {
    const std::string body(256 + 5, 'A');
    EXPECT_EQ(RequestCrc(body), RequestCrc(body.substr(256)));
}

struct ReplyCase {
    const char *name;
    std::string reply;
    bool ok;
};

class ReplyCrcOkTest : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(ReplyCrcOkTest, JudgesDigitsAfterFirstEot) {
    EXPECT_EQ(ReplyCrcOk(GetParam().reply), GetParam().ok);
}

INSTANTIATE_TEST_SUITE_P(Replies, ReplyCrcOkTest,
                         ::testing::Values(ReplyCase{"WellFormed",
                                                     std::string("\x03"
                                                                 "0000\x04"
                                                                 "FB5A\r"),
                                                     true},
                                           ReplyCase{"LowerCaseDigits",
                                                     std::string("\x03"
                                                                 "0000\x04"
                                                                 "fb5a\r"),
                                                     false},
                                           ReplyCase{"WrongDigits",
                                                     std::string("\x03"
                                                                 "0000\x04"
                                                                 "FB5B\r"),
                                                     false},
                                           ReplyCase{"CrInPlaceOfThirdDigit",
                                                     std::string("\x03"
                                                                 "0000\x04"
                                                                 "FB\r"),
                                                     false},
                                           ReplyCase{"NoEot",
                                                     std::string("\x03"
                                                                 "0000FB5A\r"),
                                                     false},
                                           ReplyCase{"ExtraBytesBeforeCr",
                                                     std::string("\x03"
                                                                 "0000\x04"
                                                                 "FB5Axyz\r"),
                                                     true},
                                           ReplyCase{"BuiltFrame", ReplyFrame("001AB12345678"),
                                                     true},
                                           ReplyCase{"Empty", std::string(), false}),
                         [](const auto &row) { return std::string(row.param.name); });

TEST(ReplyFrame, HasTheReplyLayout) {
    const std::string frame = ReplyFrame("00100"
                                         "12345678");
    ASSERT_EQ(frame.size(), 20u);
    EXPECT_EQ(frame.front(), '\x03');
    EXPECT_EQ(frame[14], '\x04');
    EXPECT_EQ(frame.back(), '\r');
}

} // namespace
} // namespace vr

#include <functional>

#include <gtest/gtest.h>

#include "sim/model_test_support.h"

namespace vr::sim::test {
namespace {

constexpr Micros kAt = 5'000'000; // five seconds after the controller's clock was started

ControllerOptions fixedOptions() {
    ControllerOptions options;
    options.clockStart = *ClockTime::parse("20050301140509");
    options.inputs = *InputPattern::parse("fixed:101101");
    return options;
}

// --- every command code: its reply and what it changes -----------------------------------------

struct CommandCase {
    const char *name;
    std::string body;
    std::string data; // data characters of the reply
    std::function<bool(const ControllerModel &)> effect = [](const ControllerModel &) {
        return true;
    };
};

class CommandTest : public ::testing::TestWithParam<CommandCase> {};

TEST_P(CommandTest, RepliesWithItsDataAndActs) {
    ControllerModel model(fixedOptions());
    const CommandCase &c = GetParam();
    const Reply reply = exchange(model, c.body, kAt);
    EXPECT_EQ(reply.bytes, okReply("001", c.data));
    EXPECT_EQ(reply.bytes.size(), 12 + c.data.size());
    EXPECT_TRUE(ReplyCrcOk(reply.bytes));
    EXPECT_TRUE(c.effect(model));
}

const std::string kClock = "20050301140514"; // start + 5 s

INSTANTIATE_TEST_SUITE_P(
    EveryCode, CommandTest,
    ::testing::Values(
        CommandCase{"ProbeToZero", "000AS", "12345678"},
        CommandCase{"ProbeToOwn", "001AS", "12345678"}, CommandCase{"Version", "001AV", "03.22-01"},
        CommandCase{"Clock", "001AB", kClock}, CommandCase{"Width", "001AF", "32"},
        CommandCase{"SetWidth", "001AF40", "",
                    [](const ControllerModel &m) { return m.state().cardWidth == "40"; }},
        CommandCase{"SetClock", "001AA20240229235959", "",
                    [](const ControllerModel &m) {
                        return m.clockAt(kAt + 2'500'000).digits() == "20240301000001";
                    }},
        CommandCase{"Alarm", "001JF3", "",
                    [](const ControllerModel &m) { return m.state().alarmKind == 3; }},
        CommandCase{"AddCard", "001HA00010012345678100001", "",
                    [](const ControllerModel &m) {
                        return m.state().cards == std::vector<std::string>{"0012345678"} &&
                               m.records().size() == 1;
                    }},
        CommandCase{"AddEmptyCard", "001HA0001100001", "",
                    [](const ControllerModel &m) {
                        return m.state().cards == std::vector<std::string>{""};
                    }},
        CommandCase{"CardType", "001CJ2", "",
                    [](const ControllerModel &m) { return m.state().cardType == 2; }},
        CommandCase{"TestOn", "001CG1", "",
                    [](const ControllerModel &m) { return m.state().testMode; }},
        CommandCase{"Poll", "001IE", kClock + "00" + "1011"},
        CommandCase{"DropRecordWhenNone", "001IB", ""}, CommandCase{"Inputs7And8", "001DF", "01"},
        CommandCase{"EndTest", "001JE", ""},
        CommandCase{"Output2On", "001JD21", "",
                    [](const ControllerModel &m) {
                        return m.state().outputs == std::array<bool, 3>{false, true, false};
                    }},
        CommandCase{"Debounce8", "001DB850", "",
                    [](const ControllerModel &m) { return m.state().inputDebounce[5] == 50; }},
        CommandCase{"BaudRate", "001AE7", ""}, CommandCase{"FactoryDefault", "001AI", ""},
        CommandCase{"SetId", "001AD12345678005", ""}),
    [](const ::testing::TestParamInfo<CommandCase> &param) { return param.param.name; });

// --- requests that go unanswered and change nothing --------------------------------------------

class IgnoredTest : public ::testing::TestWithParam<std::string> {};

TEST_P(IgnoredTest, NoReplyAndNoChange) {
    ControllerModel model(fixedOptions());
    model.state().outputs = {true, false, true};
    const ControllerState before = model.state();
    model.receive(GetParam(), kAt);
    EXPECT_FALSE(model.nextDue().has_value());
    EXPECT_EQ(model.state().address, before.address);
    EXPECT_EQ(model.state().cardWidth, before.cardWidth);
    EXPECT_EQ(model.state().outputs, before.outputs);
    EXPECT_EQ(model.clockAt(kAt), *ClockTime::parse("20050301140514"));
    EXPECT_EQ(model.lineModeIndex(kAt + 1'000'000), kDefaultLineModeIndex);
}

std::string withBadCrc(const std::string &body) {
    std::string frame = RequestFrame(body);
    frame[frame.size() - 2] = frame[frame.size() - 2] == '0' ? '1' : '0';
    return frame;
}

INSTANTIATE_TEST_SUITE_P(
    Requests, IgnoredTest,
    ::testing::Values(
        RequestFrame("002AS"), RequestFrame("01AS"), RequestFrame("001"), withBadCrc("001AS"),
        withBadCrc("001AF24"),
        [] { // lower-case CRC digits ("EDB6") are not what the program sends
            std::string frame = RequestFrame("001AS");
            for (std::size_t i = frame.size() - 5; i < frame.size() - 1; ++i)
                frame[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(frame[i])));
            return frame;
        }(),
        RequestFrame("001AS").substr(0, 10), // no CR yet
        RequestFrame("001AF33"), RequestFrame("001AF2"), RequestFrame("001AA2005030114050"),
        RequestFrame("001AA20050230120000"), RequestFrame("001AA20051301120000"),
        RequestFrame("001JF7"), RequestFrame("001HA0001123"), RequestFrame("001AE"),
        RequestFrame("001AEC"), RequestFrame("001AD87654321005"), RequestFrame("001AD1234567805"),
        RequestFrame("001CJ3"), RequestFrame("001CG2"), RequestFrame("001JD41"),
        RequestFrame("001JD2"), RequestFrame("001DB550"), RequestFrame("001DB15"),
        RequestFrame("001XX"), RequestFrame("001as"), RequestFrame("001ASX"),
        RequestFrame("001IE1")));

// --- framing -----------------------------------------------------------------------------------

TEST(RequestParser, TakesAFrameFedByteByByteThroughNoise) {
    ControllerModel model(fixedOptions());
    const std::string bytes = std::string("\x0D\x03noise") + "\x01" + "9" + RequestFrame("001AV");
    Micros at = kAt;
    for (char c : bytes) { // each byte alone, 1 ms apart; the stray SOH restarts the frame
        model.receive(std::string(1, c), at);
        at += 1000;
    }
    std::uint8_t byte = 0;
    Micros due = 0;
    std::string reply;
    while (model.nextByte(at + 1'000'000, byte, due))
        reply += static_cast<char>(byte);
    EXPECT_EQ(reply, okReply("001", "03.22-01"));
    EXPECT_EQ(model.heard(), std::vector<std::string>{"001AV"});
}

TEST(RequestParser, AnswersEveryAddressThatIsItsOwnAfterAChange) {
    ControllerOptions options = fixedOptions();
    options.state.address = "123";
    ControllerModel model(options);
    EXPECT_EQ(exchange(model, "000AS", kAt).bytes, okReply("123", "12345678"));
    EXPECT_EQ(exchange(model, "123AF", kAt).bytes, okReply("123", "32"));
    EXPECT_TRUE(exchange(model, "001AS", kAt).bytes.empty());
}

TEST(RequestParser, QueuesBackToBackRequestsOneAfterTheOther) {
    ControllerModel model(fixedOptions());
    model.receive(RequestFrame("001AS") + RequestFrame("001AV"), kAt);
    std::uint8_t byte = 0;
    Micros due = 0;
    std::string bytes;
    std::vector<Micros> times;
    while (model.nextByte(kAt + 1'000'000, byte, due)) {
        bytes += static_cast<char>(byte);
        times.push_back(due);
    }
    EXPECT_EQ(bytes, okReply("001", "12345678") + okReply("001", "03.22-01"));
    ASSERT_EQ(times.size(), 40u);
    for (std::size_t i = 1; i < times.size(); ++i)
        EXPECT_GT(times[i], times[i - 1]);
}

// --- commands whose effects come after their reply ---------------------------------------------

TEST(LineModeSwitch, TakesEffectWhenTheReplyIsOut) {
    ControllerModel model(fixedOptions());
    const Reply reply = exchange(model, "001AE2", kAt);
    ASSERT_EQ(reply.bytes, okReply("001", ""));
    // The reply went out at 19200 e: 11 bits a byte, after the 2 ms turnaround.
    EXPECT_EQ(reply.due.back(), kAt + 2000 + 12 * 11 * 1'000'000 / 19200);
    EXPECT_EQ(model.lineModeIndex(reply.due.back()), 5);
    EXPECT_EQ(model.lineModeIndex(reply.due.back() + 1), 2);
    // The next reply is paced at 9600 n: 10 bits a byte.
    const Reply next = exchange(model, "001AS", kAt + 1'000'000);
    EXPECT_EQ(next.due[1] - next.due[0], 1042u);
}

TEST(SetId, ChangesTheAddressAfterReplyingWithTheOldOne) {
    ControllerModel model(fixedOptions());
    EXPECT_EQ(exchange(model, "001AD12345678005", kAt).bytes, okReply("001", ""));
    EXPECT_EQ(model.state().address, "005");
    EXPECT_TRUE(exchange(model, "001AS", kAt + 1'000'000).bytes.empty());
    EXPECT_EQ(exchange(model, "005AS", kAt + 2'000'000).bytes, okReply("005", "12345678"));
    EXPECT_EQ(exchange(model, "000AS", kAt + 3'000'000).bytes, okReply("005", "12345678"));
}

TEST(FactoryDefault, RestoresSettingsButKeepsIdentityAndClock) {
    ControllerOptions options = fixedOptions();
    options.state.address = "042";
    options.state.serial = "87654321";
    options.state.lineModeIndex = 11;
    ControllerModel model(options);
    exchange(model, "042AF24", kAt);
    exchange(model, "042CJ1", kAt);
    exchange(model, "042HA00011234100001", kAt);
    exchange(model, "042JD11", kAt);
    const Reply reply = exchange(model, "042AI", kAt);
    ASSERT_EQ(reply.bytes, okReply("042", "")); // still the old address in its reply
    const ControllerState &state = model.state();
    EXPECT_EQ(state.address, "001");
    EXPECT_EQ(state.serial, "87654321");
    EXPECT_EQ(state.firmware, "03.22-01");
    EXPECT_EQ(state.cardWidth, "32");
    EXPECT_EQ(state.cardType, 0);
    EXPECT_TRUE(state.cards.empty());
    EXPECT_TRUE(model.records().empty());
    EXPECT_EQ(state.outputs, (std::array<bool, 3>{}));
    EXPECT_EQ(model.lineModeIndex(reply.due.back()), 11);
    EXPECT_EQ(model.lineModeIndex(reply.due.back() + 1), kDefaultLineModeIndex);
    EXPECT_EQ(model.clockAt(kAt).digits(), "20050301140514");
}

TEST(TrailingRecord, AppearsPerAddedCardAndIsDroppedByIB) {
    ControllerModel model(fixedOptions());
    exchange(model, "001HA00010012345678100001", kAt);
    exchange(model, "001HA0001ABC100001", kAt);

    const Reply first = exchange(model, "001IE", kAt);
    ASSERT_EQ(first.bytes.size(), 52u);
    EXPECT_TRUE(ReplyCrcOk(first.bytes));
    // Positions count from 1 at the ETX: 27-40, 41-44, 45-46.
    EXPECT_EQ(first.bytes.substr(26, 14), "00000012345678");
    EXPECT_EQ(first.bytes.substr(40, 4), "0001");
    EXPECT_EQ(first.bytes.substr(44, 2), "01");
    EXPECT_EQ(first.bytes[46], static_cast<char>(EOT));

    EXPECT_EQ(exchange(model, "001IE", kAt).bytes, first.bytes); // IE alone keeps it
    exchange(model, "001IB", kAt);
    const Reply second = exchange(model, "001IE", kAt);
    ASSERT_EQ(second.bytes.size(), 52u);
    EXPECT_EQ(second.bytes.substr(26, 14), "00000000000ABC");
    exchange(model, "001IB", kAt);
    const Reply last = exchange(model, "001IE", kAt);
    EXPECT_EQ(last.bytes.size(), 32u);
    EXPECT_EQ(last.bytes[26], static_cast<char>(EOT));
}

TEST(TrailingRecord, KeepsItsPayloadPrintableAndItsWidth) {
    EXPECT_EQ(ControllerModel::swipeRecord("12345678901234567"), "45678901234567000101");
    EXPECT_EQ(ControllerModel::swipeRecord(std::string("1\x04\r", 3)), "000000000001??000101");
}

// --- clock and inputs over time ----------------------------------------------------------------

TEST(Clock, RunsWithThePassedTimeAcrossDateBoundaries) {
    ControllerOptions options;
    options.clockStart = *ClockTime::parse("20231231235958");
    ControllerModel model(options);
    EXPECT_EQ(model.clockAt(1'999'999).digits(), "20231231235959");
    EXPECT_EQ(model.clockAt(2'000'000).digits(), "20240101000000");
    model.setClock(*ClockTime::parse("20240228235959"), 10'000'000);
    EXPECT_EQ(model.clockAt(11'000'000).digits(), "20240229000000");
    EXPECT_EQ(model.clockAt(10'000'000 + 86'401'000'000).digits(), "20240301000000");
}

TEST(Clock, ParsesOnlyRealDates) {
    for (const char *good : {"20000229000000", "19991231235959", "00010101000000"}) {
        const auto time = ClockTime::parse(good);
        ASSERT_TRUE(time) << good;
        EXPECT_EQ(time->digits(), good);
        EXPECT_EQ(ClockTime::fromSeconds(time->toSeconds()), *time) << good;
    }
    for (const char *bad :
         {"19000229000000", "20050431000000", "20050300000000", "20050301240000", "20050301006000",
          "20050301000060", "2005030100000", "2005030100000x", "200503010000000"})
        EXPECT_FALSE(ClockTime::parse(bad)) << bad;
}

TEST(Inputs, FollowThePatternChosen) {
    ControllerOptions options;
    options.inputs = *InputPattern::parse("walk:250");
    ControllerModel model(options);
    for (Micros step = 0; step < 8; ++step) {
        std::array<bool, 6> expected{};
        expected[step % 6] = true;
        EXPECT_EQ(model.inputsAt(step * 250'000 + 1000), expected) << step;
    }
    // Inputs 1 to 4 go into the poll reply, 7 and 8 into DF.
    const Reply poll = exchange(model, "001IE", 3 * 250'000);
    EXPECT_EQ(poll.bytes.substr(22, 4), "0001");
    const Reply inputs = exchange(model, "001DF", 5 * 250'000);
    EXPECT_EQ(inputs.bytes.substr(6, 2), "01");

    model.setInputPattern(*InputPattern::parse("loopback"));
    exchange(model, "001JD11", kAt);
    exchange(model, "001JD31", kAt);
    EXPECT_EQ(exchange(model, "001IE", kAt).bytes.substr(22, 4), "1010");
    exchange(model, "001JD", kAt);
    EXPECT_EQ(exchange(model, "001IE", kAt).bytes.substr(22, 4), "0000");
}

TEST(Inputs, PatternTextsParseOrAreRefused) {
    EXPECT_EQ(InputPattern::parse("walk")->periodMs, 1000u);
    EXPECT_EQ(InputPattern::parse("walk:40")->periodMs, 40u);
    const auto fixed = InputPattern::parse("fixed:100001");
    ASSERT_TRUE(fixed);
    EXPECT_EQ(fixed->fixed, (std::array<bool, 6>{true, false, false, false, false, true}));
    EXPECT_EQ(InputPattern::parse("loopback")->kind, InputPattern::Kind::Loopback);
    for (const char *bad : {"", "walk:", "walk:0", "walk:x", "fixed", "fixed:10101",
                            "fixed:1010102", "fixed:10a010", "loopback:1", "random"})
        EXPECT_FALSE(InputPattern::parse(bad)) << bad;
}

} // namespace
} // namespace vr::sim::test

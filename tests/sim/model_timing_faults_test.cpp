#include <algorithm>
#include <functional>

#include <gtest/gtest.h>

#include "sim/model_test_support.h"

namespace vr::sim::test {
namespace {

constexpr Micros kAt = 7'000'000;

// --- pacing at the wire rate of the line mode --------------------------------------------------

struct PacingCase {
    const char *name;
    int lineMode;
    std::uint32_t turnaroundMicros;
    Micros firstDue; // after the request's CR
    Micros lastDue;
};

class PacingTest : public ::testing::TestWithParam<PacingCase> {};

TEST_P(PacingTest, ProbeReplyBytesAreDueAtTheWireRateAfterTheTurnaround) {
    const PacingCase &c = GetParam();
    ControllerOptions options;
    options.state.lineModeIndex = c.lineMode;
    options.turnaroundMicros = c.turnaroundMicros;
    ControllerModel model(options);
    const Reply reply = exchange(model, "000AS", kAt);
    ASSERT_EQ(reply.bytes.size(), 20u);
    EXPECT_EQ(reply.due.front() - kAt, c.firstDue);
    EXPECT_EQ(reply.due.back() - kAt, c.lastDue);
    EXPECT_TRUE(std::is_sorted(reply.due.begin(), reply.due.end()));

    // Nothing is handed out before it is due.
    ControllerModel again(options);
    again.receive(RequestFrame("000AS"), kAt);
    std::uint8_t byte = 0;
    Micros due = 0;
    EXPECT_FALSE(again.nextByte(kAt + c.firstDue - 1, byte, due));
    EXPECT_TRUE(again.nextByte(kAt + c.firstDue, byte, due));
    EXPECT_EQ(byte, ETX);
}

INSTANTIATE_TEST_SUITE_P(
    LineModes, PacingTest,
    ::testing::Values(PacingCase{"At19200EvenDefault", 5, 2000, 2573, 13459},
                      PacingCase{"At9600None", 2, 2000, 3042, 22834},
                      PacingCase{"At4800None", 0, 2000, 4084, 43667},
                      PacingCase{"At115200NoneNoTurnaround", 10, 0, 87, 1737},
                      PacingCase{"At115200EvenLongTurnaround", 11, 5000, 5096, 6910}),
    [](const ::testing::TestParamInfo<PacingCase> &param) { return param.param.name; });

TEST(Pacing, AReplyNeverOverlapsTheOneStillGoingOut) {
    ControllerModel model;
    model.receive(RequestFrame("001IE"), kAt);
    model.receive(RequestFrame("001AS"), kAt + 1000); // heard while the first is going out
    std::uint8_t byte = 0;
    Micros due = 0;
    std::vector<Micros> times;
    while (model.nextByte(kAt + 1'000'000, byte, due))
        times.push_back(due);
    ASSERT_EQ(times.size(), 52u);
    EXPECT_GE(times[32], times[31] + 572); // a whole byte time after the first reply's CR
    EXPECT_TRUE(std::is_sorted(times.begin(), times.end()));
}

// --- faults that change every reply ------------------------------------------------------------

struct FaultCase {
    const char *name;
    const char *fault;
    const char *body;
    std::function<void(const Reply &, const std::string &good)> check;
};

class ReplyFaultTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(ReplyFaultTest, ShapesTheReply) {
    const FaultCase &c = GetParam();
    ControllerModel model;
    const auto fault = Fault::parse(c.fault);
    ASSERT_TRUE(fault) << c.fault;
    model.addFault(*fault);
    const Reply reply = exchange(model, c.body, kAt);
    ControllerModel clean;
    c.check(reply, exchange(clean, c.body, kAt).bytes);

    // Until the fault is cleared it shapes every reply; then the replies are good again.
    const Reply second = exchange(model, c.body, kAt + 2'000'000);
    EXPECT_EQ(second.bytes.size(), reply.bytes.size());
    model.clearFaults();
    const Reply healed = exchange(model, c.body, kAt + 4'000'000);
    EXPECT_TRUE(ReplyCrcOk(healed.bytes));
    EXPECT_EQ(healed.bytes.front(), static_cast<char>(ETX));
}

std::string digitsOf(const std::string &frame) {
    return frame.substr(frame.find('\x04') + 1, 4);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ReplyFaultTest,
    ::testing::Values(
        FaultCase{"WrongCrc", "bad-crc", "001AS",
                  [](const Reply &r, const std::string &good) {
                      EXPECT_EQ(r.bytes.size(), 20u);
                      EXPECT_FALSE(ReplyCrcOk(r.bytes));
                      EXPECT_NE(digitsOf(r.bytes), digitsOf(good));
                      EXPECT_EQ(r.bytes.substr(0, 15), good.substr(0, 15));
                  }},
        FaultCase{"LowerCaseCrc", "lower-crc", "001AS",
                  [](const Reply &r, const std::string &) {
                      EXPECT_EQ(r.bytes.size(), 20u);
                      EXPECT_FALSE(ReplyCrcOk(r.bytes));
                      std::string upper = r.bytes;
                      std::transform(upper.begin() + 15, upper.end(), upper.begin() + 15,
                                     [](char ch) { return static_cast<char>(std::toupper(ch)); });
                      EXPECT_NE(upper, r.bytes); // there was a letter to lower
                      EXPECT_TRUE(ReplyCrcOk(upper));
                      EXPECT_EQ(r.bytes.substr(6, 8), "12345678");
                  }},
        FaultCase{"NoiseBeforeEtx", "noise=9", "001AV",
                  [](const Reply &r, const std::string &good) {
                      ASSERT_EQ(r.bytes.size(), 9 + good.size());
                      EXPECT_EQ(r.bytes.substr(9), good);
                      EXPECT_EQ(r.bytes.substr(0, 9).find_first_of("\x03\x04\x0D"),
                                std::string::npos);
                  }},
        FaultCase{"SplitWithPause", "split=120", "001AS",
                  [](const Reply &r, const std::string &good) {
                      EXPECT_EQ(r.bytes, good);
                      EXPECT_GE(r.due[10] - r.due[9], 120'000u);
                      EXPECT_LT(r.due[9] - r.due[8], 1000u);
                  }},
        FaultCase{"LaterThanTheLimit", "late", "001AS",
                  [](const Reply &r, const std::string &good) {
                      EXPECT_EQ(r.bytes, good);
                      EXPECT_GT(r.due.front() - kAt, 350'000u);
                  }},
        FaultCase{"ShortProbe", "probe-length=19", "000AS",
                  [](const Reply &r, const std::string &) {
                      EXPECT_EQ(r.bytes.size(), 19u);
                      EXPECT_TRUE(ReplyCrcOk(r.bytes));
                  }},
        FaultCase{"LongProbe", "probe-length=21", "001AS",
                  [](const Reply &r, const std::string &) {
                      EXPECT_EQ(r.bytes.size(), 21u);
                      EXPECT_TRUE(ReplyCrcOk(r.bytes));
                  }},
        FaultCase{"ProbeLengthLeavesOtherReplies", "probe-length=21", "001AV",
                  [](const Reply &r, const std::string &good) { EXPECT_EQ(r.bytes, good); }},
        FaultCase{"FloodWithoutCr", "flood", "001AS",
                  [](const Reply &r, const std::string &) {
                      EXPECT_EQ(r.bytes.size(), 1100u);
                      EXPECT_EQ(r.bytes.find('\x0D'), std::string::npos);
                  }}),
    [](const ::testing::TestParamInfo<FaultCase> &param) { return param.param.name; });

// --- faults that use themselves up -------------------------------------------------------------

TEST(DropFault, TheNextRequestsGoUnheardThenAllIsWell) {
    ControllerModel model;
    model.addFault(*Fault::parse("drop=3"));
    EXPECT_TRUE(exchange(model, "001AS", kAt).bytes.empty());
    EXPECT_TRUE(exchange(model, "001AF40", kAt).bytes.empty());
    EXPECT_EQ(model.state().cardWidth, "32");                 // an unheard request changes nothing
    EXPECT_TRUE(exchange(model, "002AS", kAt).bytes.empty()); // not its own: does not count
    EXPECT_TRUE(exchange(model, "001IE", kAt).bytes.empty());
    EXPECT_EQ(exchange(model, "001AS", kAt).bytes.size(), 20u);
}

TEST(HangUpFault, TheLineGoesAtTheChosenRequest) {
    ControllerModel model;
    model.addFault(*Fault::parse("hangup=1"));
    EXPECT_EQ(exchange(model, "001AS", kAt).bytes.size(), 20u);
    EXPECT_FALSE(model.hungUp());
    EXPECT_TRUE(exchange(model, "001AS", kAt + 1'000'000).bytes.empty());
    EXPECT_TRUE(model.hungUp());
    EXPECT_TRUE(exchange(model, "001AS", kAt + 2'000'000).bytes.empty());
    model.restoreLine();
    EXPECT_EQ(exchange(model, "001AS", kAt + 3'000'000).bytes.size(), 20u);
}

TEST(FaultNames, ParseWithTheirArgumentsOrAreRefused) {
    struct Row {
        const char *text;
        Fault::Kind kind;
        int argument;
    };
    for (const Row &row :
         {Row{"drop", Fault::Kind::Drop, 1}, Row{"drop=4", Fault::Kind::Drop, 4},
          Row{"bad-crc", Fault::Kind::BadCrc, 0}, Row{"lower-crc", Fault::Kind::LowerCrc, 0},
          Row{"noise=3", Fault::Kind::Noise, 3}, Row{"split", Fault::Kind::Split, 100},
          Row{"late=500", Fault::Kind::Late, 500},
          Row{"probe-length=21", Fault::Kind::ProbeLength, 21},
          Row{"flood=2048", Fault::Kind::Flood, 2048}, Row{"hangup", Fault::Kind::HangUp, 0}}) {
        const auto fault = Fault::parse(row.text);
        ASSERT_TRUE(fault) << row.text;
        EXPECT_EQ(fault->kind, row.kind) << row.text;
        EXPECT_EQ(fault->argument, row.argument) << row.text;
        EXPECT_TRUE(std::string(row.text).starts_with(Fault::name(row.kind)));
    }
    for (const char *bad : {"", "drop=", "drop=0", "drop=-1", "drop=x", "probe-length=20",
                            "probe-length=18", "bad-crc=2", "hang-up", "Drop", "late=99999"})
        EXPECT_FALSE(Fault::parse(bad)) << bad;
}

} // namespace
} // namespace vr::sim::test

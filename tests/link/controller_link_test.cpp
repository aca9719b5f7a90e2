#include "link/controller_link.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cctype>
#include <optional>

#include "link/exchange_trace.h"
#include "link/frame_codec.h"
#include "support/scripted_device.h"
#include "support/silent_device.h"
#include "support/virtual_platform.h"

namespace vr {
namespace {

using test::ScriptedDevice;
using test::SilentDevice;
using test::VirtualPlatform;
using Kind = VirtualPlatform::Event::Kind;
using Piece = ScriptedDevice::Piece;

constexpr int kPort = 1;
constexpr const char *kMode = "19200,e,8,1";
// The request frame's pauses: SOH 1 ms, body 5 ms, STX 1 ms, four digits 1 ms each, CR 1 ms.
constexpr std::uint64_t kRequestMicros = 12'000;

std::string bytes(std::initializer_list<std::string> parts) {
    std::string joined;
    for (const auto &part : parts)
        joined += part;
    return joined;
}
const std::string kEtx(1, '\x03');
const std::string kEot(1, '\x04');

// A status-probe reply of controller 001: 13 payload bytes, 20 bytes in all.
const std::string kProbeReply = ReplyFrame("0010012345678");
// The reply that every outcome case starts from, so that "LastReply unchanged" is visible.
const std::string kEarlierReply = ReplyFrame("0019987654321");

std::string withCrcDigits(std::string frame, const std::string &digits) {
    frame.replace(frame.find('\x04') + 1, 4, digits);
    return frame;
}

std::string lowerCase(std::string text) {
    for (char &c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

class LinkTest : public ::testing::Test {
protected:
    explicit LinkTest(std::uint64_t startMicros = 0) : platform(startMicros) {
        platform.attach(kPort, device);
    }
    void SetUp() override { ASSERT_TRUE(link.CommOpen(kPort, kMode)); }

    // Runs one exchange and returns its result, its virtual duration in us and its reads.
    struct Run {
        bool result;
        std::uint64_t micros;
        std::size_t reads;
    };
    Run exchange(std::string_view body = "001AS") {
        const auto start = platform.nowMicros();
        const auto reads = platform.readCount();
        const bool result = link.SendCommand(body);
        return {result, platform.nowMicros() - start, platform.readCount() - reads};
    }

    VirtualPlatform platform;
    ScriptedDevice device;
    ControllerLink link{platform};
};

// ---- Every outcome of an exchange ----------------------------------------------------------

struct OutcomeCase {
    const char *name;
    ScriptedDevice::Reply reply;
    bool result;
    int replyLength;
    std::optional<std::string> lastReply; // nothing: the earlier reply stays
    const char *end;                      // how the trace names the ending
};

// Keeps what an observer of the link is told.
class RecordingObserver : public ExchangeObserver {
public:
    struct Exchange {
        std::string request, received, end;
    };
    void portOpened(int port, std::string_view, std::uint32_t,
                    const PortOpenFailure *failure) override {
        events.push_back("open " + std::to_string(port) + (failure ? " failed" : ""));
    }
    void exchanged(const ExchangeRecord &record) override {
        exchanges.push_back({std::string(record.request), std::string(record.received),
                             ExchangeTrace::EndText(record)});
        events.push_back("exchange");
    }
    void portClosed(int port, std::uint32_t) override {
        events.push_back("close " + std::to_string(port));
    }
    std::vector<Exchange> exchanges;
    std::vector<std::string> events;
};

class ExchangeOutcome : public LinkTest, public ::testing::WithParamInterface<OutcomeCase> {};

TEST_P(ExchangeOutcome, LeavesResultLengthAndLastReply) {
    const OutcomeCase &row = GetParam();
    device.answerNext(kEarlierReply);
    ASSERT_TRUE(link.SendCommand("000AS"));
    ASSERT_EQ(link.LastReply(), kEarlierReply);

    RecordingObserver observer;
    link.setObserver(&observer);
    device.answerNext(row.reply);
    EXPECT_EQ(exchange().result, row.result);
    EXPECT_EQ(link.ReplyLength(), row.replyLength);
    EXPECT_EQ(link.LastReply(), row.lastReply.value_or(kEarlierReply));
    ASSERT_EQ(observer.exchanges.size(), 1u);
    EXPECT_EQ(observer.exchanges[0].end, row.end);
    EXPECT_EQ(observer.exchanges[0].request, RequestFrame("001AS"));
}

std::string probeWithZeroByte() {
    return ReplyFrame(std::string("0010\0"
                                  "12345678",
                                  13));
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ExchangeOutcome,
    ::testing::Values(
        OutcomeCase{"GoodProbe", {{2000, kProbeReply}}, true, 20, kProbeReply, "ok"},
        // 10 bits a byte at 9600 baud: one byte every 1042 us, so some reads come back empty.
        OutcomeCase{"PacedAt9600", {{4000, kProbeReply, 1042}}, true, 20, kProbeReply, "ok"},
        OutcomeCase{"SplitWithPauses",
                    {{2000, kProbeReply.substr(0, 7)}, {150'000, kProbeReply.substr(7)}},
                    true,
                    20,
                    kProbeReply,
                    "ok"},
        OutcomeCase{"FourPayloadBytesAreEnough",
                    {{2000, ReplyFrame("0010")}},
                    true,
                    11,
                    ReplyFrame("0010"),
                    "ok"},
        OutcomeCase{"ExtraBytesBeforeCr",
                    {{2000, kProbeReply.substr(0, 19) + "xy\r"}},
                    true,
                    22,
                    kProbeReply.substr(0, 19) + "xy\r",
                    "ok"},
        OutcomeCase{"NoiseAndEchoBeforeEtx",
                    {{2000, bytes({"\x01"
                                   "001AS\x02"
                                   "ED",
                                   "\x7f\xff", kEot, kProbeReply})}},
                    true,
                    20,
                    kProbeReply,
                    "ok"},
        OutcomeCase{"TwoEtxStartAtTheSecond",
                    {{2000, kEtx + "00" + kProbeReply}},
                    true,
                    20,
                    kProbeReply,
                    "ok"},
        OutcomeCase{"ZeroByteCutsLastReplyOnly",
                    {{2000, probeWithZeroByte()}},
                    true,
                    20,
                    bytes({kEtx, "0010"}),
                    "ok"},
        OutcomeCase{"WrongCrcIsKept",
                    {{2000, withCrcDigits(kProbeReply, "D78D")}},
                    false,
                    20,
                    withCrcDigits(kProbeReply, "D78D"),
                    "wrong CRC"},
        OutcomeCase{"LowerCaseCrcIsKept",
                    {{2000, lowerCase(ReplyFrame("0000"))}},
                    false,
                    11,
                    lowerCase(ReplyFrame("0000")),
                    "wrong CRC"},
        OutcomeCase{"CrBeforeAnyEtxEndsAtOnce",
                    {{2000, "zz\r" + kProbeReply}},
                    false,
                    3,
                    std::nullopt,
                    "malformed frame"},
        OutcomeCase{
            "EotTooClose", {{2000, ReplyFrame("001")}}, false, 10, std::nullopt, "malformed frame"},
        OutcomeCase{"NoEot",
                    {{2000, bytes({kEtx, "0010012345678\r"})}},
                    false,
                    15,
                    std::nullopt,
                    "malformed frame"},
        // An EOT of the noise keeps its position across the ETX, so the short frame reaches the
        // CRC check (and fails it for want of an EOT of its own).
        OutcomeCase{"EotBeforeEtxStillCounts",
                    {{2000, bytes({"zzzzz", kEot, "zz", kEtx, "ab\r"})}},
                    false,
                    4,
                    bytes({kEtx, "ab\r"}),
                    "wrong CRC"},
        OutcomeCase{"LongestFrame",
                    {{2000, ReplyFrame(std::string(1016, 'A'))}},
                    true,
                    1023,
                    ReplyFrame(std::string(1016, 'A')),
                    "ok"},
        OutcomeCase{"CrAsThe1024thByte",
                    {{2000, ReplyFrame(std::string(1017, 'A'))}},
                    false,
                    0,
                    std::nullopt,
                    "1024 bytes"},
        OutcomeCase{"FloodWithoutCr",
                    {{2000, kEtx + std::string(1100, 'A')}},
                    false,
                    0,
                    std::nullopt,
                    "1024 bytes"},
        OutcomeCase{"Silence", {}, false, 0, std::nullopt, "quiet after 301 ms"},
        OutcomeCase{"PartialThenSilence",
                    {{2000, bytes({kEtx, "0010"})}},
                    false,
                    5,
                    std::nullopt,
                    "quiet after 301 ms"},
        // The wait starts 1 ms after the CR is written; the last read that may still bring a
        // byte starts at 300 ms and ends at 301 ms.
        OutcomeCase{"FirstByteJustInTime", {{301'500, kProbeReply}}, true, 20, kProbeReply, "ok"},
        OutcomeCase{"FirstByteTooLate",
                    {{302'500, kProbeReply}},
                    false,
                    0,
                    std::nullopt,
                    "quiet after 301 ms"},
        OutcomeCase{
            "StillArrivingPast300ms", {{290'000, kProbeReply, 1000}}, true, 20, kProbeReply, "ok"},
        OutcomeCase{"QuietPast300ms",
                    {{290'000, kProbeReply.substr(0, 15), 1000}, {310'000, kProbeReply.substr(15)}},
                    false,
                    15,
                    std::nullopt,
                    "quiet after 304 ms"}),
    [](const auto &row) { return std::string(row.param.name); });

// ---- Watching the exchanges ------------------------------------------------------------------

// Every write, sleep and read of a script of exchanges, with its virtual time.
std::vector<std::string> TimedEvents(bool observed) {
    VirtualPlatform platform;
    ScriptedDevice device;
    platform.attach(kPort, device);
    ControllerLink link(platform);
    RecordingObserver observer;
    if (observed)
        link.setObserver(&observer);
    device.answerNext(kProbeReply);
    device.answerNext({{2000, kProbeReply.substr(0, 7)}, {150'000, kProbeReply.substr(7)}});
    device.answerNext(withCrcDigits(kProbeReply, "D78D"));
    link.CommOpen(kPort, kMode);
    for (int i = 0; i < 4; ++i) // the fourth goes unanswered
        link.SendCommand("001AS");
    link.CommClose();
    std::vector<std::string> events;
    for (const auto &event : platform.events())
        events.push_back(std::to_string(static_cast<int>(event.kind)) + "@" +
                         std::to_string(event.micros) + ":" + event.bytes);
    events.push_back("reads " + std::to_string(platform.readCount()));
    return events;
}

TEST(LinkObserver, ChangesNothingInTheTimingOfTheExchanges) {
    EXPECT_EQ(TimedEvents(true), TimedEvents(false));
}

TEST_F(LinkTest, TraceHasALineForEachOpenRequestReplyAndClose) {
    // A file in a folder of the test's own: tmpfile() writes to the drive's root on Windows.
    QTemporaryDir folder;
    std::FILE *file = std::fopen(QFile::encodeName(folder.filePath("trace")).constData(), "w+b");
    ASSERT_NE(file, nullptr);
    {
        ExchangeTrace trace(file, platform.milliseconds());
        link.setObserver(&trace);
        device.answerNext(bytes({"\x7f<", kProbeReply}));
        exchange("001AS");
        exchange("001JF3"); // unanswered
        link.CommClose();
        link.SendCommand("001AS");                     // no port open
        EXPECT_FALSE(link.CommOpen(kPort + 1, kMode)); // nothing behind it
        link.setObserver(nullptr);
    }
    std::rewind(file);
    std::string text(4096, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), file));
    std::fclose(file);
    // A request line carries the time its first byte went out, a reply line the time the
    // exchange ended.
    EXPECT_EQ(text, "        0 ms  -> <SOH>001AS<STX>EDB6<CR>\n"
                    "       13 ms  <- <DEL><x3C><ETX>0010012345678<EOT>D78C<CR>  (ok)\n"
                    "       13 ms  -> <SOH>001JF3<STX>07EB<CR>\n"
                    "      326 ms  <-   (quiet after 301 ms)\n"
                    "      326 ms  COM1 closed\n"
                    "      326 ms  -> <SOH>001AS<STX>EDB6<CR>\n"
                    "      326 ms  <-   (port closed)\n"
                    "      326 ms  COM2 did not open (19200,e,8,1): absent, COM2\n");
}

TEST(LinkTrace, NamesControlBytesAndBytesAboveTheAsciiRange) {
    EXPECT_EQ(ExchangeTrace::NamedBytes(std::string("\0\x01\x1f a<b>\x7f\x80\xff", 11)),
              "<NUL><SOH><US> a<x3C>b><DEL><x80><xFF>");
}

// ---- Writing the request -------------------------------------------------------------------

TEST_F(LinkTest, ProbeGoesOutAsEightPacedWrites) {
    platform.clearEvents();
    exchange("000AS");
    std::vector<std::pair<Kind, std::string>> seen;
    for (const auto &event : platform.events())
        seen.emplace_back(event.kind,
                          event.kind == Kind::Sleep ? std::to_string(event.ms) : event.bytes);
    const std::vector<std::pair<Kind, std::string>> expected = {
        {Kind::Write, "\x01"}, {Kind::Sleep, "1"}, {Kind::Write, "000AS"}, {Kind::Sleep, "5"},
        {Kind::Write, "\x02"}, {Kind::Sleep, "1"}, {Kind::Write, "1"},     {Kind::Sleep, "1"},
        {Kind::Write, "1"},    {Kind::Sleep, "1"}, {Kind::Write, "B"},     {Kind::Sleep, "1"},
        {Kind::Write, "7"},    {Kind::Sleep, "1"}, {Kind::Write, "\r"},    {Kind::Sleep, "1"}};
    EXPECT_EQ(seen, expected);
    ASSERT_EQ(device.requests().size(), 1u);
    EXPECT_EQ(device.requests()[0], RequestFrame("000AS"));
}

TEST_F(LinkTest, BodyLengthIsAnEightBitCount) {
    const std::string body = std::string(256, 'x') + "001AS";
    platform.clearEvents();
    exchange(body);
    const auto writes = platform.eventsOf(Kind::Write);
    ASSERT_EQ(writes.size(), 8u);
    EXPECT_EQ(writes[1].bytes, std::string(5, 'x'));
    EXPECT_EQ(device.requests()[0], RequestFrame(body));
}

// ---- Waiting ---------------------------------------------------------------------------------

TEST_F(LinkTest, SilenceEndsAtTheFirstQuietReadPast300ms) {
    const auto pumpsBefore = platform.pumpCount();
    const Run run = exchange();
    EXPECT_FALSE(run.result);
    EXPECT_EQ(run.micros, kRequestMicros + 301'000);
    EXPECT_EQ(run.reads, 301u);
    EXPECT_EQ(platform.pumpCount() - pumpsBefore, 301u); // a pump after every quiet read
}

TEST_F(LinkTest, PortClosedByAPumpedHandlerEndsTheExchange) {
    platform.onPump = [&] { link.CommClose(); };
    EXPECT_FALSE(exchange().result);
    EXPECT_FALSE(link.isOpen());
}

// ---- What the last exchange leaves on the line ----------------------------------------------

TEST_F(LinkTest, StaleCompleteFrameIsTakenAsTheNextReply) {
    const std::string stale = ReplyFrame("0010099999999");
    device.answerNext({{2000, kProbeReply}, {40'000, stale}});
    ASSERT_TRUE(link.SendCommand("001AS"));
    platform.advanceMicros(100'000);
    device.answerNext(kProbeReply);
    EXPECT_TRUE(link.SendCommand("001AS"));
    EXPECT_EQ(link.LastReply(), stale);
    EXPECT_EQ(device.pendingBytes(), kProbeReply.size()); // the true reply waits its turn
}

TEST_F(LinkTest, StalePartialFrameIsDroppedAtTheNextEtx) {
    // The first exchange times out; the tail of a late reply is on the line before the next.
    device.answerNext({{400'000, kEtx + "0010012"}});
    ASSERT_FALSE(link.SendCommand("001AS"));
    platform.advanceMicros(200'000);
    device.answerNext(kProbeReply);
    EXPECT_TRUE(link.SendCommand("001AS"));
    EXPECT_EQ(link.ReplyLength(), 20);
    EXPECT_EQ(link.LastReply(), kProbeReply);
}

// ---- A clock that wraps during the wait -----------------------------------------------------

class ClockWrap : public LinkTest, public ::testing::WithParamInterface<std::uint32_t> {
protected:
    // The clock starts this many milliseconds before it wraps to 0.
    ClockWrap() {
        platform.setNowMicros((std::uint64_t{1} << 32) * 1000 - std::uint64_t{GetParam()} * 1000);
    }
};

TEST_P(ClockWrap, NeitherStretchesNorCutsTheWait) {
    // A wait that miscounts across the wrap would never end: cut it off after 2 s.
    platform.onPump = [&] {
        if (platform.pumpCount() > 2000)
            link.CommClose();
    };
    const Run silent = exchange();
    EXPECT_FALSE(silent.result);
    EXPECT_EQ(silent.reads, 301u);

    device.answerNext(kProbeReply, 290'000);
    EXPECT_TRUE(exchange().result);
    EXPECT_EQ(link.ReplyLength(), 20);
}

INSTANTIATE_TEST_SUITE_P(StartsBeforeTheWrap, ClockWrap,
                         ::testing::Values(1u, 13u, 150u, 313u, 600u));

// ---- Opening, closing, faults of the port ---------------------------------------------------

TEST(LinkPort, OpenFailsWithNoDeviceOrAHeldOne) {
    VirtualPlatform platform;
    SilentDevice held;
    held.refuseOpen = true;
    platform.attach(2, held);
    ControllerLink link(platform);
    EXPECT_FALSE(link.CommOpen(1, kMode));
    EXPECT_FALSE(link.CommOpen(2, kMode));
    EXPECT_FALSE(link.isOpen());
    EXPECT_FALSE(link.SendCommand("001AS"));
    EXPECT_EQ(link.ReplyLength(), 0);
    EXPECT_TRUE(platform.eventsOf(Kind::Write).empty());
}

TEST_F(LinkTest, SecondOpenIsRefusedAndLeavesTheOpenPortAlone) {
    SilentDevice other;
    platform.attach(2, other);
    EXPECT_FALSE(link.CommOpen(2, "9600,n,8,1"));
    EXPECT_FALSE(link.CommOpen(kPort, kMode));
    EXPECT_EQ(other.opens(), 0);
    EXPECT_TRUE(device.isOpen());
    EXPECT_TRUE(platform.eventsOf(Kind::Close).empty());

    device.answerNext(kProbeReply);
    EXPECT_TRUE(link.SendCommand("001AS"));
    EXPECT_EQ(device.lineMode(), kMode);
}

TEST_F(LinkTest, CloseWithNoPortOpenDoesNothing) {
    link.CommClose();
    link.CommClose();
    EXPECT_FALSE(device.isOpen());
    EXPECT_EQ(platform.eventsOf(Kind::Close).size(), 1u);
    EXPECT_TRUE(link.CommOpen(kPort, kMode));
}

TEST_F(LinkTest, ResultsOutliveThePort) {
    device.answerNext(kProbeReply);
    ASSERT_TRUE(link.SendCommand("001AS"));
    link.CommClose();
    EXPECT_EQ(link.ReplyLength(), 20);
    EXPECT_EQ(link.LastReply(), kProbeReply);
}

struct HangUpCase {
    const char *name;
    ScriptedDevice::Reply reply;
    int replyLength;
};

class HungUpLine : public LinkTest, public ::testing::WithParamInterface<HangUpCase> {};

TEST_P(HungUpLine, EndsOnceTheLimitPassedWithBoundedReads) {
    device.answerNext(GetParam().reply);
    // The line goes at the first quiet moment: cable pulled, or the far end of a pty closed.
    platform.onPump = [&] { device.hangUp = true; };
    const Run run = exchange();
    EXPECT_FALSE(run.result);
    EXPECT_EQ(link.ReplyLength(), GetParam().replyLength);
    EXPECT_LE(run.reads, 302u + GetParam().replyLength);
    EXPECT_EQ(run.micros, kRequestMicros + 301'000);

    link.CommClose();
    EXPECT_FALSE(device.isOpen());
    EXPECT_EQ(platform.eventsOf(Kind::Close).size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Faults, HungUpLine,
                         ::testing::Values(HangUpCase{"BeforeAnyByte", {}, 0},
                                           HangUpCase{
                                               "MidReply", {{2000, kProbeReply.substr(0, 6)}}, 6}),
                         [](const auto &row) { return std::string(row.param.name); });

} // namespace
} // namespace vr

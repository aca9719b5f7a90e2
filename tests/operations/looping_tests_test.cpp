// The auto test and the DIDO test in virtual time. Clicks are delivered from inside the event
// pump, the way the window delivers them, so a Cancel press really re-enters the handler while
// the first call is still running.

#include <algorithm>
#include <deque>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "link/controller_link.h"
#include "link/frame_codec.h"
#include "operations/controller_operations.h"
#include "operations/recording_view.h"
#include "operations/session.h"
#include "support/simulated_device.h"
#include "support/virtual_device.h"
#include "support/virtual_platform.h"

namespace vr::test {
namespace {

using Strings = std::vector<std::string>;

constexpr int kPort = 3;

// A controller that answers by command code, for replies of any shape the tests need. Replies
// start 3 ms after the request's CR, so the link always pumps at least once while it waits.
class PollPeer : public VirtualDevice {
public:
    // Reply frame for a command text (code and arguments), or nothing to stay silent.
    using Answer = std::function<std::optional<std::string>(const std::string &command)>;
    Answer answer;

    bool open(const std::string &) override { return true; }
    void close() override {}
    void write(const std::uint8_t *data, std::size_t count, std::uint64_t nowMicros) override {
        for (std::size_t i = 0; i < count; ++i) {
            request_ += static_cast<char>(data[i]);
            if (data[i] != CR)
                continue;
            const auto stx = request_.find(static_cast<char>(STX));
            const std::string command = request_.substr(4, stx - 4); // after SOH and address
            request_.clear();
            if (const auto reply = answer(command)) {
                std::uint64_t due = nowMicros + 3000;
                for (char byte : *reply)
                    pending_.push_back({due += 500, static_cast<std::uint8_t>(byte)});
            }
        }
    }
    bool nextByte(std::uint64_t untilMicros, std::uint8_t &byte,
                  std::uint64_t &dueMicros) override {
        if (pending_.empty() || pending_.front().first > untilMicros)
            return false;
        dueMicros = pending_.front().first;
        byte = pending_.front().second;
        pending_.pop_front();
        return true;
    }

private:
    std::string request_;
    std::deque<std::pair<std::uint64_t, std::uint8_t>> pending_;
};

// Reply payloads of controller 001: address, two status characters, data.
std::string reply(const std::string &data) {
    return ReplyFrame("00100" + data);
}
const std::string kClock = "20050301140509";
// An IE reply: clock, two unread characters, inputs 1 to 4, optional trailing record.
std::string pollReply(const std::string &inputs, const std::string &record = {}) {
    return reply(kClock + "00" + inputs + record);
}

enum class Kind { Auto, Dido };
std::string kindName(Kind kind) {
    return kind == Kind::Auto ? "Auto" : "Dido";
}
void PrintTo(Kind kind, std::ostream *os) {
    *os << kindName(kind);
}

class LoopingTestsTest : public ::testing::Test {
protected:
    LoopingTestsTest() {
        session.ControllerFound = true;
        session.ControllerID = "001";
        session.settings.ScanCommNo = kPort;
        session.settings.ScanBaudRate = "19200,e,8,1";
        view.beeper = &platform;
        platform.recordPumps = true;
        platform.recordSleeps = true;
        clock.attach(kPort, peer);
        peer.answer = [this](const std::string &command) { return answer(command); };
        clock.onPump = [this] { deliverClicks(); };
    }

    // The peer's default answers: a probe reply, an IE reply from the script (32 bytes when
    // it has run out), inputs 7 and 8, and a short accepted reply to everything else.
    std::optional<std::string> answer(const std::string &command) {
        if (command == "AS")
            return reply("12345678");
        if (command == "IE") {
            if (pollScript.empty())
                return pollReply("0000");
            auto next = pollScript.front();
            pollScript.pop_front();
            return next;
        }
        if (command == "DF")
            return inputReply;
        return reply("");
    }

    void run(Kind kind) { kind == Kind::Auto ? ops.autoTest() : ops.didoTest(); }
    void dump() const {
        for (const auto &e : view.events)
            std::printf("%s\n", e.c_str());
    }

    // The simulated controller in place of the scripted peer.
    void useSimulator() {
        clock.detach(kPort);
        clock.attach(kPort, sim);
    }

    // A click on the test's button, dropped like a real one while the window is locked or the
    // button disabled.
    void press(Kind kind) {
        if (view.locked || !view.testButtonEnabled[kind == Kind::Auto ? 0 : 1]) {
            view.record("click dropped");
            return;
        }
        run(kind);
    }

    // Runs `action` at the first pump at which `when` holds.
    void clickWhen(std::function<bool()> when, std::function<void()> action) {
        clicks.push_back({std::move(when), std::move(action), false});
    }
    // At the first pump after the `n`-th request with this command text (n from 1).
    void clickAfterSent(const std::string &command, int n, std::function<void()> action) {
        clickWhen([this, command, n] { return sentCount(command) >= n; }, std::move(action));
    }

    int sentCount(const std::string &command) const {
        int count = 0;
        for (const auto &event : view.events)
            count += event == "send 001" + command;
        return count;
    }
    // Command texts sent, in order, without the address.
    Strings sent() const {
        Strings found;
        for (const auto &event : view.eventsStartingWith("send 001"))
            found.push_back(event.substr(8));
        return found;
    }
    std::size_t indexOf(const std::string &event, std::size_t from = 0) const {
        for (std::size_t i = from; i < view.events.size(); ++i)
            if (view.events[i] == event)
                return i;
        ADD_FAILURE() << "no event " << event;
        return view.events.size();
    }

    // The events from `from` on as the test sees its own steps: the link's pacing pauses
    // around each request and its pumps while waiting dropped, a request shown by its command
    // text, and each run of PumpPause passes (a pump, then a 2 ms sleep) as "pause N".
    Strings trace(std::size_t from) const {
        const Strings &events = view.events;
        Strings out;
        for (std::size_t i = from; i < events.size(); ++i) {
            const std::string &event = events[i];
            if (event.rfind("send 001", 0) == 0) {
                // Seven paced writes come before the CR at which the request is recorded.
                for (int pacing = 0; pacing < 7 && !out.empty(); ++pacing)
                    out.pop_back();
                out.push_back(event.substr(8));
                if (i + 1 < events.size() && events[i + 1] == "sleep 1")
                    ++i; // the pause after the CR
            } else if (event == "pump") {
                if (i + 1 < events.size() && events[i + 1] == "sleep 2") {
                    ++i;
                    if (!out.empty() && out.back().rfind("pause ", 0) == 0)
                        out.back() = "pause " + std::to_string(std::stoi(out.back().substr(6)) + 1);
                    else
                        out.push_back("pause 1");
                }
            } else {
                out.push_back(event);
            }
        }
        return out;
    }

    Session session;
    VirtualPlatform clock;
    RecordingView view{&session};
    RecordingPlatform platform{clock, view};
    ControllerLink link{platform};
    ControllerOperations controllerOperations{platform, link, session, view, nullptr};
    ViewOperations ops{controllerOperations, view};
    PollPeer peer;
    SimulatedDevice sim;
    std::deque<std::optional<std::string>> pollScript;
    std::optional<std::string> inputReply = reply("00");

private:
    struct Click {
        std::function<bool()> when;
        std::function<void()> action;
        bool done;
    };
    void deliverClicks() {
        for (auto &click : clicks) {
            if (!click.done && click.when()) {
                click.done = true;
                click.action();
            }
        }
    }
    std::vector<Click> clicks;
};

Strings concat(std::initializer_list<Strings> parts) {
    Strings all;
    for (const auto &part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// --- Entry check and start -------------------------------------------------------------------

class EntryTest : public LoopingTestsTest, public ::testing::WithParamInterface<Kind> {};

TEST_P(EntryTest, WithoutControllerOnlyAsksForAScan) {
    session.ControllerFound = false;
    run(GetParam());
    EXPECT_EQ(view.events, (Strings{"status Start Scan Controller!", "beep 300 300"}));
    EXPECT_FALSE(session.TestRunning);
}

TEST_P(EntryTest, StartHoldsTheFrontEndFirstAndGivesItBackLast) {
    clickAfterSent("CG1", 1, [this] { press(GetParam()); });
    run(GetParam());
    const std::string expected = GetParam() == Kind::Auto ? "test auto on" : "test dido on";
    EXPECT_EQ(view.events.front(), expected);
    EXPECT_EQ(view.events.back(), GetParam() == Kind::Auto ? "test auto off" : "test dido off");
    EXPECT_FALSE(session.TestRunning);
    EXPECT_FALSE(session.TestInProgress);
}

INSTANTIATE_TEST_SUITE_P(BothTests, EntryTest, ::testing::Values(Kind::Auto, Kind::Dido),
                         [](const auto &param) { return kindName(param.param); });

// --- Port that cannot be opened --------------------------------------------------------------

struct PortFailureCase {
    std::string name;
    Kind kind;
    int languageNo;
    std::string statusLine;
};
void PrintTo(const PortFailureCase &c, std::ostream *os) {
    *os << c.name;
}

class PortFailureTest : public LoopingTestsTest,
                        public ::testing::WithParamInterface<PortFailureCase> {};

TEST_P(PortFailureTest, ReportsAndRestoresWithoutSending) {
    const PortFailureCase &c = GetParam();
    session.settings.ScanCommNo = 5; // nothing behind port 5
    session.settings.LanguageNo = c.languageNo;
    view.inputLamps = {true, false, true, false, true, false};
    view.outputs = {true, true, true};
    run(c.kind);

    // The test's own open is the last one; in the auto test Set Date Time and Add Card fail
    // to open the port before it.
    const auto opens = view.eventsStartingWith("open ");
    ASSERT_FALSE(opens.empty());
    EXPECT_EQ(opens.back(), "open 5 19200,e,8,1 failed");
    const auto failedOpen = static_cast<std::size_t>(
        std::find(view.events.rbegin(), view.events.rend(), opens.back()).base() -
        view.events.begin() - 1);
    const Strings after(view.events.begin() + static_cast<std::ptrdiff_t>(failedOpen) + 1,
                        view.events.end());
    EXPECT_EQ(after, (Strings{"lamp red", "status " + c.statusLine, "beep 300 300",
                              c.kind == Kind::Auto ? "test auto off" : "test dido off"}));
    if (c.kind == Kind::Dido) {
        EXPECT_TRUE(sent().empty());
    }
    EXPECT_FALSE(session.TestRunning);
    EXPECT_FALSE(session.TestInProgress);
    // Only the frame is reset: boxes and lamps are left as they were.
    EXPECT_EQ(view.inputLamps, (std::array<bool, 6>{true, false, true, false, true, false}));
    EXPECT_EQ(view.outputs, (std::array<bool, 3>{true, true, true}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PortFailureTest,
    ::testing::Values(PortFailureCase{"AutoEnglish", Kind::Auto, 0, "Open COM : 5 Error"},
                      PortFailureCase{"DidoEnglish", Kind::Dido, 0, "Open COM : 5 Error"},
                      PortFailureCase{"DidoSimplifiedChinese", Kind::Dido, 1, "开启串口 : 5 错误"}),
    [](const auto &param) { return param.param.name; });

// --- The whole run, step by step -------------------------------------------------------------

const std::string kRecord = "00000012345678"
                            "0001"
                            "01";

TEST_F(LoopingTestsTest, AutoTestRunsItsStepsInOrderAndSpacing) {
    pollScript = {pollReply("1a01", kRecord)};
    inputReply = reply("10");
    clickAfterSent("IE", 1, [this] { press(Kind::Auto); }); // Cancel; the cycle completes
    ops.autoTest();

    EXPECT_EQ(trace(indexOf("status Auto Test")),
              concat({{"status Auto Test", "open 3 19200,e,8,1 ok", "busy on", "lock off", "CG1",
                       "sleep 50",
                       // the one cycle
                       "pause 50", "IE", "date 2005/03/01  14:05:09", "input 1 on", "input 2 off",
                       "input 3 off", "input 4 on", "status 00000012345678 (0001) (01)", "pause 20",
                       "IB", "sleep 50", "DF", "input 5 on", "input 6 off",
                       // closing
                       "sleep 100", "JE", "sleep 50", "CG0", "sleep 50", "busy off", "lamp yellow",
                       "beep 1000 300", "sleep 30", "untick 1", "untick 2", "untick 3",
                       "input 1 off", "input 2 off", "input 3 off", "input 4 off", "input 5 off",
                       "input 6 off", "JD", "close", "test auto off"}}));
}

TEST_F(LoopingTestsTest, DidoTestRunsItsStepsInOrderAndSpacing) {
    pollScript = {pollReply("0110")};
    inputReply = reply("01");
    clickAfterSent("IE", 1, [this] { press(Kind::Dido); });
    ops.didoTest();

    EXPECT_EQ(
        trace(0),
        concat(
            {{"test dido on", "status DIDO Test", "open 3 19200,e,8,1 ok", "busy on", "lock off",
              "AS", "sleep 50", "DB150", "sleep 50", "DB250", "sleep 50", "DB350", "sleep 50",
              "DB450", "sleep 50", "DB750", "sleep 50", "DB850", "sleep 50", "CG1",
              // the one cycle
              "pause 10", "JD10", "pause 20", "JD20", "pause 20", "JD30", "pause 20", "IE",
              "date 2005/03/01  14:05:09", "input 1 off", "input 2 on", "input 3 on", "input 4 off",
              "sleep 50", "DF", "input 5 off", "input 6 on",
              // closing
              "sleep 100", "JE", "busy off", "lamp yellow", "beep 1000 300", "sleep 30", "untick 1",
              "untick 2", "input 1 off", "input 2 off", "input 3 off", "input 4 off", "input 5 off",
              "input 6 off", "JD", "sleep 50", "CG0", "sleep 50", "close", "test dido off"}}));
}

TEST_F(LoopingTestsTest, AutoTestSetsClockAndAddsCardFirstThenPollsTheSimulator) {
    useSimulator();
    view.cardId = "0012345678";
    clickAfterSent("IE", 3, [this] { press(Kind::Auto); });
    ops.autoTest();

    const Strings statuses = view.eventsStartingWith("status ");
    ASSERT_GE(statuses.size(), 5u);
    EXPECT_EQ(Strings(statuses.begin(), statuses.begin() + 5),
              (Strings{"status Set Date Time", "status Set Date Time Ok",
                       "status Add Card = 0012345678", "status Add Card Ok", "status Auto Test"}));
    // Both operations opened and closed the port themselves; the test held it once more.
    EXPECT_EQ(view.eventsStartingWith("open ").size(), 3u);
    EXPECT_EQ(view.eventsStartingWith("close").size(), 3u);
    EXPECT_EQ(clock.openPorts(), 0u);
    EXPECT_EQ(sim.model().state().cards, Strings{"0012345678"});
    EXPECT_FALSE(sim.model().state().testMode); // CG0 went out
    // The controller's clock was set from the PC (2001/01/01 12:00:00) a moment ago.
    EXPECT_EQ(view.controllerDate.left(17).toStdString(), "2001/01/01  12:00");
    EXPECT_EQ(view.lampColour, LampColour::Yellow);
    EXPECT_EQ(view.events.back(), "test auto off");
}

TEST_F(LoopingTestsTest, CancelDuringTheFirstCommandRunsNoCycleButStillCloses) {
    useSimulator();
    clickAfterSent("CG1", 1, [this] { press(Kind::Auto); });
    ops.autoTest();

    EXPECT_EQ(trace(indexOf("status Auto Test")), concat({{"status Auto Test",
                                                           "open 3 19200,e,8,1 ok",
                                                           "busy on",
                                                           "lock off",
                                                           "CG1",
                                                           "sleep 50",
                                                           "sleep 100",
                                                           "JE",
                                                           "sleep 50",
                                                           "CG0",
                                                           "sleep 50",
                                                           "busy off",
                                                           "lamp yellow",
                                                           "beep 1000 300",
                                                           "sleep 30",
                                                           "untick 1",
                                                           "untick 2",
                                                           "untick 3",
                                                           "input 1 off",
                                                           "input 2 off",
                                                           "input 3 off",
                                                           "input 4 off",
                                                           "input 5 off",
                                                           "input 6 off",
                                                           "JD",
                                                           "close",
                                                           "test auto off"}}));
}

// --- What the poll replies change ------------------------------------------------------------

struct ReplyShapeCase {
    std::string name;
    std::optional<std::string> pollReply;
    std::optional<std::string> inputReply;
    Strings shown; // trace of the cycle, from its IE through its DF and what follows
};
void PrintTo(const ReplyShapeCase &c, std::ostream *os) {
    *os << c.name;
}

class ReplyShapeTest : public LoopingTestsTest,
                       public ::testing::WithParamInterface<ReplyShapeCase> {};

TEST_P(ReplyShapeTest, ChangesOnlyWhatItsLengthCarries) {
    pollScript = {GetParam().pollReply};
    inputReply = GetParam().inputReply;
    clickAfterSent("IE", 1, [this] { press(Kind::Auto); });
    ops.autoTest();

    const Strings all = trace(indexOf("status Auto Test"));
    const auto poll = std::find(all.begin(), all.end(), "IE");
    const auto closing = std::find(all.begin(), all.end(), "sleep 100");
    EXPECT_EQ(Strings(poll, closing), GetParam().shown);
    EXPECT_EQ(view.statusText.toStdString(),
              GetParam().pollReply && GetParam().pollReply->size() == 52
                  ? "ABCDEFGHIJKLMN (0002) (07)"
                  : "Auto Test");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplyShapeTest,
    ::testing::Values(
        // A state character other than "1" (a space, a letter) gives a white lamp.
        ReplyShapeCase{"Poll32",
                       pollReply(" 1x1"),
                       reply("10"),
                       {"IE", "date 2005/03/01  14:05:09", "input 1 off", "input 2 on",
                        "input 3 off", "input 4 on", "sleep 50", "DF", "input 5 on",
                        "input 6 off"}},
        ReplyShapeCase{"Poll52WithRecord",
                       pollReply("1000", "ABCDEFGHIJKLMN000207"),
                       reply("11"),
                       {"IE", "date 2005/03/01  14:05:09", "input 1 on", "input 2 off",
                        "input 3 off", "input 4 off", "status ABCDEFGHIJKLMN (0002) (07)",
                        "pause 20", "IB", "sleep 50", "DF", "input 5 on", "input 6 on"}},
        ReplyShapeCase{"Poll20ShowsNothingButStillReadsInputs",
                       reply("12345678"),
                       reply("01"),
                       {"IE", "sleep 50", "DF", "input 5 off", "input 6 on"}},
        ReplyShapeCase{"InputReply13LeavesLamps",
                       pollReply("0000"),
                       reply("1"),
                       {"IE", "date 2005/03/01  14:05:09", "input 1 off", "input 2 off",
                        "input 3 off", "input 4 off", "sleep 50", "DF"}},
        ReplyShapeCase{"InputReply15LeavesLamps",
                       pollReply("0000"),
                       reply("111"),
                       {"IE", "date 2005/03/01  14:05:09", "input 1 off", "input 2 off",
                        "input 3 off", "input 4 off", "sleep 50", "DF"}},
        ReplyShapeCase{"InputReplyMissingLeavesLamps",
                       pollReply("0000"),
                       std::nullopt,
                       {"IE", "date 2005/03/01  14:05:09", "input 1 off", "input 2 off",
                        "input 3 off", "input 4 off", "sleep 50", "DF"}}),
    [](const auto &param) { return param.param.name; });

// --- Misses ----------------------------------------------------------------------------------

struct MissCase {
    std::string name;
    Kind kind;
    std::deque<std::optional<std::string>> polls; // nothing: no reply
    int expectedPolls;
    int expectedInputReads;
};
void PrintTo(const MissCase &c, std::ostream *os) {
    *os << c.name;
}

class MissTest : public LoopingTestsTest, public ::testing::WithParamInterface<MissCase> {};

TEST_P(MissTest, FourMissesInARowEndTheTestRedWithTheClosingCommands) {
    const MissCase &c = GetParam();
    pollScript = c.polls;
    run(c.kind);

    EXPECT_EQ(sentCount("IE"), c.expectedPolls);
    EXPECT_EQ(sentCount("DF"), c.expectedInputReads);
    const Strings commands = sent();
    EXPECT_EQ(Strings(commands.end() - 4, commands.end()),
              c.kind == Kind::Auto ? (Strings{"IE", "JE", "CG0", "JD"})
                                   : (Strings{"IE", "JE", "JD", "CG0"}));
    if (c.kind == Kind::Dido) {
        // The outputs were driven in every cycle, answered or not.
        EXPECT_EQ(sentCount("JD10"), c.expectedPolls);
        EXPECT_EQ(sentCount("JD30"), c.expectedPolls);
    }
    const std::size_t outcome = indexOf("busy off");
    EXPECT_EQ(Strings(view.events.begin() + static_cast<std::ptrdiff_t>(outcome),
                      view.events.begin() + static_cast<std::ptrdiff_t>(outcome) + 3),
              (Strings{"busy off", "lamp red", "beep 300 300"}));
    EXPECT_FALSE(session.TestRunning);
    EXPECT_EQ(clock.openPorts(), 0u);
}

const std::optional<std::string> kMiss;

INSTANTIATE_TEST_SUITE_P(
    Cases, MissTest,
    ::testing::Values(MissCase{"AutoFourMisses", Kind::Auto, {kMiss, kMiss, kMiss, kMiss}, 4, 0},
                      MissCase{"AutoThreeMissesThenAnAnswerGoesOn",
                               Kind::Auto,
                               {kMiss, kMiss, kMiss, pollReply("0000"), kMiss, kMiss, kMiss, kMiss},
                               8,
                               1},
                      MissCase{"AutoTwentyByteReplyCountsAsAnswer",
                               Kind::Auto,
                               {kMiss, kMiss, kMiss, reply("12345678"), kMiss, kMiss, kMiss, kMiss},
                               8,
                               1},
                      MissCase{"DidoFourMisses", Kind::Dido, {kMiss, kMiss, kMiss, kMiss}, 4, 0}),
    [](const auto &param) { return param.param.name; });

// --- Output boxes ----------------------------------------------------------------------------

struct TickCase {
    std::string name;
    std::string tickAfter; // DO2 is ticked at the first pump after this request
    Strings outputCommands;
};
void PrintTo(const TickCase &c, std::ostream *os) {
    *os << c.name;
}

class OutputTickTest : public LoopingTestsTest, public ::testing::WithParamInterface<TickCase> {};

TEST_P(OutputTickTest, ABoxIsSentAtItsNextCommand) {
    useSimulator();
    clickAfterSent(GetParam().tickAfter, 1, [this] {
        ASSERT_FALSE(view.locked);
        view.outputs[1] = true;
    });
    clickAfterSent("IE", 2, [this] { press(Kind::Dido); });
    ops.didoTest();

    Strings outputs;
    for (const auto &command : sent())
        if (command.size() == 4 && command.rfind("JD", 0) == 0)
            outputs.push_back(command);
    EXPECT_EQ(outputs, GetParam().outputCommands);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OutputTickTest,
    ::testing::Values(TickCase{"TickedBeforeItsCommand",
                               "JD10",
                               {"JD10", "JD21", "JD30", "JD10", "JD21", "JD30"}},
                      TickCase{"TickedAfterItsCommand",
                               "JD20",
                               {"JD10", "JD20", "JD30", "JD10", "JD21", "JD30"}}),
    [](const auto &param) { return param.param.name; });

TEST_F(LoopingTestsTest, OutputsFollowTheBoxesAndTheThirdOutlivesTheDidoTest) {
    useSimulator();
    // A test jig wires outputs 1 to 3 back to inputs 1 to 3.
    sim.model().setInputPattern({sim::InputPattern::Kind::Loopback});
    view.outputs = {true, true, true}; // left ticked by an earlier test
    clickAfterSent("IE", 1, [this] { press(Kind::Dido); });
    ops.didoTest();

    const Strings commands = sent();
    EXPECT_EQ(Strings(commands.begin() + 8, commands.begin() + 11),
              (Strings{"JD11", "JD21", "JD31"}));
    const Strings polled(view.events.begin(),
                         view.events.begin() + static_cast<std::ptrdiff_t>(indexOf("send 001JE")));
    for (const char *lamp : {"input 1 on", "input 2 on", "input 3 on", "input 4 off"})
        EXPECT_NE(std::find(polled.begin(), polled.end(), lamp), polled.end()) << lamp;
    EXPECT_EQ(view.outputs, (std::array<bool, 3>{false, false, true}));
    EXPECT_EQ(view.inputLamps, (std::array<bool, 6>{}));

    // The auto test unticks all three.
    clickAfterSent("IE", 2, [this] { press(Kind::Auto); });
    ops.autoTest();
    EXPECT_EQ(view.outputs, (std::array<bool, 3>{false, false, false}));
}

// --- The port while a test holds it ----------------------------------------------------------

struct DeclineCase {
    std::string name;
    Outcome (ViewOperations::*operation)();
    std::string errorMessage;
};
void PrintTo(const DeclineCase &c, std::ostream *os) {
    *os << c.name;
}

class DeclineTest : public LoopingTestsTest, public ::testing::WithParamInterface<DeclineCase> {};

TEST_P(DeclineTest, AnOperationPressedDuringATestIsDeclinedAndTheTestGoesOn) {
    useSimulator();
    clickAfterSent("IE", 1, [this] {
        ASSERT_FALSE(view.locked);
        view.record("click operation");
        (ops.*GetParam().operation)();
    });
    clickAfterSent("IE", 3, [this] { press(Kind::Dido); });
    ops.didoTest();

    const std::size_t click = indexOf("click operation");
    const std::size_t lamp = indexOf("lamp red", click);
    ASSERT_LT(lamp + 2, view.events.size());
    EXPECT_EQ(view.events[lamp + 1], "status " + GetParam().errorMessage);
    EXPECT_EQ(view.events[lamp + 2], "beep 300 300");
    // Nothing of the operation reached the controller, and the test kept its one port.
    EXPECT_EQ(sentCount("AS"), 1);
    EXPECT_EQ(view.eventsStartingWith("open ").size(), 1u);
    EXPECT_EQ(view.eventsStartingWith("close").size(), 1u);
    EXPECT_EQ(clock.openPorts(), 0u);
    // The poll in whose wait the operation ran is one miss; the polls after it get their own
    // replies again and show the controller's clock.
    EXPECT_EQ(sentCount("IE"), 3);
    const Strings afterClick(view.events.begin() + static_cast<std::ptrdiff_t>(click),
                             view.events.end());
    EXPECT_EQ(std::count_if(afterClick.begin(), afterClick.end(),
                            [](const std::string &event) { return event.rfind("date ", 0) == 0; }),
              2);
    EXPECT_EQ(sim.model().heard().back(), "001CG0");
    EXPECT_EQ(view.lampColour, LampColour::Yellow); // the test ended by Cancel
}

INSTANTIATE_TEST_SUITE_P(
    Operations, DeclineTest,
    ::testing::Values(DeclineCase{"SetBaudRate", &ViewOperations::setBaudRate,
                                  "Set BaudRate Error"},
                      DeclineCase{"SetId", &ViewOperations::setId, "Set ID Error!"},
                      DeclineCase{"SetMode", &ViewOperations::setMode, "Set Mode Error!"}),
    [](const auto &param) { return param.param.name; });

class PressAfterCancelTest : public LoopingTestsTest, public ::testing::WithParamInterface<Kind> {};

TEST_P(PressAfterCancelTest, IsIgnoredWhileTheTestCloses) {
    useSimulator();
    const Kind kind = GetParam();
    clickAfterSent("IE", 1, [this, kind] { press(kind); });
    clickAfterSent("JE", 1, [this, kind] {
        view.record("second press");
        press(kind);
    });
    run(kind);

    // The press reached the handler (the button was live) and did nothing there.
    const std::size_t second = indexOf("second press");
    ASSERT_LT(second + 1, view.events.size());
    EXPECT_NE(view.events[second + 1], "click dropped");
    EXPECT_EQ(sentCount("CG1"), 1);
    EXPECT_EQ(view.eventsStartingWith("test "),
              (Strings{kind == Kind::Auto ? "test auto on" : "test dido on",
                       kind == Kind::Auto ? "test auto off" : "test dido off"}));
    EXPECT_EQ(view.eventsStartingWith("beep ").back(), "beep 1000 300");
    EXPECT_EQ(clock.openPorts(), 0u);
    EXPECT_FALSE(session.TestInProgress);

    // After Restore the button starts a new test again.
    clickAfterSent("IE", 2, [this, kind] { press(kind); });
    run(kind);
    EXPECT_EQ(sentCount("CG1"), 2);
    EXPECT_FALSE(session.TestRunning);
}

INSTANTIATE_TEST_SUITE_P(BothTests, PressAfterCancelTest, ::testing::Values(Kind::Auto, Kind::Dido),
                         [](const auto &param) { return kindName(param.param); });

} // namespace
} // namespace vr::test

// What the command line asks of the operations beyond the window's buttons, in virtual time:
// finding the controller on one port before a single command, a scan narrowed to a port or a
// line mode, the interruption flag that a signal sets, and the limits of the looping tests.

#include <atomic>
#include <string>
#include <vector>

#include "operations_fixture.h"
#include "support/silent_device.h"

namespace vr::test {
namespace {

using Strings = std::vector<std::string>;

// Nothing found yet; the command line has put the port and mode to use in the session.
class CommandLineOperations : public OperationsTest {
protected:
    CommandLineOperations() {
        session.ControllerFound = false;
        session.ControllerID.clear();
        session.ControllerSerial.clear();
        controllerOperations.setInterruption(&interruption);
    }

    // Sets the interruption flag at the first pump (inside a reply wait or a pumping pause)
    // once `condition` holds.
    void interruptWhen(std::function<bool()> condition) {
        virtualPlatform.onPump = [this, condition] {
            if (condition())
                interruption = true;
        };
    }

    std::vector<std::string> heard() const { return controller.model().heard(); }
    // The commands the controller heard, without their address.
    Strings heardCommands() const {
        Strings commands;
        for (const std::string &body : heard())
            commands.push_back(body.substr(3));
        return commands;
    }

    std::atomic<bool> interruption{false};
};

struct FindCase {
    const char *name;
    int missedProbes;
    OutcomeKind kind;
};

class FindController : public CommandLineOperations,
                       public ::testing::WithParamInterface<FindCase> {};

TEST_P(FindController, ProbesTheGivenPortUpToThreeTimesAndSavesNothing) {
    virtualPlatform.attach(3, controller);
    if (GetParam().missedProbes > 0)
        controller.model().addFault(sim::Fault{sim::Fault::Kind::Drop, GetParam().missedProbes});

    const Outcome outcome = controllerOperations.findController();

    const bool found = GetParam().kind == OutcomeKind::Ok;
    EXPECT_EQ(outcome.kind, GetParam().kind);
    EXPECT_EQ(outcome.port, 3);
    EXPECT_EQ(outcome.lineMode, "19200,e,8,1");
    EXPECT_EQ(
        view.eventsStartingWith("send"),
        Strings(static_cast<std::size_t>(std::min(GetParam().missedProbes + 1, 3)), "send 000AS"));
    EXPECT_EQ(session.ControllerFound, found);
    EXPECT_EQ(session.ControllerID, found ? "001" : "");
    EXPECT_EQ(outcome.controller.serial, found ? "12345678" : "");
    EXPECT_EQ(store.saves, 0);
    EXPECT_EQ(view.eventsStartingWith("status"), Strings{}); // no text of the window's
    EXPECT_EQ(virtualPlatform.openPorts(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Probes, FindController,
                         ::testing::Values(FindCase{"FirstProbe", 0, OutcomeKind::Ok},
                                           FindCase{"ThirdProbe", 2, OutcomeKind::Ok},
                                           FindCase{"NoneOfThree", 3, OutcomeKind::NotFound}),
                         [](const ::testing::TestParamInfo<FindCase> &param) {
                             return std::string(param.param.name);
                         });

TEST_F(CommandLineOperations, FindingOnAPortThatDoesNotOpenSaysWhy) {
    const Outcome outcome = controllerOperations.findController();
    EXPECT_EQ(outcome.kind, OutcomeKind::PortNotOpened);
    EXPECT_EQ(outcome.portFailure.problem, PortProblem::Absent);
    EXPECT_TRUE(view.eventsStartingWith("send").empty());
    EXPECT_FALSE(session.ControllerFound);
}

// ---- The narrowed scan -------------------------------------------------------------------------

TEST_F(CommandLineOperations, ScanNarrowedToAPortOpensNoOther) {
    SimulatedDevice controllerElsewhere;
    virtualPlatform.attach(1, controllerElsewhere);
    controller.model().state().lineModeIndex = 2;
    virtualPlatform.attach(4, controller);
    ScanInput input;
    input.lockTicked = false;
    input.onlyPort = 4;

    const Outcome outcome = controllerOperations.scan(input);

    EXPECT_EQ(outcome.kind, OutcomeKind::Ok);
    EXPECT_EQ(view.eventsStartingWith("open"),
              (Strings{"open 4 4800,n,8,1 ok", "open 4 4800,e,8,1 ok", "open 4 9600,n,8,1 ok",
                       "open 4 9600,n,8,1 ok"}));
    EXPECT_EQ(controllerElsewhere.opens(), 0);
    EXPECT_EQ(outcome.port, 4);
    EXPECT_EQ(outcome.lineMode, "9600,n,8,1");
}

TEST_F(CommandLineOperations, ScanNarrowedToALineModeTriesOnlyItOnEveryPort) {
    virtualPlatform.attach(2, controller); // in 19200,e,8,1, the stored mode
    SilentDevice silent;
    virtualPlatform.attach(1, silent);
    ScanInput input;
    input.onlyLineMode = 3;

    const Outcome outcome = controllerOperations.scan(input);

    EXPECT_EQ(outcome.kind, OutcomeKind::NotFound);
    const Strings opens = view.eventsStartingWith("open");
    // Each port once, in mode 3 alone; the stored port (3, in mode 5) is not tried first.
    ASSERT_EQ(opens.size(), 16u);
    EXPECT_EQ(opens[0], "open 1 9600,e,8,1 ok");
    EXPECT_EQ(opens[1], "open 2 9600,e,8,1 ok");
    EXPECT_EQ(store.saves, 0);
}

TEST_F(CommandLineOperations, ScanNarrowedToAPortThatDoesNotOpenIsAPortFailure) {
    SilentDevice held;
    held.refuseOpen = true;
    virtualPlatform.attach(7, held);
    ScanInput input;
    input.onlyPort = 7;

    const Outcome outcome = controllerOperations.scan(input);

    EXPECT_EQ(outcome.kind, OutcomeKind::PortNotOpened);
    EXPECT_EQ(outcome.port, 7);
    EXPECT_EQ(outcome.portFailure.problem, PortProblem::Busy);
    // The window's texts are those of a scan that found nothing.
    EXPECT_EQ(view.statusText, "Controller Not Find");
}

// ---- Interruption ------------------------------------------------------------------------------

TEST_F(CommandLineOperations, InterruptedSingleCommandEndsAfterTheExchangeInFlight) {
    virtualPlatform.attach(3, controller);
    ASSERT_TRUE(controllerOperations.findController().ok());
    // Ctrl-C while the probe of Set Date Time waits for its reply.
    interruptWhen([this] { return heard().size() == 2; });

    const Outcome outcome = controllerOperations.setDateTime();

    EXPECT_EQ(outcome.kind, OutcomeKind::Cancelled);
    EXPECT_EQ(heardCommands(), (Strings{"AS", "AS"})); // no AA went out
    EXPECT_EQ(virtualPlatform.openPorts(), 0u);
}

TEST_F(CommandLineOperations, InterruptedScanOpensNoFurtherPort) {
    session.settings.ScanCommNo = 0; // no stored port: the sweep starts at once
    SilentDevice silent;
    virtualPlatform.attach(1, silent);
    virtualPlatform.attach(2, silent);
    interruptWhen([this] { return view.eventsStartingWith("open").size() == 1; });

    const Outcome outcome = controllerOperations.scan(ScanInput{});

    EXPECT_EQ(outcome.kind, OutcomeKind::Cancelled);
    EXPECT_EQ(view.eventsStartingWith("open"), Strings{"open 1 19200,e,8,1 ok"});
    EXPECT_EQ(view.eventsStartingWith("send").size(), 1u); // the probe in flight, no second
    EXPECT_EQ(virtualPlatform.openPorts(), 0u);
}

TEST_F(CommandLineOperations, InterruptedScanStopsReadingTheDetails) {
    virtualPlatform.attach(1, controller);
    interruptWhen([this] { return heard().size() == 1; }); // during the probe that finds it

    const Outcome outcome = controllerOperations.scan(ScanInput{});

    EXPECT_EQ(outcome.kind, OutcomeKind::Cancelled);
    EXPECT_EQ(heardCommands(), Strings{"AS"});
    EXPECT_FALSE(session.ControllerFound);
    EXPECT_EQ(virtualPlatform.openPorts(), 0u);
}

// The closing commands of each looping test, in their order.
const Strings kAutoClosing = {"JE", "CG0", "JD"};
const Strings kDidoClosing = {"JE", "JD", "CG0"};

Strings Tail(const Strings &all, std::size_t count) {
    return all.size() < count ? all
                              : Strings(all.end() - static_cast<std::ptrdiff_t>(count), all.end());
}

TEST_F(CommandLineOperations, InterruptedAutoTestSendsTheClosingCommandsLikeCancel) {
    virtualPlatform.attach(3, controller);
    ASSERT_TRUE(controllerOperations.findController().ok());
    interruptWhen([this] {
        const Strings commands = heardCommands();
        return std::count(commands.begin(), commands.end(), "IE") == 2;
    });

    const Outcome outcome = controllerOperations.autoTest("0012345678", view);

    EXPECT_EQ(outcome.kind, OutcomeKind::Cancelled);
    EXPECT_EQ(outcome.loop.cycles, 2); // the poll in flight was completed
    EXPECT_EQ(Tail(heardCommands(), 3), kAutoClosing);
    EXPECT_EQ(view.lampColour, LampColour::Yellow); // as after Cancel
    EXPECT_FALSE(session.TestRunning);
    EXPECT_EQ(virtualPlatform.openPorts(), 0u);
}

struct LimitCase {
    const char *name;
    bool dido;
    LoopLimit limit;
    int cycles;
};

class LoopLimitTest : public CommandLineOperations,
                      public ::testing::WithParamInterface<LimitCase> {};

TEST_P(LoopLimitTest, EndsTheLoopAsCancelDoesWithOutcomeOk) {
    virtualPlatform.attach(3, controller);
    ASSERT_TRUE(controllerOperations.findController().ok());
    view.outputs = {true, false, true};

    const Outcome outcome =
        GetParam().dido ? controllerOperations.didoTest(view, GetParam().limit)
                        : controllerOperations.autoTest("0012345678", view, GetParam().limit);

    EXPECT_EQ(outcome.kind, OutcomeKind::Ok);
    EXPECT_EQ(outcome.loop.cycles, GetParam().cycles);
    EXPECT_EQ(outcome.loop.misses, 0);
    const Strings commands = heardCommands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "IE"), GetParam().cycles);
    EXPECT_EQ(Tail(commands, 3), GetParam().dido ? kDidoClosing : kAutoClosing);
    if (GetParam().dido) { // the outputs asked for went out in every cycle
        EXPECT_EQ(std::count(commands.begin(), commands.end(), "JD11"), GetParam().cycles);
    }
    EXPECT_EQ(view.lampColour, LampColour::Yellow);
    EXPECT_EQ(virtualPlatform.openPorts(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, LoopLimitTest,
    ::testing::Values(LimitCase{"AutoTestThreeCycles", false, LoopLimit{3, 0}, 3},
                      LimitCase{"DidoTestTwoCycles", true, LoopLimit{2, 0}, 2},
                      // An auto-test cycle lasts about 100 ms of pumping, two exchanges and 50 ms.
                      LimitCase{"AutoTestHalfASecond", false, LoopLimit{0, 500}, 3},
                      LimitCase{"CyclesBeforeTime", false, LoopLimit{1, 60000}, 1}),
    [](const ::testing::TestParamInfo<LimitCase> &param) { return std::string(param.param.name); });

} // namespace
} // namespace vr::test

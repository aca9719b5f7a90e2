// The operation frame around every single-command operation: what it does before and after the
// body, and the order of lamp, status line and beep.

#include <functional>
#include <string>
#include <vector>

#include "operations_fixture.h"
#include "support/silent_device.h"

namespace vr::test {
namespace {

using Strings = std::vector<std::string>;

class OperationFrameTest : public OperationsTest {};

enum class Peer { None, Silent, Controller };

struct OutcomeCase {
    const char *name;
    bool controllerFound;
    Peer peer;
    OutcomeKind outcome;
    Strings expected;
};

class FrameOutcomeTest : public OperationsTest,
                         public ::testing::WithParamInterface<OutcomeCase> {};

TEST_P(FrameOutcomeTest, ShowsLampThenStatusThenBeep) {
    SilentDevice silent;
    if (GetParam().peer == Peer::Silent)
        virtualPlatform.attach(3, silent);
    if (GetParam().peer == Peer::Controller)
        virtualPlatform.attach(3, controller);
    session.ControllerFound = GetParam().controllerFound;

    EXPECT_EQ(operations.setDateTime().kind, GetParam().outcome);

    EXPECT_EQ(view.events, GetParam().expected);
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(virtualPlatform.openPorts(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, FrameOutcomeTest,
    ::testing::Values(
        OutcomeCase{"NotFound",
                    false,
                    Peer::Controller,
                    OutcomeKind::NotFound,
                    {"cursor busy", "lock on", "lamp red", "status Start Scan Controller!",
                     "beep 300 300", "lock off", "cursor default"}},
        OutcomeCase{"PortDoesNotOpen",
                    true,
                    Peer::None,
                    OutcomeKind::PortNotOpened,
                    {"cursor busy", "lock on", "status Set Date Time", "open 3 19200,e,8,1 failed",
                     "lamp red", "status Set Date Time Error", "beep 300 300", "lock off",
                     "cursor default"}},
        OutcomeCase{"BodyFails",
                    true,
                    Peer::Silent,
                    OutcomeKind::ExchangeFailed,
                    {"cursor busy", "lock on", "status Set Date Time", "open 3 19200,e,8,1 ok",
                     "send 001AS", "close", "lamp red", "status Set Date Time Error",
                     "beep 300 300", "lock off", "cursor default"}},
        OutcomeCase{"BodySucceeds",
                    true,
                    Peer::Controller,
                    OutcomeKind::Ok,
                    {"cursor busy", "lock on", "status Set Date Time", "open 3 19200,e,8,1 ok",
                     "send 001AS", "send 001AA20050312143005", "close", "lamp yellow",
                     "status Set Date Time Ok", "beep 1000 300", "lock off", "cursor default"}}),
    [](const ::testing::TestParamInfo<OutcomeCase> &param) {
        return std::string(param.param.name);
    });

// Before a scan every operation only locks, says so and unlocks; what it does right after
// locking differs: five handle the pending messages once, Test Command empties its reply box.
struct NotFoundCase {
    const char *name;
    std::function<Outcome(ViewOperations &)> run;
    const char *afterLock; // nothing for ""
};

class NotFoundTest : public OperationsTest, public ::testing::WithParamInterface<NotFoundCase> {};

TEST_P(NotFoundTest, SendsNothingAndUnlocks) {
    virtualPlatform.attach(3, controller);
    session.ControllerFound = false;
    platform.recordPumps = true;
    view.replyText = "old reply";

    GetParam().run(operations);

    Strings expected = {"cursor busy", "lock on"};
    if (*GetParam().afterLock)
        expected.push_back(GetParam().afterLock);
    for (const char *event : {"lamp red", "status Start Scan Controller!", "beep 300 300",
                              "lock off", "cursor default"})
        expected.push_back(event);
    EXPECT_EQ(view.events, expected);
    EXPECT_EQ(controller.opens(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    NineOperations, NotFoundTest,
    ::testing::Values(NotFoundCase{"SetDateTime", &ViewOperations::setDateTime, "pump"},
                      NotFoundCase{"AlarmTest", &ViewOperations::alarmTest, "pump"},
                      NotFoundCase{"AddCard", &ViewOperations::addCard, "pump"},
                      NotFoundCase{"SetBaudRate", &ViewOperations::setBaudRate, "pump"},
                      NotFoundCase{"FactoryDefault", &ViewOperations::factoryDefault, "pump"},
                      NotFoundCase{"SetId", &ViewOperations::setId, ""},
                      NotFoundCase{"SetMode", &ViewOperations::setMode, ""},
                      NotFoundCase{"SetCardType", &ViewOperations::setCardType, ""},
                      NotFoundCase{"TestCommand", &ViewOperations::testCommand, "reply "}),
    [](const ::testing::TestParamInfo<NotFoundCase> &param) {
        return std::string(param.param.name);
    });

// A looping test holds the port: the link refuses the second open, so the operation is declined
// like a port that does not open, and the test's port stays open and unused.
TEST_F(OperationFrameTest, PortHeldByALoopingTestIsLeftAlone) {
    virtualPlatform.attach(3, controller);
    ASSERT_TRUE(link.CommOpen(3, "19200,e,8,1"));
    view.events.clear();

    for (auto run :
         {&ViewOperations::setBaudRate, &ViewOperations::setId, &ViewOperations::setMode}) {
        (operations.*run)();
        EXPECT_EQ(view.lampColour, LampColour::Red);
        EXPECT_EQ(view.events[view.events.size() - 3], "beep 300 300");
    }
    EXPECT_EQ(view.eventsStartingWith("status"),
              (Strings{"status Set BaudRate = 19200,e,8,1", "status Set BaudRate Error",
                       "status Set ID = 001", "status Set ID Error!", "status Set Mode",
                       "status Set Mode Error!"}));
    EXPECT_TRUE(link.isOpen());
    EXPECT_TRUE(controller.isOpen());
    EXPECT_EQ(controller.opens(), 1);
    EXPECT_TRUE(controller.model().heard().empty());
    EXPECT_EQ(session.settings.ScanBaudRateNo, 5);

    // The test's exchanges go on over the same port.
    EXPECT_TRUE(link.SendCommand("001AB"));
    link.CommClose();
}

TEST_F(OperationFrameTest, SuccessThenFailureTurnsTheLampYellowThenRed) {
    virtualPlatform.attach(3, controller);
    operations.alarmTest();
    virtualPlatform.detach(3);
    operations.alarmTest();
    EXPECT_EQ(view.eventsStartingWith("lamp"), (Strings{"lamp yellow", "lamp red"}));
    EXPECT_EQ(view.eventsStartingWith("beep"), (Strings{"beep 1000 300", "beep 300 300"}));
}

} // namespace
} // namespace vr::test

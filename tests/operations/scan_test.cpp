// The controller scan in virtual time: stored port, sweep, identity, details and outcomes.

#include <memory>
#include <string>
#include <vector>

#include "link/frame_codec.h"
#include "operations_fixture.h"
#include "support/scripted_device.h"
#include "support/silent_device.h"

namespace vr::test {
namespace {

using Strings = std::vector<std::string>;

// Nothing found yet, nothing stored, chkLock ticked as the window starts.
class ScanTest : public OperationsTest {
protected:
    ScanTest() {
        session.ControllerFound = false;
        session.ControllerID.clear();
        session.ControllerSerial.clear();
        session.settings = ScanSettings{};
    }

    Strings opens() const { return view.eventsStartingWith("open"); }
    // Every open that succeeded is closed before the next open.
    void expectOpenClosePairs() const {
        bool open = false;
        for (const auto &event : view.events) {
            if (event.rfind("open", 0) == 0) {
                EXPECT_FALSE(open) << "port opened twice";
                open = event.size() > 3 && event.substr(event.size() - 3) == " ok";
            } else if (event == "close") {
                EXPECT_TRUE(open) << "close without an open port";
                open = false;
            }
        }
        EXPECT_FALSE(open);
    }
};

TEST_F(ScanTest, FindsTheControllerAndShowsItsDetails) {
    virtualPlatform.attach(1, controller);
    const Outcome outcome = operations.scan();

    const Strings expected = {"cursor busy",
                              "busy on",
                              "status Scan Controller ....",
                              "serial S/N : ________",
                              "version VER : __.__-__",
                              "baudrate 5",
                              "open 1 19200,e,8,1 ok",
                              "status Scan COM : #1",
                              "send 000AS",
                              "save 1 19200,e,8,1 5",
                              "close",
                              "id 1",
                              "serial S/N : 12345678",
                              "baudrate 5",
                              "open 1 19200,e,8,1 ok",
                              "send 001AV",
                              "version VER : 03.22-01",
                              "send 001AB",
                              "DATE",
                              "status Get Controller Info Ok. (COM : #1)",
                              "send 001AF",
                              "cardmode 1",
                              "close",
                              "busy off",
                              "lamp yellow",
                              "beep 1000 300",
                              "cursor default"};
    ASSERT_EQ(view.events.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (expected[i] == "DATE")
            EXPECT_EQ(view.events[i].substr(0, 23), "date 2005/03/01  14:05:") << i;
        else
            EXPECT_EQ(view.events[i], expected[i]) << i;
    }
    EXPECT_TRUE(session.ControllerFound);
    EXPECT_EQ(session.ControllerID, "001");
    EXPECT_EQ(session.ControllerSerial, "12345678");
    EXPECT_EQ(session.settings.ScanCommNo, 1);

    EXPECT_EQ(outcome.kind, OutcomeKind::Ok);
    EXPECT_EQ(outcome.port, 1);
    EXPECT_EQ(outcome.lineMode, "19200,e,8,1");
    EXPECT_EQ(outcome.controller.address, "001");
    EXPECT_EQ(outcome.controller.serial, "12345678");
    EXPECT_EQ(outcome.controller.version, "03.22-01");
    EXPECT_EQ(outcome.controller.clock.substr(0, 12), "200503011405");
    EXPECT_EQ(outcome.controller.cardWidth, "32");
    EXPECT_EQ(view.probes(), Strings{"1 5 1/2"});
}

TEST_F(ScanTest, PendingMessagesAreHandledBeforeBusyModeAndAfterTheStartTexts) {
    platform.recordPumps = true;
    operations.scan();
    const Strings start(view.events.begin(), view.events.begin() + 7);
    EXPECT_EQ(start, (Strings{"cursor busy", "pump", "busy on", "status Scan Controller ....",
                              "serial S/N : ________", "version VER : __.__-__", "pump"}));
}

// chkLock unticked, the controller on port 3 in "9600,e,8,1", ports 1 and 2 present and silent.
TEST_F(ScanTest, SweepTriesEveryModeOfEachPortUntilTheController) {
    SilentDevice port1, port2;
    virtualPlatform.attach(1, port1);
    virtualPlatform.attach(2, port2);
    controller.model().state().lineModeIndex = 3;
    virtualPlatform.attach(3, controller);
    view.chkLock = false;

    operations.scan();

    Strings expectedOpens;
    for (int port = 1; port <= 2; ++port)
        for (const auto mode : kLineModes)
            expectedOpens.push_back("open " + std::to_string(port) + " " + std::string(mode) +
                                    " ok");
    for (int mode = 0; mode <= 3; ++mode)
        expectedOpens.push_back("open 3 " + std::string(kLineModes[mode]) + " ok");
    expectedOpens.push_back("open 3 9600,e,8,1 ok"); // the details
    EXPECT_EQ(opens(), expectedOpens);
    expectOpenClosePairs();
    // Two probes for each silent pair, one that is answered.
    EXPECT_EQ(view.eventsStartingWith("send 000AS").size(), 2u * (24 + 3) + 1);
    EXPECT_EQ(view.eventsStartingWith("save"), Strings{"save 3 9600,e,8,1 3"});
    EXPECT_EQ(session.settings.ScanCommNo, 3);
    EXPECT_EQ(session.settings.ScanBaudRate, "9600,e,8,1");
    EXPECT_EQ(session.settings.ScanBaudRateNo, 3);
    EXPECT_EQ(view.baudRateIndex, 3);
    EXPECT_EQ(view.statusText, "Get Controller Info Ok. (COM : #3)");
}

TEST_F(ScanTest, LockedSweepTriesOnlyTheStoredModeOnEachPort) {
    std::vector<std::unique_ptr<SilentDevice>> silent;
    for (int port = 1; port <= 16; ++port) {
        silent.push_back(std::make_unique<SilentDevice>());
        virtualPlatform.attach(port, *silent.back());
    }
    session.settings.ScanBaudRateNo = 7;
    session.settings.ScanBaudRate = "38400,e,8,1";

    operations.scan();

    Strings expectedOpens;
    for (int port = 1; port <= 16; ++port)
        expectedOpens.push_back("open " + std::to_string(port) + " 38400,e,8,1 ok");
    EXPECT_EQ(opens(), expectedOpens);
    EXPECT_EQ(view.eventsStartingWith("send").size(), 32u);
    expectOpenClosePairs();
}

// With chkLock ticked the stored index is used only within the list.
TEST_F(ScanTest, LockedSweepWithAStoredIndexOutsideTheListUsesTheDefaultMode) {
    virtualPlatform.attach(2, controller);
    session.settings.ScanBaudRateNo = 42;
    operations.scan();
    EXPECT_EQ(opens()[0], "open 1 19200,e,8,1 failed");
    EXPECT_EQ(opens()[1], "open 2 19200,e,8,1 ok");
    EXPECT_EQ(session.settings.ScanBaudRateNo, 5);
    EXPECT_TRUE(session.ControllerFound);
}

struct UnopenableCase {
    const char *name;
    bool present; // present but held by another program, or absent
};

class UnopenablePortTest : public ScanTest, public ::testing::WithParamInterface<UnopenableCase> {};

TEST_P(UnopenablePortTest, IsLeftAfterOneFailedOpen) {
    SilentDevice held;
    held.refuseOpen = true;
    if (GetParam().present)
        virtualPlatform.attach(1, held);
    controller.model().state().lineModeIndex = 0;
    virtualPlatform.attach(2, controller);
    view.chkLock = false;

    operations.scan();

    EXPECT_EQ(opens(), (Strings{"open 1 4800,n,8,1 failed", "open 2 4800,n,8,1 ok",
                                "open 2 4800,n,8,1 ok"}));
    EXPECT_EQ(session.settings.ScanCommNo, 2);
}

INSTANTIATE_TEST_SUITE_P(Ports, UnopenablePortTest,
                         ::testing::Values(UnopenableCase{"Absent", false},
                                           UnopenableCase{"Held", true}),
                         [](const ::testing::TestParamInfo<UnopenableCase> &param) {
                             return std::string(param.param.name);
                         });

// The stored port gets three probes; the sweep runs only when none of them is answered.
struct StoredPortCase {
    const char *name;
    int missedProbes;
    bool sweeps;
};

class StoredPortTest : public ScanTest, public ::testing::WithParamInterface<StoredPortCase> {};

TEST_P(StoredPortTest, IsTriedFirstWithThreeProbes) {
    session.settings.ScanCommNo = 5;
    session.settings.ScanBaudRate = "38400,e,8,1";
    session.settings.ScanBaudRateNo = 7;
    controller.model().state().lineModeIndex = 7;
    virtualPlatform.attach(5, controller);
    if (GetParam().missedProbes > 0)
        controller.model().addFault(sim::Fault{sim::Fault::Kind::Drop, GetParam().missedProbes});

    operations.scan();

    Strings expectedOpens = {"open 5 38400,e,8,1 ok"};
    if (GetParam().sweeps) {
        for (int port = 1; port <= 4; ++port)
            expectedOpens.push_back("open " + std::to_string(port) + " 38400,e,8,1 failed");
        expectedOpens.push_back("open 5 38400,e,8,1 ok");
    }
    expectedOpens.push_back("open 5 38400,e,8,1 ok");
    EXPECT_EQ(opens(), expectedOpens);
    EXPECT_EQ(view.eventsStartingWith("send 000AS").size(),
              static_cast<std::size_t>(GetParam().sweeps ? 4 : GetParam().missedProbes + 1));
    EXPECT_EQ(view.eventsStartingWith("baudrate").front(), "baudrate 7");
    EXPECT_EQ(view.eventsStartingWith("save"), Strings{"save 5 38400,e,8,1 7"});
    EXPECT_TRUE(session.ControllerFound);
}

INSTANTIATE_TEST_SUITE_P(Probes, StoredPortTest,
                         ::testing::Values(StoredPortCase{"FirstProbe", 0, false},
                                           StoredPortCase{"ThirdProbe", 2, false},
                                           StoredPortCase{"NoneOfThree", 3, true}),
                         [](const ::testing::TestParamInfo<StoredPortCase> &param) {
                             return std::string(param.param.name);
                         });

// The details from a scripted controller on port 1: the probe is answered, then the replies
// listed (an empty text: no reply).
struct DetailsCase {
    const char *name;
    Strings replies;     // data after the status characters, for AV, AB, AF in turn
    Strings commands;    // bodies sent after the probe
    const char *status;  // last status line
    const char *version; // pnVersion at the end
    int cardMode;        // cmbMode at the end (starts at 0)
    bool found;
};

class DetailsTest : public ScanTest, public ::testing::WithParamInterface<DetailsCase> {};

TEST_P(DetailsTest, JudgesVersionClockAndWidth) {
    ScriptedDevice scripted;
    virtualPlatform.attach(1, scripted);
    scripted.answerNext(ReplyFrame("00100"
                                   "12345678"));
    for (const auto &data : GetParam().replies) {
        if (data.empty())
            break;
        scripted.answerNext(ReplyFrame("00100" + data));
    }

    operations.scan();

    Strings commands = sent();
    commands.erase(commands.begin());
    EXPECT_EQ(commands, GetParam().commands);
    EXPECT_EQ(view.statusText, GetParam().status);
    EXPECT_EQ(view.version, GetParam().version);
    EXPECT_EQ(view.cardModeIndex, GetParam().cardMode);
    EXPECT_EQ(session.ControllerFound, GetParam().found);
    EXPECT_EQ(view.lampColour, GetParam().found ? LampColour::Yellow : LampColour::Red);
    EXPECT_EQ(view.eventsStartingWith("beep"),
              Strings{GetParam().found ? "beep 1000 300" : "beep 300 300"});
    // Whatever the details gave, the probe's findings stand.
    EXPECT_EQ(view.serial, "S/N : 12345678");
    EXPECT_EQ(session.ControllerID, "001");
    EXPECT_EQ(view.eventsStartingWith("save"), Strings{"save 1 19200,e,8,1 5"});
    EXPECT_EQ(view.events.back(), "cursor default");
    EXPECT_FALSE(view.busy);
}

INSTANTIATE_TEST_SUITE_P(Replies, DetailsTest,
                         ::testing::Values(DetailsCase{"AllAnswered",
                                                       {"V1.00-02", "20050301140509", "40"},
                                                       {"001AV", "001AB", "001AF"},
                                                       "Get Controller Info Ok. (COM : #1)",
                                                       "VER : V1.00-02",
                                                       2,
                                                       true},
                                           DetailsCase{"WidthOther",
                                                       {"V1.00-02", "20050301140509", "16"},
                                                       {"001AV", "001AB", "001AF"},
                                                       "Get Controller Info Ok. (COM : #1)",
                                                       "VER : V1.00-02",
                                                       0,
                                                       true},
                                           DetailsCase{"WidthNotAnswered",
                                                       {"V1.00-02", "20050301140509", ""},
                                                       {"001AV", "001AB", "001AF"},
                                                       "Get Controller Info Ok. (COM : #1)",
                                                       "VER : V1.00-02",
                                                       0,
                                                       true},
                                           DetailsCase{"VersionNeverAnswered",
                                                       {""},
                                                       {"001AV", "001AV"},
                                                       "Get Controller Info Error. (COM : #1)",
                                                       "VER : __.__-__",
                                                       0,
                                                       false},
                                           DetailsCase{"ClockNotAnswered",
                                                       {"V1.00-02", ""},
                                                       {"001AV", "001AB"},
                                                       "Get Controller Info Error. (COM : #1)",
                                                       "VER : V1.00-02",
                                                       0,
                                                       false}),
                         [](const ::testing::TestParamInfo<DetailsCase> &param) {
                             return std::string(param.param.name);
                         });

TEST_F(ScanTest, AfterInfoErrorTheNextScanTriesTheFoundPortFirst) {
    ScriptedDevice scripted;
    scripted.answerNext(ReplyFrame("00100"
                                   "12345678"));
    SilentDevice silent;
    virtualPlatform.attach(1, silent);
    virtualPlatform.attach(4, scripted);
    view.chkLock = false;
    operations.scan();
    EXPECT_EQ(view.statusText, "Get Controller Info Error. (COM : #4)");
    EXPECT_EQ(session.settings.ScanCommNo, 4);

    view.events.clear();
    operations.scan();
    EXPECT_EQ(opens().front(), "open 4 4800,n,8,1 ok");
    EXPECT_EQ(view.eventsStartingWith("send").size(), 3u + 12 * 2 + 12 * 2);
}

TEST_F(ScanTest, DetailsPortThatDoesNotOpenAgainEndsWithInfoError) {
    virtualPlatform.attach(1, controller);
    virtualPlatform.onPump = [&] {
        if (!controller.model().heard().empty())
            controller.refuseOpen = true;
    };
    operations.scan();
    EXPECT_EQ(opens(), (Strings{"open 1 19200,e,8,1 ok", "open 1 19200,e,8,1 failed"}));
    EXPECT_EQ(eventsFrom("open 1 19200,e,8,1 failed"),
              (Strings{"open 1 19200,e,8,1 failed", "status Get Controller Info Error. (COM : #1)",
                       "busy off", "lamp red", "beep 300 300", "cursor default"}));
    EXPECT_FALSE(session.ControllerFound);
}

// The probe reply's address becomes ControllerID; only three digits move the ID scroll bar.
struct AddressCase {
    const char *name;
    std::string address;
    Strings idEvents;
    int idPosition;
};

class ProbeAddressTest : public ScanTest, public ::testing::WithParamInterface<AddressCase> {};

TEST_P(ProbeAddressTest, SetsControllerIdAndTheScrollBar) {
    ScriptedDevice scripted;
    virtualPlatform.attach(1, scripted);
    scripted.answerNext(ReplyFrame(GetParam().address + "00" + "12345678"));
    view.idPosition = 50;
    operations.scan();
    EXPECT_EQ(session.ControllerID, GetParam().address);
    EXPECT_EQ(view.eventsStartingWith("id "), GetParam().idEvents);
    EXPECT_EQ(view.idPosition, GetParam().idPosition);
    EXPECT_EQ(view.events.back(), "cursor default");
    EXPECT_FALSE(view.busy);
}

INSTANTIATE_TEST_SUITE_P(Addresses, ProbeAddressTest,
                         ::testing::Values(AddressCase{"Zero", "000", {"id 0"}, 1},
                                           AddressCase{"Top", "999", {"id 999"}, 999},
                                           AddressCase{"Digits", "042", {"id 42"}, 42},
                                           AddressCase{"NotDigits", "0A1", {}, 50},
                                           AddressCase{"Spaces", " 12", {}, 50}),
                         [](const ::testing::TestParamInfo<AddressCase> &param) {
                             return std::string(param.param.name);
                         });

TEST_F(ScanTest, NothingFoundKeepsTheSettingsAndShowsTheEmptyFields) {
    session.settings.ScanCommNo = 9;
    session.settings.ScanBaudRate = "57600,e,8,1";
    session.settings.ScanBaudRateNo = 9;
    session.ControllerFound = true; // from an earlier scan
    session.ControllerID = "007";

    operations.scan();

    EXPECT_EQ(opens().size(), 17u); // the stored port, then one open per port with the lock
    EXPECT_EQ(eventsFrom("busy off"),
              (Strings{"busy off", "lamp red", "baudrate 5", "status Controller Not Find",
                       "beep 300 300", "cursor default"}));
    EXPECT_FALSE(session.ControllerFound);
    EXPECT_EQ(session.ControllerID, "007");
    EXPECT_EQ(session.settings.ScanCommNo, 9);
    EXPECT_EQ(session.settings.ScanBaudRate, "57600,e,8,1");
    EXPECT_EQ(session.settings.ScanBaudRateNo, 9);
    EXPECT_EQ(store.saves, 0);
    EXPECT_EQ(view.serial, "S/N : ________");
    EXPECT_EQ(view.version, "VER : __.__-__");
}

} // namespace
} // namespace vr::test

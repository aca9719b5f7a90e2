// The nine single-command operations against the simulated controller, in virtual time.

#include <functional>
#include <string>
#include <vector>

#include "i18n/message_catalogue.h"
#include "link/frame_codec.h"
#include "operations_fixture.h"
#include "support/scripted_device.h"
#include "support/silent_device.h"

namespace vr::test {
namespace {

using Strings = std::vector<std::string>;
using Operation = Outcome (ViewOperations::*)();

struct OperationCase {
    const char *name;
    Operation run;
    std::function<void(RecordingView &)> select;
    const char *title;
    const char *okMessage;
    const char *errorMessage;
    const char *command; // body after the probe
    int attempts;
    int firstPauseMs;
};

const OperationCase kOperations[] = {
    {"SetDateTime", &ViewOperations::setDateTime, [](RecordingView &) {}, "Set Date Time",
     "Set Date Time Ok", "Set Date Time Error", "001AA20050312143005", 1, 100},
    {"AlarmTest", &ViewOperations::alarmTest, [](RecordingView &v) { v.alarmIndex = 3; },
     "Alarm Test", "Alarm Test Ok", "Alarm Test Error", "001JF3", 2, 100},
    {"AlarmOff", &ViewOperations::alarmTest, [](RecordingView &v) { v.alarmIndex = 0; },
     "Alarm Test", "Alarm Test Ok", "Alarm Test Error", "001JF0", 2, 100},
    {"AddCard", &ViewOperations::addCard, [](RecordingView &v) { v.cardId = "0012345678"; },
     "Add Card = 0012345678", "Add Card Ok", "Add Card Error", "001HA00010012345678100001", 2, 100},
    {"AddCardEmpty", &ViewOperations::addCard, [](RecordingView &v) { v.cardId = ""; },
     "Add Card = ", "Add Card Ok", "Add Card Error", "001HA0001100001", 2, 100},
    {"AddCardLetters", &ViewOperations::addCard, [](RecordingView &v) { v.cardId = "12ab"; },
     "Add Card = 12ab", "Add Card Ok", "Add Card Error", "001HA000112ab100001", 2, 100},
    {"SetBaudRateSameMode", &ViewOperations::setBaudRate,
     [](RecordingView &v) { v.baudRateIndex = 5; }, "Set BaudRate = 19200,e,8,1", "Set BaudRate Ok",
     "Set BaudRate Error", "001AE5", 2, 200},
    {"SetId", &ViewOperations::setId, [](RecordingView &v) { v.idPosition = 5; }, "Set ID = 005",
     "Set ID Ok.", "Set ID Error!", "001AD12345678005", 2, 100},
    {"SetIdSame", &ViewOperations::setId, [](RecordingView &v) { v.idPosition = 1; },
     "Set ID = 001", "Set ID Ok.", "Set ID Error!", "001AD12345678001", 2, 100},
    {"SetMode40", &ViewOperations::setMode, [](RecordingView &v) { v.cardModeIndex = 2; },
     "Set Mode", "Set Mode Ok.", "Set Mode Error!", "001AF40", 2, 100},
    {"SetMode24", &ViewOperations::setMode, [](RecordingView &v) { v.cardModeIndex = 0; },
     "Set Mode", "Set Mode Ok.", "Set Mode Error!", "001AF24", 2, 100},
    {"SetCardType", &ViewOperations::setCardType, [](RecordingView &v) { v.cardTypeIndex = 1; },
     "Set Card Type", "Set Card Type Ok.", "Set Card Type Error!", "001CJ1", 2, 100},
    {"FactoryDefault", &ViewOperations::factoryDefault, [](RecordingView &) {},
     "Set Factory Default", "Set Factory Default Ok", "Set Factory Default Error", "001AI", 2, 100},
    {"TestCommand", &ViewOperations::testCommand, [](RecordingView &v) { v.command = "AB"; },
     "Test Command", "Test Command Ok.", "Test Command Error!", "001AB", 2, 100},
};

class EachOperationTest : public OperationsTest,
                          public ::testing::WithParamInterface<OperationCase> {
protected:
    // Sends and the long pauses between them (the link's own pauses of a few ms left out).
    Strings exchange() const {
        Strings found;
        for (const auto &event : view.events)
            if (event.rfind("send ", 0) == 0 ||
                (event.rfind("sleep ", 0) == 0 && std::stoi(event.substr(6)) >= 100))
                found.push_back(event);
        return found;
    }
};

TEST_P(EachOperationTest, SendsItsCommandBehindAProbeAndSucceeds) {
    const OperationCase &c = GetParam();
    virtualPlatform.attach(3, controller);
    c.select(view);
    platform.recordSleeps = true;

    (operations.*c.run)();

    const std::string pause = "sleep " + std::to_string(c.firstPauseMs);
    EXPECT_EQ(exchange(),
              (Strings{pause, "send 001AS", "sleep 100", std::string("send ") + c.command}));
    EXPECT_EQ(view.eventsStartingWith("status"),
              (Strings{std::string("status ") + c.title, std::string("status ") + c.okMessage}));
    EXPECT_EQ(view.lampColour, LampColour::Yellow);
    EXPECT_EQ(view.eventsStartingWith("beep"), Strings{"beep 1000 300"});
    EXPECT_EQ(controller.model().heard().back(), c.command);
}

TEST_P(EachOperationTest, WithoutAnAnswerMakesItsAttemptsAndFails) {
    const OperationCase &c = GetParam();
    SilentDevice silent;
    virtualPlatform.attach(3, silent);
    c.select(view);
    platform.recordSleeps = true;

    (operations.*c.run)();

    const std::string pause = "sleep " + std::to_string(c.firstPauseMs);
    Strings expected;
    for (int i = 0; i < c.attempts; ++i) {
        expected.push_back(pause);
        expected.push_back("send 001AS");
    }
    EXPECT_EQ(exchange(), expected);
    EXPECT_EQ(view.statusText, c.errorMessage);
    EXPECT_EQ(view.lampColour, LampColour::Red);
    EXPECT_EQ(view.eventsStartingWith("beep"), Strings{"beep 300 300"});
}

INSTANTIATE_TEST_SUITE_P(Nine, EachOperationTest, ::testing::ValuesIn(kOperations),
                         [](const ::testing::TestParamInfo<OperationCase> &param) {
                             return std::string(param.param.name);
                         });

class SingleOperationTest : public OperationsTest {
protected:
    SingleOperationTest() { virtualPlatform.attach(3, controller); }
};

// A missed probe ends Set Date Time's only attempt; Alarm Test probes again and gets through.
TEST_F(SingleOperationTest, MissedProbeEndsSetDateTimeButNotAlarmTest) {
    controller.model().addFault(sim::Fault{sim::Fault::Kind::Drop, 1});
    operations.setDateTime();
    EXPECT_EQ(sent(), Strings{"001AS"});
    EXPECT_EQ(view.statusText, "Set Date Time Error");

    view.events.clear();
    controller.model().addFault(sim::Fault{sim::Fault::Kind::Drop, 1});
    operations.alarmTest();
    EXPECT_EQ(sent(), (Strings{"001AS", "001AS", "001JF0"}));
    EXPECT_EQ(view.statusText, "Alarm Test Ok");
}

// A missed command reply: the second attempt starts again with its own pause and probe.
TEST_F(SingleOperationTest, MissedCommandReplyIsRetriedWithANewProbe) {
    bool dropped = false;
    virtualPlatform.onPump = [&] {
        if (!dropped && controller.model().heard().size() == 1) {
            controller.model().addFault(sim::Fault{sim::Fault::Kind::Drop, 1});
            dropped = true;
        }
    };
    view.cardId = "42";
    operations.addCard();
    EXPECT_EQ(sent(), (Strings{"001AS", "001HA000142100001", "001AS", "001HA000142100001"}));
    EXPECT_EQ(view.statusText, "Add Card Ok");
    EXPECT_EQ(controller.model().state().cards, Strings{"42"});
}

class ProbeLengthTest : public SingleOperationTest, public ::testing::WithParamInterface<int> {};

TEST_P(ProbeLengthTest, ProbeReplyOfAnotherLengthKeepsTheCommandBack) {
    controller.model().addFault(sim::Fault{sim::Fault::Kind::ProbeLength, GetParam()});
    operations.factoryDefault();
    EXPECT_EQ(sent(), (Strings{"001AS", "001AS"}));
    EXPECT_EQ(view.statusText, "Set Factory Default Error");
}

INSTANTIATE_TEST_SUITE_P(Lengths, ProbeLengthTest, ::testing::Values(19, 21));

TEST_F(SingleOperationTest, SetDateTimeReadsThePcClockWhenTheBodyIsBuilt) {
    virtualPlatform.setLocalTime(LocalTime{2005, 12, 31, 23, 59, 59});
    virtualPlatform.onPump = [&] { virtualPlatform.setLocalTime(LocalTime{2006, 1, 1, 0, 0, 0}); };
    operations.setDateTime();
    EXPECT_EQ(sent(), (Strings{"001AS", "001AA20060101000000"}));
    EXPECT_EQ(controller.model().clockAt(virtualPlatform.nowMicros()).year, 2006);
}

TEST_F(SingleOperationTest, SetBaudRateMovesLaterOperationsToTheNewModeWithoutStoringIt) {
    view.baudRateIndex = 3; // "9600,e,8,1"
    operations.setBaudRate();
    EXPECT_EQ(view.statusText, "Set BaudRate Ok");
    EXPECT_EQ(session.settings.ScanBaudRateNo, 3);
    EXPECT_EQ(session.settings.ScanBaudRate, "9600,e,8,1");
    EXPECT_EQ(store.saves, 0);

    view.events.clear();
    operations.setDateTime();
    EXPECT_EQ(view.eventsStartingWith("open"), Strings{"open 3 9600,e,8,1 ok"});
    EXPECT_EQ(view.statusText, "Set Date Time Ok");
}

TEST_F(SingleOperationTest, SetBaudRateRetriesInTheOldModeAndKeepsItOnFailure) {
    bool dropped = false;
    virtualPlatform.onPump = [&] {
        if (!dropped && controller.model().heard().size() == 1) {
            controller.model().addFault(sim::Fault{sim::Fault::Kind::Drop, 1});
            dropped = true;
        }
    };
    view.baudRateIndex = 11;
    operations.setBaudRate();
    EXPECT_EQ(sent(), (Strings{"001AS", "001AEB", "001AS", "001AEB"}));
    EXPECT_EQ(view.eventsStartingWith("open"), Strings{"open 3 19200,e,8,1 ok"});
    EXPECT_EQ(session.settings.ScanBaudRate, "115200,e,8,1");

    SilentDevice silent;
    virtualPlatform.attach(3, silent);
    view.baudRateIndex = 0;
    operations.setBaudRate();
    EXPECT_EQ(view.statusText, "Set BaudRate Error");
    EXPECT_EQ(session.settings.ScanBaudRateNo, 11);
    EXPECT_EQ(session.settings.ScanBaudRate, "115200,e,8,1");
}

TEST_F(SingleOperationTest, SetBaudRateWithoutASelectionDeclinesWithoutSending) {
    view.baudRateIndex = -1;
    operations.setBaudRate();
    EXPECT_EQ(eventsFrom("status"),
              (Strings{"status Set BaudRate = ", "lamp red", "status Set BaudRate Error",
                       "beep 300 300", "lock off", "cursor default"}));
    EXPECT_EQ(controller.opens(), 0);
    EXPECT_EQ(session.settings.ScanBaudRateNo, 5);
}

// Set ID changes the controller's address but not ControllerID: the next operation still sends
// to the old address, which the controller no longer answers.
TEST_F(SingleOperationTest, AfterSetIdTheNextOperationStillAddressesTheOldId) {
    view.idPosition = 7;
    operations.setId();
    EXPECT_EQ(view.statusText, "Set ID Ok.");
    EXPECT_EQ(controller.model().state().address, "007");
    EXPECT_EQ(session.ControllerID, "001");

    view.events.clear();
    operations.setMode();
    EXPECT_EQ(sent(), (Strings{"001AS", "001AS"}));
    EXPECT_EQ(view.statusText, "Set Mode Error!");
}

TEST_F(SingleOperationTest, SetIdTakesTheSerialNumberFromThisAttemptsProbe) {
    ScriptedDevice scripted;
    virtualPlatform.attach(3, scripted);
    scripted.answerNext(ReplyFrame("00100"
                                   "87654321"));
    scripted.answerNext(ReplyFrame("00100"));
    view.idPosition = 12;
    operations.setId();
    EXPECT_EQ(sent(), (Strings{"001AS", "001AD87654321012"}));
    EXPECT_EQ(view.statusText, "Set ID Ok.");
}

TEST_F(SingleOperationTest, SetIdAndFactoryDefaultChangeNothingInTheProgram) {
    const Session before = session;
    view.idPosition = 9;
    operations.factoryDefault();
    operations.setId();
    EXPECT_EQ(view.eventsStartingWith("status"),
              (Strings{"status Set Factory Default", "status Set Factory Default Ok",
                       "status Set ID = 009", "status Set ID Ok."}));
    EXPECT_EQ(session.ControllerID, before.ControllerID);
    EXPECT_EQ(session.settings.ScanBaudRate, before.settings.ScanBaudRate);
    EXPECT_EQ(session.settings.ScanBaudRateNo, before.settings.ScanBaudRateNo);
    EXPECT_TRUE(session.ControllerFound);
    EXPECT_TRUE(view.eventsStartingWith("serial").empty());
    EXPECT_TRUE(view.eventsStartingWith("id ").empty());
}

TEST_F(SingleOperationTest, TestCommandShowsTheAcceptedReplyUnchanged) {
    view.command = "AB";
    operations.testCommand();
    EXPECT_EQ(view.statusText, "Test Command Ok.");
    EXPECT_EQ(view.replyText.toStdString(), link.LastReply());
    EXPECT_EQ(view.replyText.front(), '\x03');
    EXPECT_EQ(view.replyText.back(), '\r');
    EXPECT_EQ(view.replyText.size(), 12 + 14);
    // Emptied first, then the command's reply: the probe's reply is never shown.
    EXPECT_EQ(view.eventsStartingWith("reply").size(), 2u);
    EXPECT_EQ(view.eventsStartingWith("reply").front(), "reply ");
}

TEST_F(SingleOperationTest, TestCommandSendsTheTextExactlyAsTyped) {
    for (const char *typed : {"", "ab cd", " AB ", "ADXXXXXXXX005", "AE7"}) {
        view.events.clear();
        view.command = typed;
        operations.testCommand();
        ASSERT_GE(sent().size(), 2u);
        EXPECT_EQ(sent()[1], std::string("001") + typed);
    }
    EXPECT_EQ(session.settings.ScanBaudRateNo, 5);
    EXPECT_EQ(session.ControllerID, "001");
}

// The frame carries a body's length in 8 bits: a longer body would go out cut and with the CRC
// of something else, so it is not sent at all.
TEST_F(SingleOperationTest, TestCommandLongerThanAFrameCarriesIsRefusedBeforeThePortOpens) {
    view.command = QString(252, 'A'); // 255 bytes behind the address: the longest body
    EXPECT_NE(operations.testCommand().kind, OutcomeKind::InputRefused);
    EXPECT_EQ(sent()[1].size(), 255u);

    view.events.clear();
    view.command = QString(253, 'A');
    EXPECT_EQ(operations.testCommand().kind, OutcomeKind::InputRefused);
    EXPECT_TRUE(sent().empty());
    EXPECT_TRUE(view.eventsStartingWith("open").empty());
    EXPECT_EQ(view.statusText, "Test Command Error!");
}

TEST_F(SingleOperationTest, TestCommandShowsAReplyLongerThanThirtyCharactersWhole) {
    ScriptedDevice scripted;
    virtualPlatform.attach(3, scripted);
    const std::string longReply = ReplyFrame("00100" + std::string(40, 'x'));
    scripted.answerNext(ReplyFrame("00100"
                                   "12345678"));
    scripted.answerNext(longReply);
    operations.testCommand();
    EXPECT_EQ(view.replyText.toStdString(), longReply);
}

TEST_F(SingleOperationTest, TestCommandNeverShowsAReplyWithAWrongCrc) {
    ScriptedDevice scripted;
    virtualPlatform.attach(3, scripted);
    std::string badCrc = ReplyFrame("00100"
                                    "20050301140509");
    badCrc[badCrc.size() - 2] = badCrc[badCrc.size() - 2] == '0' ? '1' : '0';
    for (int attempt = 0; attempt < 2; ++attempt) {
        scripted.answerNext(ReplyFrame("00100"
                                       "12345678"));
        scripted.answerNext(badCrc);
    }
    view.replyText = "from the press before";
    operations.testCommand();
    EXPECT_EQ(sent(), (Strings{"001AS", "001AB", "001AS", "001AB"}));
    EXPECT_TRUE(view.replyText.isEmpty());
    EXPECT_EQ(view.eventsStartingWith("reply"), Strings{"reply "});
    EXPECT_EQ(view.statusText, "Test Command Error!");
}

// Text with no code in the current language's code page is not sent at all: the operation
// ends with its error message before the port is touched.
TEST_F(SingleOperationTest, TextThatCannotBeEncodedIsNotSent) {
    view.cardId = QString::fromUtf8("12\xE4\xB8\xAD"); // a Chinese character in English
    operations.addCard();
    EXPECT_EQ(eventsFrom("status"),
              (Strings{"status Add Card = 12\xE4\xB8\xAD", "lamp red", "status Add Card Error",
                       "beep 300 300", "lock off", "cursor default"}));

    view.command = QString::fromUtf8("AB\xF0\x9F\x98\x80");
    session.settings.LanguageNo = vr::ChineseGB;
    operations.testCommand();
    EXPECT_EQ(controller.opens(), 0);
    EXPECT_EQ(view.lampColour, LampColour::Red);
}

TEST_F(SingleOperationTest, ChineseTextGoesInTheCodePageOfTheLanguage) {
    session.settings.LanguageNo = vr::ChineseBIG5;
    view.cardId = QString::fromUtf8("\xE4\xB8\xAD"
                                    "1");
    operations.addCard();
    ASSERT_GE(sent().size(), 2u);
    EXPECT_EQ(sent()[1], "001HA0001\xA4\xA4"
                         "1100001");
}

} // namespace
} // namespace vr::test

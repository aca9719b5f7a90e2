// The two looping tests: the auto test (btnProcessClick) and the DIDO test (btnDIDOClick).
//
// Both hold the port open for their whole loop and keep the window live, so their own button
// works as Cancel by re-entry: a second press runs the handler again inside the first one's
// message dispatch and only clears TestRunning.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "i18n/message_catalogue.h"
#include "operations/commands.h"
#include "operations/controller_operations.h"
#include "operations/operation_context.h"

namespace vr {
namespace {

// The loop ends after the fourth consecutive poll without an accepted IE reply.
constexpr int kMaxMisses = 3;

constexpr std::uint32_t kPumpPassSleepMs = 2;
constexpr std::uint32_t kAfterPollSleepMs = 50;
constexpr std::uint32_t kAfterOutcomeSleepMs = 30;

// Lengths of the replies whose fields the poll reads.
constexpr int kPollReplyLength = 32;
constexpr int kPollReplyWithRecordLength = 52;
constexpr int kInputReplyLength = 14;

constexpr int kInputLampCount = 6;
constexpr int kOutputCount = 3;

// What differs between the two tests' frames: their button, its Cancel caption and the order in
// which their controls are disabled at the start and enabled again at the end.
struct TestControls {
    TestButton button;
    Msg cancelMessage;
    std::array<Control, 12> disableOrder;
    std::array<Control, 12> enableOrder;
};

constexpr TestControls kAutoTestControls{
    TestButton::btnProcess,
    Msg::AutoTestCancel,
    {Control::btnExit, Control::btnDIDO, Control::btnScan, Control::btnFactory, Control::btnSetDate,
     Control::btnAlarm, Control::btnSetCard, Control::btnCardType, Control::gbDefault,
     Control::btnEng, Control::btnGB, Control::btnBIG5},
    {Control::btnExit, Control::btnScan, Control::btnFactory, Control::btnSetDate,
     Control::btnAlarm, Control::btnSetCard, Control::btnCardType, Control::gbDefault,
     Control::btnEng, Control::btnGB, Control::btnBIG5, Control::btnDIDO},
};

constexpr TestControls kDidoTestControls{
    TestButton::btnDIDO,
    Msg::DidoTestCancel,
    {Control::btnProcess, Control::btnExit, Control::btnScan, Control::btnFactory,
     Control::btnSetDate, Control::btnAlarm, Control::btnSetCard, Control::btnCardType,
     Control::gbDefault, Control::btnEng, Control::btnGB, Control::btnBIG5},
    {Control::btnExit, Control::btnScan, Control::btnFactory, Control::btnSetDate,
     Control::btnAlarm, Control::btnSetCard, Control::btnCardType, Control::gbDefault,
     Control::btnEng, Control::btnGB, Control::btnBIG5, Control::btnProcess},
};

// The controller inputs behind the six input lamps, in lamp order; the DIDO test's set-up sends
// one DB command for each, in this order.
constexpr std::array<int, kInputLampCount> kLampInputs = {1, 2, 3, 4, 7, 8};

// Reply bytes shown one character each, whatever their value.
QString latin1(const std::string &bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// Reply characters at 1-based positions; a reply cut short (by a zero byte) gives less.
QString replyText(const std::string &reply, int position, int length) {
    return latin1(ReplyField(reply, position, length));
}

// A lamp is yellow for the state character "1" and white for anything else.
bool inputOn(const std::string &reply, int position) {
    return ReplyField(reply, position, 1) == "1";
}

// The protocol that both looping tests share, with the poll and the pumping pause. One object
// per press of a test button; what must outlive a press (TestRunning, the closing guard) lives
// in the Session.
class TestFrame {
public:
    TestFrame(Platform &platform, ControllerLink &link, OperatorView &view, Session &session,
              const TestControls &controls)
        : platform_(platform), link_(link), view_(view), session_(session), controls_(controls) {}

    // Entry check, Cancel and Start. False when the press ends here: no controller found, the
    // Cancel press of the running test, or a press while a cancelled test is still closing.
    bool start() {
        if (!session_.ControllerFound) {
            view_.setStatusText(message(Msg::StartScan));
            platform_.beep(kLowBeepHz, kBeepMs);
            return false;
        }
        if (session_.TestRunning) {
            session_.TestRunning = false;
            return false;
        }
        // After Cancel the button still reads "Cancel" until Restore while the closing commands
        // go out; a press then must not start a second test on the port the first one holds.
        if (session_.TestInProgress)
            return false;

        session_.TestRunning = true;
        session_.TestInProgress = true;
        savedCaption_ = view_.buttonCaption(controls_.button);
        view_.setButtonCaption(controls_.button, message(controls_.cancelMessage));
        for (Control control : controls_.disableOrder)
            view_.setControlEnabled(control, false);
        return true;
    }

    // Opens the port in the scanned mode and makes the window live: the lamp blinks while the
    // window keeps taking input. When the port does not open, reports it, restores and returns
    // false; the test then sends nothing.
    bool openPort() {
        const ScanSettings &settings = session_.settings;
        if (!link_.CommOpen(settings.ScanCommNo, settings.ScanBaudRate.toStdString())) {
            view_.setLamp(LampColour::Red);
            view_.setStatusText(message(Msg::OpenCom) + " : " +
                                QString::number(settings.ScanCommNo) + " " + message(Msg::Error));
            platform_.beep(kLowBeepHz, kBeepMs);
            restore();
            return false;
        }
        view_.BusyMode(true);
        view_.lockWindow(false);
        return true;
    }

    // Loop control: checked before every cycle.
    bool mayRunCycle() const { return session_.TestRunning; }
    // Loop control: checked after every cycle.
    bool controllerStoppedAnswering() const { return missCount_ > kMaxMisses; }
    void resetMissCount() { missCount_ = 0; }

    // Red lamp and low beep when the controller stopped answering, yellow and high after Cancel.
    void signalOutcome() {
        view_.BusyMode(false);
        if (session_.TestRunning) {
            view_.setLamp(LampColour::Red);
            platform_.beep(kLowBeepHz, kBeepMs);
        } else {
            view_.setLamp(LampColour::Yellow);
            platform_.beep(kHighBeepHz, kBeepMs);
        }
        platform_.sleep(kAfterOutcomeSleepMs);
    }

    void whitenInputLamps() {
        for (int lamp = 1; lamp <= kInputLampCount; ++lamp)
            view_.setInputLamp(lamp, false);
    }

    void restore() {
        session_.TestRunning = false;
        for (Control control : controls_.enableOrder)
            view_.setControlEnabled(control, true);
        view_.setButtonCaption(controls_.button, savedCaption_);
        session_.TestInProgress = false;
    }

    // Lets the window dispatch its pending messages, then sleeps 2 ms; `passes` times.
    void PumpPause(int passes) {
        for (int pass = 0; pass < passes; ++pass) {
            platform_.pumpEvents();
            platform_.sleep(kPumpPassSleepMs);
        }
    }

    // One poll: IE drives the miss count and shows the clock, inputs 1 to 4 and any trailing
    // record; IB drops that record; DF shows inputs 7 and 8.
    void PollController() {
        if (!send(ReadEventCommand())) {
            ++missCount_;
            return;
        }
        missCount_ = 0;
        const int length = link_.ReplyLength();
        const std::string reply = link_.LastReply();
        if (length == kPollReplyLength || length == kPollReplyWithRecordLength) {
            // The clock has the layout of the AB reply, at the same positions.
            view_.setControllerDateText(latin1(ReplyClockText(reply)));
            for (int lamp = 1; lamp <= 4; ++lamp)
                view_.setInputLamp(lamp, inputOn(reply, 22 + lamp));
        }
        if (length == kPollReplyWithRecordLength) {
            view_.setStatusText(replyText(reply, 27, 14) + " (" + replyText(reply, 41, 4) + ") (" +
                                replyText(reply, 45, 2) + ")");
            PumpPause(20);
            send(NextEventCommand());
        }
        platform_.sleep(kAfterPollSleepMs);
        if (send(ReadInputsCommand()) && link_.ReplyLength() == kInputReplyLength) {
            const std::string inputs = link_.LastReply();
            view_.setInputLamp(5, inputOn(inputs, 7));
            view_.setInputLamp(6, inputOn(inputs, 8));
        }
    }

    // Sends ControllerID + `command` and waits for the reply. A failed exchange may have left a
    // reply that came too late in the input (a declined operation's beep, run from the pump
    // inside the wait, outlasts the reply limit); it is dropped, or every later command would
    // take the reply meant for the one before it.
    bool send(std::string_view command) {
        if (link_.SendCommand(Body(session_.ControllerID, command)))
            return true;
        link_.DiscardInput();
        return false;
    }

    void sleep(std::uint32_t ms) { platform_.sleep(ms); }

    QString message(Msg text) const { return MessageText(text, session_.settings.LanguageNo); }

private:
    Platform &platform_;
    ControllerLink &link_;
    OperatorView &view_;
    Session &session_;
    const TestControls &controls_;
    int missCount_ = 0;
    QString savedCaption_;
};

} // namespace

void ControllerOperations::autoTest() {
    TestFrame frame(platform_, link_, view_, session_, kAutoTestControls);
    if (!frame.start())
        return;

    setDateTime();
    frame.sleep(100);
    addCard();
    frame.sleep(100);

    view_.setStatusText(frame.message(Msg::AutoTestStatus));
    frame.resetMissCount();
    if (!frame.openPort())
        return;

    frame.send(TestModeCommand(true));
    frame.sleep(50);

    while (frame.mayRunCycle()) {
        frame.PumpPause(50);
        frame.PollController();
        if (frame.controllerStoppedAnswering())
            break;
    }

    frame.sleep(100);
    frame.send(EndTestCommand());
    frame.sleep(50);
    frame.send(TestModeCommand(false));
    frame.sleep(50);

    frame.signalOutcome();

    for (int output = 1; output <= kOutputCount; ++output)
        view_.untickOutput(output);
    frame.whitenInputLamps();
    frame.send(ResetOutputsCommand());
    link_.CommClose();

    frame.restore();
}

void ControllerOperations::didoTest() {
    TestFrame frame(platform_, link_, view_, session_, kDidoTestControls);
    if (!frame.start())
        return;

    view_.setStatusText(frame.message(Msg::DidoTest));
    if (!frame.openPort())
        return;

    // The status probe; its reply is not judged.
    frame.send(StatusProbeCommand());
    frame.sleep(50);
    for (int input : kLampInputs) {
        frame.send(InputSettingCommand(input));
        frame.sleep(50);
    }
    frame.send(TestModeCommand(true));
    frame.resetMissCount();

    while (frame.mayRunCycle()) {
        frame.PumpPause(10);
        // Each box is read at the moment its own command goes out.
        for (int output = 1; output <= kOutputCount; ++output) {
            frame.send(SetOutputCommand(output, view_.outputTicked(output)));
            frame.PumpPause(20);
        }
        frame.PollController();
        if (frame.controllerStoppedAnswering())
            break;
    }

    frame.sleep(100);
    frame.send(EndTestCommand());

    frame.signalOutcome();

    // The third output keeps its state across tests.
    view_.untickOutput(1);
    view_.untickOutput(2);
    frame.whitenInputLamps();
    frame.send(ResetOutputsCommand());
    frame.sleep(50);
    frame.send(TestModeCommand(false));
    frame.sleep(50);
    link_.CommClose();

    frame.restore();
}

} // namespace vr

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

constexpr int kInputLampCount = 6;
constexpr int kOutputCount = 3;

// The controller inputs behind the six input lamps, in lamp order; the DIDO test's set-up sends
// one DB command for each, in this order.
constexpr std::array<int, kInputLampCount> kLampInputs = {1, 2, 3, 4, 7, 8};

// Reply bytes shown one character each, whatever their value.
QString latin1(const std::string &bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// The protocol that both looping tests share, with the poll and the pumping pause. One object
// per press of a test button; what must outlive a press (TestRunning, the closing guard) lives
// in the Session.
class TestFrame {
public:
    TestFrame(OperationContext &context, LoopingTest test, LoopLimit limit)
        : context_(context), platform_(context.platform), link_(context.link),
          feedback_(context.feedback), session_(context.session), test_(test), limit_(limit) {}

    // Entry check, Cancel and Start. False when the press ends here: no controller found, the
    // Cancel press of the running test, or a press while a cancelled test is still closing.
    bool start() {
        if (!session_.ControllerFound) {
            feedback_.status(context_.message(Msg::StartScan));
            feedback_.beep(kLowBeepHz, kBeepMs);
            outcome_.kind = OutcomeKind::NotFound;
            return false;
        }
        outcome_.kind = OutcomeKind::Cancelled;
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
        feedback_.testRunning(test_, true);
        return true;
    }

    // Opens the port in the scanned mode and makes the front end live: the lamp blinks while
    // the window keeps taking input. When the port does not open, reports it, restores and
    // returns false; the test then sends nothing.
    bool openPort() {
        const ScanSettings &settings = session_.settings;
        outcome_.port = settings.ScanCommNo;
        outcome_.lineMode = settings.ScanBaudRate.toStdString();
        if (!link_.CommOpen(settings.ScanCommNo, settings.ScanBaudRate.toStdString())) {
            feedback_.lamp(LampColour::Red);
            feedback_.status(context_.message(Msg::OpenCom) + " : " +
                             QString::number(settings.ScanCommNo) + " " +
                             context_.message(Msg::Error));
            feedback_.beep(kLowBeepHz, kBeepMs);
            outcome_.kind = OutcomeKind::PortNotOpened;
            outcome_.portFailure = link_.LastOpenFailure();
            restore();
            return false;
        }
        feedback_.BusyMode(true);
        feedback_.lockInput(false);
        return true;
    }

    void beginLoop() { loopStart_ = platform_.milliseconds(); }

    // Loop control: checked before every cycle. An interruption, or the command line's limit
    // of cycles or time, ends the test as Cancel does.
    bool mayRunCycle() {
        if (!session_.TestRunning)
            return false;
        if (context_.interrupted()) {
            session_.TestRunning = false;
            return false;
        }
        const bool enoughCycles = limit_.cycles > 0 && outcome_.loop.cycles >= limit_.cycles;
        const bool enoughTime =
            limit_.milliseconds > 0 && platform_.milliseconds() - loopStart_ >= limit_.milliseconds;
        if (enoughCycles || enoughTime) {
            limitReached_ = true;
            session_.TestRunning = false;
            return false;
        }
        return true;
    }
    // Loop control: checked after every cycle.
    bool controllerStoppedAnswering() const { return missCount_ > kMaxMisses; }
    void resetMissCount() { missCount_ = 0; }

    // Red lamp and low beep when the controller stopped answering, yellow and high after Cancel.
    void signalOutcome() {
        feedback_.BusyMode(false);
        if (session_.TestRunning) {
            feedback_.lamp(LampColour::Red);
            feedback_.beep(kLowBeepHz, kBeepMs);
            outcome_.kind = OutcomeKind::ExchangeFailed;
        } else {
            feedback_.lamp(LampColour::Yellow);
            feedback_.beep(kHighBeepHz, kBeepMs);
            outcome_.kind = limitReached_ ? OutcomeKind::Ok : OutcomeKind::Cancelled;
        }
        platform_.sleep(kAfterOutcomeSleepMs);
    }

    void whitenInputLamps() {
        for (int lamp = 1; lamp <= kInputLampCount; ++lamp)
            feedback_.inputLamp(lamp, false);
    }

    void restore() {
        session_.TestRunning = false;
        feedback_.testRunning(test_, false);
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
        ++outcome_.loop.cycles;
        if (!send(ReadEventCommand())) {
            ++missCount_;
            ++outcome_.loop.misses;
            return;
        }
        missCount_ = 0;
        const int length = link_.ReplyLength();
        const std::string reply = link_.LastReply();
        if (length == kPollReplyLength || length == kPollReplyWithRecordLength) {
            // The clock has the layout of the AB reply, at the same positions.
            outcome_.controller.clock = ReplyClock(reply);
            feedback_.controller(ControllerField::Clock, latin1(ReplyClockText(reply)));
            for (int lamp = 1; lamp <= 4; ++lamp)
                showInput(lamp, PollInputState(reply, lamp));
        }
        if (length == kPollReplyWithRecordLength) {
            const std::string record = ReplyRecordText(reply);
            outcome_.loop.records.push_back(record);
            feedback_.status(latin1(record));
            PumpPause(20);
            send(NextEventCommand());
        }
        platform_.sleep(kAfterPollSleepMs);
        if (send(ReadInputsCommand()) && link_.ReplyLength() == kInputsReplyLength) {
            const std::string inputs = link_.LastReply();
            showInput(5, InputsReplyState(inputs, 7));
            showInput(6, InputsReplyState(inputs, 8));
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

    QString message(Msg text) const { return context_.message(text); }

    Outcome &outcome() { return outcome_; }

private:
    // A lamp is yellow for the state character "1" and white for anything else.
    void showInput(int lamp, const std::string &state) {
        if (!state.empty())
            outcome_.loop.inputs[static_cast<std::size_t>(lamp - 1)] = state[0];
        feedback_.inputLamp(lamp, state == "1");
    }

    OperationContext &context_;
    Platform &platform_;
    ControllerLink &link_;
    OperationFeedback &feedback_;
    Session &session_;
    LoopingTest test_;
    LoopLimit limit_;
    int missCount_ = 0;
    std::uint32_t loopStart_ = 0;
    bool limitReached_ = false;
    Outcome outcome_;
};

} // namespace

Outcome ControllerOperations::autoTest(const QString &cardNumber, OutputSwitches &outputs,
                                       LoopLimit limit) {
    OperationContext context = this->context();
    TestFrame frame(context, LoopingTest::Auto, limit);
    if (!frame.start())
        return frame.outcome();

    setDateTime();
    frame.sleep(100);
    addCard(cardNumber);
    frame.sleep(100);

    feedback_.status(frame.message(Msg::AutoTestStatus));
    frame.resetMissCount();
    if (!frame.openPort())
        return frame.outcome();

    frame.send(TestModeCommand(true));
    frame.sleep(50);
    frame.beginLoop();

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
        outputs.switchOff(output);
    frame.whitenInputLamps();
    frame.send(ResetOutputsCommand());
    link_.CommClose();

    frame.restore();
    return frame.outcome();
}

Outcome ControllerOperations::didoTest(OutputSwitches &outputs, LoopLimit limit) {
    OperationContext context = this->context();
    TestFrame frame(context, LoopingTest::Dido, limit);
    if (!frame.start())
        return frame.outcome();

    feedback_.status(frame.message(Msg::DidoTest));
    if (!frame.openPort())
        return frame.outcome();

    // The status probe; its reply is not judged.
    frame.send(StatusProbeCommand());
    frame.sleep(50);
    for (int input : kLampInputs) {
        frame.send(InputSettingCommand(input));
        frame.sleep(50);
    }
    frame.send(TestModeCommand(true));
    frame.resetMissCount();
    frame.beginLoop();

    while (frame.mayRunCycle()) {
        frame.PumpPause(10);
        // Each box is read at the moment its own command goes out.
        for (int output = 1; output <= kOutputCount; ++output) {
            frame.send(SetOutputCommand(output, outputs.outputOn(output)));
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
    outputs.switchOff(1);
    outputs.switchOff(2);
    frame.whitenInputLamps();
    frame.send(ResetOutputsCommand());
    frame.sleep(50);
    frame.send(TestModeCommand(false));
    frame.sleep(50);
    link_.CommClose();

    frame.restore();
    return frame.outcome();
}

} // namespace vr

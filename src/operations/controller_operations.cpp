// The nine single-command operations. Each runs in the operation frame, and inside it sends its
// one command behind a status probe with SendProbedCommand.

#include "operations/controller_operations.h"

#include <optional>
#include <string>

#include "link/line_modes.h"
#include "operations/commands.h"
#include "operations/operation_frame.h"
#include "operations/operator_text.h"
#include "operations/probed_command.h"

namespace vr {

namespace {

constexpr std::uint32_t kPauseMs = 100;
constexpr std::uint32_t kBaudRatePauseMs = 200;

struct Messages {
    Msg title, ok, error;
};
constexpr Messages kSetDateTime{Msg::SetDateTime, Msg::SetDateTimeOk, Msg::SetDateTimeError};
constexpr Messages kAlarmTest{Msg::AlarmTest, Msg::AlarmTestOk, Msg::AlarmTestError};
constexpr Messages kAddCard{Msg::AddCard, Msg::AddCardOk, Msg::AddCardError};
constexpr Messages kFactoryDefault{Msg::SetFactoryDefault, Msg::SetFactoryDefaultOk,
                                   Msg::SetFactoryDefaultError};
constexpr Messages kSetBaudRate{Msg::SetBaudRate, Msg::SetBaudRateOk, Msg::SetBaudRateError};
constexpr Messages kSetId{Msg::SetId, Msg::SetIdOk, Msg::SetIdError};
constexpr Messages kSetMode{Msg::SetMode, Msg::SetModeOk, Msg::SetModeError};
constexpr Messages kSetCardType{Msg::SetCardType, Msg::SetCardTypeOk, Msg::SetCardTypeError};
constexpr Messages kTestCommand{Msg::TestCommand, Msg::TestCommandOk, Msg::TestCommandError};

FrameParameters Frame(const Messages &messages, AfterLock afterLock) {
    FrameParameters parameters;
    parameters.title = messages.title;
    parameters.okMessage = messages.ok;
    parameters.errorMessage = messages.error;
    parameters.afterLock = afterLock;
    return parameters;
}

bool IsLineModeIndex(int index) {
    return index >= 0 && index < static_cast<int>(kLineModes.size());
}

} // namespace

ControllerOperations::ControllerOperations(Platform &platform, ControllerLink &link,
                                           OperatorView &view, Session &session)
    : platform_(platform), link_(link), view_(view), session_(session) {
}

void ControllerOperations::setDateTime() {
    OperationContext context{platform_, link_, view_, session_};
    FrameParameters frame = Frame(kSetDateTime, AfterLock::HandlePending);
    frame.body = [&] {
        // The PC clock is read when the body is built, after the probe reply.
        return SendProbedCommand(context, 1, kPauseMs, [&]() -> std::optional<std::string> {
            return SetClockCommand(platform_.localTime());
        });
    };
    OperationFrame(context, frame);
}

void ControllerOperations::alarmTest() {
    OperationContext context{platform_, link_, view_, session_};
    FrameParameters frame = Frame(kAlarmTest, AfterLock::HandlePending);
    frame.ready = [&] { return AlarmTestCommand(view_.selectedAlarm()).has_value(); };
    frame.body = [&] {
        return SendProbedCommand(context, 2, kPauseMs,
                                 [&] { return AlarmTestCommand(view_.selectedAlarm()); });
    };
    OperationFrame(context, frame);
}

void ControllerOperations::addCard() {
    OperationContext context{platform_, link_, view_, session_};
    auto cardNumber = [&] {
        return EncodeOperatorText(view_.cardIdText(), session_.settings.LanguageNo);
    };
    FrameParameters frame = Frame(kAddCard, AfterLock::HandlePending);
    frame.titleValue = [&] { return view_.cardIdText(); };
    frame.ready = [&] { return cardNumber().has_value(); };
    frame.body = [&] {
        return SendProbedCommand(context, 2, kPauseMs, [&]() -> std::optional<std::string> {
            const auto card = cardNumber(); // read again when the body is built
            if (!card)
                return std::nullopt;
            return AddCardCommand(*card);
        });
    };
    OperationFrame(context, frame);
}

void ControllerOperations::setBaudRate() {
    OperationContext context{platform_, link_, view_, session_};
    int selected = -1; // the index that the "AE" command carried
    FrameParameters frame = Frame(kSetBaudRate, AfterLock::HandlePending);
    frame.titleValue = [&] {
        const int index = view_.selectedBaudRate();
        return IsLineModeIndex(index)
                   ? QString::fromLatin1(kLineModes[static_cast<std::size_t>(index)])
                   : QString();
    };
    // Without a selected line mode there is nothing to send and nothing to take over.
    frame.ready = [&] { return IsLineModeIndex(view_.selectedBaudRate()); };
    frame.body = [&] {
        return SendProbedCommand(
            context, 2, kBaudRatePauseMs,
            [&] {
                selected = view_.selectedBaudRate();
                return SetLineModeCommand(selected);
            },
            [&] {
                // In memory only: the stored settings keep the old mode until a scan finds the
                // controller in the new one.
                session_.settings.ScanBaudRateNo = selected;
                session_.settings.ScanBaudRate =
                    QString::fromLatin1(kLineModes[static_cast<std::size_t>(selected)]);
            });
    };
    OperationFrame(context, frame);
}

void ControllerOperations::setId() {
    OperationContext context{platform_, link_, view_, session_};
    FrameParameters frame = Frame(kSetId, AfterLock::Nothing);
    frame.titleValue = [&] { return view_.idCaption(); };
    frame.body = [&] {
        return SendProbedCommand(context, 2, kPauseMs, [&]() -> std::optional<std::string> {
            const auto newId = EncodeOperatorText(view_.idCaption(), English);
            if (!newId)
                return std::nullopt;
            // The serial number comes from this attempt's probe reply.
            return SetAddressCommand(ReplySerial(link_.LastReply()), *newId);
        });
    };
    OperationFrame(context, frame);
}

void ControllerOperations::setMode() {
    OperationContext context{platform_, link_, view_, session_};
    FrameParameters frame = Frame(kSetMode, AfterLock::Nothing);
    frame.ready = [&] { return SetCardWidthCommand(view_.selectedCardMode()).has_value(); };
    frame.body = [&] {
        return SendProbedCommand(context, 2, kPauseMs,
                                 [&] { return SetCardWidthCommand(view_.selectedCardMode()); });
    };
    OperationFrame(context, frame);
}

void ControllerOperations::setCardType() {
    OperationContext context{platform_, link_, view_, session_};
    FrameParameters frame = Frame(kSetCardType, AfterLock::Nothing);
    frame.ready = [&] { return SetCardTypeCommand(view_.selectedCardType()).has_value(); };
    frame.body = [&] {
        return SendProbedCommand(context, 2, kPauseMs,
                                 [&] { return SetCardTypeCommand(view_.selectedCardType()); });
    };
    OperationFrame(context, frame);
}

void ControllerOperations::factoryDefault() {
    OperationContext context{platform_, link_, view_, session_};
    FrameParameters frame = Frame(kFactoryDefault, AfterLock::HandlePending);
    frame.body = [&] {
        return SendProbedCommand(context, 2, kPauseMs, [] {
            return std::optional<std::string>(FactoryDefaultCommand());
        });
    };
    OperationFrame(context, frame);
}

void ControllerOperations::testCommand() {
    OperationContext context{platform_, link_, view_, session_};
    auto commandText = [&] {
        return EncodeOperatorText(view_.commandText(), session_.settings.LanguageNo);
    };
    FrameParameters frame = Frame(kTestCommand, AfterLock::EmptyReplyField);
    frame.ready = [&] { return commandText().has_value(); };
    frame.body = [&] {
        return SendProbedCommand(context, 2, kPauseMs, commandText, [&] {
            // The reply exactly as it came, control characters included.
            const std::string &reply = link_.LastReply();
            view_.setReplyText(QByteArray(reply.data(), static_cast<qsizetype>(reply.size())));
        });
    };
    OperationFrame(context, frame);
}

} // namespace vr

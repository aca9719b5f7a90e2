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

void WithTitleValue(FrameParameters &frame, const QString &value) {
    frame.hasTitleValue = true;
    frame.titleValue = value;
}

// A command text that goes behind the three-character address must leave the body within the
// 255 bytes a frame carries.
bool FitsInFrame(std::size_t commandTextLength) {
    return kScanAddress.size() + commandTextLength <= kMaxBodyLength;
}

std::optional<std::string> CardNumberBytes(const QString &cardNumber, int languageNo) {
    auto bytes = EncodeOperatorText(cardNumber, languageNo);
    if (!bytes || !FitsInFrame(AddCardCommand(*bytes).size()))
        return std::nullopt;
    return bytes;
}

std::optional<std::string> CommandTextBytes(const QString &text, int languageNo) {
    auto bytes = EncodeOperatorText(text, languageNo);
    if (!bytes || !FitsInFrame(bytes->size()))
        return std::nullopt;
    return bytes;
}

} // namespace

bool CardNumberAccepted(const QString &cardNumber, int languageNo) {
    return CardNumberBytes(cardNumber, languageNo).has_value();
}

bool CommandTextAccepted(const QString &text, int languageNo) {
    return CommandTextBytes(text, languageNo).has_value();
}

ControllerOperations::ControllerOperations(Platform &platform, ControllerLink &link,
                                           Session &session, OperationFeedback &feedback,
                                           const SettingsStore *store)
    : platform_(platform), link_(link), session_(session), feedback_(feedback), store_(store) {
}

OperationContext ControllerOperations::context() const {
    return {platform_, link_, session_, store_, feedback_, interruption_};
}

Outcome ControllerOperations::setDateTime() {
    OperationContext context = this->context();
    FrameParameters frame = Frame(kSetDateTime, AfterLock::HandlePending);
    frame.body = [&] {
        // The PC clock is read when the body is built, after the probe reply.
        return SendProbedCommand(context, 1, kPauseMs,
                                 [&] { return SetClockCommand(platform_.localTime()); });
    };
    return OperationFrame(context, frame);
}

Outcome ControllerOperations::alarmTest(int alarmIndex) {
    OperationContext context = this->context();
    const auto command = AlarmTestCommand(alarmIndex);
    FrameParameters frame = Frame(kAlarmTest, AfterLock::HandlePending);
    frame.inputAccepted = command.has_value();
    frame.body = [&] { return SendProbedCommand(context, 2, kPauseMs, [&] { return *command; }); };
    return OperationFrame(context, frame);
}

Outcome ControllerOperations::addCard(const QString &cardNumber) {
    OperationContext context = this->context();
    const auto card = CardNumberBytes(cardNumber, session_.settings.LanguageNo);
    FrameParameters frame = Frame(kAddCard, AfterLock::HandlePending);
    WithTitleValue(frame, cardNumber);
    frame.inputAccepted = card.has_value();
    frame.body = [&] {
        return SendProbedCommand(context, 2, kPauseMs, [&] { return AddCardCommand(*card); });
    };
    return OperationFrame(context, frame);
}

Outcome ControllerOperations::setBaudRate(int lineModeIndex) {
    OperationContext context = this->context();
    const auto command = SetLineModeCommand(lineModeIndex);
    FrameParameters frame = Frame(kSetBaudRate, AfterLock::HandlePending);
    // Without a line mode there is nothing to send and nothing to take over.
    frame.inputAccepted = command.has_value();
    WithTitleValue(
        frame, command ? QString::fromLatin1(kLineModes[static_cast<std::size_t>(lineModeIndex)])
                       : QString());
    frame.body = [&] {
        return SendProbedCommand(
            context, 2, kBaudRatePauseMs, [&] { return *command; },
            [&] {
                // In memory only: the stored settings keep the old mode until a scan finds the
                // controller in the new one.
                session_.settings.ScanBaudRateNo = lineModeIndex;
                session_.settings.ScanBaudRate =
                    QString::fromLatin1(kLineModes[static_cast<std::size_t>(lineModeIndex)]);
            });
    };
    return OperationFrame(context, frame);
}

Outcome ControllerOperations::setId(const QString &newId) {
    OperationContext context = this->context();
    const auto id = EncodeOperatorText(newId, English);
    FrameParameters frame = Frame(kSetId, AfterLock::Nothing);
    WithTitleValue(frame, newId);
    frame.inputAccepted =
        id && FitsInFrame(SetAddressCommand(std::string(kSerialLength, '0'), *id).size());
    frame.body = [&] {
        return SendProbedCommand(context, 2, kPauseMs, [&] {
            // The serial number comes from this attempt's probe reply.
            return SetAddressCommand(ReplySerial(link_.LastReply()), *id);
        });
    };
    return OperationFrame(context, frame);
}

Outcome ControllerOperations::setMode(int widthIndex) {
    OperationContext context = this->context();
    const auto command = SetCardWidthCommand(widthIndex);
    FrameParameters frame = Frame(kSetMode, AfterLock::Nothing);
    frame.inputAccepted = command.has_value();
    frame.body = [&] { return SendProbedCommand(context, 2, kPauseMs, [&] { return *command; }); };
    return OperationFrame(context, frame);
}

Outcome ControllerOperations::setCardType(int cardTypeIndex) {
    OperationContext context = this->context();
    const auto command = SetCardTypeCommand(cardTypeIndex);
    FrameParameters frame = Frame(kSetCardType, AfterLock::Nothing);
    frame.inputAccepted = command.has_value();
    frame.body = [&] { return SendProbedCommand(context, 2, kPauseMs, [&] { return *command; }); };
    return OperationFrame(context, frame);
}

Outcome ControllerOperations::factoryDefault() {
    OperationContext context = this->context();
    FrameParameters frame = Frame(kFactoryDefault, AfterLock::HandlePending);
    frame.body = [&] {
        return SendProbedCommand(context, 2, kPauseMs, [] { return FactoryDefaultCommand(); });
    };
    return OperationFrame(context, frame);
}

Outcome ControllerOperations::testCommand(const QString &text) {
    OperationContext context = this->context();
    const auto command = CommandTextBytes(text, session_.settings.LanguageNo);
    std::string reply;
    FrameParameters frame = Frame(kTestCommand, AfterLock::EmptyReplyField);
    frame.inputAccepted = command.has_value();
    frame.body = [&] {
        return SendProbedCommand(
            context, 2, kPauseMs, [&] { return *command; },
            [&] {
                // The reply exactly as it came, control characters included.
                reply = link_.LastReply();
                feedback_.reply(QByteArray(reply.data(), static_cast<qsizetype>(reply.size())));
            });
    };
    Outcome outcome = OperationFrame(context, frame);
    outcome.reply = reply;
    return outcome;
}

} // namespace vr

#include "operations/commands.h"

#include <array>
#include <cstdio>

namespace vr {

namespace {

std::string Digit(int value) {
    return std::string(1, static_cast<char>('0' + value));
}

constexpr std::array<std::string_view, 3> kCardWidths = {"24", "32", "40"};

} // namespace

std::string StatusProbeCommand() {
    return "AS";
}
std::string ReadVersionCommand() {
    return "AV";
}
std::string ReadClockCommand() {
    return "AB";
}
std::string ReadCardWidthCommand() {
    return "AF";
}
std::string FactoryDefaultCommand() {
    return "AI";
}
std::string ReadEventCommand() {
    return "IE";
}
std::string NextEventCommand() {
    return "IB";
}
std::string ReadInputsCommand() {
    return "DF";
}
std::string EndTestCommand() {
    return "JE";
}
std::string ResetOutputsCommand() {
    return "JD";
}

std::string SetClockCommand(const LocalTime &time) {
    // Each field is cut to its width so that a strange clock can never lengthen the body.
    char digits[32];
    std::snprintf(digits, sizeof digits, "%04d%02d%02d%02d%02d%02d", time.year % 10000,
                  time.month % 100, time.day % 100, time.hour % 100, time.minute % 100,
                  time.second % 100);
    return "AA" + std::string(digits);
}

std::optional<std::string> AlarmTestCommand(int alarmIndex) {
    if (alarmIndex < 0 || alarmIndex > 6)
        return std::nullopt;
    return "JF" + Digit(alarmIndex);
}

std::string AddCardCommand(std::string_view cardNumber) {
    std::string text = "HA0001";
    text += cardNumber;
    text += "100001";
    return text;
}

std::optional<std::string> SetLineModeCommand(int lineModeIndex) {
    if (lineModeIndex < 0 || lineModeIndex > 11)
        return std::nullopt;
    return "AE" + std::string(1, "0123456789AB"[lineModeIndex]);
}

std::string SetAddressCommand(std::string_view serial, std::string_view newAddress) {
    std::string text = "AD";
    text += serial;
    text += newAddress;
    return text;
}

std::optional<std::string> SetCardWidthCommand(int widthIndex) {
    if (widthIndex < 0 || widthIndex >= static_cast<int>(kCardWidths.size()))
        return std::nullopt;
    return "AF" + std::string(kCardWidths[static_cast<std::size_t>(widthIndex)]);
}

std::optional<std::string> SetCardTypeCommand(int cardTypeIndex) {
    if (cardTypeIndex < 0 || cardTypeIndex > 2)
        return std::nullopt;
    return "CJ" + Digit(cardTypeIndex);
}

std::string TestModeCommand(bool on) {
    return on ? "CG1" : "CG0";
}

std::string SetOutputCommand(int output, bool on) {
    return "JD" + std::to_string(output) + (on ? "1" : "0");
}

std::string InputSettingCommand(int input) {
    return "DB" + std::to_string(input) + "50";
}

int CardWidthIndex(std::string_view width) {
    for (std::size_t i = 0; i < kCardWidths.size(); ++i)
        if (width == kCardWidths[i])
            return static_cast<int>(i);
    return -1;
}

bool SendStatusProbe(ControllerLink &link, std::string_view address) {
    return link.SendCommand(Body(address, StatusProbeCommand())) &&
           link.ReplyLength() == kProbeReplyLength;
}

std::string ReplyField(std::string_view reply, int position, int length) {
    if (position < 1 || length <= 0)
        return {};
    const auto start = static_cast<std::size_t>(position - 1);
    if (start >= reply.size())
        return {};
    return std::string(reply.substr(start, static_cast<std::size_t>(length)));
}

std::string ReplyAddress(std::string_view reply) {
    return ReplyField(reply, kReplyAddressPosition, 3);
}
std::string ReplySerial(std::string_view reply) {
    return ReplyField(reply, kReplyDataPosition, kSerialLength);
}
std::string ReplyVersion(std::string_view reply) {
    return ReplyField(reply, kReplyDataPosition, kVersionLength);
}
std::string ReplyCardWidth(std::string_view reply) {
    return ReplyField(reply, kReplyDataPosition, kCardWidthLength);
}

std::string ReplyClock(std::string_view reply) {
    return ReplyField(reply, kReplyDataPosition, kClockLength);
}

std::string PollInputState(std::string_view reply, int input) {
    return ReplyField(reply, kPollFirstInputPosition + input - 1, 1);
}

std::string InputsReplyState(std::string_view reply, int input) {
    return ReplyField(reply, kInputsFirstPosition + input - 7, 1);
}

std::string ReplyRecordText(std::string_view reply) {
    const auto field = [reply](const ReplyFieldSpan &span) {
        return ReplyField(reply, span.position, span.length);
    };
    return field(kRecordFields[0]) + " (" + field(kRecordFields[1]) + ") (" +
           field(kRecordFields[2]) + ")";
}

std::string ReplyClockText(std::string_view reply) {
    return ReplyField(reply, 7, 4) + "/" + ReplyField(reply, 11, 2) + "/" +
           ReplyField(reply, 13, 2) + "  " + ReplyField(reply, 15, 2) + ":" +
           ReplyField(reply, 17, 2) + ":" + ReplyField(reply, 19, 2);
}

} // namespace vr

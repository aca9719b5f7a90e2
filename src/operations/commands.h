#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "link/controller_link.h"
#include "platform/platform.h"

namespace vr {

// A command body is the three-character address, the two-letter command code and the
// command's arguments, joined with no separator. The builders below give the command text
// (code and arguments) that follows the address; Body() puts the address in front.

inline constexpr std::string_view kScanAddress = "000";
inline constexpr std::size_t kMaxBodyLength = 255;

inline std::string Body(std::string_view address, std::string_view commandText) {
    std::string body(address);
    body += commandText;
    return body;
}

std::string StatusProbeCommand();    // "AS"
std::string ReadVersionCommand();    // "AV"
std::string ReadClockCommand();      // "AB"
std::string ReadCardWidthCommand();  // "AF"
std::string FactoryDefaultCommand(); // "AI"
std::string ReadEventCommand();      // "IE"
std::string NextEventCommand();      // "IB"
std::string ReadInputsCommand();     // "DF"
std::string EndTestCommand();        // "JE"
std::string ResetOutputsCommand();   // "JD"

// "AA" + the 14 digits "yyyymmddhhnnss".
std::string SetClockCommand(const LocalTime &time);
// "JF" + the alarm kind 0 to 6.
std::optional<std::string> AlarmTestCommand(int alarmIndex);
// "HA" + "0001" + the card number as given + "100001".
std::string AddCardCommand(std::string_view cardNumber);
// "AE" + the line-mode index 0 to 11 as one upper-case hexadecimal digit.
std::optional<std::string> SetLineModeCommand(int lineModeIndex);
// The addresses Set ID can give a controller, sent as three digits "001" to "999".
inline constexpr int kLowestNewAddress = 1;
inline constexpr int kHighestNewAddress = 999;

// "AD" + the controller's serial number + the new three-digit address.
std::string SetAddressCommand(std::string_view serial, std::string_view newAddress);
// "AF24", "AF32" or "AF40" for item 0, 1 or 2 of the card-number widths.
std::optional<std::string> SetCardWidthCommand(int widthIndex);
// "CJ" + the card type 0 to 2.
std::optional<std::string> SetCardTypeCommand(int cardTypeIndex);
// "CG1" when a looping test starts, "CG0" when it ends.
std::string TestModeCommand(bool on);
// "JD" + output 1 to 3 + "1" (on) or "0" (off).
std::string SetOutputCommand(int output, bool on);
// "DB" + input number + "50" (inputs 1, 2, 3, 4, 7 and 8).
std::string InputSettingCommand(int input);

// Item 0, 1 or 2 of the card-number widths for the two characters "24", "32" or "40" of a
// bare "AF" reply; -1 for anything else.
int CardWidthIndex(std::string_view width);

// Sends address + "AS" on the open port. True only when the reply was accepted and is exactly
// 20 bytes long; LastReply() then holds the probe reply.
bool SendStatusProbe(ControllerLink &link, std::string_view address);

// Reply fields by position, counting from 1 at the ETX. A reply too short for the field gives
// the part that is there (possibly nothing); nothing is ever read beyond the reply's end.
std::string ReplyField(std::string_view reply, int position, int length);

inline constexpr int kReplyAddressPosition = 2; // 3 characters
inline constexpr int kReplyDataPosition = 7;
inline constexpr int kSerialLength = 8;    // "AS" reply, positions 7 to 14
inline constexpr int kVersionLength = 8;   // "AV" reply, positions 7 to 14
inline constexpr int kClockLength = 14;    // "AB" reply, positions 7 to 20
inline constexpr int kCardWidthLength = 2; // "AF" reply, positions 7 to 8
inline constexpr int kProbeReplyLength = 20;

// The poll of the looping tests: an "IE" reply of 32 bytes carries the controller's clock at
// positions 7 to 20 (the layout of the "AB" reply) and one state character for each of inputs 1
// to 4 at positions 23 to 26; one of 52 bytes also a trailing record of three fields. A "DF"
// reply of 14 bytes carries the states of inputs 7 and 8 at positions 7 and 8.
inline constexpr int kPollReplyLength = 32;
inline constexpr int kPollReplyWithRecordLength = 52;
inline constexpr int kInputsReplyLength = 14;
inline constexpr int kPollFirstInputPosition = 23; // input 1; inputs 2 to 4 follow
inline constexpr int kInputsFirstPosition = 7;     // input 7; input 8 follows

struct ReplyFieldSpan {
    int position;
    int length;
};
// The trailing record's three fields in a 52-byte "IE" reply.
inline constexpr ReplyFieldSpan kRecordFields[] = {{27, 14}, {41, 4}, {45, 2}};

std::string ReplyAddress(std::string_view reply);   // positions 2 to 4
std::string ReplySerial(std::string_view reply);    // positions 7 to 14
std::string ReplyVersion(std::string_view reply);   // positions 7 to 14
std::string ReplyCardWidth(std::string_view reply); // positions 7 to 8

// The controller's clock of an "AB" reply as the window shows it: "2005/03/01  14:05:09"
// (positions 7-10 "/" 11-12 "/" 13-14 two spaces 15-16 ":" 17-18 ":" 19-20); a short reply
// gives a shorter text.
std::string ReplyClockText(std::string_view reply);

// The 14 clock characters of an "AB" reply or a poll reply, positions 7 to 20.
std::string ReplyClock(std::string_view reply);

// The state character of input `input` (1 to 4) in an "IE" reply; of input 7 or 8 in a "DF"
// reply. Empty when the reply is too short.
std::string PollInputState(std::string_view reply, int input);
std::string InputsReplyState(std::string_view reply, int input);

// The trailing record of a 52-byte "IE" reply as the status line shows it:
// "<14 characters> (<4 characters>) (<2 characters>)".
std::string ReplyRecordText(std::string_view reply);

} // namespace vr

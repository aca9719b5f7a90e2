#pragma once

#include <QString>

namespace vr {

enum LanguageNo : int { English = 0, ChineseGB = 1, ChineseBIG5 = 2 };
inline constexpr int kLanguageCount = 3;

// The messages of the catalogue, by name; the value is the message's number.
enum class Msg : int {
    Maker,     // 0: footer panel pnVORNA: maker and web address
    Caption,   // 1: window caption
    StartScan, // 2: status line at show and after a switch; outcome of any operation before a scan
    AutoTestStatus,         // 3: status line while the auto test runs
    AutoTestCancel,         // 4: caption of btnProcess while the auto test runs
    DidoTest,               // 5: caption of btnDIDO; status line while the DIDO test runs
    DidoTestCancel,         // 6: caption of btnDIDO while the DIDO test runs
    SetId,                  // 7: caption of btnID; title of Set ID
    SetIdOk,                // 8: Set ID succeeded
    SetIdError,             // 9: Set ID failed
    CommandPage,            // 10: caption of the page tsCommand
    TestCommand,            // 11: captions of lblCommand and btnCommand; title of Test Command
    TestCommandOk,          // 12: Test Command succeeded
    TestCommandError,       // 13: Test Command failed
    RecCommand,             // 14: caption of lblRecCommand
    HolderMode,             // 15: not shown
    SetHolderMode,          // 16: not shown
    SetHolderModeOk,        // 17: not shown
    SetHolderModeError,     // 18: not shown
    DoorMode,               // 19: not shown
    SetDoorMode,            // 20: not shown
    SetDoorModeOk,          // 21: not shown
    SetDoorModeError,       // 22: not shown
    SetMode,                // 23: caption of btnMode; title of Set Mode
    SetModeOk,              // 24: Set Mode succeeded
    SetModeError,           // 25: Set Mode failed
    SetCardType,            // 26: caption of btnCardType; title of Set Card Type
    SetCardTypeOk,          // 27: Set Card Type succeeded
    SetCardTypeError,       // 28: Set Card Type failed
    AutoTestButton,         // 29: caption of btnProcess
    FactoryDefault,         // 30: caption of btnFactory, between "(" and ")"
    FactoryTest,            // 31: not shown
    QuickSetting,           // 32: caption of the group gbDefault
    TestCard,               // 33: not shown
    DefaultPage,            // 34: caption of the page tsDefault
    BaudRate,               // 35: caption of lblBaudRate
    SetBaudRateUnused,      // 36: not shown
    Exit,                   // 37: caption of btnExit
    OpenCom,                // 38: looping tests, port not opened
    Error,                  // 39: looping tests, port not opened
    ScanController,         // 40: caption of btnScan; controller scan
    SerialNumber,           // 41: first part of the text of pnSerial
    Version,                // 42: first part of the text of pnVersion
    ScanCom,                // 43: controller scan
    InfoOk,                 // 44: controller scan
    InfoError,              // 45: controller scan
    NotFound,               // 46: controller scan
    SetDateTime,            // 47: caption of btnSetDate; title of Set Date Time
    SetDateTimeOk,          // 48: Set Date Time succeeded
    SetDateTimeError,       // 49: Set Date Time failed
    AlarmTest,              // 50: caption of btnAlarm; title of Alarm Test
    AlarmTestOk,            // 51: Alarm Test succeeded
    AlarmTestError,         // 52: Alarm Test failed
    AddCard,                // 53: caption of btnSetCard; title of Add Card
    AddCardOk,              // 54: Add Card succeeded
    AddCardError,           // 55: Add Card failed
    SetFactoryDefault,      // 56: title of Factory Default
    SetFactoryDefaultOk,    // 57: Factory Default succeeded
    SetFactoryDefaultError, // 58: Factory Default failed
    SetBaudRate,            // 59: caption of btnBaudRate; title of Set Baud Rate
    SetBaudRateOk,          // 60: Set Baud Rate succeeded
    SetBaudRateError,       // 61: Set Baud Rate failed
};
inline constexpr int kMessageCount = static_cast<int>(Msg::SetBaudRateError) + 1;

// Builds the catalogue (on first use; the program builds it before anything else).
void BuildMessageCatalogue();

// The text of a message in language `languageNo` (0 English, 1 simplified, 2 traditional
// Chinese). A language outside those gives an empty text.
QString MessageText(Msg message, int languageNo);

// LanguageNo of a stored LanguageFlag: exact, case-sensitive; anything else is English.
int LanguageNoFromFlag(const QString &flag);

// The LanguageFlag text of a language number.
QString LanguageFlag(int languageNo);

} // namespace vr

#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include <QString>

#include "link/controller_link.h"
#include "operations/operation_context.h"
#include "operations/operation_feedback.h"
#include "operations/operation_outcome.h"
#include "operations/session.h"
#include "platform/platform.h"
#include "settings/settings_store.h"

namespace vr {

// What the scan tries. The window's scan: the stored port first, then every port, in every line
// mode or, with the lock ticked, in the stored one. The command line may narrow it to one port
// or one line mode.
struct ScanInput {
    bool lockTicked = true;
    std::optional<int> onlyPort;     // 1 to 16
    std::optional<int> onlyLineMode; // 0 to 11
};

// When a looping test ends by itself, besides Cancel and four missed polls: after `cycles`
// polls or once `milliseconds` have passed since its loop began. Zero: no limit.
struct LoopLimit {
    int cycles = 0;
    std::uint32_t milliseconds = 0;
};

// Every operation on the controller, front-end neutral. Each takes its inputs as values, runs to
// its end on the calling (user-interface) thread, shows its progress through the feedback, and
// returns its outcome with the data it read. Operations other than the scan and the finding of
// the controller need a controller found (Session::ControllerFound) and address
// Session::ControllerID on Session::settings' port and line mode.
class ControllerOperations {
public:
    // `store`: where the scan saves the port and line mode it found; none saves nothing.
    ControllerOperations(Platform &platform, ControllerLink &link, Session &session,
                         OperationFeedback &feedback, const SettingsStore *store);

    // A flag the front end may set at any moment (from a signal handler too): the running
    // operation stops after the exchange in flight, and a looping test ends as by Cancel.
    void setInterruption(const std::atomic<bool> *flag) { interruption_ = flag; }

    Outcome scan(const ScanInput &input);       // btnScanClick
    Outcome setDateTime();                      // btnSetDateClick
    Outcome alarmTest(int alarmIndex);          // btnAlarmClick, 0 to 6
    Outcome addCard(const QString &cardNumber); // btnSetCardClick
    Outcome setBaudRate(int lineModeIndex);     // btnBaudRateClick, 0 to 11
    Outcome setId(const QString &newId);        // btnIDClick, "001" to "999"
    Outcome setMode(int widthIndex);            // btnModeClick, 0 to 2
    Outcome setCardType(int cardTypeIndex);     // btnCardTypeClick, 0 to 2
    Outcome factoryDefault();                   // btnFactoryClick
    Outcome testCommand(const QString &text);   // btnCommandClick
    // btnProcessClick and btnDIDOClick; a second call while one runs (from inside its message
    // dispatch) is the Cancel press.
    Outcome autoTest(const QString &cardNumber, OutputSwitches &outputs, LoopLimit limit = {});
    Outcome didoTest(OutputSwitches &outputs, LoopLimit limit = {});

    // The command line's way to a controller before a single command: the stored-port try of
    // the scan on the session's port and line mode (up to three probes to "000"), which sets
    // ControllerID, ControllerSerial and ControllerFound. Saves nothing and shows no text.
    Outcome findController();

private:
    OperationContext context() const;

    Platform &platform_;
    ControllerLink &link_;
    Session &session_;
    OperationFeedback &feedback_;
    const SettingsStore *store_;
    const std::atomic<bool> *interruption_ = nullptr;
};

// Whether the operator's texts can go on the wire in the language `languageNo` and fit a frame
// behind a three-character address; what the operations refuse, the command line refuses before
// it finds the controller.
bool CardNumberAccepted(const QString &cardNumber, int languageNo);
bool CommandTextAccepted(const QString &text, int languageNo);

} // namespace vr

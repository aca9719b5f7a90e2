#pragma once

#include <functional>

#include <QString>

#include "operations/operation_context.h"
#include "operations/operation_outcome.h"

namespace vr {

// What the frame does right after it has locked the front end.
enum class AfterLock {
    HandlePending,   // handle the waiting window messages once
    Nothing,         //
    EmptyReplyField, // Test Command: empty the reply field instead
};

struct FrameParameters {
    Msg title = Msg::StartScan; // written when a controller was found
    bool hasTitleValue = false; // " = " and titleValue follow the title
    QString titleValue;
    Msg okMessage = Msg::StartScan;
    Msg errorMessage = Msg::StartScan;
    AfterLock afterLock = AfterLock::HandlePending; // handlePending
    // False when the operation has nothing sound to send (a text with no code on the wire, a
    // body longer than a frame carries): the outcome is a refusal shown as the operation's error,
    // and the port is not touched.
    bool inputAccepted = true;
    // Runs while the port is open: the operation's exchange.
    std::function<OutcomeKind()> body;
};

// The frame of every single-command operation: busy cursor, locked input, found-check, title,
// port opened in the scan's port and line mode, body, port closed, then the outcome (lamp,
// status line, beep), unlocked input and the default cursor.
Outcome OperationFrame(OperationContext &context, const FrameParameters &parameters);

// Lamp first, then the status line, then the beep: yellow and the high beep on success, red and
// the low beep otherwise.
void ShowOutcome(OperationContext &context, bool success, const QString &text);

} // namespace vr

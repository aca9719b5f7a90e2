#pragma once

#include <functional>

#include <QString>

#include "operations/operation_context.h"

namespace vr {

// What the frame does right after it has locked the window.
enum class AfterLock {
    HandlePending,   // handle the waiting window messages once
    Nothing,         //
    EmptyReplyField, // Test Command: empty edRecCommand instead
};

struct FrameParameters {
    Msg title = Msg::StartScan;          // written when a controller was found
    std::function<QString()> titleValue; // when set: " = " and this text follow the title
    Msg okMessage = Msg::StartScan;
    Msg errorMessage = Msg::StartScan;
    AfterLock afterLock = AfterLock::HandlePending; // handlePending
    // When set and false, the operation has nothing sound to send (no line mode selected, text
    // with no code on the wire): the outcome is failure, and the port is not touched.
    std::function<bool()> ready;
    std::function<bool()> body; // runs while the port is open; true means success
};

// The frame of every single-command operation: busy cursor, locked window, found-check, title,
// port opened in the scan's port and line mode, body, port closed, then the outcome (lamp,
// status line, beep), unlocked window and the default cursor.
void OperationFrame(OperationContext &context, const FrameParameters &parameters);

// Lamp first, then the status line, then the beep: yellow and the high beep on success, red and
// the low beep otherwise.
void ShowOutcome(OperationContext &context, bool success, const QString &text);

} // namespace vr

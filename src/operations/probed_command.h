#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "operations/operation_context.h"

namespace vr {

// Gives the command text that follows ControllerID. Called only after an accepted probe reply,
// so LastReply() holds that reply. Nothing means there is nothing sound to send.
using BodyBuilder = std::function<std::optional<std::string>()>;

// The exchange of every single-command operation, on the port that the frame has opened: per
// attempt a pause of `firstPauseMs`, the status probe to ControllerID, 100 ms, then the command.
// True at the first accepted command reply, after which `onAccepted` runs (port still open).
// A body that cannot be built ends it at once with false, without sending it.
bool SendProbedCommand(OperationContext &context, int attempts, std::uint32_t firstPauseMs,
                       const BodyBuilder &buildBody, const std::function<void()> &onAccepted = {});

} // namespace vr

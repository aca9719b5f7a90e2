#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "operations/operation_context.h"
#include "operations/operation_outcome.h"

namespace vr {

// Gives the command text (code and arguments) that follows ControllerID. Called only after an
// accepted probe reply, when LastReply() holds that reply; the PC clock is read here too.
using CommandBuilder = std::function<std::string()>;

// The exchange of every single-command operation, on the port that the frame has opened: per
// attempt a pause of `firstPauseMs`, the status probe to ControllerID, 100 ms, then
// ControllerID + the command text. Ok at the first accepted command reply, after which
// `onAccepted` runs (port still open); ExchangeFailed when every attempt failed; Cancelled when
// the front end interrupted it (after the exchange in flight).
OutcomeKind SendProbedCommand(OperationContext &context, int attempts, std::uint32_t firstPauseMs,
                              const CommandBuilder &buildCommand,
                              const std::function<void()> &onAccepted = {});

} // namespace vr

#include "operations/probed_command.h"

#include "operations/commands.h"

namespace vr {

namespace {
constexpr std::uint32_t kPauseAfterProbeMs = 100;
}

OutcomeKind SendProbedCommand(OperationContext &context, int attempts, std::uint32_t firstPauseMs,
                              const CommandBuilder &buildCommand,
                              const std::function<void()> &onAccepted) {
    const std::string &address = context.session.ControllerID;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (context.interrupted())
            return OutcomeKind::Cancelled;
        context.platform.sleep(firstPauseMs);
        if (!SendStatusProbe(context.link, address))
            continue;
        if (context.interrupted())
            return OutcomeKind::Cancelled;
        context.platform.sleep(kPauseAfterProbeMs);
        if (context.link.SendCommand(Body(address, buildCommand()))) {
            if (onAccepted)
                onAccepted();
            return OutcomeKind::Ok;
        }
    }
    return OutcomeKind::ExchangeFailed;
}

} // namespace vr

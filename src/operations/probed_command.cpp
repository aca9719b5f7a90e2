#include "operations/probed_command.h"

#include "operations/commands.h"

namespace vr {

namespace {
constexpr std::uint32_t kPauseAfterProbeMs = 100;
}

bool SendProbedCommand(OperationContext &context, int attempts, std::uint32_t firstPauseMs,
                       const BodyBuilder &buildBody, const std::function<void()> &onAccepted) {
    const std::string &address = context.session.ControllerID;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        context.platform.sleep(firstPauseMs);
        if (!SendStatusProbe(context.link, address))
            continue;
        context.platform.sleep(kPauseAfterProbeMs);

        const std::optional<std::string> text = buildBody();
        if (!text)
            return false;
        const std::string body = Body(address, *text);
        // The frame carries the body's length in 8 bits.
        if (body.size() > kMaxBodyLength)
            return false;
        if (context.link.SendCommand(body)) {
            if (onAccepted)
                onAccepted();
            return true;
        }
    }
    return false;
}

} // namespace vr

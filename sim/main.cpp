// vr880tx-sim: a simulated controller behind a pseudo-terminal, reachable by the program as port
// COM<N> through the per-user port map folder.

#include <csignal>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "sim/arguments.h"
#include "sim/controller_model.h"
#include "sim/port_link.h"
#include "sim/pty_endpoint.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void onStopSignal(int) {
    stopRequested = 1;
}

// SIGTERM ends the simulator, and so do its terminal's SIGINT (Ctrl+C), SIGQUIT (Ctrl+\) and
// SIGHUP (the terminal closed), unless it was started with one of those three ignored (nohup, a
// script's background job): that one stays ignored. The signals it handles stay blocked except
// while the endpoint waits, so none comes between a look at the flag and the wait, and none ends
// the process before it has removed its link. Returns them.
sigset_t takeStopSignals() {
    sigset_t handled;
    sigemptyset(&handled);
    for (const int signal : {SIGTERM, SIGINT, SIGQUIT, SIGHUP}) {
        struct sigaction before {};
        sigaction(signal, nullptr, &before);
        if (signal == SIGTERM || before.sa_handler != SIG_IGN)
            sigaddset(&handled, signal);
    }
    sigprocmask(SIG_BLOCK, &handled, nullptr);
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGTERM, SIGINT, SIGQUIT, SIGHUP})
        if (sigismember(&handled, signal))
            sigaction(signal, &action, nullptr);
    // The ready line written to a reader that has gone fails; it does not end the simulator.
    std::signal(SIGPIPE, SIG_IGN);
    return handled;
}

// The bodies the controller heard, one a line; bytes outside printable ASCII (and the
// backslash) as \xHH.
bool writeHeard(const std::string &path, const std::vector<std::string> &bodies) {
    std::FILE *file = std::fopen(path.c_str(), "w");
    if (file == nullptr)
        return false;
    for (const std::string &body : bodies) {
        for (const char c : body) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x20 || byte > 0x7E || byte == '\\')
                std::fprintf(file, "\\x%02X", byte);
            else
                std::fputc(c, file);
        }
        std::fputc('\n', file);
    }
    return std::fclose(file) == 0;
}

vr::sim::ClockTime localClock() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
}

} // namespace

int main(int argc, char **argv) {
    const sigset_t stopSignals = takeStopSignals();

    const vr::sim::CommandLine line = vr::sim::ParseCommandLine(argc, argv, localClock());
    switch (line.kind) {
    case vr::sim::CommandLine::Kind::Help:
        std::fputs(vr::sim::kUsage, stdout);
        return 0;
    case vr::sim::CommandLine::Kind::Refused:
        std::fprintf(stderr, "vr880tx-sim: %s\n%s%s", line.error.c_str(),
                     line.showUsage ? "\n" : "", line.showUsage ? vr::sim::kUsage : "");
        return 2;
    case vr::sim::CommandLine::Kind::Serve:
        break;
    }
    const vr::sim::Arguments &args = line.arguments;

    vr::sim::ControllerModel model(args.options);
    for (const auto &fault : args.faults)
        model.addFault(fault);
    // Made before the link, so ended after it: the link goes before the pseudo-terminal does.
    vr::sim::PtyEndpoint endpoint(model);
    vr::sim::PortLink link(args.com);
    std::string message;
    switch (link.claim(message)) {
    case vr::sim::PortLink::Claim::Refused:
        std::fprintf(stderr, "vr880tx-sim: %s\n", message.c_str());
        return 2;
    case vr::sim::PortLink::Claim::Failed:
        std::fprintf(stderr, "vr880tx-sim: %s\n", message.c_str());
        return 1;
    case vr::sim::PortLink::Claim::Taken:
        break;
    }

    if (!endpoint.open(message)) {
        std::fprintf(stderr, "vr880tx-sim: %s\n", message.c_str());
        return 1;
    }
    // The controller's clock starts now, in the endpoint's time.
    model.setClock(args.options.clockStart, endpoint.now());

    if (!link.pointAt(endpoint.slavePath(), message)) {
        std::fprintf(stderr, "vr880tx-sim: %s\n", message.c_str());
        return 1;
    }
    std::printf("COM%d -> %s\n", args.com, endpoint.slavePath().c_str());
    std::fflush(stdout);

    endpoint.serve(stopRequested, stopSignals, [&link] { link.pointNowhere(); });
    if (!args.heardFile.empty() && !writeHeard(args.heardFile, model.heard())) {
        std::fprintf(stderr, "vr880tx-sim: cannot write %s\n", args.heardFile.c_str());
        return 1;
    }
    return 0;
}

#include "platform/console.h"

#include <csignal>
#include <unistd.h>

namespace vr {
namespace {

std::atomic<bool> *stopFlag = nullptr;

static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler stores to it");

extern "C" void OnStopSignal(int signal) {
    if (stopFlag != nullptr)
        stopFlag->store(true);
    // The next one is the system's: it ends the process at once.
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    ::sigaction(signal, &byDefault, nullptr);
}

} // namespace

bool StandardErrorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

void CatchStopRequests(std::atomic<bool> &flag) {
    stopFlag = &flag;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // A Ctrl-C that the starting shell ignores (a background job, nohup) stays ignored.
    struct sigaction before {};
    ::sigaction(SIGINT, nullptr, &before);
    if (before.sa_handler != SIG_IGN)
        ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

} // namespace vr

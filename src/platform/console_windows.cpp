#include "platform/console.h"

#include <io.h>
#include <stdio.h>
#include <windows.h>

namespace vr {
namespace {

std::atomic<bool> *stopFlag = nullptr;
std::atomic<bool> stopRequestedOnce{false};

// Runs on a thread of its own that the system starts for the event.
BOOL WINAPI OnConsoleEvent(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
        if (stopRequestedOnce.exchange(true))
            return FALSE; // the second request: the system's default ends the process
        if (stopFlag != nullptr)
            stopFlag->store(true);
        if (event == CTRL_CLOSE_EVENT)
            Sleep(5000); // the system ends the process when this returns; let it close first
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

bool StandardErrorIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}

void CatchStopRequests(std::atomic<bool> &flag) {
    stopFlag = &flag;
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

} // namespace vr

// Saves the settings store of a folder over and over, for the crash tests.
//   settings_save_loop DIR FROM          iterations FROM, FROM + 1, ... until killed
//   settings_save_loop DIR FROM DIE_AT   the same, but the process kills itself at its DIE_AT-th
//                                        rename: after the new file is written in full, before
//                                        it replaces the old one
// Iteration i runs SaveScanSettings, SaveCardID and SaveLanguage with IterationSettings(i).
// Prints "ready" once, before the first save.
#include "save_loop_values.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <stdio.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

long renamesBeforeDeath = -1; // counts down to the rename that kills the process; -1 never

} // namespace

// The store replaces its file with rename(); defined here, this takes the place of the C
// library's rename for every caller in the process, Qt included.
extern "C" int rename(const char *from, const char *to) noexcept {
    if (renamesBeforeDeath > 0 && --renamesBeforeDeath == 0)
        ::raise(SIGKILL);
    return ::renameat(AT_FDCWD, from, AT_FDCWD, to);
}

int main(int argc, char **argv) {
    if (argc < 3 || argc > 4)
        return 2;
    // Never outlive the test that started the loop.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    const vr::SettingsStore store(QString::fromUtf8(argv[1]));
    long iteration = std::strtol(argv[2], nullptr, 10);
    if (argc == 4)
        renamesBeforeDeath = std::strtol(argv[3], nullptr, 10);

    std::puts("ready");
    std::fflush(stdout);
    // A bound, in case nobody comes to kill the loop.
    for (const long last = iteration + 100000; iteration < last; ++iteration) {
        const vr::ScanSettings settings = vr::test::IterationSettings(iteration);
        store.SaveScanSettings(settings);
        store.SaveCardID(settings);
        store.SaveLanguage(settings);
    }
    return 0;
}

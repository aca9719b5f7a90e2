// link-bench: times the command exchange of the program's own link and platform over a pty
// against vr880tx-sim and prints the figures; it asserts nothing.
//
//   link-bench [PROBES [SILENT]]   probes per speed (default 200), no-reply exchanges (default 30)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "link/controller_link.h"
#include "link/line_modes.h"
#include "platform/qt_platform.h"
#include "sim/simulator_process.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kCom = 1;
constexpr double kRequestPausesMs = 12.0; // SOH 1, body 5, STX 1, four digits 1 each, CR 1
constexpr double kTurnaroundMs = 2.0;     // the simulator's default
constexpr int kProbeReplyBytes = 20;

double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const auto at =
        static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
    return values[at];
}

struct Series {
    std::vector<double> ms;
    int failures = 0;
    double cpu = 0; // CPU seconds of this process during the series
    double wall = 0;
};

// Runs `count` exchanges of `body` on a port already open and times each one.
Series run(vr::ControllerLink &link, const char *body, int count, bool expectReply) {
    Series series;
    const double cpuStart = cpuSeconds();
    const auto wallStart = Clock::now();
    for (int i = 0; i < count; ++i) {
        const auto start = Clock::now();
        const bool ok = link.SendCommand(body);
        series.ms.push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (ok != expectReply || (ok && link.ReplyLength() != kProbeReplyBytes))
            ++series.failures;
    }
    series.cpu = cpuSeconds() - cpuStart;
    series.wall = std::chrono::duration<double>(Clock::now() - wallStart).count();
    return series;
}

bool withSimulator(int modeIndex, const std::function<void(vr::ControllerLink &)> &body) {
    vr::sim::SimulatorProcess simulator(
        VR_SIM_PROGRAM, {"--com", QString::number(kCom), "--mode", QString::number(modeIndex)});
    if (!simulator.start()) {
        std::fprintf(stderr, "link-bench: %s\n", qPrintable(simulator.error()));
        return false;
    }
    vr::QtPlatform platform;
    vr::ControllerLink link(platform);
    if (!link.CommOpen(kCom, std::string(vr::kLineModes[static_cast<std::size_t>(modeIndex)]))) {
        std::fprintf(stderr, "link-bench: COM%d does not open\n", kCom);
        return false;
    }
    body(link);
    link.CommClose();
    return true;
}

} // namespace

int main(int argc, char **argv) {
    const int probes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const int silent = argc > 2 ? std::max(1, std::atoi(argv[2])) : 30;

    QTemporaryDir configHome; // a port map folder of our own
    qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());
    QCoreApplication app(argc, argv);

    std::printf("link-bench: %d probes per speed, %d no-reply exchanges, over a pty\n\n", probes,
                silent);
    std::printf("%-24s %9s %9s %9s %7s %6s\n", "exchange", "median", "p99", "floor", "ratio",
                "fails");
    for (const int modeIndex : {2, 10}) { // "9600,n,8,1", "115200,n,8,1"
        const auto line = *vr::ParseLineMode(vr::kLineModes[static_cast<std::size_t>(modeIndex)]);
        const double wireMs =
            kProbeReplyBytes * line.bitsPerByte() * 1000.0 / static_cast<double>(line.baudRate);
        const double floorMs = kRequestPausesMs + wireMs + kTurnaroundMs;
        const bool ran = withSimulator(modeIndex, [&](vr::ControllerLink &link) {
            run(link, "000AS", 5, true); // warm-up
            const Series series = run(link, "000AS", probes, true);
            const double median = percentile(series.ms, 0.5);
            std::printf("%-24s %6.2f ms %6.2f ms %6.2f ms %7.3f %6d\n",
                        ("probe at " + std::to_string(line.baudRate)).c_str(), median,
                        percentile(series.ms, 0.99), floorMs, median / floorMs, series.failures);
        });
        if (!ran)
            return 1;
    }

    Series quiet;
    const bool ran = withSimulator(2, [&](vr::ControllerLink &link) {
        quiet = run(link, "999AS", silent, false); // an address nobody has: no reply
    });
    if (!ran)
        return 1;
    // The 300 ms limit counts from the end of the request's writes.
    const double quietFloorMs = kRequestPausesMs + 300.0;
    std::printf("%-24s %6.2f ms %6.2f ms %6.2f ms %7.3f %6d\n", "no reply (limit 300 ms)",
                percentile(quiet.ms, 0.5), percentile(quiet.ms, 0.99), quietFloorMs,
                percentile(quiet.ms, 0.5) / quietFloorMs, quiet.failures);
    std::printf("\nCPU while waiting for no reply: %.1f ms per wall second (%.2f %% of a core)\n",
                quiet.cpu / quiet.wall * 1000.0, quiet.cpu / quiet.wall * 100.0);
    std::printf("floor: %.0f ms of request pauses + reply wire time + %.0f ms turnaround; "
                "no reply: %.0f ms + the 300 ms limit\n",
                kRequestPausesMs, kTurnaroundMs, kRequestPausesMs);
    return 0;
}

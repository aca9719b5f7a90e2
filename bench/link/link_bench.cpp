// link-bench: times the command exchange of the program's own link and platform over a pty
// against vr880tx-sim and prints the figures; it asserts nothing. vr880tx-bench prints the same
// figures for all twelve line modes.
//
//   link-bench [PROBES [SILENT]]   probes per speed (default 200), no-reply exchanges (default 30)

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <QCoreApplication>

#include "figures.h"
#include "link_measurements.h"
#include "port_map.h"

namespace {

constexpr int kCom = 1;

void PrintRow(const char *name, const vr::bench::ExchangeSeries &series, double floorMs) {
    const double median = vr::bench::Median(series.totalMs);
    std::printf("%-24s %6.2f ms %6.2f ms %6.2f ms %7.3f %6d\n", name, median,
                vr::bench::Percentile(series.totalMs, 0.99), floorMs, median / floorMs,
                series.failures);
}

} // namespace

int main(int argc, char **argv) {
    const int probes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const int silent = argc > 2 ? std::max(1, std::atoi(argv[2])) : 30;

    vr::bench::PrivateConfigHome home;
    QCoreApplication app(argc, argv);

    std::printf("link-bench: %d probes per speed, %d no-reply exchanges, over a pty\n\n", probes,
                silent);
    std::printf("%-24s %9s %9s %9s %7s %6s\n", "exchange", "median", "p99", "floor", "ratio",
                "fails");
    for (const int modeIndex : {2, 10}) { // "9600,n,8,1", "115200,n,8,1"
        const bool ran = vr::bench::WithSimulator(
            kCom, modeIndex, [&](vr::ControllerLink &link, vr::bench::TimedPlatform &platform) {
                vr::bench::RunExchanges(link, platform, "000AS", 5, vr::bench::kProbeReplyBytes);
                const auto series = vr::bench::RunExchanges(link, platform, "000AS", probes,
                                                            vr::bench::kProbeReplyBytes);
                const std::string name =
                    "probe at " + std::string(modeIndex == 2 ? "9600" : "115200");
                PrintRow(name.c_str(), series, vr::bench::ProbeFloorMs(modeIndex));
            });
        if (!ran)
            return 1;
    }

    vr::bench::ExchangeSeries quiet;
    const bool ran = vr::bench::WithSimulator(
        kCom, 2, [&](vr::ControllerLink &link, vr::bench::TimedPlatform &platform) {
            // An address nobody has: no reply.
            quiet = vr::bench::RunExchanges(link, platform, "999AS", silent, 0);
        });
    if (!ran)
        return 1;
    PrintRow("no reply (limit 300 ms)", quiet, 300.0);
    std::printf("  of which the reply wait: median %.2f ms, p99 %.2f ms\n",
                vr::bench::Median(quiet.waitMs), vr::bench::Percentile(quiet.waitMs, 0.99));
    std::printf("\nCPU while waiting for no reply: %.1f ms per wall second (%.2f %% of a core)\n",
                quiet.waitCpuSeconds / quiet.waitWallSeconds * 1000.0,
                quiet.waitCpuSeconds / quiet.waitWallSeconds * 100.0);
    std::printf("floor = %.0f ms of request pauses + reply wire time + %.0f ms turnaround\n",
                vr::bench::kRequestPausesMs, vr::bench::kSimulatorTurnaroundMs);
    return 0;
}

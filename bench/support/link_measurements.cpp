#include "link_measurements.h"

#include <chrono>
#include <cstdio>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "link/line_modes.h"
#include "platform/qt_platform.h"
#include "sim/simulator_process.h"

namespace vr::bench {

double ProbeWireMs(int modeIndex) {
    const auto line = *ParseLineMode(kLineModes[static_cast<std::size_t>(modeIndex)]);
    return kProbeReplyBytes * line.bitsPerByte() * 1000.0 / static_cast<double>(line.baudRate);
}

double ProbeFloorMs(int modeIndex) {
    return kRequestPausesMs + ProbeWireMs(modeIndex) + kSimulatorTurnaroundMs;
}

bool WithSimulator(int com, int modeIndex,
                   const std::function<void(ControllerLink &, TimedPlatform &)> &body) {
    sim::SimulatorProcess simulator(VR_SIM_PROGRAM, {"--com", QString::number(com), "--mode",
                                                     QString::number(modeIndex), "--turnaround",
                                                     QString::number(kSimulatorTurnaroundMs)});
    if (!simulator.start()) {
        std::fprintf(stderr, "vr880tx-bench: %s\n", qPrintable(simulator.error()));
        return false;
    }
    QtPlatform qtPlatform;
    TimedPlatform platform(qtPlatform);
    ControllerLink link(platform);
    if (!link.CommOpen(com, std::string(kLineModes[static_cast<std::size_t>(modeIndex)]))) {
        std::fprintf(stderr, "vr880tx-bench: COM%d does not open\n", com);
        return false;
    }
    body(link, platform);
    link.CommClose();
    return true;
}

ExchangeSeries RunExchanges(ControllerLink &link, TimedPlatform &platform, const char *command,
                            int count, int expectedLength) {
    ExchangeSeries series;
    for (int i = 0; i < count; ++i) {
        platform.arm();
        const long passesBefore = platform.pumpPasses();
        const double start = MonotonicSeconds();
        const bool ok = link.SendCommand(command);
        const double end = MonotonicSeconds();
        const double endCpu = CpuSeconds();
        const double waitStart = platform.waitStartSeconds();
        series.totalMs.push_back((end - start) * 1e3);
        series.writeMs.push_back((waitStart - start) * 1e3);
        series.waitMs.push_back((end - waitStart) * 1e3);
        series.sleepExcessMs.push_back(platform.sleptSeconds() * 1e3 - kRequestPausesMs);
        series.longestPassMs.push_back(platform.longestPassSeconds() * 1e3);
        series.waitCpuSeconds += endCpu - platform.waitStartCpu();
        series.waitWallSeconds += end - waitStart;
        series.waitPumpPasses += platform.pumpPasses() - passesBefore;
        const bool expected =
            expectedLength == 0 ? !ok : ok && link.ReplyLength() == expectedLength;
        if (!expected)
            ++series.failures;
    }
    return series;
}

PollCost MeasureBarePoll(double seconds) {
    int master = -1, slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        return {};
    termios raw{};
    tcgetattr(slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave, TCSANOW, &raw);
    long passes = 0;
    const double cpuStart = CpuSeconds();
    const double wallStart = MonotonicSeconds();
    while (MonotonicSeconds() - wallStart < seconds) {
        // The same wait as the platform's read: poll for 1 ms, then make up the millisecond.
        const auto start = std::chrono::steady_clock::now();
        pollfd wanted{slave, POLLIN, 0};
        ::poll(&wanted, 1, 1);
        std::this_thread::sleep_until(start + std::chrono::milliseconds(1));
        ++passes;
    }
    const double cpu = CpuSeconds() - cpuStart;
    const double wall = MonotonicSeconds() - wallStart;
    close(master);
    close(slave);
    return {cpu / wall, cpu / static_cast<double>(passes) * 1e6};
}

} // namespace vr::bench

namespace vr::bench {

std::vector<double> MeasureSleepOvershoot(int count) {
    QtPlatform platform;
    std::vector<double> overshoot;
    for (int i = 0; i < count; ++i) {
        const double start = MonotonicSeconds();
        platform.sleep(1);
        overshoot.push_back((MonotonicSeconds() - start) * 1e3 - 1);
    }
    return overshoot;
}

} // namespace vr::bench

#include "scan_measurements.h"

#include <memory>
#include <vector>

#include "figures.h"
#include "link/controller_link.h"
#include "operations/controller_operations.h"
#include "operations/recording_view.h"
#include "platform/qt_platform.h"
#include "port_map.h"
#include "support/silent_device.h"
#include "support/virtual_platform.h"

namespace vr::bench {

VirtualScan MeasureVirtualScan(int runs) {
    VirtualScan result;
    double cpuTotal = 0;
    for (int run = 0; run < runs; ++run) {
        test::VirtualPlatform platform;
        std::vector<std::unique_ptr<test::SilentDevice>> ports;
        for (int port = 1; port <= kScanPorts; ++port) {
            ports.push_back(std::make_unique<test::SilentDevice>());
            platform.attach(port, *ports.back());
        }
        Session session;
        test::RecordingView view(&session);
        view.beeper = &platform;
        ControllerLink link(platform);
        ControllerOperations operations(platform, link, session, view, nullptr);
        ScanInput everyMode;
        everyMode.lockTicked = false;

        const double cpuStart = CpuSeconds();
        const std::uint64_t start = platform.nowMicros();
        operations.scan(everyMode);
        cpuTotal += CpuSeconds() - cpuStart;
        result.virtualSeconds = static_cast<double>(platform.nowMicros() - start) / 1e6;
        // Every request frame goes out in eight writes.
        result.probes = static_cast<int>(
            platform.eventsOf(test::VirtualPlatform::Event::Kind::Write).size() / 8);
    }
    result.cpuSecondsPerScan = cpuTotal / runs;
    return result;
}

PtyScan MeasurePtyScan(const PrivateConfigHome &home, int silentPorts) {
    PtyScan result;
    SilentPorts ports(home, silentPorts, kScanPorts);
    if (!ports.ok())
        return result;

    QtPlatform platform;
    Session session;
    test::RecordingView view(&session);
    view.beeper = &platform;
    ControllerLink link(platform);
    ControllerOperations operations(platform, link, session, view, nullptr);
    ScanInput everyMode;
    everyMode.lockTicked = false;

    const double cpuStart = CpuSeconds();
    const double wallStart = MonotonicSeconds();
    operations.scan(everyMode);
    result.wallSeconds = MonotonicSeconds() - wallStart;
    result.cpuSeconds = CpuSeconds() - cpuStart;
    result.portsOpened = static_cast<int>(view.eventsStartingWith("status Scan COM").size());
    result.probes = silentPorts * 24;
    result.status = view.statusText.toStdString();
    return result;
}

} // namespace vr::bench

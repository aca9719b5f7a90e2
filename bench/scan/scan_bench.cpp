// Times the worst case of the controller scan: no controller anywhere, 16 ports present and
// silent, chkLock unticked, so every port is opened in all twelve line modes and every probe
// waits out its reply limit. Prints the virtual duration against the bound of 384 probes of
// (12 ms of paced writes + the 300 ms reply limit), and the CPU time the run took.

#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

#include "link/controller_link.h"
#include "operations/controller_operations.h"
#include "operations/recording_view.h"
#include "support/silent_device.h"
#include "support/virtual_platform.h"

namespace {

constexpr int kPorts = 16;
constexpr int kProbes = 384; // 16 ports x 12 line modes x 2 probes
constexpr double kBoundSeconds = kProbes * (12 + 300) / 1000.0;

double CpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

void VirtualWorstCase(int runs) {
    double cpuTotal = 0;
    double virtualSeconds = 0;
    std::size_t probes = 0;
    for (int run = 0; run < runs; ++run) {
        vr::test::VirtualPlatform platform;
        std::vector<std::unique_ptr<vr::test::SilentDevice>> ports;
        for (int port = 1; port <= kPorts; ++port) {
            ports.push_back(std::make_unique<vr::test::SilentDevice>());
            platform.attach(port, *ports.back());
        }
        vr::Session session;
        vr::test::RecordingView view(&session);
        view.chkLock = false;
        vr::ControllerLink link(platform);
        vr::ControllerOperations operations(platform, link, view, session);

        const double cpuStart = CpuSeconds();
        const std::uint64_t start = platform.nowMicros();
        operations.scan();
        cpuTotal += CpuSeconds() - cpuStart;
        virtualSeconds = static_cast<double>(platform.nowMicros() - start) / 1e6;
        // Every request frame goes out in eight writes.
        probes = platform.eventsOf(vr::test::VirtualPlatform::Event::Kind::Write).size() / 8;
    }
    std::printf("virtual time, worst case (no controller, %d silent ports, lock unticked)\n",
                kPorts);
    std::printf("  probes:            %zu\n", probes);
    std::printf("  virtual duration:  %.3f s (bound %d x (12 ms + 300 ms) = %.3f s; ratio %.4f)\n",
                virtualSeconds, kProbes, kBoundSeconds, virtualSeconds / kBoundSeconds);
    std::printf("  beyond the bound:  %.3f s = the closing low beep (0.300 s) + %.2f ms a probe "
                "(a wait ends at the first 1 ms read past its 300 ms)\n",
                virtualSeconds - kBoundSeconds,
                (virtualSeconds - kBoundSeconds - 0.3) * 1e3 / static_cast<double>(kProbes));
    std::printf("  CPU time per scan: %.1f ms (mean of %d runs)\n", cpuTotal / runs * 1e3, runs);
}

} // namespace

int main(int argc, char **argv) {
    (void)argc;
    (void)argv;
    VirtualWorstCase(5);
    return 0;
}

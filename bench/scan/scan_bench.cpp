// Times the worst case of the controller scan: no controller anywhere, 16 ports present and
// silent, chkLock unticked, so every port is opened in all twelve line modes and every probe
// waits out its reply limit. Prints the virtual duration against the bound of 384 probes of
// (12 ms of paced writes + the 300 ms reply limit), and the CPU time the run took.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#ifdef VR_HAVE_QT_PLATFORM
#include <chrono>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/qt_platform.h"
#endif

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

#ifdef VR_HAVE_QT_PLATFORM

// The same worst case in real time on `ports` pseudo-terminals that nobody answers (COM1 to
// COM<ports> in a port map folder of its own; the other port numbers point nowhere, so they do
// not open). Their masters stay open and unread: a silent line.
int PtyWorstCase(int argc, char **argv, int ports) {
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QCoreApplication app(argc, argv);
    const QString portMap = config.path() + "/vr880tx-config/ports";
    QDir().mkpath(portMap);
    std::vector<int> masters;
    for (int port = 1; port <= kPorts; ++port) {
        QString target = config.path() + "/absent";
        if (port <= ports) {
            int master = -1, slave = -1;
            char name[256] = {};
            if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
                std::perror("openpty");
                return 1;
            }
            termios raw{};
            tcgetattr(master, &raw);
            cfmakeraw(&raw);
            tcsetattr(master, TCSANOW, &raw);
            close(slave);
            masters.push_back(master);
            target = QString::fromLocal8Bit(name);
        }
        QFile::link(target, portMap + "/COM" + QString::number(port));
    }

    vr::QtPlatform platform;
    vr::Session session;
    vr::test::RecordingView view(&session);
    view.chkLock = false;
    vr::ControllerLink link(platform);
    vr::ControllerOperations operations(platform, link, view, session);

    const double cpuStart = CpuSeconds();
    const auto wallStart = std::chrono::steady_clock::now();
    operations.scan();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    const double cpu = CpuSeconds() - cpuStart;
    for (const int master : masters)
        close(master);

    const int probes = ports * 24;
    const double bound = probes * 0.312;
    std::printf("real time on %d silent ptys (lock unticked), the other ports absent\n", ports);
    std::printf("  ports opened: %zu, status line: %s\n",
                view.eventsStartingWith("status Scan COM").size(),
                view.status.toStdString().c_str());
    std::printf("  wall duration:     %.3f s (bound %d x (12 ms + 300 ms) = %.3f s, + 0.300 s "
                "beep; ratio %.4f)\n",
                wall, probes, bound, wall / (bound + 0.3));
    std::printf("  per probe:         %.2f ms beyond the 312 ms\n",
                (wall - bound - 0.3) * 1e3 / probes);
    std::printf("  CPU time:          %.3f s (%.2f%% of the wall time)\n", cpu, 100.0 * cpu / wall);
    return 0;
}

#endif

} // namespace

// scan-bench [--pty N]: the virtual-time worst case; with --pty, also N real pseudo-terminals.
int main(int argc, char **argv) {
    VirtualWorstCase(5);
#ifdef VR_HAVE_QT_PLATFORM
    if (argc == 3 && std::strcmp(argv[1], "--pty") == 0)
        return PtyWorstCase(argc, argv, std::atoi(argv[2]));
#else
    (void)argc;
    (void)argv;
#endif
    return 0;
}

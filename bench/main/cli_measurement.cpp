#include "cli_measurement.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <cstdio>

#include "figures.h"
#include "i18n/message_catalogue.h"
#include "link/controller_link.h"
#include "link/line_modes.h"
#include "link_measurements.h"
#include "operations/controller_operations.h"
#include "platform/qt_platform.h"
#include "sim/simulator_process.h"

namespace vr::bench {
namespace {

constexpr int kSetClockReplyBytes = 12; // ETX, address, two status characters, EOT, CRC, CR
constexpr double kProbedCommandPausesMs = 100 + 100;

// Runs `program` with `arguments` and gives its wall time in ms, or a negative value when it
// did not end with exit code 0.
double TimedRun(const QString &program, const QStringList &arguments,
                const QProcessEnvironment &environment) {
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setStandardOutputFile(QProcess::nullDevice());
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const double start = MonotonicSeconds();
    child.start(program, arguments);
    if (!child.waitForFinished(30000) || child.exitStatus() != QProcess::NormalExit ||
        child.exitCode() != 0)
        return -1;
    return (MonotonicSeconds() - start) * 1e3;
}

} // namespace

double SetClockFloorMs(int mode) {
    const auto line = *ParseLineMode(kLineModes[static_cast<std::size_t>(mode)]);
    const double setClockWireMs =
        kSetClockReplyBytes * line.bitsPerByte() * 1000.0 / static_cast<double>(line.baudRate);
    return 2 * ProbeFloorMs(mode) + kProbedCommandPausesMs + kRequestPausesMs + setClockWireMs +
           kSimulatorTurnaroundMs;
}

CliRuns MeasureCliRuns(const QString &program, int com, int runs) {
    CliRuns result;
    sim::SimulatorProcess simulator(VR_SIM_PROGRAM, {"--com", QString::number(com), "--turnaround",
                                                     QString::number(kSimulatorTurnaroundMs)});
    if (!simulator.start()) {
        std::fprintf(stderr, "vr880tx-bench: %s\n", qPrintable(simulator.error()));
        result.failures = runs;
        return result;
    }
    QTemporaryDir settings; // a store of the run's own: nothing of the machine's is read
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("VR880TX_SETTINGS_DIR", settings.path());
    const QStringList setClock = {"set-clock", "--port", QString::number(com), "--quiet"};

    // A first run of each loads the libraries into the page cache; it is not counted.
    TimedRun(program, {"--version"}, environment);
    TimedRun(program, setClock, environment);
    for (int run = 0; run < runs; ++run) {
        const double version = TimedRun(program, {"--version"}, environment);
        const double whole = TimedRun(program, setClock, environment);
        if (version < 0 || whole < 0) {
            ++result.failures;
            continue;
        }
        result.versionMs.push_back(version);
        result.setClockMs.push_back(whole);
    }

    // The same operation in this process: the find, then Set Date Time.
    BuildMessageCatalogue();
    QtPlatform platform;
    ControllerLink link(platform);
    OperationFeedback silent;
    Session session;
    session.settings.ScanCommNo = com;
    ControllerOperations operations(platform, link, session, silent, nullptr);
    for (int run = 0; run < runs; ++run) {
        const double start = MonotonicSeconds();
        const bool ok = operations.findController().ok() && operations.setDateTime().ok();
        if (!ok) {
            ++result.failures;
            continue;
        }
        result.inProcessMs.push_back((MonotonicSeconds() - start) * 1e3);
    }
    return result;
}

} // namespace vr::bench

#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <optional>

namespace vr::sim {

// Runs vr880tx-sim as a child process for end-to-end tests and benchmarks: starts it, waits for
// its ready line and ends it with SIGTERM (so it removes its port link) when destroyed. The child
// inherits the environment, XDG_CONFIG_HOME included, so the port map folder is the caller's; it
// does not inherit ignored terminal signals (nohup), so every stop signal ends it.
class SimulatorProcess {
public:
    // `program` is the path of vr880tx-sim; `arguments` its command line (--com, --mode...).
    SimulatorProcess(QString program, QStringList arguments);
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess &) = delete;
    SimulatorProcess &operator=(const SimulatorProcess &) = delete;

    // Starts the simulator and waits up to `timeoutMs` for "COM<N> -> /dev/pts/X". False, with
    // the reason in error(), when it did not start or said something else.
    bool start(int timeoutMs = 10000);
    // Ends it with SIGTERM, or SIGKILL when that takes longer than five seconds.
    void stop();
    // Sends `signal` and waits up to `timeoutMs` for the simulator to end: its exit code when it
    // ended by itself, nothing when the signal killed it or it still runs.
    std::optional<int> endWith(int signal, int timeoutMs = 5000);

    qint64 processId() const { return process_.processId(); }
    const QString &readyLine() const { return readyLine_; }
    const QString &slavePath() const { return slavePath_; }
    const QString &error() const { return error_; }

private:
    QString program_;
    QStringList arguments_;
    QProcess process_;
    QString readyLine_;
    QString slavePath_;
    QString error_;
};

} // namespace vr::sim

#include "sim/simulator_process.h"

#include <csignal>

#include <QElapsedTimer>

namespace vr::sim {

SimulatorProcess::SimulatorProcess(QString program, QStringList arguments)
    : program_(std::move(program)), arguments_(std::move(arguments)) {
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Runs in the child between fork and exec: async-signal-safe calls only.
    process_.setChildProcessModifier([] {
        struct sigaction byDefault {};
        byDefault.sa_handler = SIG_DFL;
        for (const int signal : {SIGINT, SIGQUIT, SIGHUP})
            ::sigaction(signal, &byDefault, nullptr);
    });
}

SimulatorProcess::~SimulatorProcess() {
    stop();
}

bool SimulatorProcess::start(int timeoutMs) {
    process_.start(program_, arguments_);
    if (!process_.waitForStarted(timeoutMs)) {
        error_ = "cannot start " + program_ + ": " + process_.errorString();
        return false;
    }
    QElapsedTimer waited;
    waited.start();
    while (!process_.canReadLine()) {
        const auto left = timeoutMs - static_cast<int>(waited.elapsed());
        if (left <= 0 || process_.state() != QProcess::Running) {
            error_ = "no ready line from " + program_;
            return false;
        }
        process_.waitForReadyRead(left);
    }
    readyLine_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
    const auto arrow = readyLine_.indexOf(" -> ");
    if (!readyLine_.startsWith("COM") || arrow < 0) {
        error_ = "unexpected ready line: " + readyLine_;
        return false;
    }
    slavePath_ = readyLine_.mid(arrow + 4);
    return true;
}

void SimulatorProcess::stop() {
    if (process_.state() == QProcess::Running && !endWith(SIGTERM))
        endWith(SIGKILL);
}

std::optional<int> SimulatorProcess::endWith(int signal, int timeoutMs) {
    const qint64 pid = process_.processId(); // 0 unless it runs: never a signal to a group
    if (process_.state() != QProcess::Running || pid <= 0)
        return std::nullopt;
    ::kill(static_cast<pid_t>(pid), signal);
    if (!process_.waitForFinished(timeoutMs) || process_.exitStatus() != QProcess::NormalExit)
        return std::nullopt;
    return process_.exitCode();
}

} // namespace vr::sim

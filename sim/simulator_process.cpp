#include "sim/simulator_process.h"

#include <QElapsedTimer>

namespace vr::sim {

SimulatorProcess::SimulatorProcess(QString program, QStringList arguments)
    : program_(std::move(program)), arguments_(std::move(arguments)) {
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
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
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate(); // SIGTERM: the simulator removes its link and ends
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

} // namespace vr::sim

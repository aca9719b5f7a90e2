#include "window_rig.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <QTimer>

#include "figures.h"
#include "link/line_modes.h"

namespace vr::bench {

WindowRig::WindowRig(int com, int modeIndex) {
    store_ = std::make_unique<SettingsStore>(storeFolder_.path());
    ScanSettings stored;
    stored.ScanCommNo = com;
    stored.ScanBaudRateNo = modeIndex;
    stored.ScanBaudRate = QString::fromLatin1(
        kLineModes[static_cast<std::size_t>(modeIndex)].data(),
        static_cast<qsizetype>(kLineModes[static_cast<std::size_t>(modeIndex)].size()));
    store_->SaveScanSettings(stored);
    window_ = std::make_unique<ui::TfrmModule>(platform_, link_, *store_);
    window_->show();
    idle(50);
}

WindowRig::~WindowRig() = default;

void WindowRig::press(QWidget *button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

void WindowRig::idle(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
}

bool WindowRig::scan() {
    press(window_->btnScan);
    return window_->session().ControllerFound;
}

WindowRig::AutoTestRun WindowRig::runAutoTest(double seconds,
                                              const std::function<void(double)> &tick) {
    AutoTestRun run;
    const double start = MonotonicSeconds();
    // Fires only while the test dispatches the window's messages (its pumps and reply waits).
    QTimer cancel;
    cancel.setInterval(50);
    QObject::connect(&cancel, &QTimer::timeout, [&] {
        const Session &session = window_->session();
        const double elapsed = MonotonicSeconds() - start;
        if (tick)
            tick(elapsed);
        if (elapsed < seconds || !session.TestRunning || window_->isLocked())
            return;
        press(window_->btnProcess);
        if (!session.TestRunning)
            run.cancelled = true;
    });
    cancel.start();
    press(window_->btnProcess);
    cancel.stop();
    run.seconds = MonotonicSeconds() - start;
    run.yellowLamp = window_->shComm->brushColour() == QColor(255, 255, 0);
    return run;
}

} // namespace vr::bench

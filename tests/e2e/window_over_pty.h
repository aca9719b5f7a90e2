#pragma once

// The real main window on the program's own platform, driven with QTest clicks against
// vr880tx-sim over a pseudo-terminal, in real time.

#include <QAbstractButton>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>

#include <functional>
#include <memory>
#include <ostream>
#include <vector>

#include <gtest/gtest.h>

#include "link/controller_link.h"
#include "platform/port_map.h"
#include "platform/qt_platform.h"
#include "settings/settings_store.h"
#include "sim/simulator_process.h"
#include "ui/frm_module.h"
#include "ui/window_look.h"

// Readable QString values in failure messages.
inline void PrintTo(const QString &text, std::ostream *out) {
    *out << '"' << text.toStdString() << '"';
}

namespace vr::e2e {

// The program's platform, with what it did on the side: the beeps it sounded, the serial ports
// it holds open, and the reads that found the line quiet.
class ObservedPlatform : public Platform {
public:
    std::uint32_t milliseconds() override { return real_.milliseconds(); }
    void sleep(std::uint32_t ms) override { real_.sleep(ms); }
    void pumpEvents() override { real_.pumpEvents(); }
    void beep(int frequencyHz, int durationMs) override {
        beeps.push_back(frequencyHz);
        real_.beep(frequencyHz, durationMs);
    }
    LocalTime localTime() override { return real_.localTime(); }

    std::unique_ptr<SerialPort> openSerial(int portNumber, const std::optional<LineSettings> &line,
                                           PortOpenFailure &failure) override {
        auto port = real_.openSerial(portNumber, line, failure);
        if (!port)
            return nullptr;
        return std::make_unique<ObservedPort>(*this, std::move(port));
    }

    std::vector<int> beeps;
    int openPorts = 0;
    long quietReads = 0;

private:
    class ObservedPort : public SerialPort {
    public:
        ObservedPort(ObservedPlatform &owner, std::unique_ptr<SerialPort> port)
            : owner_(owner), port_(std::move(port)) {
            ++owner_.openPorts;
        }
        ~ObservedPort() override { --owner_.openPorts; }
        bool readByte(std::uint8_t &byte) override {
            const bool read = port_->readByte(byte);
            if (!read)
                ++owner_.quietReads;
            return read;
        }
        void write(const std::uint8_t *data, std::size_t count) override {
            port_->write(data, count);
        }

    private:
        ObservedPlatform &owner_;
        std::unique_ptr<SerialPort> port_;
    };

    QtPlatform real_;
};

// Runs `step` every 10 ms whenever the program handles window messages (inside its reply waits
// and pumping pauses), until the step returns true. After `limitMs` it gives up and runs
// `giveUp` once, so that a test that never reaches its condition still ends.
class Watcher {
public:
    Watcher(std::function<bool()> step, std::function<void()> giveUp, int limitMs = 30000)
        : step_(std::move(step)), giveUp_(std::move(giveUp)), limitMs_(limitMs) {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
        elapsed_.start();
        timer_.start();
    }
    bool done() const { return done_; }
    bool gaveUp() const { return gaveUp_; }

private:
    void tick() {
        if (done_ || busy_)
            return;
        busy_ = true; // a click made here pumps messages too, and would run this again inside
        if (step_()) {
            done_ = true;
        } else if (elapsed_.elapsed() > limitMs_) {
            done_ = gaveUp_ = true;
            giveUp_();
        }
        busy_ = false;
        if (done_)
            timer_.stop();
    }

    std::function<bool()> step_;
    std::function<void()> giveUp_;
    int limitMs_;
    QTimer timer_;
    QElapsedTimer elapsed_;
    bool done_ = false;
    bool gaveUp_ = false;
    bool busy_ = false;
};

inline int OpenDescriptorCount() {
    return static_cast<int>(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::System).size());
}

// CPU time of this process so far, user and system, in milliseconds.
inline double CpuMilliseconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

// The window on the real platform with a settings store of its own. Every port but the
// simulator's is a link that points nowhere, so a sweep costs nothing on ports without the
// controller, whatever serial devices the machine has.
class WindowOverPty : public ::testing::Test {
protected:
    static constexpr int kCom = 3;

    void SetUp() override {
        ASSERT_TRUE(storeFolder.isValid());
        ASSERT_TRUE(QDir().mkpath(QString::fromStdString(PortMapFolder())));
        for (int com = 1; com <= 16; ++com) {
            const QString portLink = QString::fromStdString(PortMapEntry(com));
            QFile::remove(portLink);
            if (com != kCom) {
                ASSERT_TRUE(QFile::link(QStringLiteral("/nonexistent/COM%1").arg(com), portLink));
            }
        }
        window = std::make_unique<ui::TfrmModule>(platform, link, store);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    // The links made by hand go, so that a simulator of a later test may take any number.
    void TearDown() override {
        window.reset();
        for (int com = 1; com <= 16; ++com)
            if (com != kCom)
                QFile::remove(QString::fromStdString(PortMapEntry(com)));
    }

    std::unique_ptr<sim::SimulatorProcess> startSimulator(const QStringList &arguments = {}) {
        auto simulator = std::make_unique<sim::SimulatorProcess>(
            VR_SIM_PROGRAM, QStringList{"--com", QString::number(kCom)} + arguments);
        EXPECT_TRUE(simulator->start()) << simulator->error().toStdString();
        return simulator;
    }

    static void click(QAbstractButton *button) { QTest::mouseClick(button, Qt::LeftButton); }

    // A scan in the stored line mode only (the mode a simulator starts in by default).
    void scan() {
        window->chkLock->setChecked(true);
        click(window->btnScan);
    }

    // Sends `command` with Test Command and gives the accepted reply's bytes (empty when none).
    QByteArray testCommand(const QString &command) {
        window->edCommand->setText(command);
        click(window->btnCommand);
        return window->replyBytes();
    }

    static QColor colour(const ui::LampShape *lamp) { return lamp->brushColour(); }
    QColor commLamp() const { return colour(window->shComm); }
    int lastBeep() const { return platform.beeps.empty() ? 0 : platform.beeps.back(); }

    // The six input lamps, "1" for a yellow one and "0" for a white one.
    QString inputLamps() const {
        QString states;
        for (const ui::LampShape *lamp : {window->shDI1, window->shDI2, window->shDI3,
                                          window->shDI4, window->shDI5, window->shDI6})
            states +=
                colour(lamp) == ui::clYellow ? '1' : (colour(lamp) == ui::clWhite ? '0' : '?');
        return states;
    }

    // The port is neither held by the link nor by anything the link opened.
    void expectPortClosed() const {
        EXPECT_FALSE(link.isOpen());
        EXPECT_EQ(platform.openPorts, 0);
    }

    // The window takes input again and shows the arrow.
    void expectWindowUsable() const {
        EXPECT_FALSE(window->isLocked());
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_TRUE(window->btnScan->isEnabled());
        EXPECT_FALSE(window->session().TestRunning);
    }

    ScanSettings stored() const { return SettingsStore(storeFolder.path()).load(); }

    QTemporaryDir storeFolder;
    ObservedPlatform platform;
    ControllerLink link{platform};
    SettingsStore store{storeFolder.path()};
    std::unique_ptr<ui::TfrmModule> window;
};

// The clock of the controller in a reply to "AB" or "IE" (characters 7 to 20), as local time.
inline QDateTime ReplyClock(const QByteArray &reply) {
    return QDateTime::fromString(QString::fromLatin1(reply.mid(6, 14)), "yyyyMMddHHmmss");
}

} // namespace vr::e2e

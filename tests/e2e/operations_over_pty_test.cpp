// The scan and the single-command operations through the real window, in real time, against
// vr880tx-sim over a pseudo-terminal.
#include "e2e/window_over_pty.h"

namespace vr::e2e {
namespace {

// A clock far from the PC's, so that only a Set Date Time can bring the controller to the PC's.
const QString kOldClock = QStringLiteral("20050301140509");

using OperationsOverPty = WindowOverPty;

TEST_F(OperationsOverPty, ScanSweepsToTheControllersPortAndModeAndShowsItsDetails) {
    // "9600,n,8,1": the sweep tries modes 0 and 1 on port 3 before it; ports 1 and 2 are absent.
    const auto simulator =
        startSimulator({"--mode", "2", "--address", "042", "--serial", "87654321", "--firmware",
                        "04.10-07", "--clock", kOldClock});
    window->chkLock->setChecked(false);
    click(window->btnScan);

    EXPECT_EQ(window->pnMsg->text(), "Get Controller Info Ok. (COM : #3)");
    EXPECT_EQ(window->pnSerial->text(), "S/N : 87654321");
    EXPECT_EQ(window->pnVersion->text(), "VER : 04.10-07");
    EXPECT_TRUE(window->pnDate->text().startsWith("2005/03/01  14:05:"))
        << window->pnDate->text().toStdString();
    EXPECT_EQ(window->pnID->text(), "042");
    EXPECT_EQ(window->cmbBaudRate->currentIndex(), 2);
    EXPECT_EQ(window->cmbMode->currentText(), "32 bits"); // the simulator's output width
    EXPECT_EQ(commLamp(), ui::clYellow);
    EXPECT_EQ(lastBeep(), 1000);
    EXPECT_TRUE(window->session().ControllerFound);
    EXPECT_EQ(window->session().ControllerID, "042");

    const ScanSettings settings = stored();
    EXPECT_EQ(settings.ScanCommNo, 3);
    EXPECT_EQ(settings.ScanBaudRate, "9600,n,8,1");
    EXPECT_EQ(settings.ScanBaudRateNo, 2);
    expectPortClosed();
    expectWindowUsable();
}

// Reads the controller's clock back through Test Command "AB" and checks that it shows the PC's
// time. The controller counts whole seconds from the one it was given, and both ends truncate,
// so its clock may trail the PC's by up to two seconds and never leads it.
void ExpectControllerClockIsThePcs(const std::function<QByteArray()> &read) {
    const QDateTime before = QDateTime::currentDateTime();
    const QByteArray reply = read();
    const QDateTime after = QDateTime::currentDateTime();
    const QDateTime clock = ReplyClock(reply);
    ASSERT_TRUE(clock.isValid()) << reply.toStdString();
    EXPECT_GE(clock, before.addMSecs(-2500)) << reply.toStdString();
    EXPECT_LE(clock, after) << reply.toStdString();
}

TEST_F(OperationsOverPty, SetDateTimeSetsTheControllersClockToThePcs) {
    const auto simulator = startSimulator({"--clock", kOldClock});
    scan();
    ASSERT_TRUE(window->session().ControllerFound);

    click(window->btnSetDate);
    EXPECT_EQ(window->pnMsg->text(), "Set Date Time Ok");
    EXPECT_EQ(commLamp(), ui::clYellow);
    EXPECT_EQ(lastBeep(), 1000);
    expectPortClosed();

    ExpectControllerClockIsThePcs([this] { return testCommand("AB"); });
    EXPECT_EQ(window->pnMsg->text(), "Test Command Ok.");
    expectWindowUsable();
}

TEST_F(OperationsOverPty, AddCardAddsTheCardThatTheNextPollReports) {
    const auto simulator = startSimulator();
    scan();
    ASSERT_TRUE(window->session().ControllerFound);

    window->edCardID->setText("0012345678");
    click(window->btnSetCard);
    EXPECT_EQ(window->pnMsg->text(), "Add Card Ok");
    EXPECT_EQ(commLamp(), ui::clYellow);
    EXPECT_EQ(lastBeep(), 1000);

    // The poll reply carries the added card's record after the clock and the four inputs.
    const QByteArray poll = testCommand("IE");
    ASSERT_EQ(poll.size(), 52) << poll.toStdString();
    EXPECT_EQ(poll.mid(26, 20), "00000012345678000101");
    expectPortClosed();
    expectWindowUsable();
}

TEST_F(OperationsOverPty, SetBaudRateMovesTheNextOperationToTheNewModeWithoutStoringIt) {
    const auto simulator = startSimulator({"--clock", kOldClock});
    scan();
    ASSERT_TRUE(window->session().ControllerFound);

    window->cmbBaudRate->setCurrentIndex(10); // "115200,n,8,1"
    click(window->btnBaudRate);
    EXPECT_EQ(window->pnMsg->text(), "Set BaudRate Ok");
    EXPECT_EQ(window->session().settings.ScanBaudRate, "115200,n,8,1");
    EXPECT_EQ(window->session().settings.ScanBaudRateNo, 10);

    click(window->btnSetDate);
    EXPECT_EQ(window->pnMsg->text(), "Set Date Time Ok");
    EXPECT_EQ(commLamp(), ui::clYellow);
    ExpectControllerClockIsThePcs([this] { return testCommand("AB"); });

    const ScanSettings settings = stored();
    EXPECT_EQ(settings.ScanCommNo, 3);
    EXPECT_EQ(settings.ScanBaudRate, "19200,e,8,1");
    EXPECT_EQ(settings.ScanBaudRateNo, 5);
    expectPortClosed();
    expectWindowUsable();
}

} // namespace
} // namespace vr::e2e

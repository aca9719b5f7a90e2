// The auto test and the DIDO test through the real window, in real time, against vr880tx-sim
// over a pseudo-terminal: each runs a few cycles and is cancelled with its own button.
#include <QSet>

#include <cstdlib>

#include "e2e/window_over_pty.h"

namespace vr::e2e {
namespace {

using LoopingTestsOverPty = WindowOverPty;

TEST_F(LoopingTestsOverPty, AutoTestShowsTheControllerLiveUntilCancelled) {
    // Inputs 1, 2, 3, 4, 7, 8 on one at a time, each for 150 ms; a clock far from the PC's.
    const auto simulator = startSimulator({"--inputs", "walk:150", "--clock", "20050301140509"});
    scan();
    ASSERT_TRUE(window->session().ControllerFound);
    window->edCardID->setText("0012345678");
    window->chkDO3->setChecked(true);
    const QString caption = window->btnProcess->text();

    QSet<QString> dates;
    QSet<QString> lampPatterns;
    QSet<QString> statusTexts;
    bool controlsLockedWhileRunning = true;
    bool cancelled = false;
    Watcher watcher(
        [&] {
            if (!window->session().TestRunning)
                return false;
            controlsLockedWhileRunning =
                controlsLockedWhileRunning && !window->btnScan->isEnabled() &&
                !window->btnDIDO->isEnabled() && window->btnProcess->text() == "Cancel";
            statusTexts.insert(window->pnMsg->text());
            if (!window->pnDate->text().startsWith("2005"))
                dates.insert(window->pnDate->text());
            lampPatterns.insert(inputLamps());
            if (dates.size() < 3 || lampPatterns.size() < 3)
                return false;
            click(window->btnProcess); // Cancel, taken by re-entry
            cancelled = true;
            return true;
        },
        [&] { click(window->btnProcess); });
    click(window->btnProcess);

    EXPECT_TRUE(cancelled);
    EXPECT_FALSE(watcher.gaveUp())
        << "dates " << dates.size() << ", lamp patterns " << lampPatterns.size();
    EXPECT_TRUE(controlsLockedWhileRunning);
    // Set Date Time ran first: the polled clock is the PC's.
    const QDateTime polled =
        QDateTime::fromString(window->pnDate->text(), QStringLiteral("yyyy/MM/dd  HH:mm:ss"));
    ASSERT_TRUE(polled.isValid()) << window->pnDate->text().toStdString();
    EXPECT_LE(std::abs(polled.secsTo(QDateTime::currentDateTime())), 10);
    // Add Card ran second: its record came with a poll and stays on the status line.
    EXPECT_TRUE(statusTexts.contains("00000012345678 (0001) (01)"));
    EXPECT_EQ(window->pnMsg->text(), "00000012345678 (0001) (01)");

    EXPECT_EQ(window->btnProcess->text(), caption);
    EXPECT_EQ(inputLamps(), "000000");
    EXPECT_FALSE(window->chkDO1->isChecked());
    EXPECT_FALSE(window->chkDO2->isChecked());
    EXPECT_FALSE(window->chkDO3->isChecked());
    EXPECT_EQ(commLamp(), ui::clYellow);
    EXPECT_EQ(lastBeep(), 1000);
    EXPECT_TRUE(window->btnDIDO->isEnabled());
    expectPortClosed();
    expectWindowUsable();
}

TEST_F(LoopingTestsOverPty, DidoTestDrivesTheOutputsAndShowsTheInputsUntilCancelled) {
    // The controller's inputs 1 to 3 are wired back to its outputs 1 to 3.
    const auto simulator = startSimulator({"--inputs", "loopback"});
    scan();
    ASSERT_TRUE(window->session().ControllerFound);
    window->chkDO3->setChecked(true); // left from an earlier test: driven from the first cycle
    const QString caption = window->btnDIDO->text();

    enum class Step { TickDo1, SeeDo1AndDo3, SeeDo1Only, Done };
    Step step = Step::TickDo1;
    QString lampsWithDo1AndDo3;
    QString lampsWithDo1Only;
    Watcher watcher(
        [&] {
            if (!window->session().TestRunning || window->btnDIDO->text() != "Cancel")
                return false;
            switch (step) {
            case Step::TickDo1:
                EXPECT_FALSE(window->btnProcess->isEnabled());
                click(window->chkDO1); // the window stays live during the test
                step = Step::SeeDo1AndDo3;
                return false;
            case Step::SeeDo1AndDo3:
                if (inputLamps() != "101000")
                    return false;
                lampsWithDo1AndDo3 = inputLamps();
                click(window->chkDO3);
                step = Step::SeeDo1Only;
                return false;
            case Step::SeeDo1Only:
                if (inputLamps() != "100000")
                    return false;
                lampsWithDo1Only = inputLamps();
                click(window->chkDO3);  // ticked again: kept after the test
                click(window->btnDIDO); // Cancel
                step = Step::Done;
                return true;
            default:
                return true;
            }
        },
        [&] { click(window->btnDIDO); });
    click(window->btnDIDO);

    EXPECT_FALSE(watcher.gaveUp()) << "lamps " << inputLamps().toStdString();
    EXPECT_EQ(lampsWithDo1AndDo3, "101000");
    EXPECT_EQ(lampsWithDo1Only, "100000");

    EXPECT_EQ(window->btnDIDO->text(), caption);
    EXPECT_EQ(window->pnMsg->text(), "DIDO Test");
    EXPECT_EQ(inputLamps(), "000000");
    EXPECT_FALSE(window->chkDO1->isChecked());
    EXPECT_FALSE(window->chkDO2->isChecked());
    EXPECT_TRUE(window->chkDO3->isChecked());
    EXPECT_EQ(commLamp(), ui::clYellow);
    EXPECT_EQ(lastBeep(), 1000);
    EXPECT_TRUE(window->btnProcess->isEnabled());
    expectPortClosed();
    expectWindowUsable();
}

} // namespace
} // namespace vr::e2e

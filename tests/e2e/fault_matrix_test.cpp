// Every fault the simulator can show, met through the real window in real time: each ends in the
// outcome the program promises, the port is closed, nothing leaks, and a following scan and Set
// Date Time against a sound controller work.
#include <csignal>

#include <QSet>

#include "e2e/window_over_pty.h"

namespace vr::e2e {
namespace {

enum class Stage {
    Scan,     // the fault is there from the first probe
    AutoTest, // a sound scan, then the line fails while the auto test polls
};

struct FaultCase {
    const char *name;
    QStringList simulatorArguments;
    Stage stage;
    bool killMidTest; // the simulator is ended with SIGKILL once the polls run
    QString message;  // status line at the end
    bool yellow;      // lamp and beep of success, else red and the low beep
};

void PrintTo(const FaultCase &fault, std::ostream *out) {
    *out << fault.name;
}

const QString kFound = QStringLiteral("Get Controller Info Ok. (COM : #3)");
const QString kNotFound = QStringLiteral("Controller Not Find");
// The auto test writes no message at its end: the status line keeps the record of the card that
// it added, which the first poll showed.
const QString kCardRecord = QStringLiteral("00000012345678 (0001) (01)");

const FaultCase kFaultCases[] = {
    // Bytes before the ETX are dropped when it comes.
    {"NoiseBeforeEveryReply", {"--fault", "noise=12"}, Stage::Scan, false, kFound, true},
    // A pause inside a reply is no end of it while the reply limit has not passed.
    {"SplitReply", {"--fault", "split=150"}, Stage::Scan, false, kFound, true},
    {"WrongCrc", {"--fault", "bad-crc"}, Stage::Scan, false, kNotFound, false},
    {"LowerCaseCrc", {"--fault", "lower-crc"}, Stage::Scan, false, kNotFound, false},
    // A probe reply is accepted only at 20 bytes.
    {"ProbeReplyOf19Bytes", {"--fault", "probe-length=19"}, Stage::Scan, false, kNotFound, false},
    {"ProbeReplyOf21Bytes", {"--fault", "probe-length=21"}, Stage::Scan, false, kNotFound, false},
    // Late enough that a late reply cannot reach the port's second probe, which would take it
    // as its own reply: the port is closed again long before it comes.
    {"ReplyPastTheLimit", {"--fault", "late=1500"}, Stage::Scan, false, kNotFound, false},
    // The 1024th byte without a CR ends the exchange; none is left for the next one.
    {"FloodOf1024Bytes", {"--fault", "flood=1024"}, Stage::Scan, false, kNotFound, false},
    // Request 11 is the IB after the first poll: the line is gone from there on, and four
    // polls without a reply end the test.
    {"HangUpDuringAutoTest", {"--fault", "hangup=10"}, Stage::AutoTest, false, kCardRecord, false},
    {"SimulatorKilledDuringAutoTest", {}, Stage::AutoTest, true, kCardRecord, false},
};

class FaultMatrix : public WindowOverPty, public ::testing::WithParamInterface<FaultCase> {
protected:
    // Runs the auto test to its end; with `kill`, ends the simulator once the polled clock has
    // moved. Checks that waiting on the dead line did not spin: every quiet read takes its
    // millisecond, and the process spends well under half of the time on the CPU.
    void runAutoTest(sim::SimulatorProcess *kill) {
        QSet<QString> dates;
        Watcher watcher(
            [&] {
                if (!kill || !window->session().TestRunning)
                    return false;
                dates.insert(window->pnDate->text());
                if (dates.size() < 3)
                    return false;
                kill->endWith(SIGKILL);
                return true;
            },
            [&] { click(window->btnProcess); });

        const long quietReadsBefore = platform.quietReads;
        const double cpuBefore = CpuMilliseconds();
        QElapsedTimer elapsed;
        elapsed.start();
        click(window->btnProcess);
        const auto wallMs = static_cast<double>(elapsed.elapsed());
        const double cpuMs = CpuMilliseconds() - cpuBefore;

        EXPECT_FALSE(watcher.gaveUp());
        EXPECT_LE(static_cast<double>(platform.quietReads - quietReadsBefore), wallMs + 1);
        EXPECT_LT(cpuMs, 0.5 * wallMs) << "CPU " << cpuMs << " ms in " << wallMs << " ms";
        EXPECT_EQ(window->btnProcess->text(), "Auto Test");
        EXPECT_EQ(inputLamps(), "000000");
    }
};

TEST_P(FaultMatrix, EndsInThePromisedOutcomeAndLeavesTheWindowUsable) {
    const FaultCase &fault = GetParam();
    const int descriptorsBefore = OpenDescriptorCount();
    window->edCardID->setText("0012345678");
    {
        const auto simulator = startSimulator(fault.simulatorArguments);
        scan();
        if (fault.stage == Stage::AutoTest) {
            ASSERT_EQ(window->pnMsg->text(), kFound);
            runAutoTest(fault.killMidTest ? simulator.get() : nullptr);
        }

        EXPECT_EQ(window->pnMsg->text(), fault.message);
        EXPECT_EQ(commLamp(), fault.yellow ? ui::clYellow : ui::clRed);
        EXPECT_EQ(lastBeep(), fault.yellow ? 1000 : 300);
        if (fault.message == kNotFound) {
            EXPECT_FALSE(window->session().ControllerFound);
            EXPECT_EQ(stored().ScanCommNo, 0);
        }
        expectPortClosed();
        expectWindowUsable();
    }

    // A sound controller on the same port afterwards.
    {
        const auto simulator = startSimulator();
        scan();
        EXPECT_EQ(window->pnMsg->text(), kFound);
        click(window->btnSetDate);
        EXPECT_EQ(window->pnMsg->text(), "Set Date Time Ok");
        EXPECT_EQ(commLamp(), ui::clYellow);
        expectPortClosed();
        expectWindowUsable();
    }
    EXPECT_EQ(OpenDescriptorCount(), descriptorsBefore);
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultMatrix, ::testing::ValuesIn(kFaultCases),
                         [](const ::testing::TestParamInfo<FaultCase> &param) {
                             return std::string(param.param.name);
                         });

} // namespace
} // namespace vr::e2e

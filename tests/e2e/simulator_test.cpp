// vr880tx-sim as a process: its command line, its claim on COM<n> in the port map folder, and the
// signals that end it.
#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <optional>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include "link/controller_link.h"
#include "platform/port_names.h"
#include "platform/qt_platform.h"
#include "sim/simulator_process.h"

// Readable QString values in failure messages.
inline void PrintTo(const QString &text, std::ostream *out) {
    *out << '"' << text.toStdString() << '"';
}

namespace vr {
namespace {

constexpr int kCom = 5;

QString portLink() {
    return QString::fromStdString(PortMapEntry(kCom));
}

// What the simulator leaves in the port map folder for COM<kCom>: its link, its lock file.
QStringList leftovers() {
    return QDir(QString::fromStdString(PortMapFolder()))
        .entryList({QStringLiteral("COM%1*").arg(kCom)},
                   QDir::AllEntries | QDir::System | QDir::Hidden);
}

struct Ended {
    std::optional<int> exitCode; // nothing when it did not end by itself
    QString out;
    QString err;
};

// Runs a simulator that is expected not to serve.
Ended runToItsEnd(const QStringList &arguments) {
    QProcess process;
    process.start(VR_SIM_PROGRAM, arguments);
    Ended ended;
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished();
        return ended;
    }
    if (process.exitStatus() == QProcess::NormalExit)
        ended.exitCode = process.exitCode();
    ended.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    ended.err = QString::fromLocal8Bit(process.readAllStandardError());
    return ended;
}

std::unique_ptr<sim::SimulatorProcess> startSimulator(const QString &program = VR_SIM_PROGRAM,
                                                      QStringList arguments = {}) {
    auto simulator = std::make_unique<sim::SimulatorProcess>(
        program, arguments << "--com" << QString::number(kCom));
    EXPECT_TRUE(simulator->start()) << simulator->error().toStdString();
    return simulator;
}

// The program finds a controller through COM<kCom>.
bool probeAnswered() {
    QtPlatform platform;
    ControllerLink link(platform);
    if (!link.CommOpen(kCom, "19200,e,8,1"))
        return false;
    const bool answered = link.SendCommand("000AS");
    link.CommClose();
    return answered;
}

class Simulator : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir().mkpath(QString::fromStdString(PortMapFolder())));
        ASSERT_EQ(leftovers(), QStringList{});
    }
};

// ---- the command line ------------------------------------------------------------------------

struct CommandLineCase {
    const char *name;
    QStringList arguments;
    QString message;
    bool usage = false; // the usage follows the message
};

void PrintTo(const CommandLineCase &row, std::ostream *out) {
    *out << row.name;
}

class SimulatorCommandLine : public Simulator,
                             public ::testing::WithParamInterface<CommandLineCase> {};

TEST_P(SimulatorCommandLine, IsRefusedWithItsReasonAndExitCode2) {
    const Ended ended = runToItsEnd(GetParam().arguments);
    EXPECT_EQ(ended.exitCode, 2);
    EXPECT_TRUE(ended.err.startsWith("vr880tx-sim: " + GetParam().message + "\n"))
        << ended.err.toStdString();
    EXPECT_EQ(ended.err.contains("usage: vr880tx-sim"), GetParam().usage)
        << ended.err.toStdString();
    EXPECT_EQ(ended.out, "");
    EXPECT_EQ(leftovers(), QStringList{});
}

const QString kPortNumbers = QStringLiteral("(expected a port number from 1 to 16)");

INSTANTIATE_TEST_SUITE_P(
    Refused, SimulatorCommandLine,
    ::testing::Values(
        CommandLineCase{"ComZero", {"--com", "0"}, "bad value for --com: \"0\" " + kPortNumbers},
        CommandLineCase{
            "ComSeventeen", {"--com=17"}, "bad value for --com: \"17\" " + kPortNumbers},
        CommandLineCase{"ComEmpty", {"--com="}, "bad value for --com: \"\" " + kPortNumbers},
        CommandLineCase{"UnknownOption", {"--bogus"}, "unknown option --bogus", true},
        CommandLineCase{"UnknownOptionAfterAGoodOne",
                        {"--com", "5", "--bogus=1"},
                        "unknown option --bogus",
                        true},
        CommandLineCase{"NoOptionAtAll", {"5"}, "unexpected argument 5", true},
        CommandLineCase{"MissingValue",
                        {"--address", "007", "--mode"},
                        "--mode needs a value: a line mode index from 0 to 11"},
        CommandLineCase{"ModeOutOfRange",
                        {"--mode", "12"},
                        "bad value for --mode: \"12\" (expected a line mode index from 0 to 11)"},
        CommandLineCase{"ShortAddress",
                        {"--address", "07"},
                        "bad value for --address: \"07\" (expected three digits)"},
        CommandLineCase{"UnknownFault",
                        {"--fault", "probe-length=20"},
                        "bad value for --fault: \"probe-length=20\" (expected a fault named in "
                        "--help)"}),
    [](const auto &row) { return std::string(row.param.name); });

TEST_F(Simulator, ServesTheFirstAndTheLastPortNumber) {
    for (const int com : {1, 16}) {
        sim::SimulatorProcess simulator(VR_SIM_PROGRAM, {"--com", QString::number(com)});
        ASSERT_TRUE(simulator.start()) << simulator.error().toStdString();
        EXPECT_EQ(simulator.readyLine(),
                  QStringLiteral("COM%1 -> %2").arg(com).arg(simulator.slavePath()));
        EXPECT_EQ(QFileInfo(QString::fromStdString(PortMapEntry(com))).symLinkTarget(),
                  simulator.slavePath());
    }
}

// ---- the signals that end it -----------------------------------------------------------------

class SimulatorSignal : public Simulator, public ::testing::WithParamInterface<int> {};

TEST_P(SimulatorSignal, EndsItCleanlyAndRemovesItsLink) {
    const auto simulator = startSimulator();
    ASSERT_EQ(QFileInfo(portLink()).symLinkTarget(), simulator->slavePath());
    EXPECT_EQ(simulator->endWith(GetParam()), 0); // ended by itself, not by the signal
    EXPECT_EQ(leftovers(), QStringList{});
}

INSTANTIATE_TEST_SUITE_P(Signals, SimulatorSignal,
                         ::testing::Values(SIGTERM, SIGINT, SIGHUP, SIGQUIT), [](const auto &row) {
                             switch (row.param) {
                             case SIGTERM:
                                 return "TERM";
                             case SIGINT:
                                 return "INT";
                             case SIGHUP:
                                 return "HUP";
                             default:
                                 return "QUIT";
                             }
                         });

// Started to outlive its terminal, it keeps serving when the terminal closes.
TEST_F(Simulator, StartedWithNohupOutlivesItsTerminal) {
    const auto simulator = startSimulator("nohup", {VR_SIM_PROGRAM});
    EXPECT_EQ(simulator->endWith(SIGHUP, 300), std::nullopt);
    EXPECT_EQ(QFileInfo(portLink()).symLinkTarget(), simulator->slavePath());
    EXPECT_TRUE(probeAnswered());
    EXPECT_EQ(simulator->endWith(SIGTERM), 0);
    EXPECT_EQ(leftovers(), QStringList{});
}

// ---- its claim on COM<n> ---------------------------------------------------------------------

enum class Holder { Simulator, LinkByHand, FileByHand };

struct HolderCase {
    const char *name;
    Holder holder;
    QString message; // after "COM5 "; %1 is the first simulator's process id or the entry
};

void PrintTo(const HolderCase &row, std::ostream *out) {
    *out << row.name;
}

class SecondSimulator : public Simulator, public ::testing::WithParamInterface<HolderCase> {};

TEST_P(SecondSimulator, IsRefusedAndLeavesCOMnAsItWas) {
    std::unique_ptr<sim::SimulatorProcess> first;
    QString target;
    QString detail = portLink();
    switch (GetParam().holder) {
    case Holder::Simulator:
        first = startSimulator();
        target = first->slavePath();
        detail = QString::number(first->processId());
        break;
    case Holder::LinkByHand:
        target = QStringLiteral("/dev/ttyUSB9");
        ASSERT_TRUE(QFile::link(target, portLink()));
        break;
    case Holder::FileByHand: {
        QFile file(portLink());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        break;
    }
    }
    const QStringList before = leftovers();

    const Ended second = runToItsEnd({"--com", QString::number(kCom)});
    EXPECT_EQ(second.exitCode, 2);
    const QString message = GetParam().message.arg(detail);
    EXPECT_EQ(second.err, QStringLiteral("vr880tx-sim: COM%1 ").arg(kCom) + message + "\n");
    EXPECT_EQ(second.out, "");

    EXPECT_EQ(leftovers(), before);
    EXPECT_EQ(QFileInfo(portLink()).symLinkTarget(), target);
    if (first) {
        EXPECT_TRUE(probeAnswered()); // the first one still serves
        first->stop();
    } else {
        QFile::remove(portLink());
    }
    EXPECT_EQ(leftovers(), QStringList{});
}

INSTANTIATE_TEST_SUITE_P(
    WhileCOMnIsHeldBy, SecondSimulator,
    ::testing::Values(
        HolderCase{"ARunningSimulator", Holder::Simulator,
                   "is served by another simulator (pid %1); stop it or choose another --com"},
        HolderCase{"ALinkMadeByHand", Holder::LinkByHand,
                   "is mapped by hand (%1 -> /dev/ttyUSB9); remove it or choose another --com"},
        HolderCase{"AFileMadeByHand", Holder::FileByHand,
                   "is mapped by hand (%1 is a file); remove it or choose another --com"}),
    [](const auto &row) { return std::string(row.param.name); });

// A simulator killed with SIGKILL cannot remove its link; the next one on that number replaces
// it, and the program's port naming goes by the link alone, not the lock file beside it.
TEST_F(Simulator, TakesOverTheLinkOfASimulatorKilledWithSigkill) {
    const auto killed = startSimulator();
    EXPECT_EQ(killed->endWith(SIGKILL), std::nullopt);
    EXPECT_EQ(QFileInfo(portLink()).symLinkTarget(), killed->slavePath());

    const auto next = startSimulator();
    EXPECT_EQ(QFileInfo(portLink()).symLinkTarget(), next->slavePath());
    EXPECT_EQ(SerialDeviceName(kCom), next->slavePath().toStdString());
    EXPECT_TRUE(probeAnswered());
    next->stop();
    EXPECT_EQ(leftovers(), QStringList{});
}

} // namespace
} // namespace vr

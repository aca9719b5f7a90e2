// vr880tx as a process against vr880tx-sim over a pseudo-terminal, in real time: exit codes, JSON
// lines and the requests the simulator heard; the diagnostics of a port that does not open; a
// stop signal during an auto test; the progress of a scan on a terminal; the trace.

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <csignal>
#include <functional>
#include <memory>
#include <optional>

#include <fcntl.h>
#include <grp.h>
#include <pty.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/port_map.h"
#include "settings/settings_store.h"
#include "sim/simulator_process.h"

namespace vr::e2e {
namespace {

constexpr int kCom = 3;

// A process of vr880tx that ran to its end.
struct CliRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    QJsonObject json; // its last line of standard output, when that is a JSON object
};

// Runs as the user "nobody", when the tests run as root: file permissions then bind.
void BecomeNobody() {
    const passwd *nobody = ::getpwnam("nobody");
    const uid_t uid = nobody ? nobody->pw_uid : 65534;
    const gid_t gid = nobody ? nobody->pw_gid : 65534;
    if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
        ::_exit(127);
}

// Expected text may end in "*": then only what comes before must match.
bool Matches(const QString &actual, const QString &expected) {
    if (expected.endsWith('*'))
        return actual.startsWith(expected.chopped(1));
    return actual == expected;
}

class CommandLineOverPty : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(settings.isValid());
        ASSERT_TRUE(QDir().mkpath(QString::fromStdString(PortMapFolder())));
        // Every port but the simulator's points nowhere, so a sweep costs nothing elsewhere
        // whatever serial devices the machine has.
        for (int com = 1; com <= 16; ++com) {
            const QString link = QString::fromStdString(PortMapEntry(com));
            QFile::remove(link);
            if (com != kCom) {
                ASSERT_TRUE(QFile::link(QStringLiteral("/nonexistent/COM%1").arg(com), link));
            }
        }
    }
    void TearDown() override {
        simulator.reset();
        for (int com = 1; com <= 16; ++com)
            if (com != kCom)
                QFile::remove(QString::fromStdString(PortMapEntry(com)));
    }

    void startSimulator(const QStringList &arguments = {}) {
        simulator = std::make_unique<sim::SimulatorProcess>(
            VR_SIM_PROGRAM,
            QStringList{"--com", QString::number(kCom), "--heard", heardFile()} + arguments);
        ASSERT_TRUE(simulator->start()) << simulator->error().toStdString();
    }
    QString heardFile() const { return settings.filePath(QStringLiteral("heard")); }

    // Ends the simulator and gives the bodies it heard, in order.
    QStringList heard() {
        simulator->stop();
        QFile file(heardFile());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromLatin1(file.readAll()).split('\n', Qt::SkipEmptyParts);
    }

    // Starts vr880tx; `modify` may change the process before it starts.
    void start(QProcess &process, const QStringList &arguments,
               const std::function<void(QProcess &)> &modify = {}) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("VR880TX_SETTINGS_DIR", settings.path());
        process.setProcessEnvironment(environment);
        // No stop signal ignored by whoever started the tests reaches the child so.
        process.setChildProcessModifier([] {
            struct sigaction byDefault {};
            byDefault.sa_handler = SIG_DFL;
            for (const int signal : {SIGINT, SIGTERM})
                ::sigaction(signal, &byDefault, nullptr);
        });
        if (modify)
            modify(process);
        process.start(VR_CLI_PROGRAM, arguments);
        ASSERT_TRUE(process.waitForStarted(10000));
    }

    static CliRun finish(QProcess &process) {
        CliRun run;
        EXPECT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        run.exitCode = process.exitCode();
        run.out = process.readAllStandardOutput();
        run.err = process.readAllStandardError();
        const QList<QByteArray> lines = run.out.trimmed().split('\n');
        run.json = QJsonDocument::fromJson(lines.last()).object();
        return run;
    }

    CliRun runCli(const QStringList &arguments,
                  const std::function<void(QProcess &)> &modify = {}) {
        QProcess process;
        start(process, arguments, modify);
        return finish(process);
    }

    ScanSettings stored() const { return SettingsStore(settings.path()).load(); }

    QTemporaryDir settings; // the command line's settings store, and the simulator's record
    std::unique_ptr<sim::SimulatorProcess> simulator;
};

// ---- A table of command lines -------------------------------------------------------------------

struct CommandCase {
    const char *name;
    QStringList simulator; // arguments besides --com
    QStringList command;   // vr880tx's arguments
    int exitCode;
    const char *json;  // fields the JSON line must have (a string ending in * is a prefix)
    QStringList heard; // the bodies the controller heard (an item ending in * is a prefix)
};

class CommandTable : public CommandLineOverPty,
                     public ::testing::WithParamInterface<CommandCase> {};

TEST_P(CommandTable, EndsWithItsExitCodeJsonAndRequestsOnTheWire) {
    const CommandCase &row = GetParam();
    startSimulator(row.simulator);
    const CliRun run = runCli(row.command + QStringList{"--json"});
    EXPECT_EQ(run.exitCode, row.exitCode) << run.err.toStdString();

    const QJsonObject expected = QJsonDocument::fromJson(row.json).object();
    ASSERT_FALSE(expected.isEmpty()) << "the row's JSON does not parse";
    for (auto field = expected.begin(); field != expected.end(); ++field) {
        const QJsonValue actual = run.json.value(field.key());
        if (field.value().isString())
            EXPECT_TRUE(Matches(actual.toString(), field.value().toString()))
                << field.key().toStdString() << ": " << run.out.toStdString();
        else
            EXPECT_EQ(actual, field.value())
                << field.key().toStdString() << ": " << run.out.toStdString();
    }

    const QStringList heard = this->heard();
    EXPECT_EQ(heard.size(), row.heard.size()) << heard.join(' ').toStdString();
    for (qsizetype i = 0; i < std::min(heard.size(), row.heard.size()); ++i)
        EXPECT_TRUE(Matches(heard[i], row.heard[i]))
            << i << ": " << heard[i].toStdString() << " for " << row.heard[i].toStdString();
}

const QStringList kFind = {"000AS"};
QStringList Probed(const QString &command) {
    return kFind + QStringList{"001AS", "001" + command};
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CommandTable,
    ::testing::Values(
        CommandCase{"Scan",
                    {"--clock", "20050301140509"},
                    {"scan"},
                    0,
                    R"({"ok":true,"operation":"scan","port":3,"mode":"19200,e,8,1",
                        "address":"001","serial":"12345678","version":"03.22-01",
                        "clock":"2005-03-01T14:05:*","width":32})",
                    {"000AS", "001AV", "001AB", "001AF"}},
        CommandCase{"ScanInAllModes",
                    {"--mode", "2", "--address", "042"},
                    {"scan", "--all-modes"},
                    0,
                    R"({"ok":true,"port":3,"mode":"9600,n,8,1","address":"042"})",
                    {"000AS", "042AV", "042AB", "042AF"}},
        CommandCase{"SetClock",
                    {},
                    {"set-clock", "--port", "3"},
                    0,
                    R"({"ok":true,"operation":"set-clock","port":3,"mode":"19200,e,8,1",
                        "address":"001","serial":"12345678"})",
                    Probed("AA20*")},
        CommandCase{"AlarmTest",
                    {},
                    {"alarm-test", "fire", "--port=3"},
                    0,
                    R"({"ok":true})",
                    Probed("JF3")},
        CommandCase{"AddCard",
                    {},
                    {"add-card", "0012345678", "--port=3"},
                    0,
                    R"({"ok":true})",
                    Probed("HA00010012345678100001")},
        CommandCase{"SetBaud",
                    {},
                    {"set-baud", "38400,e,8,1", "--port=3"},
                    0,
                    R"({"ok":true})",
                    Probed("AE7")},
        CommandCase{
            "SetId", {}, {"set-id", "5", "--port=3"}, 0, R"({"ok":true})", Probed("AD12345678005")},
        CommandCase{
            "SetMode", {}, {"set-mode", "40", "--port=3"}, 0, R"({"ok":true})", Probed("AF40")},
        CommandCase{
            "CardType", {}, {"card-type", "vorna", "--port=3"}, 0, R"({"ok":true})", Probed("CJ1")},
        CommandCase{"FactoryDefault",
                    {},
                    {"factory-default", "--port=3"},
                    0,
                    R"({"ok":true})",
                    Probed("AI")},
        CommandCase{"Command",
                    {"--clock", "20050301140509"},
                    {"command", "AB", "--port=3"},
                    0,
                    R"({"ok":true,"operation":"command","reply":"\u0003001OK2005030114050*"})",
                    Probed("AB")},
        // The simulator does not answer a command it does not know.
        CommandCase{"CommandUnanswered",
                    {},
                    {"command", "ZZ", "--port=3"},
                    1,
                    R"({"ok":false,"error":"no-reply","message":"Test Command Error!: no reply*"})",
                    Probed("ZZ") + QStringList{"001AS", "001ZZ"}},
        CommandCase{"AutoTest",
                    {},
                    {"auto-test", "0012345678", "--cycles", "2", "--port=3"},
                    0,
                    R"({"ok":true,"operation":"auto-test","cycles":2,"misses":0})",
                    Probed("AA20*") + QStringList{"001AS", "001HA00010012345678100001", "001CG1",
                                                  "001IE", "001IB", "001DF", "001IE", "001DF",
                                                  "001JE", "001CG0", "001JD"}},
        CommandCase{"DidoTest",
                    {},
                    {"dido-test", "--cycles", "1", "--outputs", "1,3", "--port=3"},
                    0,
                    R"({"ok":true,"operation":"dido-test","cycles":1})",
                    kFind + QStringList{"001AS", "001DB150", "001DB250", "001DB350", "001DB450",
                                        "001DB750", "001DB850", "001CG1", "001JD11", "001JD20",
                                        "001JD31", "001IE", "001DF", "001JE", "001JD", "001CG0"}},
        CommandCase{"NoControllerInThatMode",
                    {},
                    {"set-clock", "--port", "3", "--mode", "2"},
                    4,
                    R"({"ok":false,"error":"not-found","address":null})",
                    {}},
        CommandCase{
            "PortAbsent",
            {},
            {"set-clock", "--port", "5"},
            3,
            R"({"ok":false,"error":"port-absent","message":"COM5 (no device): no such port"})",
            {}},
        CommandCase{"RefusedArgument",
                    {},
                    {"set-id", "1000", "--port=3"},
                    2,
                    R"({"ok":false,"error":"usage","message":"set-id: '1000' is not allowed*"})",
                    {}}),
    [](const auto &row) { return std::string(row.param.name); });

// ---- The store
// -----------------------------------------------------------------------------------

TEST_F(CommandLineOverPty, ScanStoresThePortForTheNextCommandUnlessNoSave) {
    startSimulator({"--mode", "2"});
    ASSERT_EQ(runCli({"scan", "--all-modes", "--no-save"}).exitCode, 0);
    EXPECT_EQ(stored().ScanCommNo, 0);
    EXPECT_EQ(runCli({"set-clock"}).exitCode, 2); // no port known yet

    ASSERT_EQ(runCli({"scan", "--all-modes"}).exitCode, 0);
    EXPECT_EQ(stored().ScanCommNo, kCom);
    EXPECT_EQ(stored().ScanBaudRate, "9600,n,8,1");
    const CliRun run = runCli({"set-clock"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith("Set Date Time Ok\n")) << run.out.toStdString();
}

// ---- Why a port did not open
// -----------------------------------------------------------------------

TEST_F(CommandLineOverPty, AbsentPortListsWhatIsThere) {
    const CliRun run = runCli({"set-clock", "--port", "5"});
    EXPECT_EQ(run.exitCode, 3);
    const QString err = QString::fromLocal8Bit(run.err);
    EXPECT_TRUE(err.contains("vr880tx: COM5 (no device): no such port")) << err.toStdString();
    EXPECT_TRUE(err.contains("COM5 is the port map link")) << err.toStdString();
    EXPECT_TRUE(err.contains("points nowhere")) << err.toStdString();
    EXPECT_TRUE(err.contains("port map links in " + QString::fromStdString(PortMapFolder())))
        << err.toStdString();
}

TEST_F(CommandLineOverPty, PortOfAnotherGroupSaysHowToJoinIt) {
    startSimulator();
    const QByteArray device = simulator->slavePath().toLocal8Bit();
    const bool root = ::geteuid() == 0;
    // As root: the device of a USB adapter, root's and the group dialout's, and the program run
    // as "nobody", who is not in dialout. Otherwise a device that even its owner may not open.
    const group *dialout = ::getgrnam("dialout");
    if (root) {
        ASSERT_NE(dialout, nullptr);
        ASSERT_EQ(::chown(device.constData(), 0, dialout->gr_gid), 0);
        ASSERT_EQ(::chmod(device.constData(), 0660), 0);
    } else {
        ASSERT_EQ(::chmod(device.constData(), 0), 0);
    }
    // "nobody" must reach the port map link.
    for (QString folder = QString::fromStdString(PortMapFolder()); folder != "/";
         folder = QFileInfo(folder).path())
        if (folder.startsWith(QDir::tempPath() + "/"))
            ::chmod(QFile::encodeName(folder).constData(), 0755);

    const CliRun run = runCli({"set-clock", "--port", "3", "--json"}, [root](QProcess &process) {
        if (root)
            process.setChildProcessModifier(BecomeNobody);
    });
    EXPECT_EQ(run.exitCode, 3) << run.err.toStdString();
    EXPECT_EQ(run.json.value("error").toString(), "port-permission");
    const QString err = QString::fromLocal8Bit(run.err);
    EXPECT_TRUE(err.contains("COM3 (" + simulator->slavePath() + "): permission denied"))
        << err.toStdString();
    if (root) {
        EXPECT_TRUE(err.contains("crw-rw----, group dialout")) << err.toStdString();
        EXPECT_TRUE(err.contains("sudo usermod -aG dialout $USER")) << err.toStdString();
    } else {
        EXPECT_TRUE(err.contains("only its owner may open it")) << err.toStdString();
    }
    EXPECT_TRUE(heard().isEmpty());
}

TEST_F(CommandLineOverPty, BusyPortNamesTheProgramThatHoldsIt) {
    startSimulator();
    QSerialPort held;
    held.setPortName(simulator->slavePath());
    ASSERT_TRUE(held.open(QIODevice::ReadWrite)) << held.errorString().toStdString();

    const CliRun run = runCli({"set-clock", "--port", "3", "--json"});
    EXPECT_EQ(run.exitCode, 3) << run.err.toStdString();
    EXPECT_EQ(run.json.value("error").toString(), "port-busy");
    const QString message = run.json.value("message").toString();
    const QString self = QStringLiteral("held by pid %1").arg(::getpid());
    EXPECT_TRUE(message.contains(self)) << message.toStdString();
    EXPECT_TRUE(message.contains("lock file")) << message.toStdString();
    held.close();
    EXPECT_TRUE(heard().isEmpty());
}

// ---- Ctrl-C and SIGTERM during an auto test
// ------------------------------------------------------

class StopSignal : public CommandLineOverPty, public ::testing::WithParamInterface<int> {};

TEST_P(StopSignal, EndsTheAutoTestAsCancelWithTheClosingCommandsAndExit130) {
    startSimulator();
    const QString trace = settings.filePath("trace");
    QProcess process;
    start(process, {"auto-test", "--port", "3", "--json", "--trace", trace});
    // Polling has begun once the trace shows a poll (it is written at least once a second).
    QElapsedTimer waited;
    waited.start();
    bool polling = false;
    while (!polling && waited.elapsed() < 15000 && process.state() == QProcess::Running) {
        QThread::msleep(50);
        QFile file(trace);
        polling = file.open(QIODevice::ReadOnly) && file.readAll().contains("<SOH>001IE<STX>");
    }
    ASSERT_TRUE(polling) << process.readAllStandardError().toStdString();
    ::kill(static_cast<pid_t>(process.processId()), GetParam());

    const CliRun run = finish(process);
    EXPECT_EQ(run.exitCode, 130) << run.err.toStdString();
    EXPECT_EQ(run.json.value("error").toString(), "interrupted");
    EXPECT_GE(run.json.value("cycles").toInt(), 1);
    EXPECT_TRUE(run.json.value("message").toString().contains("closing commands"));
    // The port was closed: another program may open it at once.
    QSerialPort after;
    after.setPortName(simulator->slavePath());
    EXPECT_TRUE(after.open(QIODevice::ReadWrite)) << after.errorString().toStdString();
    after.close();
    const QStringList heard = this->heard();
    ASSERT_GE(heard.size(), 3);
    EXPECT_EQ(heard.mid(heard.size() - 3), (QStringList{"001JE", "001CG0", "001JD"}));
}

INSTANTIATE_TEST_SUITE_P(Signals, StopSignal, ::testing::Values(SIGINT, SIGTERM),
                         [](const auto &row) {
                             return std::string(row.param == SIGINT ? "SIGINT" : "SIGTERM");
                         });

// ---- Progress, trace, listing ------------------------------------------------------------------

TEST_F(CommandLineOverPty, ScanShowsProgressOnATerminalOnly) {
    startSimulator();
    int master = -1;
    int slave = -1;
    ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    char name[64] = {};
    ASSERT_EQ(::ttyname_r(slave, name, sizeof name), 0);
    const CliRun onTerminal = runCli({"scan"}, [&name](QProcess &process) {
        process.setStandardErrorFile(QString::fromLocal8Bit(name));
    });
    EXPECT_EQ(onTerminal.exitCode, 0);
    ::fcntl(master, F_SETFL, O_NONBLOCK);
    std::string shown(65536, '\0');
    const ssize_t count = ::read(master, shown.data(), shown.size());
    shown.resize(count > 0 ? static_cast<std::size_t>(count) : 0);
    ::close(slave);
    ::close(master);
    EXPECT_NE(shown.find("\rCOM3  19200,e,8,1  probe 1 of 2"), std::string::npos) << shown;

    const CliRun inPipe = runCli({"scan"});
    EXPECT_EQ(inPipe.exitCode, 0);
    EXPECT_FALSE(inPipe.err.contains("probe")) << inPipe.err.toStdString();
}

TEST_F(CommandLineOverPty, TraceHasEveryRequestAndReplyWithHowItEnded) {
    startSimulator();
    const QString trace = settings.filePath("trace");
    ASSERT_EQ(runCli({"set-clock", "--port", "3", "--trace", trace}).exitCode, 0);
    ASSERT_EQ(runCli({"command", "ZZ", "--port", "3", "--trace", trace}).exitCode, 1);
    QFile file(trace);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromLatin1(file.readAll()).split('\n', Qt::SkipEmptyParts);
    const auto has = [&lines](const QString &pattern) {
        const QRegularExpression expression(pattern);
        return std::any_of(lines.begin(), lines.end(),
                           [&](const QString &line) { return expression.match(line).hasMatch(); });
    };
    // Both runs are in the file, one after the other.
    EXPECT_TRUE(has(R"(^ +0 ms  vr880tx \S+ set-clock --port 3 --trace)"));
    EXPECT_TRUE(has(R"(^ +0 ms  vr880tx \S+ command ZZ)"));
    EXPECT_TRUE(has(R"(^ +\d+ ms  COM3 open 19200,e,8,1$)"));
    EXPECT_TRUE(has(R"(^ +\d+ ms  -> <SOH>000AS<STX>11B7<CR>$)"));
    EXPECT_TRUE(has(R"(^ +\d+ ms  <- <ETX>001OK12345678<EOT>[0-9A-F]{4}<CR>  \(ok\)$)"));
    EXPECT_TRUE(has(R"(^ +\d+ ms  -> <SOH>001AA20\d{12}<STX>[0-9A-F]{4}<CR>$)"));
    EXPECT_TRUE(has(R"(^ +\d+ ms  -> <SOH>001ZZ<STX>[0-9A-F]{4}<CR>$)"));
    EXPECT_TRUE(has(R"(^ +\d+ ms  <-   \(quiet after 30\d ms\)$)"));
    EXPECT_TRUE(has(R"(^ +\d+ ms  COM3 closed$)"));
}

TEST_F(CommandLineOverPty, PortsListsEveryPortWithItsDevice) {
    startSimulator();
    const CliRun run = runCli({"ports", "--json"});
    EXPECT_EQ(run.exitCode, 0);
    const QList<QByteArray> lines = run.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 16);
    const QJsonObject com3 = QJsonDocument::fromJson(lines[kCom - 1]).object();
    EXPECT_EQ(com3.value("port").toInt(), kCom);
    EXPECT_EQ(com3.value("device").toString(), simulator->slavePath());
    EXPECT_TRUE(com3.value("present").toBool());
    EXPECT_TRUE(com3.value("may_open").toBool());
    const QJsonObject com4 = QJsonDocument::fromJson(lines[3]).object();
    EXPECT_FALSE(com4.value("present").toBool());
    EXPECT_EQ(com4.value("note").toString(), "link points nowhere");
}

// ---- Help and version of both programs
// -----------------------------------------------------------

struct ProgramCase {
    const char *name;
    const char *program;
    QStringList arguments;
    int exitCode;
    const char *says; // the start of standard output, or part of standard error
};

class ProgramOptions : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(ProgramOptions, AnswerWithoutADisplayOrAController) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("QT_QPA_PLATFORM");
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    process.setProcessEnvironment(environment);
    process.start(GetParam().program, GetParam().arguments);
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), GetParam().exitCode);
    const QByteArray shown = process.readAllStandardOutput() + process.readAllStandardError();
    EXPECT_TRUE(shown.contains(GetParam().says)) << shown.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Programs, ProgramOptions,
    ::testing::Values(
        ProgramCase{"CliHelp", VR_CLI_PROGRAM, {"--help"}, 0, "usage: vr880tx [options] COMMAND"},
        ProgramCase{"CliVersion", VR_CLI_PROGRAM, {"--version"}, 0, "vr880tx 1."},
        ProgramCase{"WindowHelp", VR_WINDOW_PROGRAM, {"--help"}, 0, "usage: vr880tx-config"},
        ProgramCase{"WindowVersion", VR_WINDOW_PROGRAM, {"--version"}, 0, "vr880tx-config 1."},
        ProgramCase{"WindowTraceNotWritable",
                    VR_WINDOW_PROGRAM,
                    {"--trace", "/nonexistent/folder/trace"},
                    2,
                    "--trace: cannot write /nonexistent/folder/trace"},
        ProgramCase{"CliTraceNotWritable",
                    VR_CLI_PROGRAM,
                    {"scan", "--trace", "/nonexistent/folder/trace"},
                    2,
                    "--trace: cannot write /nonexistent/folder/trace"}),
    [](const auto &row) { return std::string(row.param.name); });

} // namespace
} // namespace vr::e2e

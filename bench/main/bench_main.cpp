// vr880tx-bench: measures every performance figure of the program and prints one table, each
// figure beside its floor or bound, as a ratio, and against its goal. It asserts nothing: a
// missed goal is a MISS in the table, to be chased down.
//
//   vr880tx-bench [--quick] [--only PARTS] [--probes N] [--silent N] [--rounds N]
//                 [--autotest-seconds S] [--scan-ports N] [--window-runs N] [--cli-runs N]
//
//   PARTS      comma-separated: probe, noreply, autotest, scan, window, store, cli (default
//              all); the machine's sleep figures come with probe and noreply
//   --quick    fewer samples and one pty port for the scan: the whole run takes under a minute

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "cli_measurement.h"
#include "figures.h"
#include "link/line_modes.h"
#include "link_measurements.h"
#include "port_map.h"
#include "scan_measurements.h"
#include "settings/reg_file_format.h"
#include "settings/settings_store.h"
#include "sim/simulator_process.h"
#include "startup_measurement.h"
#include "window_rig.h"

namespace {

using namespace vr::bench;

constexpr int kProbeCom = 1;
constexpr int kAutoTestCom = 2;
constexpr int kAutoTestMode = 5; // "19200,e,8,1", the simulator's default
constexpr int kCliCom = 4;
constexpr int kCliMode = 5; // the simulator's default, and the default of an empty store

constexpr double kProbeMedianGoal = 1.05;
constexpr double kProbeP99Goal = 1.15;
constexpr double kReplyLimitMs = 300;
constexpr double kWaitP99GoalMs = 302;
constexpr double kWaitingCpuGoalPercent = 2.0;
constexpr double kScanGoal = 1.02;
constexpr double kWindowGoalMs = 300;
constexpr double kResidentGoalMb = 60;
constexpr double kStoreStartGoal = 1.2; // start-up with a large store against a normal one
constexpr qint64 kOversizedStoreBytes = 20 << 20;
constexpr double kCliGoal = 1.1;
constexpr double kCliStartUpMs = 50;

struct Options {
    std::set<std::string> parts{"probe", "noreply", "autotest", "scan", "window", "store", "cli"};
    int probes = 200;
    int silent = 60;
    int rounds = 3;
    double autotestSeconds = 20;
    int scanPorts = 3;
    int windowRuns = 5;
    int cliRuns = 10;
    int sleeps = 5000;

    bool wants(const std::string &part) const { return parts.count(part) != 0; }
};

bool ParseOptions(int argc, char **argv, Options &options) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--quick") {
            options.probes = 25;
            options.silent = 12;
            options.rounds = 2;
            options.autotestSeconds = 6;
            options.scanPorts = 1;
            options.windowRuns = 3;
            options.cliRuns = 4;
            options.sleeps = 2000;
            continue;
        }
        if (i + 1 >= argc)
            return false;
        const std::string value = argv[++i];
        if (option == "--only") {
            options.parts.clear();
            std::size_t begin = 0;
            while (begin <= value.size()) {
                const std::size_t comma = std::min(value.find(',', begin), value.size());
                options.parts.insert(value.substr(begin, comma - begin));
                begin = comma + 1;
            }
        } else if (option == "--probes") {
            options.probes = std::max(1, std::atoi(value.c_str()));
        } else if (option == "--silent") {
            options.silent = std::max(1, std::atoi(value.c_str()));
        } else if (option == "--rounds") {
            options.rounds = std::max(1, std::atoi(value.c_str()));
        } else if (option == "--autotest-seconds") {
            options.autotestSeconds = std::max(2.0, std::atof(value.c_str()));
        } else if (option == "--scan-ports") {
            options.scanPorts = std::clamp(std::atoi(value.c_str()), 1, kScanPorts);
        } else if (option == "--window-runs") {
            options.windowRuns = std::max(1, std::atoi(value.c_str()));
        } else if (option == "--cli-runs") {
            options.cliRuns = std::max(1, std::atoi(value.c_str()));
        } else {
            return false;
        }
    }
    return true;
}

std::string Text(const char *format, double value) {
    char text[128];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// The machine's wake-up tail, against which the tails of the exchanges are read.
void MeasureMachine(const Options &options, FigureTable &table) {
    table.section("this machine: how late a plain 1 ms sleep wakes up (" +
                  std::to_string(options.sleeps) + " sleeps)");
    const std::vector<double> overshoot = MeasureSleepOvershoot(options.sleeps);
    table.add({"1 ms sleep overshoot, median", Median(overshoot), "ms", 0,
               Text("p90 %.2f ms", Percentile(overshoot, 0.9))});
    table.add({"1 ms sleep overshoot, p99", Percentile(overshoot, 0.99), "ms", 0,
               Text("p99.9 %.2f ms", Percentile(overshoot, 0.999)) +
                   Text(", max %.2f ms", Percentile(overshoot, 1.0))});
}

// The probe exchange in each of the twelve line modes, the simulator started in that mode.
void MeasureProbes(const Options &options, FigureTable &table) {
    table.section("probe exchange over a pty, " + std::to_string(options.probes) +
                  " per line mode; floor = 12 ms paced writes + 20-byte reply on the wire + " +
                  Text("%.0f ms turnaround", kSimulatorTurnaroundMs));
    std::vector<double> writes, lateness, sleepExcess, writeCalls;
    int failures = 0;
    for (int mode = 0; mode < static_cast<int>(vr::kLineModes.size()); ++mode) {
        const bool ran =
            WithSimulator(kProbeCom, mode, [&](vr::ControllerLink &link, TimedPlatform &platform) {
                RunExchanges(link, platform, "000AS", 3, kProbeReplyBytes); // warm-up
                const ExchangeSeries series =
                    RunExchanges(link, platform, "000AS", options.probes, kProbeReplyBytes);
                const std::string name(vr::kLineModes[static_cast<std::size_t>(mode)]);
                const double floorMs = ProbeFloorMs(mode);
                const std::string wire = Text("wire %.2f ms", ProbeWireMs(mode));
                table.add({name + " median", Median(series.totalMs), "ms", floorMs, wire,
                           kProbeMedianGoal});
                table.add({name + " p99", Percentile(series.totalMs, 0.99), "ms", floorMs,
                           Text("max %.2f ms", Percentile(series.totalMs, 1.0)), kProbeP99Goal});
                writes.insert(writes.end(), series.writeMs.begin(), series.writeMs.end());
                for (std::size_t i = 0; i < series.writeMs.size(); ++i) {
                    sleepExcess.push_back(series.sleepExcessMs[i]);
                    writeCalls.push_back(series.writeMs[i] - kRequestPausesMs -
                                         series.sleepExcessMs[i]);
                }
                // The reply can start no sooner than the turnaround after the CR was written,
                // which is 1 ms (the pause after the CR) before the wait starts.
                for (const double wait : series.waitMs)
                    lateness.push_back(wait - (ProbeWireMs(mode) + kSimulatorTurnaroundMs - 1));
                failures += series.failures;
            });
        if (!ran)
            table.add({std::string(vr::kLineModes[static_cast<std::size_t>(mode)]) + " failed", 0,
                       "ms", 0, "the simulator or the port did not start"});
    }
    table.add({"paced writes of a probe, median", Median(writes), "ms", kRequestPausesMs,
               "all line modes; part of every exchange"});
    table.add({"paced writes of a probe, p99", Percentile(writes, 0.99), "ms", kRequestPausesMs,
               Text("probes without their 20-byte reply: %.0f", failures)});
    table.add({"  pauses beyond their 12 ms, median", Median(sleepExcess), "ms", 0,
               Text("p99 %.2f ms; eight sleeps", Percentile(sleepExcess, 0.99))});
    table.add({"  the eight write calls, median", Median(writeCalls), "ms", 0,
               Text("p99 %.2f ms", Percentile(writeCalls, 0.99))});
    table.add({"reply wait beyond its floor, median", Median(lateness), "ms", 0,
               "wait - (wire + turnaround - the 1 ms after the CR)"});
    table.add({"reply wait beyond its floor, p99", Percentile(lateness, 0.99), "ms", 0,
               "the simulator's and this process's wake-ups"});
}

// No-reply exchanges, and the CPU of their waits beside the same waits without the pump and a
// bare 1 ms poll, in interleaved rounds so that all three see the same load of the machine.
void MeasureNoReply(const Options &options, FigureTable &table) {
    table.section("no-reply exchange (an address nobody has) and the CPU of waiting");
    ExchangeSeries all;
    std::vector<double> longestPass;
    std::vector<double> waitShares, waitMicros, unpumpedShares, unpumpedMicros, pollShares,
        pollMicros;
    const int perRound = std::max(2, options.silent / options.rounds);
    for (int round = 0; round < options.rounds; ++round) {
        ExchangeSeries series, unpumped;
        const bool ran =
            WithSimulator(kProbeCom, 2, [&](vr::ControllerLink &link, TimedPlatform &platform) {
                series = RunExchanges(link, platform, "999AS", perRound, 0);
                platform.setPumping(false);
                unpumped = RunExchanges(link, platform, "999AS", perRound / 2, 0);
            });
        if (!ran)
            return;
        all.totalMs.insert(all.totalMs.end(), series.totalMs.begin(), series.totalMs.end());
        all.waitMs.insert(all.waitMs.end(), series.waitMs.begin(), series.waitMs.end());
        all.failures += series.failures;
        longestPass.insert(longestPass.end(), series.longestPassMs.begin(),
                           series.longestPassMs.end());
        const auto share = [](const ExchangeSeries &s) {
            return s.waitCpuSeconds / s.waitWallSeconds * 100;
        };
        const auto micros = [](const ExchangeSeries &s) {
            return s.waitCpuSeconds / static_cast<double>(s.waitPumpPasses) * 1e6;
        };
        waitShares.push_back(share(series));
        waitMicros.push_back(micros(series));
        unpumpedShares.push_back(share(unpumped));
        unpumpedMicros.push_back(micros(unpumped));
        const PollCost poll = MeasureBarePoll(unpumped.waitWallSeconds);
        pollShares.push_back(poll.cpuShare * 100);
        pollMicros.push_back(poll.microsPerPass);
    }
    const std::string replied = Text("%.0f exchange(s) got a reply", all.failures);
    table.add({"whole exchange, median", Median(all.totalMs), "ms", kReplyLimitMs,
               "includes the 12 ms paced writes"});
    table.add({"whole exchange, p99", Percentile(all.totalMs, 0.99), "ms", kReplyLimitMs, replied});
    table.add({"reply wait, median", Median(all.waitMs), "ms", kReplyLimitMs,
               "the 302 ms goal is for the wait"});
    table.add({"reply wait, p99", Percentile(all.waitMs, 0.99), "ms", kReplyLimitMs,
               Text("max %.2f ms", Percentile(all.waitMs, 1.0)), kWaitP99GoalMs, true});
    table.add({"longest read-and-pump pass of a wait", Median(longestPass), "ms", 0,
               Text("median of the waits; max %.2f ms", Percentile(longestPass, 1.0))});
    table.add({"bare 1 ms poll on a pty (CPU)", Median(pollShares), "%", 0,
               Text("%.1f us a pass; the floor of any 1 ms read", Median(pollMicros))});
    table.add({"a wait's reads alone, no pump (CPU)", Median(unpumpedShares), "%",
               Median(pollShares),
               Text("%.1f us a pass; ratio to the bare poll", Median(unpumpedMicros))});
    table.add({"CPU while an exchange waits", Median(waitShares), "%", Median(pollShares),
               Text("%.1f us a pass (read + pump); ratio to the bare poll", Median(waitMicros)),
               kWaitingCpuGoalPercent, true});
}

// The auto test through the real window against the simulator: CPU per wall second over the
// polling loop, after the Set Date Time and Add Card operations have run.
void MeasureAutoTest(const Options &options, FigureTable &table) {
    table.section("auto test through the window (offscreen) against the simulator");
    vr::sim::SimulatorProcess simulator(VR_SIM_PROGRAM,
                                        {"--com", QString::number(kAutoTestCom), "--mode",
                                         QString::number(kAutoTestMode), "--inputs", "walk:500"});
    if (!simulator.start()) {
        std::fprintf(stderr, "vr880tx-bench: %s\n", qPrintable(simulator.error()));
        return;
    }
    WindowRig rig(kAutoTestCom, kAutoTestMode);
    if (!rig.scan()) {
        table.add({"auto test: scan failed", 0, "%", 0, ""});
        return;
    }
    // The loop has been running steadily for a while by then.
    const double from = 3.0;
    const double to = options.autotestSeconds;
    double cpuFrom = 0, cpuTo = 0, wallFrom = 0, wallTo = 0;
    const WindowRig::AutoTestRun run = rig.runAutoTest(to, [&](double elapsed) {
        if (elapsed >= from && wallFrom == 0) {
            wallFrom = MonotonicSeconds();
            cpuFrom = CpuSeconds();
        }
        if (elapsed >= to && wallTo == 0) {
            wallTo = MonotonicSeconds();
            cpuTo = CpuSeconds();
        }
    });
    const double share = wallTo > wallFrom ? (cpuTo - cpuFrom) / (wallTo - wallFrom) * 100 : 0;
    table.add({"CPU while the auto test polls", share, "%", 0,
               Text("over %.1f s of the loop; ", wallTo - wallFrom) +
                   (run.cancelled && run.yellowLamp ? "cancelled, lamp yellow"
                                                    : "ended without the Cancel outcome"),
               0});
}

void MeasureScans(const Options &options, const PrivateConfigHome &home, FigureTable &table) {
    table.section("worst-case scan: no controller, lock unticked");
    const VirtualScan scan = MeasureVirtualScan(3);
    const double bound = kWorstCaseProbes * kProbeBoundSeconds;
    table.add({"virtual time, 16 silent ports", scan.virtualSeconds, "s", bound,
               Text("%.0f probes; bound 384 x (12 + 300) ms", scan.probes) +
                   Text("; CPU %.0f ms a scan", scan.cpuSecondsPerScan * 1e3),
               kScanGoal});
    const PtyScan pty = MeasurePtyScan(home, options.scanPorts);
    const double ptyBound = pty.probes * kProbeBoundSeconds + kClosingBeepSeconds;
    table.add({"real time, " + std::to_string(options.scanPorts) + " silent pty port(s)",
               pty.wallSeconds, "s", ptyBound,
               Text("%.0f probes x 312 ms + the 0.3 s closing beep", pty.probes) +
                   Text("; CPU %.2f %%", pty.cpuSeconds / pty.wallSeconds * 100),
               kScanGoal});
}

void MeasureWindow(const Options &options, FigureTable &table) {
    table.section("start-up to the first painted window, offscreen, in a child process");
    const QString program = QCoreApplication::applicationDirPath() + "/vr880tx-bench-window";
    const WindowStart cold = MeasureWindowStart(program);
    std::vector<double> toMain, toCreated, toPainted;
    long peakKb = cold.peakKb;
    int failed = cold.ok ? 0 : 1;
    for (int run = 0; run < options.windowRuns; ++run) {
        const WindowStart start = MeasureWindowStart(program);
        if (!start.ok) {
            ++failed;
            continue;
        }
        toMain.push_back(start.toMain * 1e3);
        toCreated.push_back(start.toCreated * 1e3);
        toPainted.push_back(start.toPainted * 1e3);
        peakKb = std::max(peakKb, start.peakKb);
    }
    const std::string runs = std::to_string(toPainted.size()) + " runs after a first one";
    table.add({"first start of this run", cold.toPainted * 1e3, "ms", 0,
               "to the first painted frame", kWindowGoalMs, true});
    table.add({"start-up to window painted, median", Median(toPainted), "ms", 0,
               runs + Text(", max %.1f ms", Percentile(toPainted, 1.0)), kWindowGoalMs, true});
    table.add({"  of which loading, to main()", Median(toMain), "ms", 0, "median"});
    table.add({"  of which to the window created", Median(toCreated), "ms", 0,
               "median; FormCreate included"});
    table.add({"peak resident memory", static_cast<double>(peakKb) / 1024.0, "MB", 0,
               Text("VmHWM after 1 s shown; %.0f start(s) failed", failed), kResidentGoalMb, true});
}

// Start-up with a settings file at the size limit and with a far larger one, against start-up
// with a normal one, in interleaved runs so that all three see the same load of the machine.
void MeasureStoreStart(const Options &options, FigureTable &table) {
    const QString program = QCoreApplication::applicationDirPath() + "/vr880tx-bench-window";
    // Three times the window's runs: the figures differ by a few milliseconds, the machine's
    // noise by more.
    const int runs = 3 * options.windowRuns;
    table.section("start-up with a settings file, " + std::to_string(runs) +
                  " interleaved runs each; to the first painted frame");
    QTemporaryDir normal, atLimit, oversized;
    int otherValues = 0;
    const qint64 oversizedBytes = WriteOversizedStore(oversized.path(), kOversizedStoreBytes);
    if (WriteNormalStore(normal.path()) < 0 ||
        WriteStoreAtSizeLimit(atLimit.path(), otherValues) != vr::kMaxStoreFileBytes ||
        oversizedBytes < 0) {
        table.add({"store files could not be written", 0, "ms", 0, ""});
        return;
    }
    // The window lingers only long enough to be measured; it saves the card number as it starts.
    const QString lingerMs = QStringLiteral("300");
    std::vector<double> normalMs, atLimitMs, oversizedMs;
    int failed = 0;
    const auto start = [&](const QTemporaryDir &folder, std::vector<double> &into) {
        const WindowStart run = MeasureWindowStart(program, {lingerMs, folder.path()});
        if (run.ok)
            into.push_back(run.toPainted * 1e3);
        else
            ++failed;
    };
    start(normal, normalMs); // a first start of the program, not counted
    normalMs.clear();
    for (int run = 0; run < runs; ++run) {
        start(normal, normalMs);
        start(atLimit, atLimitMs);
        start(oversized, oversizedMs);
    }
    // The store at the limit must have been read (and saved), the oversized one left alone.
    const vr::ScanSettings read = vr::SettingsStore(atLimit.path()).load();
    const bool limitRead =
        read.ScanCommNo == 3 && read.ScanBaudRateNo == 3 &&
        QFile(vr::SettingsStore(atLimit.path()).filePath()).size() == vr::kMaxStoreFileBytes;
    const bool oversizedKept =
        QFile(vr::SettingsStore(oversized.path()).filePath()).size() == oversizedBytes;
    const double reference = Median(normalMs);
    table.add({"normal store (five settings), median", reference, "ms", 0,
               Text("max %.1f ms; ", Percentile(normalMs, 1.0)) + std::to_string(failed) +
                   " start(s) failed"});
    table.add({Text("store at its %.0f KiB limit, median", vr::kMaxStoreFileBytes / 1024.0),
               Median(atLimitMs), "ms", reference,
               std::to_string(otherValues) + " other values; " +
                   (limitRead ? "read and saved" : "NOT READ"),
               kStoreStartGoal});
    table.add({Text("%.0f MB store, median", double(oversizedBytes) / (1 << 20)),
               Median(oversizedMs), "ms", reference,
               oversizedKept ? "refused: defaults, file untouched" : "FILE CHANGED",
               kStoreStartGoal});
}

// A whole vr880tx process, launch to exit, against the operation's own exchanges run in this
// process; and the start-up and exit of the process alone.
void MeasureCli(const Options &options, FigureTable &table) {
    table.section("vr880tx set-clock as a whole process, launch to exit (" +
                  std::to_string(options.cliRuns) + " runs after a first one)");
    const QString program = QCoreApplication::applicationDirPath() + "/vr880tx";
    const CliRuns runs = MeasureCliRuns(program, kCliCom, options.cliRuns);
    const double floorMs = SetClockFloorMs(kCliMode);
    const double inProcess = Median(runs.inProcessMs);
    const std::string failed = Text("%.0f run(s) failed", runs.failures);
    table.add(
        {"vr880tx --version, launch to exit, median", Median(runs.versionMs), "ms", 0,
         Text("max %.1f ms; process start-up and exit alone", Percentile(runs.versionMs, 1.0)),
         kCliStartUpMs, true});
    table.add({"find + Set Date Time in this process, median", inProcess, "ms", floorMs,
               Text("floor: 2 probes + 100 + 100 ms + AA; max %.1f ms",
                    Percentile(runs.inProcessMs, 1.0))});
    table.add({"vr880tx set-clock, launch to exit, median", Median(runs.setClockMs), "ms",
               inProcess + kCliStartUpMs,
               Text("reference: in this process + 50 ms; max %.1f ms; ",
                    Percentile(runs.setClockMs, 1.0)) +
                   failed,
               kCliGoal});
    table.add({"  of which the process around the operation", Median(runs.setClockMs) - inProcess,
               "ms", 0, "launch, settings, exit: the medians' difference", kCliStartUpMs, true});
}

} // namespace

int main(int argc, char **argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: vr880tx-bench [--quick] [--only probe,noreply,autotest,"
                             "scan,window,store,cli] [--probes N] [--silent N] [--rounds N]\n"
                             "                     [--autotest-seconds S] [--scan-ports N] "
                             "[--window-runs N] [--cli-runs N]\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    PrivateConfigHome home;
    QApplication app(argc, argv);

    const double start = MonotonicSeconds();
    const double loadStart = LoadAverage();

    FigureTable table;
    if (options.wants("probe") || options.wants("noreply"))
        MeasureMachine(options, table);
    if (options.wants("probe"))
        MeasureProbes(options, table);
    if (options.wants("noreply"))
        MeasureNoReply(options, table);
    if (options.wants("autotest"))
        MeasureAutoTest(options, table);
    if (options.wants("scan"))
        MeasureScans(options, home, table);
    if (options.wants("window"))
        MeasureWindow(options, table);
    if (options.wants("store"))
        MeasureStoreStart(options, table);
    if (options.wants("cli"))
        MeasureCli(options, table);

    const double loadEnd = LoadAverage();
    table.print();
    std::printf("run took %.1f s; load average (1 min) %.2f at the start, %.2f at the end\n",
                MonotonicSeconds() - start, loadStart, loadEnd);
    return 0;
}

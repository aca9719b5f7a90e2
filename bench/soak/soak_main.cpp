// vr880tx-soak: runs the auto test through the real window (offscreen) in real time against
// vr880tx-sim over a pty, for 10 minutes unless told otherwise. Every round (about a minute) the
// simulator is restarted with a fault drawn at random, or is stopped in the middle of a test and
// started again a few seconds later. Within a round the test is pressed again whenever it ends
// by itself; at the end of a round it is cancelled. Prints the open descriptor count
// (/proc/self/fd) and the resident memory (VmRSS) at the start, every minute and at the end.
//
//   vr880tx-soak [--minutes M] [--round S] [--seed N]

#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "figures.h"
#include "port_map.h"
#include "sim/simulator_process.h"
#include "window_rig.h"

namespace {

using namespace vr::bench;

constexpr int kCom = 3;
constexpr int kMode = 5; // "19200,e,8,1"
constexpr char kStopMidTest[] = "stopped mid-test";

struct Options {
    double minutes = 10;
    double roundSeconds = 60;
    unsigned seed = static_cast<unsigned>(std::time(nullptr));
};

// The faults a round may bring, "none" and the mid-test stop among them, drawn from a shuffled
// deck so that a run of twelve rounds brings each one once; the arguments are drawn too.
class FaultDeck {
public:
    explicit FaultDeck(std::mt19937 &random) : random_(random) {}

    std::string draw() {
        if (deck_.empty()) {
            for (int kind = 0; kind < kKinds; ++kind)
                deck_.push_back(kind);
            std::shuffle(deck_.begin(), deck_.end(), random_);
        }
        const int kind = deck_.back();
        deck_.pop_back();
        return fault(kind);
    }

private:
    static constexpr int kKinds = 12;

    std::string fault(int kind) {
        std::uniform_int_distribution<int> small(1, 3), large(4, 12), later(5, 60);
        switch (kind) {
        case 0:
            return "none";
        case 1:
            return "drop=" + std::to_string(small(random_)); // fewer misses than end the loop
        case 2:
            return "drop=" + std::to_string(large(random_));
        case 3:
            return "bad-crc";
        case 4:
            return "lower-crc";
        case 5:
            return "noise=" + std::to_string(small(random_) * 4);
        case 6:
            return "split=" + std::to_string(later(random_) * 4);
        case 7:
            return "late=" + std::to_string(300 + later(random_));
        case 8:
            return std::string("probe-length=") + (small(random_) == 1 ? "19" : "21");
        case 9:
            return "flood";
        case 10:
            return "hangup=" + std::to_string(later(random_));
        default:
            return kStopMidTest;
        }
    }

    std::mt19937 &random_;
    std::vector<int> deck_;
};

class Soak {
public:
    explicit Soak(const Options &options)
        : options_(options), random_(options.seed), faults_(random_) {}

    int run() {
        if (!startSimulator("none"))
            return 1;
        rig_ = std::make_unique<WindowRig>(kCom, kMode);
        if (!rig_->scan()) {
            std::fprintf(stderr, "vr880tx-soak: the scan did not find the simulator\n");
            return 1;
        }
        start_ = MonotonicSeconds();
        const ProcessStatus first = ReadProcessStatus();
        report("start");

        QTimer minute;
        minute.setInterval(60'000);
        QObject::connect(&minute, &QTimer::timeout, [this] { report("minute"); });
        minute.start();

        const double end = start_ + options_.minutes * 60;
        while (MonotonicSeconds() < end) {
            const std::string fault = faults_.draw();
            ++rounds_[fault];
            if (!startSimulator(fault == kStopMidTest ? "none" : fault))
                return 1;
            const double roundEnd = std::min(end, MonotonicSeconds() + options_.roundSeconds);
            if (fault == kStopMidTest)
                scheduleStop(roundEnd);
            while (MonotonicSeconds() < roundEnd) {
                const WindowRig::AutoTestRun test =
                    rig_->runAutoTest(roundEnd - MonotonicSeconds());
                ++tests_;
                (test.cancelled ? cancelled_ : endedByItself_) += 1;
                if (test.seconds < 1)
                    rig_->idle(200);
            }
        }
        minute.stop();
        // Compared with the start under the same conditions: window idle, port closed, the
        // simulator running.
        if (!simulator_)
            startSimulator("none");
        rig_->idle(500);
        const ProcessStatus last = report("end");
        std::printf("\n%d tests (%d cancelled, %d ended by four misses or a port that did not "
                    "open) in %.1f minutes, seed %u\n",
                    tests_, cancelled_, endedByItself_, (MonotonicSeconds() - start_) / 60,
                    options_.seed);
        std::printf("rounds by fault:");
        for (const auto &[fault, count] : rounds_)
            std::printf(" %s x%d", fault.c_str(), count);
        std::printf("\nopen descriptors: %d at the start, %d at the end (%+d)\n",
                    first.openDescriptors, last.openDescriptors,
                    last.openDescriptors - first.openDescriptors);
        std::printf("resident memory: %ld kB at the start, %ld kB at the end (%+ld kB), peak %ld "
                    "kB\n",
                    first.residentKb, last.residentKb, last.residentKb - first.residentKb,
                    last.peakResidentKb);
        simulator_.reset();
        return 0;
    }

private:
    bool startSimulator(const std::string &fault) {
        simulator_.reset();
        QStringList arguments{"--com",    QString::number(kCom),
                              "--mode",   QString::number(kMode),
                              "--inputs", "walk:700"};
        if (fault != "none")
            arguments << "--fault" << QString::fromStdString(fault);
        simulator_ = std::make_unique<vr::sim::SimulatorProcess>(VR_SIM_PROGRAM, arguments);
        if (!simulator_->start()) {
            std::fprintf(stderr, "vr880tx-soak: %s\n", qPrintable(simulator_->error()));
            return false;
        }
        fault_ = fault;
        return true;
    }

    // Stops the simulator at a random moment of the round, while a test holds the port, and
    // starts it again five seconds later. The timers fire inside the test's message dispatch.
    void scheduleStop(double roundEnd) {
        std::uniform_real_distribution<double> at(
            5.0, std::max(6.0, roundEnd - MonotonicSeconds() - 10));
        const int stopMs = static_cast<int>(at(random_) * 1000);
        QTimer::singleShot(stopMs, [this] {
            simulator_.reset();
            fault_ = kStopMidTest;
        });
        QTimer::singleShot(stopMs + 5000, [this] {
            if (!simulator_)
                startSimulator("none");
        });
    }

    ProcessStatus report(const char *when) {
        const ProcessStatus status = ReadProcessStatus();
        const double elapsed = MonotonicSeconds() - start_;
        std::printf("%-6s %02d:%02d  fds %3d (port %s)  VmRSS %6ld kB  VmHWM %6ld kB  tests %4d  "
                    "simulator: %s\n",
                    when, static_cast<int>(elapsed) / 60, static_cast<int>(elapsed) % 60,
                    status.openDescriptors, rig_->link().isOpen() ? "open" : "closed",
                    status.residentKb, status.peakResidentKb, tests_,
                    simulator_ ? fault_.c_str() : "stopped");
        std::fflush(stdout);
        return status;
    }

    Options options_;
    std::mt19937 random_;
    FaultDeck faults_;
    std::unique_ptr<vr::sim::SimulatorProcess> simulator_;
    std::unique_ptr<WindowRig> rig_;
    std::string fault_;
    double start_ = 0;
    int tests_ = 0;
    int cancelled_ = 0;
    int endedByItself_ = 0;
    std::map<std::string, int> rounds_;
};

} // namespace

int main(int argc, char **argv) {
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--minutes")
            options.minutes = std::max(0.1, std::atof(argv[i + 1]));
        else if (option == "--round")
            options.roundSeconds = std::max(5.0, std::atof(argv[i + 1]));
        else if (option == "--seed")
            options.seed = static_cast<unsigned>(std::strtoul(argv[i + 1], nullptr, 10));
        else {
            std::fprintf(stderr, "usage: vr880tx-soak [--minutes M] [--round S] [--seed N]\n");
            return 2;
        }
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    PrivateConfigHome home;
    QApplication app(argc, argv);
    std::printf("vr880tx-soak: %.1f minutes, rounds of %.0f s, seed %u\n", options.minutes,
                options.roundSeconds, options.seed);
    return Soak(options).run();
}

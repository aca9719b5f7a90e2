// vr880tx-sim: a simulated controller behind a pseudo-terminal, reachable by the program as port
// COM<N> through the per-user port map folder.

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "sim/controller_model.h"
#include "sim/pty_endpoint.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void onStopSignal(int) {
    stopRequested = 1;
}

constexpr const char *kUsage =
    "usage: vr880tx-sim [--com N] [--mode I] [--address AAA] [--serial SSSSSSSS]\n"
    "                   [--firmware VVVVVVVV] [--clock yyyymmddhhnnss] [--inputs PATTERN]\n"
    "                   [--turnaround MS] [--fault KIND[=ARG]]...\n"
    "\n"
    "  --com N          port number the program opens (default 3)\n"
    "  --mode I         line mode index 0-11 (default 5, \"19200,e,8,1\")\n"
    "  --address AAA    controller address, three digits (default 001)\n"
    "  --serial S       serial number, 8 characters (default 12345678)\n"
    "  --firmware V     firmware version, 8 characters (default 03.22-01)\n"
    "  --clock T        controller clock at start (default: this PC's local time)\n"
    "  --inputs P       walk[:MS] (one input on at a time, default walk:1000),\n"
    "                   fixed:BBBBBB (inputs 1,2,3,4,7,8), loopback (inputs 1-3 follow DO1-3)\n"
    "  --turnaround MS  pause before each reply (default 2)\n"
    "  --fault F        drop[=N] bad-crc lower-crc noise[=N] split[=MS] late[=MS]\n"
    "                   probe-length=19|21 flood[=N] hangup[=N]; may be repeated\n"
    "\n"
    "Prints \"COM<N> -> /dev/pts/X\" when ready and serves until SIGINT or SIGTERM.\n";

bool allDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
}

bool printable(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return std::isprint(static_cast<unsigned char>(c)) != 0; });
}

std::optional<int> smallNumber(std::string_view text, int low, int high) {
    if (!allDigits(text) || text.size() > 6)
        return std::nullopt;
    const int value = std::stoi(std::string(text));
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

vr::sim::ClockTime localClock() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
}

struct Arguments {
    int com = 3;
    vr::sim::ControllerOptions options;
    std::vector<vr::sim::Fault> faults;
};

// Reads the command line; nothing (after a message on stderr) when it is not valid.
std::optional<Arguments> parseArguments(int argc, char **argv) {
    Arguments args;
    args.options.clockStart = localClock();
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        std::string value;
        if (option == "--help" || option == "-h") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        }
        if (const auto equals = option.find('='); equals != std::string::npos) {
            value = option.substr(equals + 1);
            option.resize(equals);
        } else if (i + 1 < argc) {
            value = argv[++i];
        } else {
            std::fprintf(stderr, "vr880tx-sim: %s needs a value\n", option.c_str());
            return std::nullopt;
        }

        bool valid = true;
        vr::sim::ControllerState &state = args.options.state;
        if (option == "--com") {
            const auto number = smallNumber(value, 1, 255);
            valid = number.has_value();
            args.com = number.value_or(0);
        } else if (option == "--mode") {
            const auto index = smallNumber(value, 0, 11);
            valid = index.has_value();
            state.lineModeIndex = index.value_or(0);
        } else if (option == "--address") {
            valid = value.size() == 3 && allDigits(value);
            state.address = value;
        } else if (option == "--serial") {
            valid = value.size() == 8 && printable(value);
            state.serial = value;
        } else if (option == "--firmware") {
            valid = value.size() == 8 && printable(value);
            state.firmware = value;
        } else if (option == "--clock") {
            const auto time = vr::sim::ClockTime::parse(value);
            valid = time.has_value();
            if (time)
                args.options.clockStart = *time;
        } else if (option == "--inputs") {
            const auto pattern = vr::sim::InputPattern::parse(value);
            valid = pattern.has_value();
            if (pattern)
                args.options.inputs = *pattern;
        } else if (option == "--turnaround") {
            const auto ms = smallNumber(value, 0, 10000);
            valid = ms.has_value();
            args.options.turnaroundMicros = static_cast<std::uint32_t>(ms.value_or(0) * 1000);
        } else if (option == "--fault") {
            const auto fault = vr::sim::Fault::parse(value);
            valid = fault.has_value();
            if (fault)
                args.faults.push_back(*fault);
        } else {
            std::fprintf(stderr, "vr880tx-sim: unknown option %s\n%s", option.c_str(), kUsage);
            return std::nullopt;
        }
        if (!valid) {
            std::fprintf(stderr, "vr880tx-sim: bad value for %s: %s\n", option.c_str(),
                         value.c_str());
            return std::nullopt;
        }
    }
    return args;
}

// The link COM<n> in the per-user port map folder, pointing at the pty's slave.
class PortLink {
public:
    PortLink(int com, const std::string &target)
        : target_(QString::fromStdString(target)),
          path_(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                "/vr880tx-config/ports/COM" + QString::number(com)) {}

    bool create(std::string &error) {
        const QFileInfo info(path_);
        if (!QDir().mkpath(info.absolutePath())) {
            error = "cannot make " + info.absolutePath().toStdString();
            return false;
        }
        if (info.isSymLink() || info.exists()) {
            if (!info.isSymLink()) {
                error = path_.toStdString() + " exists and is not a link";
                return false;
            }
            QFile::remove(path_); // left over from a simulator that did not end cleanly
        }
        if (!QFile::link(target_, path_)) {
            error = "cannot link " + path_.toStdString();
            return false;
        }
        created_ = true;
        return true;
    }

    ~PortLink() {
        if (created_ && QFileInfo(path_).symLinkTarget() == target_)
            QFile::remove(path_);
    }

private:
    QString target_;
    QString path_;
    bool created_ = false;
};

} // namespace

int main(int argc, char **argv) {
    const auto args = parseArguments(argc, argv);
    if (!args)
        return 2;

    // SIGINT and SIGTERM stay blocked except while the endpoint waits, so none is missed.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigprocmask(SIG_BLOCK, &stopSignals, nullptr);
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    vr::sim::ControllerModel model(args->options);
    for (const auto &fault : args->faults)
        model.addFault(fault);
    vr::sim::PtyEndpoint endpoint(model);
    std::string error;
    if (!endpoint.open(error)) {
        std::fprintf(stderr, "vr880tx-sim: %s\n", error.c_str());
        return 1;
    }
    // The controller's clock starts now, in the endpoint's time.
    model.setClock(args->options.clockStart, endpoint.now());

    PortLink link(args->com, endpoint.slavePath());
    if (!link.create(error)) {
        std::fprintf(stderr, "vr880tx-sim: %s\n", error.c_str());
        return 1;
    }
    std::printf("COM%d -> %s\n", args->com, endpoint.slavePath().c_str());
    std::fflush(stdout);

    endpoint.serve(stopRequested);
    return 0;
}

#include "sim/arguments.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>
#include <string_view>

#include "sim/digits.h"

namespace vr::sim {

const char *const kUsage =
    "usage: vr880tx-sim [--com N] [--mode I] [--address AAA] [--serial SSSSSSSS]\n"
    "                   [--firmware VVVVVVVV] [--clock yyyymmddhhnnss] [--inputs PATTERN]\n"
    "                   [--turnaround MS] [--fault KIND[=ARG]]... [--heard FILE]\n"
    "\n"
    "  --com N          port number the program opens, 1-16 (default 3)\n"
    "  --mode I         line mode index 0-11 (default 5, \"19200,e,8,1\")\n"
    "  --address AAA    controller address, three digits (default 001)\n"
    "  --serial S       serial number, 8 characters (default 12345678)\n"
    "  --firmware V     firmware version, 8 characters (default 03.22-01)\n"
    "  --clock T        controller clock at start (default: this PC's local time)\n"
    "  --inputs P       walk[:MS] (one input on at a time, default walk:1000),\n"
    "                   fixed:BBBBBB (inputs 1,2,3,4,7,8), loopback (inputs 1-3 follow DO1-3)\n"
    "  --turnaround MS  pause before each reply, 0-10000 (default 2)\n"
    "  --fault F        drop[=N] bad-crc lower-crc noise[=N] split[=MS] late[=MS]\n"
    "                   probe-length=19|21 flood[=N] hangup[=N]; may be repeated\n"
    "  --heard FILE     when it ends, write the body of every request it heard (its own\n"
    "                   address or 000, right CRC) to FILE, one a line, other bytes as \\xHH\n"
    "\n"
    "Links COM<N> in the port map folder to its pseudo-terminal, prints \"COM<N> -> /dev/pts/X\"\n"
    "when ready and serves until SIGTERM, SIGINT, SIGHUP or SIGQUIT, then removes the link.\n"
    "Refuses (exit 2) a COM<N> that another running simulator serves or that was mapped by hand.\n";

namespace {

bool printable(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return std::isprint(static_cast<unsigned char>(c)) != 0; });
}

std::optional<int> smallNumber(std::string_view text, int low, int high) {
    if (text.empty() || text.size() > 6 || !AllDigits(text))
        return std::nullopt;
    int value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

// One option that takes a value: its name, what its value must be (for the messages) and how a
// valid value is taken; `take` returns false for an invalid one.
struct Option {
    std::string_view name;
    std::string_view expected;
    bool (*take)(std::string_view value, Arguments &args);
};

const Option kOptions[] = {
    {"--com", "a port number from 1 to 16",
     [](std::string_view value, Arguments &args) {
         const auto number = smallNumber(value, kFirstPort, kLastPort);
         args.com = number.value_or(args.com);
         return number.has_value();
     }},
    {"--mode", "a line mode index from 0 to 11",
     [](std::string_view value, Arguments &args) {
         const auto index = smallNumber(value, 0, 11);
         args.options.state.lineModeIndex = index.value_or(args.options.state.lineModeIndex);
         return index.has_value();
     }},
    {"--address", "three digits",
     [](std::string_view value, Arguments &args) {
         if (value.size() != 3 || !AllDigits(value))
             return false;
         args.options.state.address = value;
         return true;
     }},
    {"--serial", "8 printable characters",
     [](std::string_view value, Arguments &args) {
         if (value.size() != 8 || !printable(value))
             return false;
         args.options.state.serial = value;
         return true;
     }},
    {"--firmware", "8 printable characters",
     [](std::string_view value, Arguments &args) {
         if (value.size() != 8 || !printable(value))
             return false;
         args.options.state.firmware = value;
         return true;
     }},
    {"--clock", "a date and time yyyymmddhhnnss",
     [](std::string_view value, Arguments &args) {
         const auto time = ClockTime::parse(value);
         args.options.clockStart = time.value_or(args.options.clockStart);
         return time.has_value();
     }},
    {"--inputs", "walk[:MS], fixed:BBBBBB or loopback",
     [](std::string_view value, Arguments &args) {
         const auto pattern = InputPattern::parse(value);
         args.options.inputs = pattern.value_or(args.options.inputs);
         return pattern.has_value();
     }},
    {"--turnaround", "milliseconds from 0 to 10000",
     [](std::string_view value, Arguments &args) {
         const auto ms = smallNumber(value, 0, 10000);
         if (ms)
             args.options.turnaroundMicros = static_cast<std::uint32_t>(*ms * 1000);
         return ms.has_value();
     }},
    {"--heard", "a file name",
     [](std::string_view value, Arguments &args) {
         args.heardFile = value;
         return !value.empty();
     }},
    {"--fault", "a fault named in --help",
     [](std::string_view value, Arguments &args) {
         const auto fault = Fault::parse(value);
         if (fault)
             args.faults.push_back(*fault);
         return fault.has_value();
     }},
};

CommandLine refused(std::string error, bool showUsage) {
    CommandLine line;
    line.kind = CommandLine::Kind::Refused;
    line.error = std::move(error);
    line.showUsage = showUsage;
    return line;
}

} // namespace

CommandLine ParseCommandLine(int argc, const char *const *argv, const ClockTime &clockStart) {
    CommandLine line;
    line.arguments.options.clockStart = clockStart;
    for (int i = 1; i < argc; ++i) {
        const std::string_view word = argv[i];
        const auto equals = word.find('=');
        const std::string_view name = word.substr(0, equals);
        if (name == "--help" || name == "-h") {
            if (equals != std::string_view::npos)
                return refused(std::string(name) + " takes no value", true);
            line.kind = CommandLine::Kind::Help;
            return line;
        }
        const auto option = std::find_if(std::begin(kOptions), std::end(kOptions),
                                         [&](const Option &each) { return each.name == name; });
        if (option == std::end(kOptions))
            return refused(word.starts_with('-') ? "unknown option " + std::string(name)
                                                 : "unexpected argument " + std::string(word),
                           true);
        std::string_view value;
        if (equals != std::string_view::npos)
            value = word.substr(equals + 1);
        else if (i + 1 < argc)
            value = argv[++i];
        else
            return refused(std::string(name) + " needs a value: " + std::string(option->expected),
                           false);
        if (!option->take(value, line.arguments))
            return refused("bad value for " + std::string(name) + ": \"" + std::string(value) +
                               "\" (expected " + std::string(option->expected) + ")",
                           false);
    }
    return line;
}

} // namespace vr::sim

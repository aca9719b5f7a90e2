#pragma once

#include <string>
#include <vector>

#include "sim/controller_model.h"

namespace vr::sim {

// The port numbers the program scans; the simulator serves no other.
inline constexpr int kFirstPort = 1;
inline constexpr int kLastPort = 16;

struct Arguments {
    int com = 3;
    ControllerOptions options;
    std::vector<Fault> faults;
    std::string heardFile; // --heard: where the bodies heard go when the simulator ends
};

// What the command line asks for.
struct CommandLine {
    enum class Kind {
        Serve,   // `arguments` are valid
        Help,    // --help: print the usage and end
        Refused, // `error` says what is wrong; the usage follows when `showUsage`
    };
    Kind kind = Kind::Serve;
    Arguments arguments;
    std::string error;
    bool showUsage = false;
};

// Reads argv[1..argc-1]; `clockStart` is the controller's clock unless --clock sets it.
CommandLine ParseCommandLine(int argc, const char *const *argv, const ClockTime &clockStart);

extern const char *const kUsage;

} // namespace vr::sim

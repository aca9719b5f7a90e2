#pragma once

#include <array>
#include <optional>
#include <string>

#include <QString>
#include <QStringList>

#include "operations/controller_operations.h"

namespace vr::cli {

enum class Command {
    Scan,
    SetClock,
    AlarmTest,
    AddCard,
    SetBaud,
    SetId,
    SetMode,
    CardType,
    FactoryDefault,
    TestCommand,
    AutoTest,
    DidoTest,
    Ports,
};

// The longest texts the window lets the operator type, and so the command line accepts.
inline constexpr int kCardNumberLimit = 10;
inline constexpr int kCommandTextLimit = 30;

// What one run of vr880tx is asked to do, every argument checked and converted.
struct Invocation {
    Command command = Command::Scan;
    std::string commandName; // "set-clock"
    QStringList given;       // the arguments as given, for the trace's first line

    // The command's argument.
    int index = 0;        // alarm kind 0-6, line mode 0-11, width 0-2 (24/32/40), card type 0-2
    QString text;         // card number, command text, new ID as three digits
    bool hasText = false; // auto-test: a card number was given (else the stored one)

    std::optional<int> port;      // --port 1-16
    std::optional<int> lineMode;  // --mode 0-11
    std::optional<int> language;  // --lang: 0 English, 1 simplified, 2 traditional Chinese
    std::optional<QString> trace; // --trace FILE, "-" for standard error
    bool json = false;
    bool quiet = false;
    bool noSave = false;
    bool allModes = false; // scan: every line mode on every port (the window's lock unticked)
    LoopLimit limit;       // --cycles, --seconds
    std::array<bool, 3> outputs{}; // --outputs: DO1 to DO3 on in the DIDO test
};

struct ParsedArguments {
    enum class Kind { Run, Help, Version, Usage };
    Kind kind = Kind::Usage;
    Invocation invocation;
    std::string error; // Usage: what is wrong and what is allowed, one line
    bool json = false; // --json was among the arguments, also when they were refused
};

// Reads the arguments after the program name. Options may come before and after the command;
// "--" ends the options (for a command text that begins with "-").
ParsedArguments ParseArguments(const QStringList &arguments);

// The text of --help.
extern const char *const kUsage;

// The name of line mode `index` for messages: "19200,e,8,1".
std::string LineModeName(int index);

} // namespace vr::cli

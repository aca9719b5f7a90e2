#include "cli/arguments.h"

#include <QRegularExpression>

#include <limits>

#include "link/line_modes.h"

namespace vr::cli {

const char *const kUsage =
    "usage: vr880tx [options] COMMAND [ARGUMENT]\n"
    "\n"
    "Commands (every one but scan and ports first finds the controller on the port and\n"
    "line mode of the last scan, or those of --port and --mode):\n"
    "  scan                 find the controller: the stored port first, then COM1 to COM16\n"
    "  set-clock            set the controller's clock to this PC's\n"
    "  alarm-test KIND      0-6 or off, steal, help, fire, gas, forced, duress\n"
    "  add-card NUMBER      add a card, up to 10 characters\n"
    "  set-baud MODE        set the controller's line mode: 0-11 or a mode such as 19200,e,8,1\n"
    "  set-id ID            give the controller a new address, 1-999\n"
    "  set-mode WIDTH       card-number output width: 24, 32 or 40\n"
    "  card-type TYPE       0-2 or em, vorna, security\n"
    "  factory-default      restore the controller's factory settings\n"
    "  command TEXT         send TEXT (up to 30 characters) behind the address; print the reply\n"
    "  auto-test [NUMBER]   set the clock, add the card (default: the stored card number),\n"
    "                       then poll the controller until interrupted or a limit\n"
    "  dido-test            drive outputs DO1-DO3 (see --outputs) and poll the inputs\n"
    "  ports                list COM1 to COM16: device, present, whether this user may open it\n"
    "\n"
    "Options:\n"
    "  --port N        port 1-16 (default: the stored port)\n"
    "  --mode M        line mode 0-11 or its text such as 19200,e,8,1 (default: the stored one)\n"
    "  --all-modes     scan: try all twelve line modes on every port, not only the stored one\n"
    "  --cycles N      auto-test, dido-test: end after N polls\n"
    "  --seconds S     auto-test, dido-test: end after S seconds of polling\n"
    "  --outputs LIST  dido-test: the outputs to switch on, such as 1,3 (default: none)\n"
    "  --lang L        en, zh-CN or zh-TW: code page of NUMBER and TEXT, language of messages\n"
    "                  (default: the stored language)\n"
    "  --json          one JSON object a line on standard output; other text to standard error\n"
    "  --trace FILE    append every byte sent and received to FILE (- for standard error)\n"
    "  --no-save       scan: do not store the port and line mode found\n"
    "  --quiet         no progress and no status messages; data and errors are still shown\n"
    "  --help, --version\n"
    "\n"
    "Exit codes: 0 success, 1 the operation failed on the line, 2 usage error or refused input,\n"
    "3 the port could not be opened, 4 no controller answered, 130 interrupted.\n"
    "The settings are read from the machine's store, or from the folder named by\n"
    "VR880TX_SETTINGS_DIR.\n";

namespace {

struct CommandSpec {
    const char *name;
    Command command;
    enum class Argument { None, Required, Optional } argument;
};

constexpr CommandSpec kCommands[] = {
    {"scan", Command::Scan, CommandSpec::Argument::None},
    {"set-clock", Command::SetClock, CommandSpec::Argument::None},
    {"alarm-test", Command::AlarmTest, CommandSpec::Argument::Required},
    {"add-card", Command::AddCard, CommandSpec::Argument::Required},
    {"set-baud", Command::SetBaud, CommandSpec::Argument::Required},
    {"set-id", Command::SetId, CommandSpec::Argument::Required},
    {"set-mode", Command::SetMode, CommandSpec::Argument::Required},
    {"card-type", Command::CardType, CommandSpec::Argument::Required},
    {"factory-default", Command::FactoryDefault, CommandSpec::Argument::None},
    {"command", Command::TestCommand, CommandSpec::Argument::Required},
    {"auto-test", Command::AutoTest, CommandSpec::Argument::Optional},
    {"dido-test", Command::DidoTest, CommandSpec::Argument::None},
    {"ports", Command::Ports, CommandSpec::Argument::None},
};

constexpr const char *kCommandList = "scan, set-clock, alarm-test, add-card, set-baud, set-id, "
                                     "set-mode, card-type, factory-default, command, auto-test, "
                                     "dido-test, ports";

// The argument of each command that takes one, and what it must be.
constexpr const char *kAlarmNames[] = {"off", "steal", "help", "fire", "gas", "forced", "duress"};
constexpr const char *kCardTypeNames[] = {"em", "vorna", "security"};
constexpr const char *kWidths[] = {"24", "32", "40"};

std::string Quoted(const QString &text) {
    return "'" + text.toStdString() + "'";
}

// A decimal number of digits only, within [low, high].
std::optional<long long> Number(const QString &text, long long low, long long high) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,12}$"));
    if (!digits.match(text).hasMatch())
        return std::nullopt;
    const long long value = text.toLongLong();
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

// A number 0 to names-1, or one of the names, in any letter case.
template <std::size_t N>
std::optional<int> IndexOrName(const QString &text, const char *const (&names)[N]) {
    if (const auto number = Number(text, 0, static_cast<long long>(N) - 1))
        return static_cast<int>(*number);
    for (std::size_t i = 0; i < N; ++i)
        if (text.compare(QLatin1String(names[i]), Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return std::nullopt;
}

std::optional<int> LineMode(const QString &text) {
    if (const auto number = Number(text, 0, static_cast<long long>(kLineModes.size()) - 1))
        return static_cast<int>(*number);
    for (std::size_t i = 0; i < kLineModes.size(); ++i)
        if (text.compare(
                QLatin1String(kLineModes[i].data(), static_cast<qsizetype>(kLineModes[i].size())),
                Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return std::nullopt;
}

// Seconds as a decimal number, more than 0 and small enough for a 32-bit millisecond count.
std::optional<std::uint32_t> Milliseconds(const QString &text) {
    static const QRegularExpression decimal(QStringLiteral("^[0-9]{1,7}(\\.[0-9]{1,3})?$"));
    if (!decimal.match(text).hasMatch())
        return std::nullopt;
    const double ms = text.toDouble() * 1000.0;
    if (ms < 1.0 || ms > static_cast<double>(std::numeric_limits<std::uint32_t>::max()))
        return std::nullopt;
    return static_cast<std::uint32_t>(ms + 0.5);
}

// "1,3", "2", "" or "none".
std::optional<std::array<bool, 3>> Outputs(const QString &text) {
    std::array<bool, 3> on{};
    if (text.isEmpty() || text.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0)
        return on;
    for (const QString &item : text.split(',')) {
        const auto output = Number(item.trimmed(), 1, 3);
        if (!output)
            return std::nullopt;
        on[static_cast<std::size_t>(*output - 1)] = true;
    }
    return on;
}

std::optional<int> Language(const QString &text) {
    const char *const names[] = {"en", "zh-CN", "zh-TW"};
    for (int i = 0; i < 3; ++i)
        if (text.compare(QLatin1String(names[i]), Qt::CaseInsensitive) == 0)
            return i;
    return std::nullopt;
}

class Parser {
public:
    explicit Parser(const QStringList &arguments) : arguments_(arguments) {}

    ParsedArguments parse() {
        result_.invocation.given = arguments_;
        result_.json = arguments_.contains(QStringLiteral("--json"));
        QStringList positional;
        bool optionsEnded = false;
        for (int i = 0; i < arguments_.size(); ++i) {
            const QString &argument = arguments_[i];
            if (optionsEnded || !argument.startsWith(QStringLiteral("--")) ||
                argument == QStringLiteral("-")) {
                if (argument.startsWith('-') && argument.size() > 1 && !optionsEnded)
                    return refuse("unknown option " + Quoted(argument) +
                                  "; options begin with --, see vr880tx --help");
                positional << argument;
                continue;
            }
            if (argument == QStringLiteral("--")) {
                optionsEnded = true;
                continue;
            }
            if (argument == QStringLiteral("--help"))
                return done(ParsedArguments::Kind::Help);
            if (argument == QStringLiteral("--version"))
                return done(ParsedArguments::Kind::Version);
            QString name = argument;
            std::optional<QString> value;
            const auto equals = argument.indexOf('=');
            if (equals > 0) {
                name = argument.left(equals);
                value = argument.mid(equals + 1);
            }
            if (!option(name, value, i))
                return result_;
        }
        if (!command(positional))
            return result_;
        if (!applicable())
            return result_;
        return done(ParsedArguments::Kind::Run);
    }

private:
    ParsedArguments &refuse(const std::string &error) {
        result_.kind = ParsedArguments::Kind::Usage;
        result_.error = error;
        return result_;
    }
    bool fail(const std::string &error) {
        refuse(error);
        return false;
    }
    ParsedArguments &done(ParsedArguments::Kind kind) {
        result_.kind = kind;
        return result_;
    }

    // An option without a value.
    bool flag(const QString &name, const std::optional<QString> &value, bool &into) {
        if (value) {
            refuse(name.toStdString() + " takes no value");
            return false;
        }
        into = true;
        return true;
    }

    // The value of an option: after "=", or the next argument.
    std::optional<QString> valueOf(const QString &name, const std::optional<QString> &value, int &i,
                                   const char *expected) {
        if (value)
            return value;
        if (i + 1 >= arguments_.size()) {
            refuse(name.toStdString() + " needs a value: " + expected);
            return std::nullopt;
        }
        return arguments_[++i];
    }

    template <typename T>
    bool take(const QString &name, const QString &value, const std::optional<T> &converted,
              const char *expected, std::optional<T> &into) {
        if (!converted) {
            refuse(name.toStdString() + " " + Quoted(value) + " is out of range: " + expected);
            return false;
        }
        into = converted;
        return true;
    }

    bool option(const QString &name, const std::optional<QString> &given, int &i) {
        Invocation &run = result_.invocation;
        if (name == QStringLiteral("--json"))
            return flag(name, given, run.json);
        if (name == QStringLiteral("--quiet"))
            return flag(name, given, run.quiet);
        if (name == QStringLiteral("--no-save"))
            return flag(name, given, run.noSave);
        if (name == QStringLiteral("--all-modes"))
            return flag(name, given, run.allModes);

        struct Valued {
            const char *name;
            const char *expected;
        };
        static constexpr Valued kValued[] = {
            {"--port", "a port number 1-16"},
            {"--mode", "a line mode 0-11, or its text such as 19200,e,8,1"},
            {"--lang", "en, zh-CN or zh-TW"},
            {"--trace", "a file name, or - for standard error"},
            {"--cycles", "a number of polls 1-1000000000"},
            {"--seconds", "a number of seconds, more than 0 and up to 4294967"},
            {"--outputs", "outputs 1-3 separated by commas, such as 1,3, or none"},
        };
        for (const Valued &known : kValued) {
            if (name != QLatin1String(known.name))
                continue;
            const auto value = valueOf(name, given, i, known.expected);
            if (!value)
                return false;
            const QString key(known.name);
            if (key == QStringLiteral("--port"))
                return take(name, *value, Number(*value, 1, 16), known.expected, port_);
            if (key == QStringLiteral("--mode"))
                return take(name, *value, LineMode(*value), known.expected, run.lineMode);
            if (key == QStringLiteral("--lang"))
                return take(name, *value, Language(*value), known.expected, run.language);
            if (key == QStringLiteral("--trace")) {
                if (value->isEmpty())
                    return fail("--trace needs a value: " + std::string(known.expected));
                run.trace = *value;
                return true;
            }
            if (key == QStringLiteral("--cycles"))
                return take(name, *value, Number(*value, 1, 1000000000), known.expected, cycles_);
            if (key == QStringLiteral("--seconds"))
                return take(name, *value, Milliseconds(*value), known.expected, milliseconds_);
            return take(name, *value, Outputs(*value), known.expected, outputs_);
        }
        refuse("unknown option " + Quoted(name) + "; see vr880tx --help");
        return false;
    }

    bool command(const QStringList &positional) {
        Invocation &run = result_.invocation;
        if (positional.isEmpty()) {
            refuse(std::string("no command given; commands: ") + kCommandList);
            return false;
        }
        const CommandSpec *spec = nullptr;
        for (const CommandSpec &known : kCommands)
            if (positional[0] == QLatin1String(known.name))
                spec = &known;
        if (spec == nullptr) {
            refuse("unknown command " + Quoted(positional[0]) + "; commands: " + kCommandList);
            return false;
        }
        run.command = spec->command;
        run.commandName = spec->name;
        const qsizetype allowed = spec->argument == CommandSpec::Argument::None ? 1 : 2;
        if (positional.size() > allowed) {
            refuse(run.commandName + (allowed == 1 ? " takes no argument" : " takes one argument") +
                   ", not " + Quoted(positional[allowed]));
            return false;
        }
        if (positional.size() == 1) {
            if (spec->argument == CommandSpec::Argument::Required) {
                refuse(run.commandName + " needs an argument: " + expected(run.command));
                return false;
            }
            return true;
        }
        return argument(positional[1]);
    }

    static std::string expected(Command command) {
        switch (command) {
        case Command::AlarmTest:
            return "an alarm kind 0-6 or off, steal, help, fire, gas, forced, duress";
        case Command::AddCard:
        case Command::AutoTest:
            return "a card number of up to 10 characters";
        case Command::SetBaud:
            return "a line mode 0-11, or its text such as 19200,e,8,1";
        case Command::SetId:
            return "an ID 1-999";
        case Command::SetMode:
            return "a card-number width 24, 32 or 40";
        case Command::CardType:
            return "a card type 0-2 or em, vorna, security";
        case Command::TestCommand:
            return "a command text of up to 30 characters, such as AB";
        default:
            return "nothing";
        }
    }

    bool argument(const QString &value) {
        Invocation &run = result_.invocation;
        std::optional<int> index;
        switch (run.command) {
        case Command::AlarmTest:
            index = IndexOrName(value, kAlarmNames);
            break;
        case Command::SetBaud:
            index = LineMode(value);
            break;
        case Command::SetMode:
            for (int i = 0; i < 3; ++i)
                if (value == QLatin1String(kWidths[i]))
                    index = i;
            break;
        case Command::CardType:
            index = IndexOrName(value, kCardTypeNames);
            break;
        case Command::SetId:
            if (const auto id = Number(value, 1, 999)) {
                run.text = QStringLiteral("%1").arg(*id, 3, 10, QLatin1Char('0'));
                return true;
            }
            break;
        case Command::AddCard:
        case Command::AutoTest:
            if (value.size() <= kCardNumberLimit) {
                run.text = value;
                run.hasText = true;
                return true;
            }
            break;
        case Command::TestCommand:
            if (value.size() <= kCommandTextLimit) {
                run.text = value;
                run.hasText = true;
                return true;
            }
            break;
        default:
            break;
        }
        if (index) {
            run.index = *index;
            return true;
        }
        refuse(run.commandName + ": " + Quoted(value) + " is not allowed; expected " +
               expected(run.command));
        return false;
    }

    // Options that change what a command does are refused where the command has no use for
    // them, rather than ignored.
    bool applicable() {
        Invocation &run = result_.invocation;
        const bool looping = run.command == Command::AutoTest || run.command == Command::DidoTest;
        if ((cycles_ || milliseconds_) && !looping)
            return fail("--cycles and --seconds apply to auto-test and dido-test only");
        if (outputs_ && run.command != Command::DidoTest)
            return fail("--outputs applies to dido-test only");
        if (run.allModes && run.command != Command::Scan)
            return fail("--all-modes applies to scan only");
        if ((port_ || run.lineMode) && run.command == Command::Ports)
            return fail("ports lists every port; --port and --mode do not apply");
        if (port_)
            run.port = static_cast<int>(*port_);
        if (cycles_)
            run.limit.cycles = static_cast<int>(*cycles_);
        if (milliseconds_)
            run.limit.milliseconds = *milliseconds_;
        if (outputs_)
            run.outputs = *outputs_;
        return true;
    }

    const QStringList &arguments_;
    ParsedArguments result_;
    std::optional<long long> port_;
    std::optional<long long> cycles_;
    std::optional<std::uint32_t> milliseconds_;
    std::optional<std::array<bool, 3>> outputs_;
};

} // namespace

std::string LineModeName(int index) {
    if (index < 0 || index >= static_cast<int>(kLineModes.size()))
        return {};
    return std::string(kLineModes[static_cast<std::size_t>(index)]);
}

ParsedArguments ParseArguments(const QStringList &arguments) {
    return Parser(arguments).parse();
}

} // namespace vr::cli

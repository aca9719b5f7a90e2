#include "cli/command_line.h"

#include <QDateTime>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <memory>

#include "cli/feedback.h"
#include "cli/json_line.h"
#include "cli/output.h"
#include "cli/ports_listing.h"
#include "cli/report.h"
#include "i18n/message_catalogue.h"
#include "link/controller_link.h"
#include "link/exchange_trace.h"
#include "link/line_modes.h"
#include "operations/controller_operations.h"
#include "platform/console.h"
#include "platform/port_diagnostics.h"
#include "platform/qt_platform.h"
#include "settings/front_end_store.h"

#ifndef VR_VERSION
#define VR_VERSION "0"
#endif

namespace vr::cli {
namespace {

constexpr int kFirstPort = 1;
constexpr int kLastPort = 16;

bool IsLoopingTest(Command command) {
    return command == Command::AutoTest || command == Command::DidoTest;
}

// One run of a command, from its trace to its report.
class Runner {
public:
    Runner(const Invocation &invocation, Platform &platform, const SettingsStore &store,
           const Console &console, const std::atomic<bool> *interruption)
        : invocation_(invocation), platform_(platform), store_(store), console_(console),
          interruption_(interruption),
          // A trace on standard error would break into the progress line.
          progress_(console.err, console.progress && !invocation.quiet &&
                                     invocation.trace != QStringLiteral("-")),
          feedback_(progress_, progress_.enabled() ? console.err : nullptr), link_(platform) {}

    ~Runner() {
        link_.setObserver(nullptr);
        watch_.setTrace(nullptr);
        trace_.reset(); // flushes
        if (ownsTraceFile_)
            std::fclose(traceFile_);
    }
    Runner(const Runner &) = delete;
    Runner &operator=(const Runner &) = delete;

    int run() {
        if (!openTrace())
            return kExitUsage;
        link_.setObserver(&watch_);
        if (invocation_.command == Command::Ports)
            return ListPortsCommand(invocation_, console_);

        session_.settings = store_.load(); // a store that cannot be read gives the defaults
        if (invocation_.language) {
            session_.settings.LanguageNo = *invocation_.language;
            session_.settings.LanguageFlag = LanguageFlag(*invocation_.language);
        }
        if (!operatorTextAccepted())
            return kExitUsage;

        ControllerOperations operations(platform_, link_, session_, feedback_,
                                        invocation_.noSave ? nullptr : &store_);
        operations.setInterruption(interruption_);
        if (invocation_.command == Command::Scan) {
            ScanInput input;
            input.lockTicked = !invocation_.allModes;
            input.onlyPort = invocation_.port;
            input.onlyLineMode = invocation_.lineMode;
            note("scan");
            return report(operations.scan(input));
        }

        if (!choosePortAndMode())
            return kExitUsage;
        note("find the controller on COM" + std::to_string(session_.settings.ScanCommNo) + " (" +
             session_.settings.ScanBaudRate.toStdString() + ")");
        const Outcome found = operations.findController();
        if (!found.ok() || interrupted())
            return report(found);
        note(invocation_.commandName);
        operationRan_ = true;
        Outcome outcome = runOperation(operations);
        if (outcome.controller.address.empty())
            outcome.controller.address = found.controller.address;
        if (outcome.controller.serial.empty())
            outcome.controller.serial = found.controller.serial;
        return report(outcome);
    }

private:
    bool interrupted() const { return interruption_ != nullptr && interruption_->load(); }

    // Human text of the result: on standard output, or beside the JSON on standard error.
    std::FILE *humanStream() const { return invocation_.json ? console_.err : console_.out; }

    void refuse(const std::string &message) {
        progress_.clear();
        ParsedArguments parsed;
        parsed.invocation = invocation_;
        parsed.json = invocation_.json;
        parsed.error = message;
        ReportUsageError(parsed, console_);
    }

    bool openTrace() {
        if (!invocation_.trace)
            return true;
        const QString &name = *invocation_.trace;
        if (name == QStringLiteral("-")) {
            traceFile_ = console_.err;
        } else {
            // Appended, so that a shell loop of commands leaves one trace.
            traceFile_ = std::fopen(QFile::encodeName(name).constData(), "a");
            if (traceFile_ == nullptr) {
                refuse("--trace: cannot write " + name.toStdString() + ": " + std::strerror(errno));
                return false;
            }
            ownsTraceFile_ = true;
        }
        const std::uint32_t start = platform_.milliseconds();
        trace_ = std::make_unique<ExchangeTrace>(traceFile_, start);
        watch_.setTrace(trace_.get());
        trace_->note(start, "vr880tx " VR_VERSION " " + invocation_.given.join(' ').toStdString() +
                                ", " +
                                QDateTime::currentDateTime()
                                    .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                    .toStdString());
        return true;
    }

    void note(const std::string &text) {
        if (trace_) {
            const std::uint32_t now = platform_.milliseconds();
            trace_->note(now, "-- " + text);
        }
    }

    // Operator text must go on the wire in the code page of the language; what cannot is
    // refused before anything is sent.
    bool operatorTextAccepted() {
        const int language = session_.settings.LanguageNo;
        const char *const languages[] = {"English (Latin-1)", "simplified Chinese (GB2312)",
                                         "traditional Chinese (Big5)"};
        const char *what = nullptr;
        switch (invocation_.command) {
        case Command::AddCard:
        case Command::AutoTest:
            if (invocation_.hasText && !CardNumberAccepted(invocation_.text, language))
                what = "the card number";
            break;
        case Command::TestCommand:
            if (!CommandTextAccepted(invocation_.text, language))
                what = "the command text";
            break;
        default:
            break;
        }
        if (what == nullptr)
            return true;
        refuse(invocation_.commandName + ": " + what + " '" + invocation_.text.toStdString() +
               "' cannot be written in the code page of " +
               languages[language >= 0 && language < 3 ? language : 0] +
               "; choose the language with --lang");
        return false;
    }

    // A single command runs on the given port and mode, else on those the last scan stored.
    bool choosePortAndMode() {
        ScanSettings &settings = session_.settings;
        if (invocation_.port)
            settings.ScanCommNo = *invocation_.port;
        if (invocation_.lineMode) {
            settings.ScanBaudRateNo = *invocation_.lineMode;
            settings.ScanBaudRate = QString::fromStdString(LineModeName(*invocation_.lineMode));
        }
        if (settings.ScanCommNo >= kFirstPort && settings.ScanCommNo <= kLastPort)
            return true;
        refuse(invocation_.commandName +
               ": no port known (no scan has stored one); give --port N or run vr880tx scan");
        return false;
    }

    Outcome runOperation(ControllerOperations &operations) {
        const Invocation &run = invocation_;
        FixedOutputs outputs(run.outputs);
        switch (run.command) {
        case Command::SetClock:
            return operations.setDateTime();
        case Command::AlarmTest:
            return operations.alarmTest(run.index);
        case Command::AddCard:
            return operations.addCard(run.text);
        case Command::SetBaud:
            return operations.setBaudRate(run.index);
        case Command::SetId:
            return operations.setId(run.text);
        case Command::SetMode:
            return operations.setMode(run.index);
        case Command::CardType:
            return operations.setCardType(run.index);
        case Command::FactoryDefault:
            return operations.factoryDefault();
        case Command::TestCommand:
            return operations.testCommand(run.text);
        case Command::AutoTest:
            return operations.autoTest(run.hasText ? run.text : session_.settings.ScanCardID,
                                       outputs, run.limit);
        case Command::DidoTest:
            return operations.didoTest(outputs, run.limit);
        case Command::Scan:
        case Command::Ports:
            break;
        }
        return {};
    }

    // Where a scan looked, for the message when it found nothing.
    std::string scanPlaces() const {
        const ScanSettings &settings = session_.settings;
        std::string places = invocation_.port ? "on COM" + std::to_string(*invocation_.port)
                                              : std::string("on COM1 to COM16");
        if (invocation_.lineMode)
            places += " in " + LineModeName(*invocation_.lineMode);
        else if (invocation_.allModes)
            places += " in all twelve line modes";
        else
            places += " in " + settings.ScanBaudRate.toStdString() + " (--all-modes tries all)";
        return places;
    }

    std::string failureMessage(const Outcome &outcome, const Verdict &verdict) const {
        const std::string status = feedback_.lastStatus().toLocal8Bit().toStdString();
        const bool looping = IsLoopingTest(invocation_.command);
        if (verdict.error == "interrupted") {
            std::string message = "interrupted";
            if (looping && operationRan_ && outcome.kind != OutcomeKind::PortNotOpened &&
                outcome.kind != OutcomeKind::NotFound)
                message += " after " + std::to_string(outcome.loop.cycles) +
                           " poll(s); the closing commands went out as on Cancel";
            if (operationRan_ && outcome.ok())
                message += " (the operation had succeeded)";
            return message;
        }
        switch (outcome.kind) {
        case OutcomeKind::ExchangeFailed: {
            const std::string how = watch_.lastAccepted()
                                        ? std::string()
                                        : " (last exchange: " + watch_.lastEndText() + ")";
            if (looping)
                return "the controller stopped answering: 4 polls in a row without an accepted "
                       "reply" +
                       how;
            if (watch_.lastAccepted())
                return status + ": bad reply (a probe reply of the wrong length)";
            return status + ": " + (verdict.error == "no-reply" ? "no reply" : "bad reply") + how;
        }
        case OutcomeKind::NotFound:
            if (invocation_.command == Command::Scan)
                return status + ": no controller answered " + scanPlaces();
            return "no controller answered on COM" + std::to_string(outcome.port) + " in " +
                   outcome.lineMode + " (3 probes to address 000)";
        case OutcomeKind::InputRefused:
            return status + ": the input cannot be sent";
        default:
            return status;
        }
    }

    int report(const Outcome &outcome) {
        progress_.clear();
        const Verdict verdict = Judge(outcome, watch_, interrupted());
        const bool ok = verdict.error.empty();
        std::string message;
        std::vector<std::string> details;
        std::string device;
        if (!ok && outcome.kind == OutcomeKind::PortNotOpened && verdict.error != "interrupted") {
            const PortDiagnosis diagnosis = DiagnosePort(outcome.port, outcome.portFailure);
            message = diagnosis.summary;
            details = diagnosis.details;
            device = diagnosis.device;
        } else if (!ok) {
            message = failureMessage(outcome, verdict);
        }

        if (invocation_.json) {
            JsonLine line = OutcomeJson(invocation_, outcome, ok);
            if (!ok) {
                line.text("error", verdict.error).text("message", message);
                if (!device.empty())
                    line.text("device", device);
                if (!details.empty())
                    line.textList("details", details);
            }
            PrintLine(console_.out, line.str());
            std::fflush(console_.out);
        }
        return finishHuman(outcome, ok, message, details, verdict.exitCode);
    }

    int finishHuman(const Outcome &outcome, bool ok, const std::string &message,
                    const std::vector<std::string> &details, int exitCode) {
        const bool silent = invocation_.json && invocation_.quiet;
        std::FILE *human = humanStream();
        if (ok && !invocation_.quiet && !feedback_.lastStatus().isEmpty() &&
            !IsLoopingTest(invocation_.command))
            PrintLine(human, feedback_.lastStatus());
        if (ok && !invocation_.quiet && invocation_.command == Command::SetBaud)
            PrintLine(human, "the controller now listens in " + LineModeName(invocation_.index) +
                                 "; the stored line mode is unchanged: give --mode " +
                                 std::to_string(invocation_.index) + " or scan again");
        if (!silent && (ok || outcome.kind != OutcomeKind::PortNotOpened))
            for (const std::string &line : OutcomeLines(invocation_, outcome))
                PrintLine(human, line);
        if (!ok) {
            PrintLine(console_.err, "vr880tx: " + message);
            for (const std::string &detail : details)
                PrintLine(console_.err, "  " + detail);
        }
        std::fflush(human);
        std::fflush(console_.err);
        return exitCode;
    }

    const Invocation &invocation_;
    Platform &platform_;
    const SettingsStore &store_;
    const Console &console_;
    const std::atomic<bool> *interruption_;
    ProgressLine progress_;
    CommandLineFeedback feedback_;
    std::FILE *traceFile_ = nullptr;
    bool ownsTraceFile_ = false;
    bool operationRan_ = false; // the controller was found and the operation itself started
    std::unique_ptr<ExchangeTrace> trace_;
    ExchangeWatch watch_;
    ControllerLink link_;
    Session session_;
};

} // namespace

int Run(const Invocation &invocation, Platform &platform, const SettingsStore &store,
        const Console &console, const std::atomic<bool> *interruption) {
    Runner runner(invocation, platform, store, console, interruption);
    return runner.run();
}

int ReportUsageError(const ParsedArguments &parsed, const Console &console) {
    if (parsed.json) {
        JsonLine line;
        line.boolean("ok", false);
        if (parsed.invocation.commandName.empty())
            line.null("operation");
        else
            line.text("operation", parsed.invocation.commandName);
        line.text("error", "usage").text("message", parsed.error);
        PrintLine(console.out, line.str());
        std::fflush(console.out);
    }
    PrintLine(console.err, "vr880tx: " + parsed.error);
    std::fflush(console.err);
    return kExitUsage;
}

int Main(const QStringList &arguments) {
    const ParsedArguments parsed = ParseArguments(arguments);
    const Console console{stdout, stderr, StandardErrorIsTerminal()};
    switch (parsed.kind) {
    case ParsedArguments::Kind::Help:
        std::fputs(kUsage, stdout);
        return kExitOk;
    case ParsedArguments::Kind::Version:
        std::fputs("vr880tx " VR_VERSION "\n", stdout);
        return kExitOk;
    case ParsedArguments::Kind::Usage:
        return ReportUsageError(parsed, console);
    case ParsedArguments::Kind::Run:
        break;
    }
    static std::atomic<bool> stopRequested{false};
    CatchStopRequests(stopRequested);
    BuildMessageCatalogue();
    QtPlatform platform;
    const SettingsStore store = FrontEndSettingsStore();
    return Run(parsed.invocation, platform, store, console, &stopRequested);
}

} // namespace vr::cli

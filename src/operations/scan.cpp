// The controller scan (btnScanClick): the stored port first, then the sweep over ports and line
// modes, then the controller's identity and details. Also the command line's finding of the
// controller, which is the scan's stored-port try alone.

#include <cstdint>
#include <string>
#include <vector>

#include "link/line_modes.h"
#include "operations/commands.h"
#include "operations/controller_operations.h"
#include "operations/operation_context.h"

namespace vr {

namespace {

constexpr int kStoredPortProbes = 3;
constexpr int kSweepProbes = 2;
constexpr int kFirstPort = 1;
constexpr int kLastPort = 16;
constexpr int kVersionAttempts = 2;
constexpr std::uint32_t kDetailsPauseMs = 100;

QString Latin1(const std::string &bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

bool IsLineModeIndex(int index) {
    return index >= 0 && index < static_cast<int>(kLineModes.size());
}

// A stored index outside the line-mode list takes the default mode rather than reading beyond
// the list.
int ValidLineModeIndex(int index) {
    return IsLineModeIndex(index) ? index : kDefaultLineModeIndex;
}

bool IsThreeDigits(const std::string &text) {
    if (text.size() != 3)
        return false;
    for (const char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// Up to `probes` probes to "000" on the open port, each announced to the front end.
bool Probe(OperationContext &context, int port, int lineModeIndex, int probes) {
    for (int probe = 1; probe <= probes; ++probe) {
        if (context.interrupted())
            return false;
        context.feedback.probing(port, lineModeIndex, probe, probes);
        if (SendStatusProbe(context.link, kScanAddress))
            return true;
    }
    return false;
}

// The identity of the controller whose probe reply LastReply() holds.
void TakeIdentity(Session &session, const std::string &reply) {
    session.ControllerID = ReplyAddress(reply);
    session.ControllerSerial = ReplySerial(reply);
}

class Scan {
public:
    Scan(OperationContext &context, const ScanInput &input)
        : context_(context), feedback_(context.feedback), link_(context.link),
          settings_(context.session.settings), input_(input) {}

    Outcome run() {
        feedback_.busyCursor(true);
        context_.platform.pumpEvents();
        feedback_.BusyMode(true);
        feedback_.status(context_.message(Msg::ScanController) + " ....");
        feedback_.controller(ControllerField::Serial,
                             context_.message(Msg::SerialNumber) + " : ________");
        feedback_.controller(ControllerField::Version,
                             context_.message(Msg::Version) + " : __.__-__");
        context_.platform.pumpEvents();
        context_.session.ControllerFound = false;

        bool found = storedPortWanted() && tryStoredPort();
        if (!found)
            found = sweep();

        if (found) {
            takeIdentity();
            readDetails();
        } else if (context_.interrupted()) {
            feedback_.BusyMode(false);
            outcome_.kind = OutcomeKind::Cancelled;
        } else {
            feedback_.BusyMode(false);
            feedback_.lamp(LampColour::Red);
            feedback_.lineMode(kDefaultLineModeIndex);
            feedback_.status(context_.message(Msg::NotFound));
            feedback_.beep(kLowBeepHz, kBeepMs);
            // A scan narrowed to one port that never opened did not look for a controller.
            outcome_.kind = onlyPortRefused_ ? OutcomeKind::PortNotOpened : OutcomeKind::NotFound;
        }
        feedback_.busyCursor(false);
        return outcome_;
    }

private:
    void showScanningPort(int port) {
        feedback_.status(context_.message(Msg::ScanCom) + " : #" + QString::number(port));
    }

    void save() {
        if (context_.store != nullptr)
            context_.store->SaveScanSettings(settings_);
    }

    // The command line may narrow the scan to a port or a line mode; the stored port is tried
    // only where it lies within.
    bool storedPortWanted() const {
        return settings_.ScanCommNo > 0 &&
               (!input_.onlyPort || *input_.onlyPort == settings_.ScanCommNo) &&
               (!input_.onlyLineMode || *input_.onlyLineMode == settings_.ScanBaudRateNo);
    }

    bool tryStoredPort() {
        feedback_.lineMode(settings_.ScanBaudRateNo);
        if (!link_.CommOpen(settings_.ScanCommNo, settings_.ScanBaudRate.toStdString()))
            return false;
        showScanningPort(settings_.ScanCommNo);
        const bool found =
            Probe(context_, settings_.ScanCommNo, settings_.ScanBaudRateNo, kStoredPortProbes);
        if (found)
            save();
        link_.CommClose();
        return found;
    }

    // The line modes to try on a port: all twelve, or with the lock ticked only the stored one,
    // or the one the command line names.
    std::vector<int> sweepModes() const {
        if (input_.onlyLineMode)
            return {*input_.onlyLineMode};
        if (input_.lockTicked)
            return {ValidLineModeIndex(settings_.ScanBaudRateNo)};
        std::vector<int> all;
        for (int mode = 0; mode < static_cast<int>(kLineModes.size()); ++mode)
            all.push_back(mode);
        return all;
    }

    bool sweep() {
        const int firstPort = input_.onlyPort.value_or(kFirstPort);
        const int lastPort = input_.onlyPort.value_or(kLastPort);
        const std::vector<int> modes = sweepModes();
        for (int port = firstPort; port <= lastPort; ++port) {
            for (const int mode : modes) {
                if (context_.interrupted())
                    return false;
                const std::string lineMode(kLineModes[static_cast<std::size_t>(mode)]);
                feedback_.lineMode(mode);
                if (!link_.CommOpen(port, lineMode)) {
                    if (input_.onlyPort && mode == modes.front()) {
                        onlyPortRefused_ = true;
                        outcome_.port = port;
                        outcome_.lineMode = lineMode;
                        outcome_.portFailure = link_.LastOpenFailure();
                    }
                    break; // an absent or held port: its other modes are not tried
                }
                showScanningPort(port);
                const bool found = Probe(context_, port, mode, kSweepProbes);
                if (found) {
                    settings_.ScanCommNo = port;
                    settings_.ScanBaudRate = QString::fromStdString(lineMode);
                    settings_.ScanBaudRateNo = mode;
                    save();
                }
                link_.CommClose();
                if (found)
                    return true;
            }
        }
        return false;
    }

    void takeIdentity() {
        Session &session = context_.session;
        TakeIdentity(session, link_.LastReply());
        // A probe reply whose address is no number leaves the ID where it is.
        if (IsThreeDigits(session.ControllerID))
            feedback_.address(std::stoi(session.ControllerID));
        feedback_.controller(ControllerField::Serial, context_.message(Msg::SerialNumber) + " : " +
                                                          Latin1(session.ControllerSerial));
        feedback_.lineMode(settings_.ScanBaudRateNo);
        outcome_.port = settings_.ScanCommNo;
        outcome_.lineMode = settings_.ScanBaudRate.toStdString();
        outcome_.controller.address = session.ControllerID;
        outcome_.controller.serial = session.ControllerSerial;
    }

    QString portSuffix() const { return " : #" + QString::number(settings_.ScanCommNo) + ")"; }

    void readDetails() {
        bool found = false;
        const bool opened =
            link_.CommOpen(settings_.ScanCommNo, settings_.ScanBaudRate.toStdString());
        if (opened) {
            found = exchangeDetails();
            link_.CommClose();
        } else {
            outcome_.portFailure = link_.LastOpenFailure();
        }
        if (found) {
            feedback_.BusyMode(false);
            feedback_.lamp(LampColour::Yellow);
            feedback_.beep(kHighBeepHz, kBeepMs);
            outcome_.kind = OutcomeKind::Ok;
        } else {
            feedback_.status(context_.message(Msg::InfoError) + portSuffix());
            feedback_.BusyMode(false);
            feedback_.lamp(LampColour::Red);
            feedback_.beep(kLowBeepHz, kBeepMs);
            outcome_.kind = detailsInterrupted_ ? OutcomeKind::Cancelled
                            : opened            ? OutcomeKind::ExchangeFailed
                                                : OutcomeKind::PortNotOpened;
        }
    }

    // The front end asked to stop: no further exchange goes out.
    bool stopHere() {
        detailsInterrupted_ = context_.interrupted();
        return detailsInterrupted_;
    }

    // "AV" twice at most, "AB" once, then "AF" whose answer does not count.
    bool exchangeDetails() {
        const std::string &address = context_.session.ControllerID;
        for (int attempt = 0; attempt < kVersionAttempts; ++attempt) {
            if (stopHere())
                return false;
            context_.platform.sleep(kDetailsPauseMs);
            if (!link_.SendCommand(Body(address, ReadVersionCommand())))
                continue;
            if (stopHere())
                return false;
            context_.platform.sleep(kDetailsPauseMs);
            outcome_.controller.version = ReplyVersion(link_.LastReply());
            feedback_.controller(ControllerField::Version, context_.message(Msg::Version) + " : " +
                                                               Latin1(outcome_.controller.version));
            if (!link_.SendCommand(Body(address, ReadClockCommand())))
                return false;
            outcome_.controller.clock = ReplyClock(link_.LastReply());
            feedback_.controller(ControllerField::Clock, Latin1(ReplyClockText(link_.LastReply())));
            context_.platform.sleep(kDetailsPauseMs);
            feedback_.status(context_.message(Msg::InfoOk) + portSuffix());
            if (link_.SendCommand(Body(address, ReadCardWidthCommand()))) {
                const std::string width = ReplyCardWidth(link_.LastReply());
                const int item = CardWidthIndex(width);
                if (item >= 0) {
                    outcome_.controller.cardWidth = width;
                    feedback_.cardWidth(item);
                }
            }
            context_.session.ControllerFound = true;
            return true;
        }
        return false;
    }

    OperationContext &context_;
    OperationFeedback &feedback_;
    ControllerLink &link_;
    ScanSettings &settings_;
    const ScanInput &input_;
    Outcome outcome_;
    bool onlyPortRefused_ = false;
    bool detailsInterrupted_ = false;
};

} // namespace

Outcome ControllerOperations::scan(const ScanInput &input) {
    OperationContext context = this->context();
    return Scan(context, input).run();
}

Outcome ControllerOperations::findController() {
    OperationContext context = this->context();
    const ScanSettings &settings = session_.settings;
    Outcome outcome;
    outcome.port = settings.ScanCommNo;
    outcome.lineMode = settings.ScanBaudRate.toStdString();
    session_.ControllerFound = false;
    if (!link_.CommOpen(settings.ScanCommNo, outcome.lineMode)) {
        outcome.kind = OutcomeKind::PortNotOpened;
        outcome.portFailure = link_.LastOpenFailure();
        return outcome;
    }
    const bool found =
        Probe(context, settings.ScanCommNo, settings.ScanBaudRateNo, kStoredPortProbes);
    if (found) {
        TakeIdentity(session_, link_.LastReply());
        session_.ControllerFound = true;
        outcome.controller.address = session_.ControllerID;
        outcome.controller.serial = session_.ControllerSerial;
    }
    link_.CommClose();
    outcome.kind = found ? OutcomeKind::Ok
                         : (context.interrupted() ? OutcomeKind::Cancelled : OutcomeKind::NotFound);
    return outcome;
}

} // namespace vr

// The controller scan (btnScanClick): the stored port first, then the sweep over ports and line
// modes, then the controller's identity and details.

#include <cstdint>
#include <string>

#include "link/line_modes.h"
#include "operations/commands.h"
#include "operations/controller_operations.h"
#include "operations/operation_context.h"
#include "operations/operation_frame.h"

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

// A stored index outside the line-mode list takes the default mode rather than reading beyond
// the list.
int ValidLineModeIndex(int index) {
    return index >= 0 && index < static_cast<int>(kLineModes.size()) ? index
                                                                     : kDefaultLineModeIndex;
}

bool IsThreeDigits(const std::string &text) {
    if (text.size() != 3)
        return false;
    for (const char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

class Scan {
public:
    explicit Scan(OperationContext &context)
        : context_(context), view_(context.view), link_(context.link),
          settings_(context.session.settings) {}

    void run() {
        view_.setBusyCursor(true);
        context_.platform.pumpEvents();
        view_.BusyMode(true);
        view_.setStatusText(context_.message(Msg::ScanController) + " ....");
        view_.setSerialText(context_.message(Msg::SerialNumber) + " : ________");
        view_.setVersionText(context_.message(Msg::Version) + " : __.__-__");
        context_.platform.pumpEvents();
        context_.session.ControllerFound = false;

        bool found = settings_.ScanCommNo > 0 && tryStoredPort();
        if (!found)
            found = sweep();

        if (found) {
            takeIdentity();
            readDetails();
        } else {
            view_.BusyMode(false);
            view_.setLamp(LampColour::Red);
            view_.selectBaudRate(kDefaultLineModeIndex);
            view_.setStatusText(context_.message(Msg::NotFound));
            context_.platform.beep(kLowBeepHz, kBeepMs);
        }
        view_.setBusyCursor(false);
    }

private:
    void showScanningPort(int port) {
        view_.setStatusText(context_.message(Msg::ScanCom) + " : #" + QString::number(port));
    }

    // Up to `probes` probes to "000" on the open port.
    bool probe(int probes) {
        for (int i = 0; i < probes; ++i)
            if (SendStatusProbe(link_, kScanAddress))
                return true;
        return false;
    }

    bool tryStoredPort() {
        view_.selectBaudRate(settings_.ScanBaudRateNo);
        if (!link_.CommOpen(settings_.ScanCommNo, settings_.ScanBaudRate.toStdString()))
            return false;
        showScanningPort(settings_.ScanCommNo);
        const bool found = probe(kStoredPortProbes);
        if (found)
            view_.SaveScanSettings();
        link_.CommClose();
        return found;
    }

    bool sweep() {
        for (int port = kFirstPort; port <= kLastPort; ++port) {
            for (int mode = 0; mode < static_cast<int>(kLineModes.size()); ++mode) {
                if (view_.lockTicked())
                    mode = ValidLineModeIndex(settings_.ScanBaudRateNo);
                const std::string lineMode(kLineModes[static_cast<std::size_t>(mode)]);
                view_.selectBaudRate(mode);
                if (!link_.CommOpen(port, lineMode))
                    break; // an absent or held port: its other modes are not tried
                showScanningPort(port);
                const bool found = probe(kSweepProbes);
                if (found) {
                    settings_.ScanCommNo = port;
                    settings_.ScanBaudRate = QString::fromStdString(lineMode);
                    settings_.ScanBaudRateNo = mode;
                    view_.SaveScanSettings();
                }
                link_.CommClose();
                if (found)
                    return true;
                if (view_.lockTicked())
                    break;
            }
        }
        return false;
    }

    void takeIdentity() {
        const std::string &reply = link_.LastReply();
        Session &session = context_.session;
        session.ControllerID = ReplyAddress(reply);
        // A probe reply whose address is no number leaves the ID scroll bar where it is.
        if (IsThreeDigits(session.ControllerID))
            view_.setIdPosition(std::stoi(session.ControllerID));
        session.ControllerSerial = ReplySerial(reply);
        view_.setSerialText(context_.message(Msg::SerialNumber) + " : " +
                            Latin1(session.ControllerSerial));
        view_.selectBaudRate(settings_.ScanBaudRateNo);
    }

    QString portSuffix() const { return " : #" + QString::number(settings_.ScanCommNo) + ")"; }

    void readDetails() {
        bool found = false;
        if (link_.CommOpen(settings_.ScanCommNo, settings_.ScanBaudRate.toStdString())) {
            found = exchangeDetails();
            link_.CommClose();
        }
        if (found) {
            view_.BusyMode(false);
            view_.setLamp(LampColour::Yellow);
            context_.platform.beep(kHighBeepHz, kBeepMs);
        } else {
            view_.setStatusText(context_.message(Msg::InfoError) + portSuffix());
            view_.BusyMode(false);
            view_.setLamp(LampColour::Red);
            context_.platform.beep(kLowBeepHz, kBeepMs);
        }
    }

    // "AV" twice at most, "AB" once, then "AF" whose answer does not count.
    bool exchangeDetails() {
        const std::string &address = context_.session.ControllerID;
        for (int attempt = 0; attempt < kVersionAttempts; ++attempt) {
            context_.platform.sleep(kDetailsPauseMs);
            if (!link_.SendCommand(Body(address, ReadVersionCommand())))
                continue;
            context_.platform.sleep(kDetailsPauseMs);
            view_.setVersionText(context_.message(Msg::Version) + " : " +
                                 Latin1(ReplyVersion(link_.LastReply())));
            if (!link_.SendCommand(Body(address, ReadClockCommand())))
                return false;
            view_.setControllerDateText(Latin1(ReplyClockText(link_.LastReply())));
            context_.platform.sleep(kDetailsPauseMs);
            view_.setStatusText(context_.message(Msg::InfoOk) + portSuffix());
            if (link_.SendCommand(Body(address, ReadCardWidthCommand()))) {
                const int item = CardWidthIndex(ReplyCardWidth(link_.LastReply()));
                if (item >= 0)
                    view_.selectCardMode(item);
            }
            context_.session.ControllerFound = true;
            return true;
        }
        return false;
    }

    OperationContext &context_;
    OperatorView &view_;
    ControllerLink &link_;
    ScanSettings &settings_;
};

} // namespace

void ControllerOperations::scan() {
    OperationContext context{platform_, link_, view_, session_};
    Scan(context).run();
}

} // namespace vr

#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QByteArray>
#include <QString>

#include "link/line_modes.h"
#include "operations/operator_view.h"
#include "operations/session.h"
#include "platform/platform.h"

namespace vr::test {

// An OperatorView without a window: it keeps the selections and texts that the operations read
// and write, and records every call in order as one line of text in `events`, for example
// "cursor busy", "lock on", "busy on", "lamp red", "status Set Date Time", "serial S/N : 1234".
// Pair it with RecordingPlatform to get the beeps and pumps into the same list.
class RecordingView : public OperatorView {
public:
    explicit RecordingView(const Session *session = nullptr) : session_(session) {}

    std::vector<std::string> events;

    // What the window would show or hold.
    QString status, serial, version, controllerDate;
    LampColour lamp = LampColour::Red;
    bool locked = false, busy = false, busyCursor = false;
    bool chkLock = true;
    int baudRateIndex = 5, cardModeIndex = 0, cardTypeIndex = 0, alarmIndex = 0;
    int idPosition = 1;
    QString cardId = "00000000";
    QString command = "AB";
    QByteArray reply;
    std::array<bool, 3> outputs{};
    std::array<bool, 6> inputLamps{};
    std::array<QString, 2> captions = {"Auto Test", "DIDO Test"};
    std::array<bool, 13> enabled = {true, true, true, true, true, true, true,
                                    true, true, true, true, true, true};
    int saveScanSettingsCount = 0;

    void record(const std::string &event) { events.push_back(event); }
    // Events that start with `prefix`, in order.
    std::vector<std::string> eventsStartingWith(const std::string &prefix) const {
        std::vector<std::string> found;
        for (const auto &event : events)
            if (event.rfind(prefix, 0) == 0)
                found.push_back(event);
        return found;
    }

    void setBusyCursor(bool on) override {
        busyCursor = on;
        record(on ? "cursor busy" : "cursor default");
    }
    void lockWindow(bool on) override {
        locked = on;
        record(on ? "lock on" : "lock off");
    }
    void BusyMode(bool on) override {
        busy = on;
        locked = on;
        record(on ? "busy on" : "busy off");
    }
    void setLamp(LampColour colour) override {
        lamp = colour;
        record(colour == LampColour::Yellow ? "lamp yellow" : "lamp red");
    }
    void setStatusText(const QString &text) override {
        status = text;
        record("status " + text.toStdString());
    }
    void setSerialText(const QString &text) override {
        serial = text;
        record("serial " + text.toStdString());
    }
    void setVersionText(const QString &text) override {
        version = text;
        record("version " + text.toStdString());
    }
    void setControllerDateText(const QString &text) override {
        controllerDate = text;
        record("date " + text.toStdString());
    }
    bool lockTicked() const override { return chkLock; }
    void selectBaudRate(int index) override {
        baudRateIndex = index;
        record("baudrate " + std::to_string(index));
    }
    void selectCardMode(int index) override {
        cardModeIndex = index;
        record("cardmode " + std::to_string(index));
    }
    void setIdPosition(int position) override {
        // The scroll bar keeps its position within 1 to 999.
        idPosition = position < 1 ? 1 : (position > 999 ? 999 : position);
        record("id " + std::to_string(position));
    }
    void SaveScanSettings() override {
        ++saveScanSettingsCount;
        std::string line = "save";
        if (session_)
            line += " " + std::to_string(session_->settings.ScanCommNo) + " " +
                    session_->settings.ScanBaudRate.toStdString() + " " +
                    std::to_string(session_->settings.ScanBaudRateNo);
        record(line);
    }

    int selectedBaudRate() const override { return baudRateIndex; }
    int selectedCardMode() const override { return cardModeIndex; }
    int selectedCardType() const override { return cardTypeIndex; }
    int selectedAlarm() const override { return alarmIndex; }
    QString idCaption() const override { return QString::asprintf("%03d", idPosition); }
    QString cardIdText() const override { return cardId; }
    QString commandText() const override { return command; }
    void setReplyText(const QByteArray &text) override {
        reply = text;
        record("reply " + text.toStdString());
    }

    bool outputTicked(int output) const override {
        return output >= 1 && output <= 3 && outputs[static_cast<std::size_t>(output - 1)];
    }
    void untickOutput(int output) override {
        if (output >= 1 && output <= 3)
            outputs[static_cast<std::size_t>(output - 1)] = false;
        record("untick " + std::to_string(output));
    }
    void setInputLamp(int lampNo, bool on) override {
        if (lampNo >= 1 && lampNo <= 6)
            inputLamps[static_cast<std::size_t>(lampNo - 1)] = on;
        record("input " + std::to_string(lampNo) + (on ? " on" : " off"));
    }
    QString buttonCaption(TestButton button) const override {
        return captions[static_cast<std::size_t>(button)];
    }
    void setButtonCaption(TestButton button, const QString &caption) override {
        captions[static_cast<std::size_t>(button)] = caption;
        record("caption " + std::to_string(static_cast<int>(button)) + " " + caption.toStdString());
    }
    void setControlEnabled(Control control, bool on) override {
        enabled[static_cast<std::size_t>(control)] = on;
        record((on ? "enable " : "disable ") + std::to_string(static_cast<int>(control)));
    }

private:
    const Session *session_;
};

// A Platform that forwards every call to another one and records into the view's event list
// what the operations do to the OS: "open 3 9600,e,8,1 ok" (or "failed"), "send 001AS" (the body
// of each request frame written), "close", "sleep 100", "beep 1000 300", and, when recordPumps is
// set, "pump" (a run of pumps in a row is one line). Lamp, status line and beep can then be
// checked in their order.
class RecordingPlatform : public Platform {
public:
    RecordingPlatform(Platform &inner, RecordingView &view) : inner_(inner), view_(view) {}

    bool recordPumps = false;
    bool recordSleeps = false;
    int pumpCount = 0;

    std::uint32_t milliseconds() override { return inner_.milliseconds(); }
    void sleep(std::uint32_t ms) override {
        if (recordSleeps)
            view_.record("sleep " + std::to_string(ms));
        inner_.sleep(ms);
    }
    void pumpEvents() override {
        ++pumpCount;
        if (recordPumps && (view_.events.empty() || view_.events.back() != "pump"))
            view_.record("pump");
        inner_.pumpEvents();
    }
    std::unique_ptr<SerialPort> openSerial(int portNumber, const std::optional<LineSettings> &line,
                                           PortOpenFailure &failure) override {
        auto port = inner_.openSerial(portNumber, line, failure);
        view_.record("open " + std::to_string(portNumber) + " " +
                     (line ? LineModeText(*line) : std::string()) +
                     (port ? " ok" : " failed"));
        if (!port)
            return nullptr;
        return std::make_unique<Port>(std::move(port), view_);
    }
    void beep(int frequencyHz, int durationMs) override {
        view_.record("beep " + std::to_string(frequencyHz) + " " + std::to_string(durationMs));
        inner_.beep(frequencyHz, durationMs);
    }
    LocalTime localTime() override { return inner_.localTime(); }

private:
    // Collects the written bytes and records the body of each request frame at its CR.
    class Port : public SerialPort {
    public:
        Port(std::unique_ptr<SerialPort> inner, RecordingView &view)
            : inner_(std::move(inner)), view_(view) {}
        ~Port() override { view_.record("close"); }
        bool readByte(std::uint8_t &byte) override { return inner_->readByte(byte); }
        void write(const std::uint8_t *data, std::size_t count) override {
            for (std::size_t i = 0; i < count; ++i) {
                if (data[i] == 0x0D) {
                    // SOH, body, STX, four CRC digits: the body lies between SOH and STX.
                    const auto stx = written_.rfind('\x02');
                    if (!written_.empty() && written_[0] == '\x01' && stx != std::string::npos)
                        view_.record("send " + written_.substr(1, stx - 1));
                    else
                        view_.record("send ?" + written_);
                    written_.clear();
                } else {
                    written_ += static_cast<char>(data[i]);
                }
            }
            inner_->write(data, count);
        }

    private:
        std::unique_ptr<SerialPort> inner_;
        RecordingView &view_;
        std::string written_;
    };

    Platform &inner_;
    RecordingView &view_;
};

} // namespace vr::test

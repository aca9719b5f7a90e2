#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QByteArray>
#include <QString>

#include "link/line_modes.h"
#include "operations/controller_operations.h"
#include "operations/operation_feedback.h"
#include "operations/session.h"
#include "platform/platform.h"
#include "settings/settings_store.h"

namespace vr::test {

// A front end without a window: it keeps the selections and texts that the window would hand to
// the operations, and records every feedback call in order as one line of text in `events`, for
// example "cursor busy", "lock on", "busy on", "lamp red", "status Set Date Time",
// "serial S/N : 1234". Beeps go to the platform, which records them ("beep 1000 300") and lets
// their time pass. Pair it with RecordingPlatform to get opens, requests, sleeps and pumps into
// the same list.
class RecordingView : public OperationFeedback, public OutputSwitches {
public:
    explicit RecordingView(const Session *session = nullptr) : session_(session) {}

    std::vector<std::string> events;
    Platform *beeper = nullptr; // sounds the beeps

    // What the window would show or hold.
    QString statusText, serial, version, controllerDate;
    LampColour lampColour = LampColour::Red;
    bool locked = false, busy = false, cursorBusy = false;
    bool chkLock = true;
    int baudRateIndex = 5, cardModeIndex = 0, cardTypeIndex = 0, alarmIndex = 0;
    int idPosition = 1;
    QString cardId = "00000000";
    QString command = "AB";
    QByteArray replyText;
    std::array<bool, 3> outputs{};
    std::array<bool, 6> inputLamps{};
    // Whether each test's button takes a click: a running test holds the other one's.
    std::array<bool, 2> testButtonEnabled = {true, true};

    void record(const std::string &event) { events.push_back(event); }
    // Events that start with `prefix`, in order.
    std::vector<std::string> eventsStartingWith(const std::string &prefix) const {
        std::vector<std::string> found;
        for (const auto &event : events)
            if (event.rfind(prefix, 0) == 0)
                found.push_back(event);
        return found;
    }

    void busyCursor(bool on) override {
        cursorBusy = on;
        record(on ? "cursor busy" : "cursor default");
    }
    void lockInput(bool on) override {
        locked = on;
        record(on ? "lock on" : "lock off");
    }
    void BusyMode(bool on) override {
        busy = on;
        locked = on;
        record(on ? "busy on" : "busy off");
    }
    void lamp(LampColour colour) override {
        lampColour = colour;
        record(colour == LampColour::Yellow ? "lamp yellow" : "lamp red");
    }
    void status(const QString &text) override {
        statusText = text;
        record("status " + text.toStdString());
    }
    void beep(int frequencyHz, int durationMs) override {
        if (beeper != nullptr)
            beeper->beep(frequencyHz, durationMs);
    }
    void lineMode(int index) override {
        baudRateIndex = index;
        record("baudrate " + std::to_string(index));
    }
    void probing(int port, int lineModeIndex, int probe, int probes) override {
        probes_.push_back(std::to_string(port) + " " + std::to_string(lineModeIndex) + " " +
                          std::to_string(probe) + "/" + std::to_string(probes));
    }
    void address(int number) override {
        // The scroll bar keeps its position within 1 to 999.
        idPosition = number < 1 ? 1 : (number > 999 ? 999 : number);
        record("id " + std::to_string(number));
    }
    void cardWidth(int index) override {
        cardModeIndex = index;
        record("cardmode " + std::to_string(index));
    }
    void controller(ControllerField field, const QString &text) override {
        switch (field) {
        case ControllerField::Serial:
            serial = text;
            record("serial " + text.toStdString());
            break;
        case ControllerField::Version:
            version = text;
            record("version " + text.toStdString());
            break;
        case ControllerField::Clock:
            controllerDate = text;
            record("date " + text.toStdString());
            break;
        }
    }
    void reply(const QByteArray &frame) override {
        replyText = frame;
        record("reply " + frame.toStdString());
    }
    void testRunning(LoopingTest test, bool running) override {
        const bool automatic = test == LoopingTest::Auto;
        testButtonEnabled[automatic ? 1 : 0] = !running;
        record(std::string("test ") + (automatic ? "auto" : "dido") + (running ? " on" : " off"));
    }
    void inputLamp(int lampNo, bool on) override {
        if (lampNo >= 1 && lampNo <= 6)
            inputLamps[static_cast<std::size_t>(lampNo - 1)] = on;
        record("input " + std::to_string(lampNo) + (on ? " on" : " off"));
    }

    bool outputOn(int output) const override {
        return output >= 1 && output <= 3 && outputs[static_cast<std::size_t>(output - 1)];
    }
    void switchOff(int output) override {
        if (output >= 1 && output <= 3)
            outputs[static_cast<std::size_t>(output - 1)] = false;
        record("untick " + std::to_string(output));
    }

    // The scan's progress, one "port mode probe/probes" line a probe.
    const std::vector<std::string> &probes() const { return probes_; }

private:
    const Session *session_;
    std::vector<std::string> probes_;
};

// A store that saves nothing and records each save of the scan into the view's event list as
// "save <port> <mode text> <mode index>".
class RecordingStore : public SettingsStore {
public:
    explicit RecordingStore(RecordingView &view) : SettingsStore(QString()), view_(view) {}
    void SaveScanSettings(const ScanSettings &settings) const override {
        ++saves;
        view_.record("save " + std::to_string(settings.ScanCommNo) + " " +
                     settings.ScanBaudRate.toStdString() + " " +
                     std::to_string(settings.ScanBaudRateNo));
    }
    void SaveCardID(const ScanSettings &) const override {}
    void SaveLanguage(const ScanSettings &) const override {}
    mutable int saves = 0;

private:
    RecordingView &view_;
};

// Runs the operations the way the window does: the view's selections and texts are the inputs.
class ViewOperations {
public:
    ViewOperations(ControllerOperations &operations, RecordingView &view)
        : operations_(operations), view_(view) {}

    Outcome scan() {
        ScanInput input;
        input.lockTicked = view_.chkLock;
        return operations_.scan(input);
    }
    Outcome setDateTime() { return operations_.setDateTime(); }
    Outcome alarmTest() { return operations_.alarmTest(view_.alarmIndex); }
    Outcome addCard() { return operations_.addCard(view_.cardId); }
    Outcome setBaudRate() { return operations_.setBaudRate(view_.baudRateIndex); }
    Outcome setId() { return operations_.setId(QString::asprintf("%03d", view_.idPosition)); }
    Outcome setMode() { return operations_.setMode(view_.cardModeIndex); }
    Outcome setCardType() { return operations_.setCardType(view_.cardTypeIndex); }
    Outcome factoryDefault() { return operations_.factoryDefault(); }
    Outcome testCommand() { return operations_.testCommand(view_.command); }
    Outcome autoTest() { return operations_.autoTest(view_.cardId, view_); }
    Outcome didoTest() { return operations_.didoTest(view_); }

private:
    ControllerOperations &operations_;
    RecordingView &view_;
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
                     (line ? LineModeText(*line) : std::string()) + (port ? " ok" : " failed"));
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

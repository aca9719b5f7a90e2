#pragma once

#include <QByteArray>
#include <QString>

namespace vr {

enum class LampColour { Yellow, Red };

enum class LoopingTest { Auto, Dido };

// The fields in which the operations show what they read of the controller.
enum class ControllerField {
    Serial,  // "S/N : 12345678", or its empty field
    Version, // "VER : 03.22-01", or its empty field
    Clock,   // the controller's clock, "2005/03/01  14:05:09"
};

// What a front end may show while an operation runs. Every text is in the language of the
// session, taken when it is given. A front end overrides what it shows; the rest is ignored.
class OperationFeedback {
public:
    virtual ~OperationFeedback() = default;

    // The front end held for the length of a single command or the scan: the busy cursor, and
    // the input lock (clicks and keys are not taken, nothing greys out).
    virtual void busyCursor(bool on) { (void)on; }
    virtual void lockInput(bool on) { (void)on; }
    // The busy signal of the scan and the looping tests: the lamp blinks, and input is locked
    // while it is on.
    virtual void BusyMode(bool on) { (void)on; }

    // The outcome signals and the status line.
    virtual void status(const QString &text) { (void)text; }
    virtual void lamp(LampColour colour) { (void)colour; }
    // A synchronous tone: returns when it has ended.
    virtual void beep(int frequencyHz, int durationMs) {
        (void)frequencyHz;
        (void)durationMs;
    }

    // The scan. `lineMode` is the mode it is about to try, has found, or shows when it found
    // nothing; `probing` comes before each probe on an open port.
    virtual void lineMode(int index) { (void)index; }
    virtual void probing(int port, int lineModeIndex, int probe, int probes) {
        (void)port;
        (void)lineModeIndex;
        (void)probe;
        (void)probes;
    }
    // The address of the controller found, as a number 0 to 999.
    virtual void address(int number) { (void)number; }
    // The card-number width the controller reported: 0 for 24 bits, 1 for 32, 2 for 40.
    virtual void cardWidth(int index) { (void)index; }
    virtual void controller(ControllerField field, const QString &text) {
        (void)field;
        (void)text;
    }

    // The free test command's reply frame exactly as it came; empty to clear it.
    virtual void reply(const QByteArray &frame) { (void)frame; }

    // A looping test has started (its button now cancels it, its list of controls is held) or
    // is over (controls and button back).
    virtual void testRunning(LoopingTest test, bool running) {
        (void)test;
        (void)running;
    }
    // Input lamp 1 to 6 (controller inputs 1, 2, 3, 4, 7 and 8): on (state "1") or off.
    virtual void inputLamp(int lamp, bool on) {
        (void)lamp;
        (void)on;
    }
};

// The output switches of the DIDO test, read live while it runs: each is read the moment its
// command goes out. The tests switch them off when they end.
class OutputSwitches {
public:
    virtual ~OutputSwitches() = default;
    virtual bool outputOn(int output) const = 0; // output 1 to 3
    virtual void switchOff(int output) = 0;
};

} // namespace vr

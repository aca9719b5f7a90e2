#pragma once

#include <array>
#include <cstdio>
#include <string>

#include <QString>

#include "operations/operation_feedback.h"

namespace vr::cli {

// One line of progress on a terminal, rewritten in place; cleared before any other text.
class ProgressLine {
public:
    ProgressLine(std::FILE *out, bool enabled) : out_(out), enabled_(enabled) {}
    ~ProgressLine() { clear(); }
    ProgressLine(const ProgressLine &) = delete;
    ProgressLine &operator=(const ProgressLine &) = delete;

    bool enabled() const { return enabled_; }
    void show(const QString &text);
    void clear();

private:
    std::FILE *out_;
    bool enabled_;
    int shown_ = 0; // characters on the line now
};

// The command line as a front end of the operations: silent (no beep, no lamp), it keeps the
// last status text for the report and, on a terminal, shows the scan's ports and modes as they
// are tried and a looping test's polls as they come.
class CommandLineFeedback : public OperationFeedback {
public:
    CommandLineFeedback(ProgressLine &progress, std::FILE *records)
        : progress_(progress), records_(records) {}

    const QString &lastStatus() const { return lastStatus_; }

    void status(const QString &text) override;
    void probing(int port, int lineModeIndex, int probe, int probes) override;
    void controller(ControllerField field, const QString &text) override;
    void inputLamp(int lamp, bool on) override;

private:
    void showPoll();

    ProgressLine &progress_;
    std::FILE *records_; // where a looping test's trailing records go as they come; none: null
    QString lastStatus_;
    QString clock_;
    std::array<char, 6> lamps_{'-', '-', '-', '-', '-', '-'};
    bool polling_ = false;
};

// The DIDO test's output switches, set once from --outputs; the tests switch them off when they
// end, as they untick the window's boxes.
class FixedOutputs : public OutputSwitches {
public:
    explicit FixedOutputs(std::array<bool, 3> on) : on_(on) {}
    bool outputOn(int output) const override { return on_[static_cast<std::size_t>(output - 1)]; }
    void switchOff(int output) override { on_[static_cast<std::size_t>(output - 1)] = false; }

private:
    std::array<bool, 3> on_;
};

} // namespace vr::cli

#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace vr::bench {

// CPU seconds this process has used so far (every thread).
double CpuSeconds();

// Seconds on the monotonic clock: comparable between processes of the same machine.
double MonotonicSeconds();

// The machine's load average over the last minute, as /proc/loadavg gives it.
double LoadAverage();

// The value below which `fraction` of `values` lie (nearest rank); 0 for no values.
double Percentile(std::vector<double> values, double fraction);
inline double Median(const std::vector<double> &values) {
    return Percentile(values, 0.5);
}

// What /proc says about this process: open descriptors and resident memory.
struct ProcessStatus {
    int openDescriptors = 0;
    long residentKb = 0;     // VmRSS
    long peakResidentKb = 0; // VmHWM
};
ProcessStatus ReadProcessStatus();

// One row of the result table: a measured figure beside what it is measured against.
struct Figure {
    Figure() = default;
    // `goal`: the largest acceptable `value / reference`, or `value` itself when
    // `goalIsAbsolute`; 0 when the figure has no goal.
    Figure(std::string name_, double value_, std::string unit_, double reference_,
           std::string note_, double goal_ = 0, bool goalIsAbsolute_ = false)
        : name(std::move(name_)), value(value_), unit(std::move(unit_)), reference(reference_),
          note(std::move(note_)), goal(goal_), goalIsAbsolute(goalIsAbsolute_) {}

    std::string name;
    double value = 0;
    std::string unit;     // "ms", "%", "s", "MB"
    double reference = 0; // floor or bound; 0 when the figure has none
    std::string note;
    double goal = 0;
    bool goalIsAbsolute = false;

    double ratio() const { return reference > 0 ? value / reference : 0; }
    bool hasGoal() const { return goal > 0; }
    bool met() const { return !hasGoal() || (goalIsAbsolute ? value : ratio()) <= goal; }
};

// Collects the figures and prints them as one table, with the figures that missed their goal
// counted at the end.
class FigureTable {
public:
    void add(Figure figure);
    void section(std::string title);
    void print() const;
    int missed() const;

private:
    struct Row {
        bool isSection = false;
        std::string title;
        Figure figure;
    };
    std::vector<Row> rows_;
};

} // namespace vr::bench

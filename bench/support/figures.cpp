#include "figures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <fstream>
#include <sstream>

namespace vr::bench {

double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double MonotonicSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double LoadAverage() {
    double load = 0;
    if (std::FILE *file = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(file, "%lf", &load) != 1)
            load = 0;
        std::fclose(file);
    }
    return load;
}

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    // Nearest rank: the smallest value with at least `fraction` of the values at or below it.
    const auto rank =
        static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(values.size()) - 1e-9));
    return values[std::clamp<std::size_t>(rank, 1, values.size()) - 1];
}

ProcessStatus ReadProcessStatus() {
    ProcessStatus status;
    if (DIR *dir = opendir("/proc/self/fd")) {
        while (const dirent *entry = readdir(dir))
            if (entry->d_name[0] != '.')
                ++status.openDescriptors;
        closedir(dir);
        --status.openDescriptors; // the descriptor of the listing itself
    }
    std::ifstream file("/proc/self/status");
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream fields(line);
        std::string key;
        long kb = 0;
        fields >> key >> kb;
        if (key == "VmRSS:")
            status.residentKb = kb;
        else if (key == "VmHWM:")
            status.peakResidentKb = kb;
    }
    return status;
}

void FigureTable::add(Figure figure) {
    rows_.push_back({false, {}, std::move(figure)});
}

void FigureTable::section(std::string title) {
    rows_.push_back({true, std::move(title), {}});
}

int FigureTable::missed() const {
    return static_cast<int>(std::count_if(rows_.begin(), rows_.end(), [](const Row &row) {
        return !row.isSection && !row.figure.met();
    }));
}

namespace {

std::string Amount(double value, const std::string &unit) {
    char text[64];
    const int decimals = unit == "%" ? 2 : unit == "s" ? 3 : unit == "MB" ? 1 : 2;
    std::snprintf(text, sizeof text, "%.*f %s", decimals, value, unit.c_str());
    return text;
}

} // namespace

void FigureTable::print() const {
    std::printf("%-38s %12s %12s %7s %10s %-5s  %s\n", "figure", "measured", "floor/bound", "ratio",
                "goal", "", "note");
    for (const Row &row : rows_) {
        if (row.isSection) {
            std::printf("-- %s\n", row.title.c_str());
            continue;
        }
        const Figure &f = row.figure;
        std::string goal = "-";
        char text[64];
        if (f.hasGoal()) {
            if (f.goalIsAbsolute)
                goal = "<= " + Amount(f.goal, f.unit);
            else {
                std::snprintf(text, sizeof text, "<= %.2fx", f.goal);
                goal = text;
            }
        }
        std::string ratio = "-";
        if (f.reference > 0) {
            std::snprintf(text, sizeof text, "%.3f", f.ratio());
            ratio = text;
        }
        std::printf("%-38s %12s %12s %7s %10s %-5s  %s\n", f.name.c_str(),
                    Amount(f.value, f.unit).c_str(),
                    f.reference > 0 ? Amount(f.reference, f.unit).c_str() : "-", ratio.c_str(),
                    goal.c_str(), f.hasGoal() ? (f.met() ? "ok" : "MISS") : "", f.note.c_str());
    }
    std::printf("%d figure(s) missed their goal\n", missed());
}

} // namespace vr::bench

#include "platform/port_names.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>
#include <tuple>

namespace vr {
namespace {

struct Family {
    std::string_view prefix;
    bool builtIn;
};

// Adapters first, so that a scan finds a USB adapter with no set-up, then built-in ports.
constexpr std::array<Family, 4> kFamilies = {
    {{"ttyUSB", false}, {"ttyACM", false}, {"ttyS", true}, {"ttyAMA", true}}};

struct Ranked {
    std::size_t family;
    unsigned long number;
    std::string name;
    friend bool operator<(const Ranked &a, const Ranked &b) {
        return std::tie(a.family, a.number) < std::tie(b.family, b.number);
    }
};

// The family index and number of a serial device name, or false for anything else.
bool rank(const TtyEntry &entry, Ranked &ranked) {
    for (std::size_t family = 0; family < kFamilies.size(); ++family) {
        const std::string_view prefix = kFamilies[family].prefix;
        const std::string_view name = entry.name;
        if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix)
            continue;
        const std::string_view digits = name.substr(prefix.size());
        if (digits.size() > 6 ||
            !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        if (kFamilies[family].builtIn && !entry.hasUart)
            return false;
        ranked = {family, std::stoul(std::string(digits)), entry.name};
        return true;
    }
    return false;
}

} // namespace

std::vector<std::string> OrderSerialDevices(std::vector<TtyEntry> entries) {
    std::vector<Ranked> ranked;
    for (const TtyEntry &entry : entries) {
        Ranked one;
        if (rank(entry, one))
            ranked.push_back(std::move(one));
    }
    std::sort(ranked.begin(), ranked.end());
    std::vector<std::string> paths;
    for (const Ranked &one : ranked)
        paths.push_back("/dev/" + one.name);
    return paths;
}

std::string WindowsPortName(int portNumber) {
    const std::string name = "COM" + std::to_string(portNumber);
    return portNumber >= 10 ? "\\\\.\\" + name : name;
}

} // namespace vr

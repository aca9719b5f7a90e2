#include "link/line_modes.h"

#include <charconv>
#include <vector>

namespace vr {
namespace {

std::vector<std::string_view> splitFields(std::string_view text) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        fields.push_back(text.substr(start, comma - start));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    return fields;
}

std::optional<int> parseNumber(std::string_view field) {
    int value = 0;
    const auto result = std::from_chars(field.data(), field.data() + field.size(), value);
    if (field.empty() || result.ec != std::errc{} || result.ptr != field.data() + field.size())
        return std::nullopt;
    return value;
}

} // namespace

std::optional<LineSettings> ParseLineMode(std::string_view text) {
    const auto fields = splitFields(text);
    if (fields.size() != 4)
        return std::nullopt;
    const auto baud = parseNumber(fields[0]);
    const auto data = parseNumber(fields[2]);
    const auto stop = parseNumber(fields[3]);
    if (!baud || !data || !stop || *baud <= 0 || *data < 5 || *data > 8 || *stop < 1 || *stop > 2)
        return std::nullopt;
    LineSettings settings;
    settings.baudRate = *baud;
    settings.dataBits = *data;
    settings.stopBits = *stop;
    if (fields[1] == "n" || fields[1] == "N")
        settings.parity = Parity::None;
    else if (fields[1] == "e" || fields[1] == "E")
        settings.parity = Parity::Even;
    else
        return std::nullopt;
    return settings;
}

std::string LineModeText(const LineSettings &settings) {
    return std::to_string(settings.baudRate) + (settings.parity == Parity::Even ? ",e," : ",n,") +
           std::to_string(settings.dataBits) + "," + std::to_string(settings.stopBits);
}

int LineModeIndex(std::string_view text) {
    for (std::size_t i = 0; i < kLineModes.size(); ++i)
        if (kLineModes[i] == text)
            return static_cast<int>(i);
    return -1;
}

} // namespace vr

#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "platform/line_settings.h"

namespace vr {

// The twelve line modes, index 0 to 11: the items of the line-mode list and the mode texts
// that open a port.
inline constexpr std::array<std::string_view, 12> kLineModes = {
    "4800,n,8,1",  "4800,e,8,1",  "9600,n,8,1",  "9600,e,8,1",  "19200,n,8,1",  "19200,e,8,1",
    "38400,n,8,1", "38400,e,8,1", "57600,n,8,1", "57600,e,8,1", "115200,n,8,1", "115200,e,8,1"};

inline constexpr int kDefaultLineModeIndex = 5; // "19200,e,8,1"

// Parses a mode text of the form baud,parity,data,stop ("19200,e,8,1"; parity n or e).
// Returns nothing for a text of another shape.
std::optional<LineSettings> ParseLineMode(std::string_view text);

// The mode text of line settings, the inverse of ParseLineMode: "19200,e,8,1".
std::string LineModeText(const LineSettings &settings);

// Index 0 to 11 of a mode text in the list, or -1.
int LineModeIndex(std::string_view text);

} // namespace vr

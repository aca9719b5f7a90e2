#pragma once

#include <algorithm>
#include <string_view>

namespace vr::sim {

// True when every character of `text` is a decimal digit, and so for an empty text: a caller that
// needs digits checks the length it expects.
constexpr bool AllDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace vr::sim

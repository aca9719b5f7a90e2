#pragma once

#include "link/line_modes.h"
#include "settings/settings_store.h"

#include <QString>

#include <array>

namespace vr::test {

inline constexpr std::array<const char *, 3> kLanguageFlags = {"English", "ChineseGB",
                                                               "ChineseBIG5"};

// The values that iteration i (from 1 on) of settings_save_loop saves: port i, line mode i % 12,
// card number i as eight digits, language i % 3. Iteration 0 is the defaults of the card number
// and the language.
inline ScanSettings IterationSettings(long i) {
    ScanSettings settings;
    settings.ScanCommNo = int(i);
    settings.ScanBaudRateNo = int(i % 12);
    settings.ScanBaudRate = QString::fromLatin1(kLineModes[std::size_t(i % 12)].data());
    settings.ScanCardID = QString::number(i).rightJustified(8, u'0');
    settings.LanguageFlag = QString::fromLatin1(kLanguageFlags[std::size_t(i % 3)]);
    settings.LanguageNo = int(i % 3);
    return settings;
}

} // namespace vr::test

#pragma once

#include <QString>

#include <tuple>

#include "settings/settings_store.h"

namespace vr::test {

// The six settings as one comparable, printable value.
using Fields = std::tuple<int, QString, int, QString, QString, int>;

inline Fields FieldsOf(const ScanSettings &s) {
    return {s.ScanCommNo, s.ScanBaudRate, s.ScanBaudRateNo,
            s.ScanCardID, s.LanguageFlag, s.LanguageNo};
}

inline Fields MakeFields(int commNo, const char *baudRate, int baudRateNo, const char *cardId,
                         const char *languageFlag, int languageNo) {
    return {commNo,
            QString::fromUtf8(baudRate),
            baudRateNo,
            QString::fromUtf8(cardId),
            QString::fromUtf8(languageFlag),
            languageNo};
}

inline Fields DefaultFields() {
    return FieldsOf(ScanSettings{});
}

// Settings that differ from the defaults in every value, for the saves.
inline ScanSettings NewSettings() {
    ScanSettings settings;
    settings.ScanCommNo = 7;
    settings.ScanBaudRate = QStringLiteral("57600,e,8,1");
    settings.ScanBaudRateNo = 8;
    settings.ScanCardID = QStringLiteral("0000001234");
    settings.LanguageFlag = QStringLiteral("ChineseBIG5");
    settings.LanguageNo = 2;
    return settings;
}

} // namespace vr::test

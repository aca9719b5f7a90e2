#pragma once

#include "link/line_modes.h"

#include <QString>

namespace vr {

// The text of the default line mode of the link, "19200,e,8,1".
inline QString DefaultLineModeText() {
    return QString::fromLatin1(kLineModes[kDefaultLineModeIndex]);
}

// The folder of the machine-wide settings file on platforms without a registry.
inline constexpr char kMachineSettingsDirectory[] = "/var/lib/vr880tx-config";

// The five settings kept between runs, held in memory for the whole run.
struct ScanSettings {
    int ScanCommNo = 0;                           // port n of COMn; 0 when none is known
    QString ScanBaudRate = DefaultLineModeText(); // line-mode text
    int ScanBaudRateNo = kDefaultLineModeIndex;   // its index 0 to 11 in the line-mode list
    QString ScanCardID = "00000000";              // text of the card-number field
    QString LanguageFlag = "English";             // "English", "ChineseGB" or "ChineseBIG5"
    int LanguageNo = 0;                           // 0 English, 1 simplified, 2 traditional Chinese
};

// The machine-wide store of the five settings: the registry key
// HKEY_LOCAL_MACHINE\Software\VORNA\VR880TXConfig on Windows; on Linux the file
// VR880TXConfig.reg in registry-export text syntax in /var/lib/vr880tx-config.
// No failure is ever reported: a store that cannot be read gives the defaults, a save that
// cannot be written writes nothing, and a save never leaves a damaged file behind.
class SettingsStore {
public:
    // The store of the platform.
    SettingsStore();
    // A file store in `directory` (tests point it at a temporary folder).
    explicit SettingsStore(const QString &directory);
    virtual ~SettingsStore() = default;

    // Reads the five settings with their failure rules: a missing value takes its default; a
    // value of the wrong type ends the reading there.
    ScanSettings load() const;

    // The three saves, each of the values named. Virtual so that a test can watch them.
    // ScanCommNo, ScanBaudRateNo and ScanBaudRate:
    virtual void SaveScanSettings(const ScanSettings &settings) const;
    virtual void SaveCardID(const ScanSettings &settings) const;   // ScanCardID
    virtual void SaveLanguage(const ScanSettings &settings) const; // LanguageFlag

    // The settings file of a file store; empty for the registry.
    QString filePath() const;

private:
    QString directory_;
    bool registry_ = false; // the Windows registry rather than a file
};

} // namespace vr

// Reads or saves the settings store of a folder in a process of its own.
//   settings_probe load DIR                      prints the loaded settings as one JSON object
//   settings_probe save-scan DIR COMM NO MODE    SaveScanSettings
//   settings_probe save-card DIR TEXT            SaveCardID
//   settings_probe save-language DIR FLAG        SaveLanguage
#include "settings/settings_store.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <cstring>

int main(int argc, char **argv) {
    if (argc < 3)
        return 2;
    const char *action = argv[1];
    const vr::SettingsStore store(QString::fromUtf8(argv[2]));
    vr::ScanSettings settings;
    if (std::strcmp(action, "load") == 0) {
        settings = store.load();
        const QJsonObject json{
            {"ScanCommNo", settings.ScanCommNo},         {"ScanBaudRate", settings.ScanBaudRate},
            {"ScanBaudRateNo", settings.ScanBaudRateNo}, {"ScanCardID", settings.ScanCardID},
            {"LanguageFlag", settings.LanguageFlag},     {"LanguageNo", settings.LanguageNo}};
        const QByteArray out = QJsonDocument(json).toJson(QJsonDocument::Compact);
        std::fwrite(out.constData(), 1, std::size_t(out.size()), stdout);
        return 0;
    }
    if (std::strcmp(action, "save-scan") == 0 && argc == 6) {
        settings.ScanCommNo = QByteArray(argv[3]).toInt();
        settings.ScanBaudRateNo = QByteArray(argv[4]).toInt();
        settings.ScanBaudRate = QString::fromUtf8(argv[5]);
        store.SaveScanSettings(settings);
        return 0;
    }
    if (std::strcmp(action, "save-card") == 0 && argc == 4) {
        settings.ScanCardID = QString::fromUtf8(argv[3]);
        store.SaveCardID(settings);
        return 0;
    }
    if (std::strcmp(action, "save-language") == 0 && argc == 4) {
        settings.LanguageFlag = QString::fromUtf8(argv[3]);
        store.SaveLanguage(settings);
        return 0;
    }
    return 2;
}

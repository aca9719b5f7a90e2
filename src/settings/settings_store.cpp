#include "settings/settings_store.h"

#include "i18n/message_catalogue.h"
#include "settings/reg_file_format.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QVariant>

#include <chrono>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <thread>
#include <utility>

#ifdef Q_OS_WIN
#include "settings/registry_key_windows.h"
#else
#include <sys/stat.h>
#endif

namespace vr {
namespace {

constexpr char kFileName[] = "VR880TXConfig.reg";
constexpr int kLineModeCount = 12;
constexpr int kDefaultLineModeNo = 5;
constexpr char kDefaultLineMode[] = "19200,e,8,1";

// A file that is there but does not parse as a whole counts as a key that cannot be opened:
// nothing is read from it and nothing is written over it. An empty file is a key without values.
bool ParsesAsWhole(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    if (file.size() == 0)
        return true;
    QSettings::SettingsMap values;
    return ReadRegFile(file, values);
}

// A stored value by name: none when it is missing; an int for a 32-bit integer, a QString for a
// text, anything else for a value of another type.
using ValueLookup = std::function<std::optional<QVariant>(const char *name)>;

// Reads the five values in their order. A value of the wrong type ends the reading there: it and
// every value after it keep their defaults, the values before keep what was read.
ScanSettings ReadValues(const ValueLookup &lookup) {
    ScanSettings settings;
    const auto readInt = [&lookup](const char *name, int &into) {
        const std::optional<QVariant> value = lookup(name);
        if (!value)
            return true;
        if (value->typeId() != QMetaType::Int)
            return false;
        into = value->toInt();
        return true;
    };
    const auto readText = [&lookup](const char *name, QString &into) {
        const std::optional<QVariant> value = lookup(name);
        if (!value)
            return true;
        if (value->typeId() != QMetaType::QString)
            return false;
        into = value->toString();
        return true;
    };
    // The short-circuit ends the reading at the first value of the wrong type.
    (void)(readInt("ScanCommNo", settings.ScanCommNo) &&
           readText("ScanBaudRate", settings.ScanBaudRate) &&
           readInt("ScanBaudRateNo", settings.ScanBaudRateNo) &&
           readText("ScanCardID", settings.ScanCardID) &&
           readText("LanguageFlag", settings.LanguageFlag));
    settings.LanguageNo = LanguageNoFromFlag(settings.LanguageFlag);

    // An index outside the line-mode list would select nothing in the list and index past it
    // in the scan; the store falls back to the default mode instead.
    if (settings.ScanBaudRateNo < 0 || settings.ScanBaudRateNo >= kLineModeCount) {
        settings.ScanBaudRateNo = kDefaultLineModeNo;
        settings.ScanBaudRate = QLatin1String(kDefaultLineMode);
    }
    return settings;
}

ScanSettings ReadValues(const QSettings &store) {
    return ReadValues([&store](const char *name) -> std::optional<QVariant> {
        if (!store.contains(QLatin1String(name)))
            return std::nullopt;
        return store.value(QLatin1String(name));
    });
}

// QSettings holds a lock file beside the store while it saves. Its owner writes its process id
// into it the moment it creates it; one killed in between leaves an empty lock file (or an empty
// ".rmlock" of the stale-lock removal) that QSettings would honour for 30 s, holding up every
// save until then. An empty lock file a second old has no live owner: wait for that age, then
// remove it.
void RemoveDeadEmptyLocks(const QString &path) {
    constexpr qint64 kDeadAfterMs = 1000;
    for (QString lock = path + QLatin1String(".lock");; lock += QLatin1String(".rmlock")) {
        for (;;) {
            const QFileInfo info(lock);
            if (!info.exists())
                return;
            if (info.size() != 0)
                break;
            const qint64 age = qAbs(info.lastModified().msecsTo(QDateTime::currentDateTime()));
            if (age > kDeadAfterMs) {
                QFile::remove(lock);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(kDeadAfterMs + 1 - age));
        }
    }
}

// The store's folder may be shared by a group of operators (mode 2775): a file written by one of
// them stays readable and writable for the group whatever the writer's umask. A save keeps the
// mode of the file it replaces.
void ShareWithFolderGroup(const QString &path) {
#ifndef Q_OS_WIN
    struct stat folder {};
    struct stat file {};
    if (::stat(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), &folder) != 0 ||
        (folder.st_mode & S_IWGRP) == 0 || ::stat(QFile::encodeName(path).constData(), &file) != 0)
        return;
    const mode_t shared = file.st_mode | S_IRUSR | S_IWUSR | S_IRGRP | S_IWGRP;
    if (shared != file.st_mode)
        ::chmod(QFile::encodeName(path).constData(), shared & 07777);
#else
    Q_UNUSED(path);
#endif
}

// Writes the values in their order; a store that cannot be opened or created gets nothing.
void WriteValues(const QString &path,
                 std::initializer_list<std::pair<const char *, QVariant>> values) {
    std::unique_ptr<QSettings> store;
    if (path.isEmpty()) {
#ifdef Q_OS_WIN
        // Opens the key, creating it (and its parents) where the rights allow. The registry
        // writes at once; after a failed write nothing further is written.
        const std::unique_ptr<RegistryKey> key = RegistryKey::open(true);
        for (auto value = values.begin(); key && value != values.end(); ++value)
            if (!key->setValue(value->first, value->second))
                break;
#endif
        return;
    } else {
        if (QFileInfo::exists(path) && !ParsesAsWhole(path))
            return;
        RemoveDeadEmptyLocks(path);
        // QSettings creates a missing folder, holds a lock file beside the store while it
        // saves, and writes through QSaveFile: a temporary file renamed over the old one.
        store = std::make_unique<QSettings>(path, RegFileFormat());
    }
    if (!store || !store->isWritable() || store->status() != QSettings::NoError)
        return;
    for (const auto &[name, value] : values) {
        store->setValue(QLatin1String(name), value);
        if (store->status() != QSettings::NoError)
            return;
    }
    store->sync();
    if (!path.isEmpty() && store->status() == QSettings::NoError)
        ShareWithFolderGroup(path);
}

} // namespace

SettingsStore::SettingsStore()
#ifdef Q_OS_WIN
    : registry_(true)
#else
    : directory_(QLatin1String(kMachineSettingsDirectory))
#endif
{
}

SettingsStore::SettingsStore(const QString &directory) : directory_(directory) {
}

QString SettingsStore::filePath() const {
    return registry_ ? QString() : QDir(directory_).absoluteFilePath(QLatin1String(kFileName));
}

ScanSettings SettingsStore::load() const {
    std::unique_ptr<QSettings> store;
    if (registry_) {
#ifdef Q_OS_WIN
        // Opened without creating it: a key that is missing or that cannot be opened with full
        // access gives the defaults.
        const std::unique_ptr<RegistryKey> key = RegistryKey::open(false);
        if (key)
            return ReadValues([&key](const char *name) { return key->value(name); });
#endif
        return {};
    } else {
        const QString path = filePath();
        const QFileInfo file(path);
        const QFileInfo folder(file.absolutePath());
        if (!file.exists())
            return {};
        // Full access: the file can be read and written and the folder takes the replacement
        // file of a save. Without it the store is as good as closed.
        if (!file.isReadable() || !file.isWritable() || !folder.isWritable() ||
            !ParsesAsWhole(path))
            return {};
        store = std::make_unique<QSettings>(path, RegFileFormat());
    }
    if (!store || !store->isWritable() || store->status() != QSettings::NoError)
        return {};
    return ReadValues(*store);
}

void SettingsStore::SaveScanSettings(const ScanSettings &settings) const {
    WriteValues(filePath(), {{"ScanCommNo", settings.ScanCommNo},
                             {"ScanBaudRateNo", settings.ScanBaudRateNo},
                             {"ScanBaudRate", settings.ScanBaudRate}});
}

void SettingsStore::SaveCardID(const ScanSettings &settings) const {
    WriteValues(filePath(), {{"ScanCardID", settings.ScanCardID}});
}

void SettingsStore::SaveLanguage(const ScanSettings &settings) const {
    WriteValues(filePath(), {{"LanguageFlag", settings.LanguageFlag}});
}

} // namespace vr

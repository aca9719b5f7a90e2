#include "settings/settings_store.h"

#include "i18n/message_catalogue.h"
#include "link/line_modes.h"
#include "settings/reg_file_format.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
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

// A store file must be a regular file of its own. A pipe would block the reading, a device never
// end it, and a symbolic link, which anyone who may write the shared folder can make, would let
// them choose the file that the next operator's program reads, replaces or creates.
bool IsPlainFile(const QFileInfo &file) {
    return file.isFile() && !file.isSymLink();
}

// Reads the file store with full access into `values`. A file that is too large or does not
// parse as a whole, or a store that is no plain file, counts as a key that cannot be opened:
// false, and nothing is read from it. An empty file is a key without values.
bool ReadStoreFile(const QString &path, QSettings::SettingsMap &values) {
    if (!IsPlainFile(QFileInfo(path)))
        return false;
    QFile file(path);
    // ReadWrite alone would create a file that has gone in the meantime.
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly) ||
        file.size() > kMaxStoreFileBytes)
        return false;
    values.clear();
    return file.size() == 0 || ReadRegFile(file, values);
}

// The value of `name` in the store, or nothing when the store holds no value of that name.
using Lookup = std::function<std::optional<QVariant>(const QString &name)>;

// Reads the five values in their order. A value of the wrong type ends the reading there: it and
// every value after it keep their defaults, the values before keep what was read.
ScanSettings ReadValues(const Lookup &valueOf) {
    ScanSettings settings;
    const auto readInt = [&valueOf](const char *name, int &into) {
        const std::optional<QVariant> value = valueOf(QLatin1String(name));
        if (!value)
            return true;
        if (value->typeId() != QMetaType::Int)
            return false;
        into = value->toInt();
        return true;
    };
    const auto readText = [&valueOf](const char *name, QString &into) {
        const std::optional<QVariant> value = valueOf(QLatin1String(name));
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
    // in the scan; it falls back to the default index. The mode text stays: the port is opened
    // with it, whatever the index says.
    if (settings.ScanBaudRateNo < 0 || settings.ScanBaudRateNo >= int(kLineModes.size()))
        settings.ScanBaudRateNo = kDefaultLineModeIndex;
    return settings;
}

// A save holds a lock file (QLockFile) beside the store. Its owner writes its process id into it
// the moment it creates it; one killed in between leaves an empty lock file (or an empty
// ".rmlock" of the stale-lock removal) that QLockFile would honour for 30 s, holding up every
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

using Values = std::initializer_list<std::pair<const char *, QVariant>>;

#ifdef Q_OS_WIN
// Writes the values in their order into the registry key, creating the key (and its parents)
// where the rights allow; a key that cannot be opened or created gets nothing, and after a failed
// write nothing further is written.
void WriteRegistryValues(Values values) {
    const std::unique_ptr<RegistryKey> key = RegistryKey::open(true);
    for (auto value = values.begin(); key && value != values.end(); ++value)
        if (!key->setValue(value->first, value->second))
            return;
}
#endif

// Writes the values into the file store and keeps the file's other values. A store that cannot
// be opened with full access, does not parse, or would grow too large gets nothing. The new text
// goes into a temporary file that replaces the old one only once it is complete.
void WriteFileValues(const QString &path, Values values) {
    // A link, dangling or not, is no store of ours: nothing is written through it.
    if (QFileInfo(path).isSymLink())
        return;
    const bool created = !QFileInfo::exists(path);
    if (created && !QDir().mkpath(QFileInfo(path).absolutePath()))
        return;
    RemoveDeadEmptyLocks(path);
    // Two copies of the program may save at once: the lock makes them take turns, each reading
    // what the one before wrote.
    QLockFile lock(path + QLatin1String(".lock"));
    if (!lock.lock())
        return;
    QSettings::SettingsMap stored;
    if (QFileInfo::exists(path) && !ReadStoreFile(path, stored))
        return;
    for (const auto &[name, value] : values)
        stored.insert(QLatin1String(name), value);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !WriteRegFile(file, stored) || !file.commit())
        return;
    if (created)
        QFile::setPermissions(path,
                              QFile::permissions(path) | QFile::ReadOwner | QFile::WriteOwner);
    ShareWithFolderGroup(path);
}

// Writes the values in their order: into the registry for an empty `path`, else into that file.
void WriteValues(const QString &path, Values values) {
    if (!path.isEmpty()) {
        WriteFileValues(path, values);
        return;
    }
#ifdef Q_OS_WIN
    WriteRegistryValues(values);
#endif
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
    if (registry_) {
#ifdef Q_OS_WIN
        // Opened without creating it: a key that is missing or that cannot be opened with full
        // access gives the defaults.
        const std::unique_ptr<RegistryKey> key = RegistryKey::open(false);
        if (!key)
            return {};
        return ReadValues([&key](const QString &name) { return key->value(qPrintable(name)); });
#else
        return {};
#endif
    }
    const QString path = filePath();
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    // Full access: the file can be read and written and the folder takes the replacement file
    // of a save. Without it, or when the file is too large or damaged, the store is as good as
    // closed.
    QSettings::SettingsMap values;
    if (!file.exists() || !file.isReadable() || !file.isWritable() || !folder.isWritable() ||
        !ReadStoreFile(path, values))
        return {};
    return ReadValues([&values](const QString &name) -> std::optional<QVariant> {
        const auto it = values.constFind(name);
        if (it == values.constEnd())
            return std::nullopt;
        return *it;
    });
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

#pragma once

#include "settings/settings_store.h"
#include "settings_fields.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>

#include <ostream>
#include <tuple>

// Shows QStrings as text in failure messages.
void PrintTo(const QString &text, std::ostream *os);

namespace vr::test {

// Header and section of a store file, as the store writes them.
inline const QByteArray kHead = "Windows Registry Editor Version 5.00\n"
                                "\n"
                                "[HKEY_LOCAL_MACHINE\\Software\\VORNA\\VR880TXConfig]\n";

// `content` (a header and its values) with a text value "Padding" after them that makes the file
// exactly `size` bytes long, as the store itself would write it.
QByteArray PaddedTo(const QByteArray &content, qint64 size);

enum class Access {
    Full,
    ReadOnlyFile,   // the store file may not be written
    ReadOnlyFolder, // nothing may be created or renamed in the folder
};

// Root ignores file permissions; the probe then runs as the user "nobody".
bool RunningAsRoot();

// A temporary folder for one store, shared with the probe process.
class StoreFolder {
public:
    StoreFolder();
    ~StoreFolder();
    StoreFolder(const StoreFolder &) = delete;
    StoreFolder &operator=(const StoreFolder &) = delete;

    QString path() const { return dir_.path(); }
    QString file() const;
    void write(const QByteArray &content) const;
    QByteArray read() const;
    QStringList listing() const; // every entry, hidden ones included, by name

    // Hands the folder to the probe's user (when running as root), then applies `access`.
    void restrict(Access access) const;
    void shareWithProbe() const;

private:
    QTemporaryDir dir_;
};

struct ProbeResult {
    int exitCode = -1;
    QByteArray output;
};

// Runs settings_probe with `action`, the folder and `extra` arguments, in a fresh process.
ProbeResult RunProbe(const StoreFolder &folder, const QString &action,
                     const QStringList &extra = {}, const QString &directory = {});
// The settings as a fresh process loads them from the folder.
Fields ProbeLoad(const StoreFolder &folder);

} // namespace vr::test

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/port_names.h"

namespace vr {
namespace {

const QString kTtyClass = QStringLiteral("/sys/class/tty");

// The kernel lists every possible built-in port; only those whose UART type is known exist.
bool hasUart(const QString &name) {
    QFile type(kTtyClass + '/' + name + QStringLiteral("/type"));
    if (!type.open(QIODevice::ReadOnly))
        return QFileInfo::exists(kTtyClass + '/' + name + QStringLiteral("/device"));
    return type.readAll().trimmed() != "0";
}

std::vector<TtyEntry> machineTtys() {
    std::vector<TtyEntry> entries;
    const QStringList names =
        QDir(kTtyClass).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names)
        if (name.startsWith(QStringLiteral("ttyS")) || name.startsWith(QStringLiteral("ttyAMA")))
            entries.push_back({name.toStdString(), hasUart(name)});
        else
            entries.push_back({name.toStdString(), true});
    return entries;
}

} // namespace

std::vector<std::string> MachineSerialDevices() {
    return OrderSerialDevices(machineTtys());
}

std::string SerialDeviceName(int portNumber) {
    if (portNumber < 1)
        return {};
    const QFileInfo mapped(QString::fromStdString(PortMapEntry(portNumber)));
    if (mapped.isSymLink() || mapped.exists()) {
        // The device itself, so that its lock is the one every other opener sees; empty (a port
        // that does not open) when the link points nowhere.
        return mapped.canonicalFilePath().toStdString();
    }
    const std::vector<std::string> devices = MachineSerialDevices();
    const auto index = static_cast<std::size_t>(portNumber - 1);
    return index < devices.size() ? devices[index] : std::string();
}

} // namespace vr

// Why a serial port did not open on Linux, and what stands behind ports 1 to 16: the port map
// links and the machine's serial devices, the device's group and mode, the lock file of the
// program that holds it, and a USB adapter's maker and serial number.

#include "platform/port_diagnostics.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QStandardPaths>

#include <map>
#include <optional>

#include "platform/port_map.h"
#include "platform/port_names.h"

namespace vr {
namespace {

std::string Com(int port) {
    return "COM" + std::to_string(port);
}

// The folders in which programs keep the lock files of serial devices, as Qt Serial Port and
// the older uucp tools look for them.
std::vector<QString> LockFolders() {
    return {QStringLiteral("/var/lock"), QStringLiteral("/etc/locks"),
            QStringLiteral("/var/spool/locks"), QStringLiteral("/var/spool/uucp"),
            QStandardPaths::writableLocation(QStandardPaths::TempLocation)};
}

// "/dev/ttyUSB0" -> "LCK..ttyUSB0", "/dev/pts/5" -> "LCK..pts_5".
QString LockFileName(const std::string &device) {
    QString name = QString::fromStdString(device);
    if (name.startsWith(QStringLiteral("/dev/")))
        name.remove(0, 5);
    name.replace('/', '_');
    return QStringLiteral("LCK..") + name;
}

std::string ProgramOf(long pid) {
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly))
        return {};
    return comm.readAll().trimmed().toStdString();
}

bool ProcessRuns(long pid) {
    return pid > 0 && QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid));
}

struct Holder {
    long pid = 0;
    std::string program;
    std::string how; // "lock file /var/lock/LCK..ttyUSB0", "has it open"

    std::string text() const {
        std::string said = "pid " + std::to_string(pid);
        if (!program.empty())
            said += " (" + program + ")";
        return said + ", " + how;
    }
};

// The program named by a live lock file of the device: its first line is the process id, a lock
// file of Qt's has the program's name on the second.
std::optional<Holder> LockFileHolder(const std::string &device) {
    const QString name = LockFileName(device);
    for (const QString &folder : LockFolders()) {
        QFile lock(folder + '/' + name);
        if (!lock.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> lines = lock.read(4096).split('\n');
        bool number = false;
        const long pid = lines.value(0).trimmed().toLong(&number);
        if (!number || !ProcessRuns(pid))
            continue;
        Holder holder{pid, ProgramOf(pid), "lock file " + lock.fileName().toStdString()};
        if (holder.program.empty())
            holder.program = lines.value(1).trimmed().toStdString();
        return holder;
    }
    return std::nullopt;
}

// The processes that have `device` open, among those whose open files this user may see.
// Any program may hold a serial device open without excluding others; only one that holds it
// exclusively makes an open fail, so this is a list of suspects, not a verdict.
std::vector<Holder> ProcessesWithOpen(const std::string &device) {
    std::vector<Holder> holders;
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : pids) {
        bool number = false;
        const long pid = entry.toLong(&number);
        if (!number || pid == static_cast<long>(::getpid()))
            continue;
        const QString fds = QStringLiteral("/proc/%1/fd").arg(pid);
        for (const QFileInfo &fd : QDir(fds).entryInfoList(QDir::System | QDir::NoDotAndDotDot)) {
            if (fd.symLinkTarget().toStdString() == device) {
                holders.push_back(Holder{pid, ProgramOf(pid), "has it open"});
                break;
            }
        }
    }
    return holders;
}

struct DeviceGroup {
    std::string name; // empty when the system does not say
    std::string mode; // "crw-rw----"
};

DeviceGroup GroupOf(const std::string &device) {
    struct stat info {};
    if (::stat(device.c_str(), &info) != 0)
        return {};
    DeviceGroup result;
    if (const struct group *entry = ::getgrgid(info.st_gid))
        result.name = entry->gr_name;
    else
        result.name = std::to_string(info.st_gid);
    const char *const rwx = "rwxrwxrwx";
    result.mode = S_ISCHR(info.st_mode) ? "c" : "-";
    for (int bit = 0; bit < 9; ++bit)
        result.mode += (info.st_mode & (0400u >> bit)) ? rwx[bit] : '-';
    return result;
}

// Whether the user is listed as a member of `groupName`, although this process is not in it:
// the membership came after the login.
bool MemberSinceLastLogin(const std::string &groupName) {
    const passwd *user = ::getpwuid(::getuid());
    const struct group *entry = ::getgrnam(groupName.c_str());
    if (user == nullptr || entry == nullptr)
        return false;
    if (user->pw_gid == entry->gr_gid)
        return false; // the primary group is always in force
    for (char **member = entry->gr_mem; member && *member; ++member)
        if (std::string(*member) == user->pw_name)
            return true;
    return false;
}

// How "COM<n>" names its device, and why that names nothing that opens.
std::string WhyAbsent(int port, const std::string &device) {
    const std::string name = Com(port);
    const QFileInfo mapped(QString::fromStdString(PortMapEntry(port)));
    if (mapped.isSymLink())
        return name + " is the port map link " + mapped.filePath().toStdString() + " -> " +
               mapped.symLinkTarget().toStdString() + ", which points nowhere";
    if (mapped.exists())
        return name + " is the port map entry " + mapped.filePath().toStdString() +
               ", which is no device";
    const std::size_t count = MachineSerialDevices().size();
    if (device.empty())
        return name + " has no link in the port map folder, and this machine has " +
               (count == 0 ? std::string("no serial device")
                           : std::to_string(count) + " serial device" + (count == 1 ? "" : "s"));
    return name + " is serial device " + std::to_string(port) + " of this machine, " + device +
           ", which does not exist";
}

// What there is to open: the port map links and the serial devices.
std::vector<std::string> WhatIsThere() {
    std::vector<std::string> lines;
    const QString folder = QString::fromStdString(PortMapFolder());
    const QFileInfoList entries = QDir(folder).entryInfoList(
        {QStringLiteral("COM*")}, QDir::AllEntries | QDir::System, QDir::Name);
    std::string links;
    for (const QFileInfo &entry : entries) {
        if (entry.fileName().endsWith(QStringLiteral(".lock")))
            continue;
        links += links.empty() ? "" : ", ";
        links += entry.fileName().toStdString();
        if (entry.isSymLink()) {
            links += " -> " + entry.symLinkTarget().toStdString();
            if (!entry.exists())
                links += " (points nowhere)";
        }
    }
    lines.push_back("port map links in " + folder.toStdString() + ": " +
                    (links.empty() ? std::string("none") : links));
    std::string devices;
    for (const std::string &device : MachineSerialDevices())
        devices += (devices.empty() ? "" : ", ") + device;
    lines.push_back("serial devices of this machine, in port order: " +
                    (devices.empty() ? std::string("none") : devices));
    return lines;
}

void ExplainPermission(const std::string &device, PortDiagnosis &diagnosis) {
    const DeviceGroup group = GroupOf(device);
    if (group.name.empty()) {
        diagnosis.details.push_back("this user may not open " + device);
        return;
    }
    // "crw-rw----": the group may read and write.
    const bool groupMayUse =
        group.mode.size() == 10 && group.mode[4] == 'r' && group.mode[5] == 'w';
    if (!groupMayUse) {
        diagnosis.details.push_back(device + " is " + group.mode +
                                    ": only its owner may open it (a udev rule can give serial "
                                    "devices to the group dialout)");
        return;
    }
    diagnosis.details.push_back(device + " is " + group.mode + ", group " + group.name +
                                "; this user is not in that group");
    if (MemberSinceLastLogin(group.name)) {
        diagnosis.details.push_back("the user was added to " + group.name +
                                    " after this login: log out and in again");
        return;
    }
    diagnosis.details.push_back("join it with: sudo usermod -aG " + group.name +
                                " $USER   (then log out and in again)");
}

void ExplainBusy(const std::string &device, const PortOpenFailure &failure,
                 PortDiagnosis &diagnosis) {
    if (const auto holder = LockFileHolder(device)) {
        diagnosis.summary += ", held by " + holder->text();
        diagnosis.details.push_back("end that program, or wait until it lets the port go");
        return;
    }
    diagnosis.summary += ", held by another program";
    const std::vector<Holder> suspects = ProcessesWithOpen(device);
    if (suspects.empty()) {
        diagnosis.details.push_back(
            "the system does not say which program holds it" +
            (failure.detail.empty() ? std::string() : " (" + failure.detail + ")"));
        return;
    }
    diagnosis.details.push_back("no lock file names it; these programs have " + device + " open:");
    for (const Holder &suspect : suspects)
        diagnosis.details.push_back("  " + suspect.text());
}

std::string DeviceOf(int port, const PortOpenFailure &failure) {
    return failure.device.empty() ? SerialDeviceName(port) : failure.device;
}

} // namespace

bool ThisUserMayOpen(const std::string &device) {
    return ::access(device.c_str(), R_OK | W_OK) == 0;
}

PortDiagnosis DiagnosePort(int portNumber, const PortOpenFailure &failure) {
    PortDiagnosis diagnosis;
    diagnosis.problem = failure.problem;
    diagnosis.device = DeviceOf(portNumber, failure);
    const std::string port = Com(portNumber);
    const std::string named =
        port + " (" + (diagnosis.device.empty() ? "no device" : diagnosis.device) + ")";

    switch (failure.problem) {
    case PortProblem::Absent:
        diagnosis.summary = named + ": no such port";
        diagnosis.details.push_back(WhyAbsent(portNumber, diagnosis.device));
        for (std::string &line : WhatIsThere())
            diagnosis.details.push_back(std::move(line));
        break;
    case PortProblem::Permission:
        diagnosis.summary = named + ": permission denied";
        ExplainPermission(diagnosis.device, diagnosis);
        break;
    case PortProblem::Busy:
        diagnosis.summary = named + ": busy";
        ExplainBusy(diagnosis.device, failure, diagnosis);
        break;
    case PortProblem::Other:
        diagnosis.summary = named + ": did not open" +
                            (failure.detail.empty() ? std::string() : " (" + failure.detail + ")");
        break;
    }
    return diagnosis;
}

std::vector<PortEntry> ListPorts(int firstPort, int lastPort) {
    std::map<std::string, QSerialPortInfo> adapters;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        adapters[info.systemLocation().toStdString()] = info;

    std::vector<PortEntry> entries;
    for (int port = firstPort; port <= lastPort; ++port) {
        PortEntry entry;
        entry.port = port;
        entry.device = SerialDeviceName(port);
        const QFileInfo mapped(QString::fromStdString(PortMapEntry(port)));
        const bool isMapped = mapped.isSymLink() || mapped.exists();
        entry.namedBy = isMapped ? "port map link" : "serial device " + std::to_string(port);
        entry.present =
            !entry.device.empty() && QFileInfo::exists(QString::fromStdString(entry.device));
        if (!entry.present) {
            entry.accessNote = mapped.isSymLink() ? "link points nowhere" : "absent";
        } else if (!ThisUserMayOpen(entry.device)) {
            const DeviceGroup group = GroupOf(entry.device);
            entry.accessNote = "permission denied" +
                               (group.name.empty() ? std::string() : " (group " + group.name + ")");
        } else if (const auto holder = LockFileHolder(entry.device)) {
            entry.accessNote = "busy: " + holder->text();
        } else {
            entry.mayOpen = true;
        }
        const auto adapter = adapters.find(entry.device);
        if (adapter != adapters.end()) {
            entry.maker = adapter->second.manufacturer().toStdString();
            entry.product = adapter->second.description().toStdString();
            entry.serialNumber = adapter->second.serialNumber().toStdString();
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

} // namespace vr

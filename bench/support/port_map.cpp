#include "port_map.h"

#include <cstdio>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

#include "platform/port_map.h"

namespace vr::bench {

PrivateConfigHome::PrivateConfigHome() {
    qputenv("XDG_CONFIG_HOME", dir_.path().toLocal8Bit());
    QDir().mkpath(QString::fromStdString(PortMapFolder()));
    // Qt warns on every start without a runtime folder; give it one of the run's own.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString runtime = dir_.path() + "/runtime";
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    }
}

SilentPorts::SilentPorts(const PrivateConfigHome &home, int count, int ports) {
    for (int port = 1; port <= ports; ++port) {
        QString target = home.path() + "/absent";
        if (port <= count) {
            int master = -1, slave = -1;
            char name[256] = {};
            if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
                std::perror("openpty");
                ok_ = false;
                return;
            }
            termios raw{};
            tcgetattr(master, &raw);
            cfmakeraw(&raw);
            tcsetattr(master, TCSANOW, &raw);
            close(slave);
            masters_.push_back(master);
            target = QString::fromLocal8Bit(name);
        }
        const QString link = QString::fromStdString(PortMapEntry(port));
        QFile::remove(link);
        QFile::link(target, link);
        links_.push_back(link);
    }
}

SilentPorts::~SilentPorts() {
    for (const QString &link : links_)
        QFile::remove(link);
    for (const int master : masters_)
        close(master);
}

} // namespace vr::bench

#pragma once

#include <QString>
#include <QTemporaryDir>

#include <vector>

namespace vr::bench {

// A per-user configuration folder of the run's own (XDG_CONFIG_HOME), so that the port map
// folder, and with it COM<N>, belongs to this run alone. Make it before the Qt application; the
// child processes (the simulator) inherit it.
class PrivateConfigHome {
public:
    PrivateConfigHome();
    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};

// Pseudo-terminals that nobody answers, linked as COM1 to COM<count> in the port map folder;
// COM<count + 1> to COM<ports> point nowhere, so they do not open. The masters stay open and
// unread: a silent line.
class SilentPorts {
public:
    SilentPorts(const PrivateConfigHome &home, int count, int ports);
    ~SilentPorts();
    SilentPorts(const SilentPorts &) = delete;
    SilentPorts &operator=(const SilentPorts &) = delete;

    bool ok() const { return ok_; }

private:
    std::vector<int> masters_;
    std::vector<QString> links_;
    bool ok_ = true;
};

} // namespace vr::bench

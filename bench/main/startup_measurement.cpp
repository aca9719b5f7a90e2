#include "startup_measurement.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include "figures.h"

namespace vr::bench {

WindowStart MeasureWindowStart(const QString &program) {
    WindowStart start;
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const double launch = MonotonicSeconds();
    child.start(program, {});
    if (!child.waitForFinished(30000) || child.exitCode() != 0)
        return start;
    int stages = 0;
    for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() != 2)
            continue;
        const double value = fields[1].toDouble();
        if (fields[0] == "main")
            start.toMain = value - launch;
        else if (fields[0] == "created")
            start.toCreated = value - launch;
        else if (fields[0] == "exposed")
            start.toExposed = value - launch;
        else if (fields[0] == "painted")
            start.toPainted = value - launch;
        else if (fields[0] == "peak-kb")
            start.peakKb = static_cast<long>(value);
        else
            continue;
        ++stages;
    }
    start.ok = stages == 5;
    return start;
}

} // namespace vr::bench

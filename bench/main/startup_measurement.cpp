#include "startup_measurement.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include "figures.h"
#include "settings/reg_file_format.h"

namespace vr::bench {

WindowStart MeasureWindowStart(const QString &program, const QStringList &arguments) {
    WindowStart start;
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const double launch = MonotonicSeconds();
    child.start(program, arguments);
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

namespace {

QSettings::SettingsMap FiveSettings() {
    return {{"ScanCommNo", 3},
            {"ScanBaudRate", QStringLiteral("9600,e,8,1")},
            {"ScanBaudRateNo", 3},
            {"ScanCardID", QStringLiteral("00000000")},
            {"LanguageFlag", QStringLiteral("English")}};
}

QString StoreFile(const QString &directory) {
    return QDir(directory).filePath(QStringLiteral("VR880TXConfig.reg"));
}

// The text the store writes for `values`; empty when it refuses them.
QByteArray StoreText(const QSettings::SettingsMap &values) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    return vr::WriteRegFile(buffer, values) ? buffer.data() : QByteArray();
}

qint64 WriteFile(const QString &path, const QByteArray &content) {
    QFile file(path);
    if (content.isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(content) != content.size() || !file.flush())
        return -1;
    return file.size();
}

} // namespace

qint64 WriteNormalStore(const QString &directory) {
    return WriteFile(StoreFile(directory), StoreText(FiveSettings()));
}

qint64 WriteStoreAtSizeLimit(const QString &directory, int &otherValues) {
    // Each other value takes a line "F00000"=""; a last value "Padding" fills up the rest.
    constexpr qint64 kValueLine = 12;   // "F00000"="" and its line end
    constexpr qint64 kPaddingLine = 13; // "Padding"="" and its line end
    QSettings::SettingsMap values = FiveSettings();
    const qint64 room = vr::kMaxStoreFileBytes - StoreText(values).size() - kPaddingLine;
    otherValues = static_cast<int>(room / kValueLine);
    for (int i = 0; i < otherValues; ++i)
        values.insert(QString::asprintf("F%05d", i), QString());
    values.insert(QStringLiteral("Padding"), QString(room % kValueLine, u'x'));
    ++otherValues;
    const QByteArray text = StoreText(values);
    return text.size() == vr::kMaxStoreFileBytes ? WriteFile(StoreFile(directory), text) : -1;
}

qint64 WriteOversizedStore(const QString &directory, qint64 bytes) {
    QFile file(StoreFile(directory));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return -1;
    QByteArray text = StoreText(FiveSettings());
    text.chop(1); // the blank line that ends the file
    qint64 written = 0;
    for (int i = 0; written + text.size() < bytes; ++i) {
        text += "\"" + QByteArray::number(i) + "\"=\"a value of the other kind\"\n";
        if (text.size() >= 1 << 20) {
            if (file.write(text) != text.size())
                return -1;
            written += text.size();
            text.clear();
        }
    }
    if (file.write(text) != text.size() || !file.flush())
        return -1;
    return file.size();
}

} // namespace vr::bench

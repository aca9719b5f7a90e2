#include "store_fixture.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

#include <algorithm>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

void PrintTo(const QString &text, std::ostream *os) {
    *os << '"' << text.toStdString() << '"';
}

namespace vr::test {
namespace {

struct ProbeUser {
    uid_t uid;
    gid_t gid;
};

ProbeUser Nobody() {
    const passwd *entry = getpwnam("nobody");
    return entry ? ProbeUser{entry->pw_uid, entry->pw_gid} : ProbeUser{65534, 65534};
}

void ChangeMode(const QString &path, mode_t mode) {
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0) << path.toStdString();
}

} // namespace

QByteArray PaddedTo(const QByteArray &content, qint64 size) {
    const QByteArray open = "\"Padding\"=\"";
    const QByteArray close = "\"\n\n";
    const qint64 fill = size - content.size() - open.size() - close.size();
    EXPECT_GE(fill, 0);
    return content + open + QByteArray(std::max<qint64>(fill, 0), 'x') + close;
}

bool RunningAsRoot() {
    return ::geteuid() == 0;
}

StoreFolder::StoreFolder() {
    EXPECT_TRUE(dir_.isValid());
}

StoreFolder::~StoreFolder() {
    // Give write access back so that the folder can be removed without root.
    ::chmod(QFile::encodeName(path()).constData(), 0700);
    ::chmod(QFile::encodeName(file()).constData(), 0600);
}

QString StoreFolder::file() const {
    return dir_.filePath(QStringLiteral("VR880TXConfig.reg"));
}

void StoreFolder::write(const QByteArray &content) const {
    QFile out(file());
    ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(out.write(content), content.size());
}

QByteArray StoreFolder::read() const {
    QFile in(file());
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

QStringList StoreFolder::listing() const {
    return QDir(path()).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

void StoreFolder::shareWithProbe() const {
    if (!RunningAsRoot())
        return;
    const ProbeUser nobody = Nobody();
    const auto give = [&nobody](const QString &entry) {
        ASSERT_EQ(::lchown(QFile::encodeName(entry).constData(), nobody.uid, nobody.gid), 0);
    };
    give(path());
    QDirIterator it(path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        give(it.next());
}

void StoreFolder::restrict(Access access) const {
    shareWithProbe();
    switch (access) {
    case Access::Full:
        break;
    case Access::ReadOnlyFile:
        ChangeMode(file(), 0444);
        break;
    case Access::ReadOnlyFolder:
        ChangeMode(path(), 0555);
        break;
    }
}

ProbeResult RunProbe(const StoreFolder &folder, const QString &action, const QStringList &extra,
                     const QString &directory) {
    folder.shareWithProbe();
    QProcess probe;
    if (RunningAsRoot()) {
        const ProbeUser nobody = Nobody();
        probe.setChildProcessModifier([nobody] {
            if (::setgroups(0, nullptr) != 0 || ::setgid(nobody.gid) != 0 ||
                ::setuid(nobody.uid) != 0)
                ::_exit(127);
        });
    }
    probe.start(QStringLiteral(VR_SETTINGS_PROBE),
                QStringList{action, directory.isEmpty() ? folder.path() : directory} + extra);
    ProbeResult result;
    if (!probe.waitForFinished(30000) || probe.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << "settings_probe did not finish: " << probe.errorString().toStdString();
        return result;
    }
    result.exitCode = probe.exitCode();
    result.output = probe.readAllStandardOutput();
    return result;
}

Fields ProbeLoad(const StoreFolder &folder) {
    const ProbeResult result = RunProbe(folder, QStringLiteral("load"));
    EXPECT_EQ(result.exitCode, 0);
    const QJsonObject json = QJsonDocument::fromJson(result.output).object();
    return {json.value("ScanCommNo").toInt(-100),     json.value("ScanBaudRate").toString(),
            json.value("ScanBaudRateNo").toInt(-100), json.value("ScanCardID").toString(),
            json.value("LanguageFlag").toString(),    json.value("LanguageNo").toInt(-100)};
}

} // namespace vr::test

// The settings store under faults: a process killed in the middle of a save, a full disk, a store
// in a place it cannot use, and a store folder shared by a group of operators.
#include "save_loop_values.h"
#include "settings/reg_file_format.h"
#include "settings/settings_store.h"
#include "store_fixture.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <random>
#include <thread>

#include <fcntl.h>
#include <grp.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vr::test {
namespace {

const QString kStoreName = QStringLiteral("VR880TXConfig.reg");
const QString kLockName = QStringLiteral("VR880TXConfig.reg.lock");

QByteArray Path(const QString &path) {
    return QFile::encodeName(path);
}

// ---- Child processes ------------------------------------------------------------------------

struct ChildRun {
    bool finished = false;
    bool crashed = false; // ended by a signal
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs a helper program to its end. `modifier` runs in the child before the program starts.
ChildRun RunChild(const QString &program, const QStringList &arguments,
                  const std::function<void()> &modifier = {}) {
    QProcess child;
    if (modifier)
        child.setChildProcessModifier(modifier);
    child.start(program, arguments);
    ChildRun run;
    run.finished = child.waitForFinished(60000);
    if (!run.finished) {
        ADD_FAILURE() << program.toStdString() << " did not finish";
        return run;
    }
    run.crashed = child.exitStatus() == QProcess::CrashExit;
    run.exitCode = child.exitCode();
    run.out = child.readAllStandardOutput();
    run.err = child.readAllStandardError();
    return run;
}

ChildRun Probe(const QStringList &arguments, const std::function<void()> &modifier = {}) {
    return RunChild(QStringLiteral(VR_SETTINGS_PROBE), arguments, modifier);
}

Fields FieldsFromJson(const QByteArray &json) {
    const QJsonObject object = QJsonDocument::fromJson(json).object();
    return {object.value("ScanCommNo").toInt(-100),     object.value("ScanBaudRate").toString(),
            object.value("ScanBaudRateNo").toInt(-100), object.value("ScanCardID").toString(),
            object.value("LanguageFlag").toString(),    object.value("LanguageNo").toInt(-100)};
}

// The settings as the program loads them in a fresh process (no settings cache of this one).
Fields LoadInChild(const QString &directory, const std::function<void()> &modifier = {}) {
    const ChildRun run = Probe({QStringLiteral("load"), directory}, modifier);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_FALSE(run.crashed);
    return FieldsFromJson(run.out);
}

// Saves all three groups of values of `settings` in a fresh process.
ChildRun SaveAllInChild(const QString &directory, const ScanSettings &settings,
                        const std::function<void()> &modifier = {}) {
    const std::pair<QString, QStringList> saves[] = {
        {QStringLiteral("save-scan"),
         {QString::number(settings.ScanCommNo), QString::number(settings.ScanBaudRateNo),
          settings.ScanBaudRate}},
        {QStringLiteral("save-card"), {settings.ScanCardID}},
        {QStringLiteral("save-language"), {settings.LanguageFlag}}};
    ChildRun all;
    all.exitCode = 0;
    for (const auto &[action, values] : saves) {
        const ChildRun run = Probe(QStringList{action, directory} + values, modifier);
        all.crashed = all.crashed || run.crashed;
        all.exitCode = run.exitCode != 0 ? run.exitCode : all.exitCode;
        all.err += run.err;
    }
    return all;
}

void SaveAll(const SettingsStore &store, const ScanSettings &settings) {
    store.SaveScanSettings(settings);
    store.SaveCardID(settings);
    store.SaveLanguage(settings);
}

bool ParsesAsWhole(const QByteArray &content) {
    QByteArray copy = content;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QSettings::SettingsMap values;
    return ReadRegFile(buffer, values);
}

// Every entry under `root` with its kind and content, to show that nothing changed.
std::map<QString, QByteArray> Snapshot(const QString &root) {
    std::map<QString, QByteArray> entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo entry(it.next());
        QFile file(entry.filePath());
        // Opening a pipe to read it would wait for a writer.
        const QByteArray content =
            entry.isDir()     ? QByteArray("<folder>")
            : !entry.isFile() ? QByteArray("<special file>")
            : file.open(QIODevice::ReadOnly)
                ? file.readAll()
                : "<unreadable, " + QByteArray::number(entry.size()) + " bytes>";
        const QByteArray link =
            entry.isSymLink() ? "<link to " + entry.symLinkTarget().toUtf8() + "> " : QByteArray();
        entries[QDir(root).relativeFilePath(entry.filePath())] = link + content;
    }
    return entries;
}

// ---- A crash in the middle of a save --------------------------------------------------------

// How many saves of settings_save_loop the store holds (iteration i's three saves are the counts
// 3i - 2, 3i - 1 and 3i), or nothing when the values are no state the loop ever leaves behind:
// a mix of two saves, a torn file, a value of another iteration.
std::optional<long> SavesHeld(const Fields &fields) {
    if (fields == DefaultFields())
        return 0;
    const auto &[commNo, baudRate, baudRateNo, cardId, languageFlag, languageNo] = fields;
    const long i = commNo;
    const ScanSettings now = IterationSettings(i);
    const ScanSettings before = IterationSettings(i - 1);
    if (i < 1 || baudRateNo != now.ScanBaudRateNo || baudRate != now.ScanBaudRate)
        return std::nullopt;
    if (cardId == before.ScanCardID && languageFlag == before.LanguageFlag)
        return 3 * i - 2;
    if (cardId == now.ScanCardID && languageFlag == before.LanguageFlag)
        return 3 * i - 1;
    if (cardId == now.ScanCardID && languageFlag == now.LanguageFlag)
        return 3 * i;
    return std::nullopt;
}

// The loop is killed with SIGKILL at random moments of its saves, 200 times, each time restarted
// where the store stands. After every kill the file parses, the program loads a state that the
// loop passed through, no older than the one after the kill before, and the next process goes
// on saving whatever lock or temporary file the killed one left behind.
TEST(SettingsCrash, KilledAtRandomMomentsTheStoreHoldsOneWholeSave) {
    StoreFolder folder;
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("random seed " + std::to_string(seed));
    std::mt19937 random(seed);
    // The first save of a process takes a few milliseconds here, the later ones about one: the
    // kills spread over the first dozen saves of each process. Every tenth kill comes later, so
    // that saves finish and the store moves on also where a save waits tens of milliseconds for
    // the disk (a loaded machine, a sanitizer build).
    std::uniform_int_distribution<int> delayUs(0, 20000);
    std::uniform_int_distribution<int> lateDelayUs(100000, 300000);

    constexpr int kKills = 200;
    long held = 0;
    Fields stored = DefaultFields();
    int lockLeft = 0;
    int emptyLockLeft = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        QProcess loop;
        // Start with the iteration the store is in: its saves only ever move the store on.
        loop.start(QStringLiteral(VR_SETTINGS_SAVE_LOOP),
                   {folder.path(), QString::number(std::max(1L, (held + 2) / 3))});
        ASSERT_TRUE(loop.waitForReadyRead(30000)) << "kill " << kill;
        std::this_thread::sleep_for(
            std::chrono::microseconds(kill % 10 == 9 ? lateDelayUs(random) : delayUs(random)));
        ASSERT_EQ(::kill(pid_t(loop.processId()), SIGKILL), 0);
        ASSERT_TRUE(loop.waitForFinished(30000));
        ASSERT_EQ(loop.exitStatus(), QProcess::CrashExit) << "the loop ended before the kill";

        if (QFileInfo::exists(folder.file())) {
            ASSERT_TRUE(ParsesAsWhole(folder.read())) << "kill " << kill << ":\n"
                                                      << folder.read().toStdString();
        }
        const Fields loaded = LoadInChild(folder.path());
        const std::optional<long> now = SavesHeld(loaded);
        ASSERT_TRUE(now.has_value()) << "kill " << kill << ": " << ::testing::PrintToString(loaded);
        ASSERT_GE(*now, held) << "kill " << kill << ": the store went back to older values";
        held = *now;
        stored = loaded;
        const QFileInfo lock(folder.path() + u'/' + kLockName);
        lockLeft += lock.exists() ? 1 : 0;
        emptyLockLeft += lock.exists() && lock.size() == 0 ? 1 : 0;
    }

    // A save after all those kills still works, with whatever they left behind.
    std::get<3>(stored) = QStringLiteral("99999999");
    EXPECT_EQ(Probe({"save-card", folder.path(), std::get<3>(stored)}).exitCode, 0);
    EXPECT_EQ(LoadInChild(folder.path()), stored);
    EXPECT_FALSE(QFileInfo::exists(folder.path() + u'/' + kLockName));

    const auto temporaries =
        QDir(folder.path()).entryList({kStoreName + QStringLiteral(".??????")}, QDir::Files).size();
    std::cout << "[ figures  ] " << kKills << " kills: " << held << " saves held at the end, "
              << lockLeft << " left a lock file (" << emptyLockLeft << " empty), " << temporaries
              << " left a temporary file\n";
    EXPECT_GT(held, 0) << "no save ever finished between the kills";
}

struct RenameKillCase {
    const char *name;
    int save; // 1 SaveScanSettings, 2 SaveCardID, 3 SaveLanguage
};
void PrintTo(const RenameKillCase &row, std::ostream *os) {
    *os << row.name;
}

class KilledBeforeTheRename : public ::testing::TestWithParam<RenameKillCase> {};

// The moment that matters most: the new file is written in full, the old one not yet replaced.
TEST_P(KilledBeforeTheRename, KeepsTheOldValuesAndTheNextSaveGoesOn) {
    const int save = GetParam().save;
    StoreFolder folder;
    SaveAll(SettingsStore(folder.path()), IterationSettings(1));

    const ChildRun run = RunChild(QStringLiteral(VR_SETTINGS_SAVE_LOOP),
                                  {folder.path(), QStringLiteral("2"), QString::number(save)});
    ASSERT_TRUE(run.crashed) << "the loop did not die at its rename";

    const Fields old = LoadInChild(folder.path());
    EXPECT_EQ(SavesHeld(old), 3 + save - 1) << "old values kept";
    const QStringList temporaries =
        QDir(folder.path()).entryList({kStoreName + QStringLiteral(".??????")}, QDir::Files);
    ASSERT_EQ(temporaries.size(), 1) << folder.listing().join(u' ').toStdString();
    EXPECT_TRUE(QFileInfo::exists(folder.path() + u'/' + kLockName));
    {
        // The file that was about to replace the store holds the new save in full.
        StoreFolder other;
        QFile temporary(folder.path() + u'/' + temporaries.first());
        ASSERT_TRUE(temporary.open(QIODevice::ReadOnly));
        other.write(temporary.readAll());
        EXPECT_EQ(SavesHeld(LoadInChild(other.path())), 3 + save);
    }

    // The next process saves over the stale lock and temporary file.
    ASSERT_EQ(Probe({"save-language", folder.path(), "ChineseBIG5"}).exitCode, 0);
    Fields expected = old;
    std::get<4>(expected) = QStringLiteral("ChineseBIG5");
    std::get<5>(expected) = 2;
    EXPECT_EQ(LoadInChild(folder.path()), expected);
    EXPECT_FALSE(QFileInfo::exists(folder.path() + u'/' + kLockName));
}

INSTANTIATE_TEST_SUITE_P(Store, KilledBeforeTheRename,
                         ::testing::Values(RenameKillCase{"SaveScanSettings", 1},
                                           RenameKillCase{"SaveCardID", 2},
                                           RenameKillCase{"SaveLanguage", 3}),
                         [](const auto &row) { return std::string(row.param.name); });

// ---- A full disk ----------------------------------------------------------------------------

enum class Disk {
    TmpfsNoBlockLeft,  // not even the lock file can be written
    TmpfsOneBlockLeft, // the lock file fits, the new store file does not
    TmpfsNoInodeLeft,  // no file can be created at all
    FileSizeLimit,     // RLIMIT_FSIZE of 200 bytes on the saving process, SIGXFSZ ignored: the
                       // lock file fits, the store file does not
};

struct DiskCase {
    const char *name;
    Disk disk;
};
void PrintTo(const DiskCase &row, std::ostream *os) {
    *os << row.name;
}

class FullDisk : public ::testing::TestWithParam<DiskCase> {
protected:
    // Unmounted before the folder goes.
    void TearDown() override {
        if (!mountPoint_.isEmpty())
            ::umount2(Path(mountPoint_).constData(), MNT_DETACH);
    }

    // A 16 KiB tmpfs at `directory`; false when this machine does not let us mount it.
    bool mountTmpfs(const QString &directory, const char *options) {
        if (::mount("tmpfs", Path(directory).constData(), "tmpfs", 0, options) != 0)
            return false;
        mountPoint_ = directory;
        return true;
    }

    StoreFolder folder_;

private:
    QString mountPoint_;
};

// Writes `filler` until the disk is full, then gives back `spare` bytes.
void FillDisk(const QString &filler, qint64 spare) {
    const int fd = ::open(Path(filler).constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0);
    const QByteArray block(4096, 'x');
    off_t size = 0;
    for (ssize_t written; (written = ::write(fd, block.constData(), block.size())) > 0;)
        size += written;
    EXPECT_EQ(errno, ENOSPC);
    EXPECT_EQ(::ftruncate(fd, std::max<off_t>(0, size - off_t(spare))), 0);
    ::close(fd);
}

// Creates empty files until no inode is left.
void UseUpInodes(const QString &directory) {
    for (int i = 0; i < 10000; ++i) {
        const int fd = ::open(Path(directory + QStringLiteral("/inode%1").arg(i)).constData(),
                              O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd < 0) {
            EXPECT_EQ(errno, ENOSPC);
            return;
        }
        ::close(fd);
    }
    ADD_FAILURE() << "the inodes never ran out";
}

// A save that cannot be written leaves the old file as it was, leaves nothing beside it and
// reports nothing; once there is room again the next save is written.
TEST_P(FullDisk, ASaveThatCannotBeWrittenLeavesTheOldFile) {
    const Disk disk = GetParam().disk;
    const QString directory = folder_.path() + QStringLiteral("/store");
    ASSERT_TRUE(QDir().mkdir(directory));
    if (disk != Disk::FileSizeLimit &&
        !mountTmpfs(directory, disk == Disk::TmpfsNoInodeLeft ? "size=16k,nr_inodes=8,mode=0700"
                                                              : "size=16k,mode=0700"))
        GTEST_SKIP() << "mounting a tmpfs is not permitted here (" << std::strerror(errno)
                     << "); the FileSizeLimit case stands in for it";

    const ScanSettings old = IterationSettings(1);
    SaveAll(SettingsStore(directory), old);

    const QString filler = directory + QStringLiteral("/filler");
    std::function<void()> limit;
    switch (disk) {
    case Disk::TmpfsNoBlockLeft:
        FillDisk(filler, 0);
        break;
    case Disk::TmpfsOneBlockLeft:
        FillDisk(filler, 4096);
        break;
    case Disk::TmpfsNoInodeLeft:
        UseUpInodes(directory);
        break;
    case Disk::FileSizeLimit:
        limit = [] {
            const rlimit small{200, 200};
            ::signal(SIGXFSZ, SIG_IGN);
            ::setrlimit(RLIMIT_FSIZE, &small);
        };
        break;
    }
    const auto before = Snapshot(directory);

    ScanSettings fresh = IterationSettings(2);
    fresh.ScanCardID = QStringLiteral("12345678");
    const ChildRun saves = SaveAllInChild(directory, fresh, limit);
    EXPECT_EQ(saves.exitCode, 0);
    EXPECT_FALSE(saves.crashed);
    EXPECT_EQ(saves.err, QByteArray()) << "a failed save reports nothing";
    EXPECT_EQ(Snapshot(directory), before) << "the old file stays and nothing is left beside it";
    EXPECT_EQ(LoadInChild(directory), FieldsOf(old));

    // Room again: the store takes the next save.
    if (disk == Disk::TmpfsNoInodeLeft) {
        for (const QString &name : QDir(directory).entryList({"inode*"}, QDir::Files))
            QFile::remove(directory + u'/' + name);
    }
    QFile::remove(filler);
    EXPECT_EQ(SaveAllInChild(directory, fresh).exitCode, 0);
    EXPECT_EQ(LoadInChild(directory), FieldsOf(fresh));
}

INSTANTIATE_TEST_SUITE_P(Store, FullDisk,
                         ::testing::Values(DiskCase{"TmpfsNoBlockLeft", Disk::TmpfsNoBlockLeft},
                                           DiskCase{"TmpfsOneBlockLeft", Disk::TmpfsOneBlockLeft},
                                           DiskCase{"TmpfsNoInodeLeft", Disk::TmpfsNoInodeLeft},
                                           DiskCase{"FileSizeLimit", Disk::FileSizeLimit}),
                         [](const auto &row) { return std::string(row.param.name); });

// ---- A store in a place it cannot use -------------------------------------------------------

const QByteArray kStoredFile = kHead + "\"ScanCommNo\"=dword:00000003\n"
                                       "\"ScanCardID\"=\"1234567890\"\n"
                                       "\"LanguageFlag\"=\"ChineseGB\"\n";

struct PlaceCase {
    const char *name;
    const char *directory; // the store folder, under the test's folder
    std::function<void(const StoreFolder &)> prepare;
};
void PrintTo(const PlaceCase &row, std::ostream *os) {
    *os << row.name;
}

class UnusablePlace : public ::testing::TestWithParam<PlaceCase> {};

// The program starts with the defaults, and its saves change nothing.
TEST_P(UnusablePlace, LoadGivesTheDefaultsAndSavesWriteNothing) {
    const PlaceCase &row = GetParam();
    StoreFolder folder;
    row.prepare(folder);
    const QString directory = folder.path() + u'/' + QLatin1String(row.directory);
    const auto before = Snapshot(folder.path());

    // As root, permissions bind only on the probe, which runs as an ordinary user.
    const auto probe = [&](const QString &action, const QStringList &values = {}) {
        return RunProbe(folder, action, values, directory);
    };
    const ProbeResult load = probe(QStringLiteral("load"));
    EXPECT_EQ(load.exitCode, 0);
    EXPECT_EQ(FieldsFromJson(load.output), DefaultFields());
    EXPECT_EQ(probe("save-scan", {"7", "8", "57600,e,8,1"}).exitCode, 0);
    EXPECT_EQ(probe("save-card", {"0000001234"}).exitCode, 0);
    EXPECT_EQ(probe("save-language", {"ChineseBIG5"}).exitCode, 0);
    EXPECT_EQ(Snapshot(folder.path()), before);
}

void WriteFile(const QString &path, const QByteArray &content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(content), content.size());
}

INSTANTIATE_TEST_SUITE_P(
    Store, UnusablePlace,
    ::testing::Values(PlaceCase{"FolderIsAFile", "vr880tx-config",
                                [](const StoreFolder &f) {
                                    WriteFile(f.path() + "/vr880tx-config", kStoredFile);
                                }},
                      PlaceCase{"FolderBelowAFile", "vr880tx-config/store",
                                [](const StoreFolder &f) {
                                    WriteFile(f.path() + "/vr880tx-config", kStoredFile);
                                }},
                      PlaceCase{"StoreFileIsAFolder", "",
                                [](const StoreFolder &f) {
                                    ASSERT_TRUE(QDir(f.path()).mkdir(kStoreName));
                                }},
                      PlaceCase{"StoreFileWriteOnly", "",
                                [](const StoreFolder &f) {
                                    f.write(kStoredFile);
                                    f.shareWithProbe();
                                    ASSERT_EQ(::chmod(Path(f.file()).constData(), 0200), 0);
                                }},
                      // Opened to be read, a pipe without a writer holds the reader for ever.
                      PlaceCase{"StoreFileIsAPipe", "",
                                [](const StoreFolder &f) {
                                    ASSERT_EQ(::mkfifo(Path(f.file()).constData(), 0666), 0);
                                }},
                      // Anyone who may write the shared folder could point the store at a file
                      // of theirs choosing, to have it read, replaced or created by the next
                      // operator's program (root's too).
                      PlaceCase{"StoreFileIsALink", "",
                                [](const StoreFolder &f) {
                                    WriteFile(f.path() + "/elsewhere.reg", kStoredFile);
                                    ASSERT_TRUE(QFile::link(f.path() + "/elsewhere.reg", f.file()));
                                }},
                      PlaceCase{"StoreFileIsADanglingLink", "",
                                [](const StoreFolder &f) {
                                    ASSERT_TRUE(QFile::link(f.path() + "/absent.reg", f.file()));
                                }}),
    [](const auto &row) { return std::string(row.param.name); });

// ---- A store folder shared by a group of operators ------------------------------------------

mode_t ModeOf(const QString &path) {
    struct stat info {};
    EXPECT_EQ(::stat(Path(path).constData(), &info), 0) << path.toStdString();
    return info.st_mode & 07777;
}

struct ShareCase {
    const char *name;
    mode_t folderMode;
    mode_t umask;
    mode_t existingMode; // 0: no store file before the save
    mode_t expected;
};
void PrintTo(const ShareCase &row, std::ostream *os) {
    *os << row.name;
}

class GroupShare : public ::testing::TestWithParam<ShareCase> {};

// In a folder that its group may write, a save leaves the file readable and writable for the
// group whatever the saving process's umask; elsewhere the umask and the old file's mode stand.
TEST_P(GroupShare, FileModeAfterASave) {
    const ShareCase &row = GetParam();
    StoreFolder folder;
    const QString directory = folder.path() + QStringLiteral("/shared");
    ASSERT_TRUE(QDir().mkdir(directory));
    ASSERT_EQ(::chmod(Path(directory).constData(), row.folderMode), 0);
    const QString file = directory + u'/' + kStoreName;
    if (row.existingMode != 0) {
        WriteFile(file, kStoredFile);
        ASSERT_EQ(::chmod(Path(file).constData(), row.existingMode), 0);
    }
    const mode_t mask = row.umask;
    const ChildRun save = Probe({"save-card", directory, "0000000042"}, [mask] { ::umask(mask); });
    ASSERT_EQ(save.exitCode, 0);
    EXPECT_EQ(ModeOf(file), row.expected) << std::oct << "mode 0" << ModeOf(file);
}

INSTANTIATE_TEST_SUITE_P(
    Store, GroupShare,
    ::testing::Values(ShareCase{"SetGidFolderUmask022", 02775, 022, 0, 0664},
                      ShareCase{"GroupFolderUmask002", 0775, 002, 0, 0664},
                      ShareCase{"GroupFolderUmask077", 02775, 077, 0, 0660},
                      ShareCase{"GroupFolderOldPrivateFile", 02775, 022, 0644, 0664},
                      ShareCase{"PrivateFolderUmask022", 0755, 022, 0, 0644},
                      ShareCase{"PrivateFolderOldFile", 0755, 002, 0600, 0600}),
    [](const auto &row) { return std::string(row.param.name); });

// Two operators of one group take turns with the store, each with umask 022: each loads what the
// other saved and may save in turn.
TEST(GroupShare, AnotherOperatorOfTheGroupKeepsUsingTheStore) {
    if (!RunningAsRoot())
        GTEST_SKIP() << "needs root to act as two users";
    constexpr gid_t kGroup = 61880;
    const auto asOperator = [](uid_t uid) {
        return [uid] {
            const gid_t groups[] = {kGroup};
            if (::setgroups(1, groups) != 0 || ::setgid(gid_t(uid)) != 0 || ::setuid(uid) != 0)
                ::_exit(127);
            ::umask(022);
        };
    };
    const auto first = asOperator(61881);
    const auto second = asOperator(61882);

    StoreFolder folder;
    ASSERT_EQ(::chmod(Path(folder.path()).constData(), 0755), 0);
    const QString directory = folder.path() + QStringLiteral("/vr880tx-config");
    ASSERT_TRUE(QDir().mkdir(directory));
    ASSERT_EQ(::chown(Path(directory).constData(), 0, kGroup), 0);
    ASSERT_EQ(::chmod(Path(directory).constData(), 02775), 0);

    ASSERT_EQ(Probe({"save-scan", directory, "4", "3", "9600,e,8,1"}, first).exitCode, 0);
    EXPECT_EQ(LoadInChild(directory, second),
              MakeFields(4, "9600,e,8,1", 3, "00000000", "English", 0));
    ASSERT_EQ(Probe({"save-card", directory, "0042"}, second).exitCode, 0);
    ASSERT_EQ(Probe({"save-language", directory, "ChineseGB"}, first).exitCode, 0);
    EXPECT_EQ(LoadInChild(directory, second),
              MakeFields(4, "9600,e,8,1", 3, "0042", "ChineseGB", 1));
}

} // namespace
} // namespace vr::test

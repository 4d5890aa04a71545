// The host's checked removal: only the file the scan met, never a folder, never through
// a link, not even while another thread swaps names under it; the trash by descriptor;
// the shortcut read.

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QtTest>
#include <filesystem>
#include <tuple>

#include "platform/host_device.h"
#include "platform/name_codec.h"
#include "support/race.h"
#include "support/temp_tree.h"

using namespace dovrane;
using platform::RemoveMode;
using platform::RemoveResult;
using platform::RemoveStatus;
using test::Entries;

namespace {

platform::FileIdentity IdentityOf(const std::string& hostPath, bool regular = true) {
    struct stat st {};
    ::lstat(hostPath.c_str(), &st);  // a missing file: inode 0
    return {{quint64(st.st_dev), quint64(st.st_ino)}, regular};
}

quint64 InodeOf(const std::string& hostPath) {
    return IdentityOf(hostPath).id.inode;
}

// Sets environment variables for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name)) {
        value.isNull() ? qunsetenv(name) : qputenv(name, value);
    }
    ~ScopedEnv() { m_had ? qputenv(m_name, m_old) : qunsetenv(m_name); }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

// Whether the file `inode` is still in the folder under one of the two names the swapper
// exchanges; looked at a few times, since one look at each name can fall between swaps.
bool OtherStays(int folder, quint64 inode) {
    for (int look = 0; look < 8; ++look)
        for (const char* name : {"f", "g"}) {
            struct stat st {};
            if (::fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && st.st_ino == inode)
                return true;
        }
    return false;
}

}  // namespace

class TestFileDelete : public QObject {
    Q_OBJECT

private slots:
    void remove_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("identityOf");  // whose identity the scan saw
        QTest::addColumn<bool>("regular");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("stillThere");  // host path that must survive, if any
        const int removed = int(RemoveStatus::Removed), failed = int(RemoveStatus::Failed);
        const std::tuple<const char*, const char*, const char*, bool, int, int, const char*>
            rows[] = {
                {"the scanned file", "\\d\\f", "d/f", true, removed, 0, ""},
                {"another file under the name", "\\d\\f", "d/other", true, failed, ESTALE, "d/f"},
                {"through a folder link", "\\link\\f", "d/f", true, failed, ENOTDIR, "d/f"},
                {"a folder", "\\d", "d", true, failed, ESTALE, "d"},
                {"a link, as a link", "\\link", "link", false, removed, 0, "d/f"},
                {"a link where a file was", "\\link", "link", true, failed, ESTALE, "link"},
                {"nothing there", "\\d\\none", "d/f", true, failed, ENOENT, "d/f"},
                {"the root", "\\", "d", true, failed, ENOENT, "d"}};
        for (const auto& [tag, path, identityOf, regular, status, error, stillThere] : rows)
            QTest::newRow(tag) << QString(path) << QString(identityOf) << regular << status << error
                               << QString(stillThere);
    }
    void remove() {
        QFETCH(QString, path);
        QFETCH(QString, identityOf);
        QFETCH(bool, regular);
        QFETCH(int, status);
        QFETCH(int, error);
        QFETCH(QString, stillThere);
        test::TempTree tmp;
        tmp.folder("d");
        tmp.file("d/f", 3);
        tmp.file("d/other", 3);
        QCOMPARE(::symlink("d", tmp.host("link").c_str()), 0);
        platform::HostDevice device(tmp.root());
        const auto result = device.removeFile(
            path, IdentityOf(tmp.host(identityOf.toStdString()), regular), RemoveMode::Delete);
        QCOMPARE(int(result.status), status);
        QCOMPARE(result.error, error);
        struct stat st {};
        if (!stillThere.isEmpty())
            QCOMPARE(::lstat(tmp.host(stillThere.toStdString()).c_str(), &st), 0);
        if (status == int(RemoveStatus::Removed))
            QVERIFY(!QFileInfo(tmp.root() + path.replace(u'\\', u'/')).exists() &&
                    !QFileInfo(tmp.root() + path).isSymLink());
        // The unique name a removal works under never stays behind.
        QCOMPARE(tmp.entries("d").filter(".dovrane"), QStringList());
    }

    // Another thread swaps names while removals run, thousands of times: a folder of the
    // path with a link to a folder outside the device, or the confirmed file with another
    // one of its folder. Whatever the interleaving, only a confirmed file ever goes.
    void raceRemovesOnlyTheConfirmed_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("swapParent");
        for (const auto& [tag, mode, parent] :
             {std::tuple("delete, parent and link", RemoveMode::Delete, true),
              {"delete, two files", RemoveMode::Delete, false},
              {"trash, parent and link", RemoveMode::Trash, true},
              {"trash, two files", RemoveMode::Trash, false}})
            QTest::newRow(tag) << int(mode) << parent;
    }
    void raceRemovesOnlyTheConfirmed() {
        QFETCH(int, mode);
        QFETCH(bool, swapParent);
        test::TempTree tmp;
        for (const char* folder : {"root", "root/d", "outside", "data"})
            tmp.folder(folder);
        tmp.file("outside/f", 5);
        tmp.file("root/d/g", 7);
        QCOMPARE(::symlink(tmp.host("outside").c_str(), tmp.host("root/link").c_str()), 0);
        const ScopedEnv data("XDG_DATA_HOME", QFile::encodeName(tmp.root() + "/data"));
        const quint64 outside = InodeOf(tmp.host("outside/f")),
                      other = InodeOf(tmp.host("root/d/g"));
        const int folder = ::open(tmp.host("root/d").c_str(), O_RDONLY | O_DIRECTORY);
        QVERIFY(folder >= 0);
        platform::HostDevice device(tmp.root() + "/root");
        std::vector<quint64> confirmed;
        const auto race = [&](int& removed) {
            // The confirmed file, made afresh in the real folder under whichever of its two
            // names is free.
            struct stat st {};
            if (::fstatat(folder, "f", &st, AT_SYMLINK_NOFOLLOW) != 0) {
                const int fd = ::openat(folder, "f", O_CREAT | O_EXCL | O_WRONLY, 0600);
                if (fd < 0)
                    return;  // the swapper took the name back meanwhile
                ::fstat(fd, &st);
                ::close(fd);
            } else if (st.st_ino == other) {
                return;  // "f" names the other file now: nothing to confirm
            }
            confirmed.push_back(st.st_ino);
            removed +=
                device.removeFile(u"\\d\\f", {{quint64(st.st_dev), quint64(st.st_ino)}, true},
                                  RemoveMode(mode)) == RemoveResult::Removed;
            QCOMPARE(InodeOf(tmp.host("outside/f")), outside);
            QVERIFY(OtherStays(folder, other));
        };
        const int removed =
            test::WhileSwapping(tmp.host(swapParent ? "root/d" : "root/d/f"),
                                tmp.host(swapParent ? "root/link" : "root/d/g"), race)
                .done;
        const bool otherStays = OtherStays(folder, other);
        ::close(folder);
        QVERIFY(otherStays);
        QVERIFY(removed > 0);
        // The other files are where they were, and nothing unconfirmed reached the trash.
        QCOMPARE(tmp.entries("outside"), QStringList{"f"});
        const bool swapped = QFileInfo(tmp.root() + "/root/d").isSymLink();
        QCOMPARE(tmp.entries(swapped ? "root/link" : "root/d").filter(".dovrane"), QStringList());
        const QStringList trashed = tmp.entries("data/Trash/files");
        QCOMPARE(trashed.size(), mode == int(RemoveMode::Trash) ? removed : 0);
        for (const QString& name : trashed)
            QVERIFY(std::ranges::count(
                confirmed, InodeOf(tmp.host("data/Trash/files/" + name.toStdString()))));
        QCOMPARE(tmp.entries("data/Trash/info").size(), trashed.size());
    }

    // The trash is found from HOME and XDG_DATA_HOME as set, made (mode 0700) with its
    // missing parents, never below the current folder; its record comes first.
    void trashFolders_data() {
        QTest::addColumn<QByteArray>("home");  // relative to the temporary tree; null: unset
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("trash");
        QTest::newRow("empty home, no data home")
            << QByteArray("home") << QByteArray() << QStringLiteral("home/.local/share/Trash");
        QTest::newRow("missing data home")
            << QByteArray("home") << QByteArray("gone/a/b") << QStringLiteral("gone/a/b/Trash");
        QTest::newRow("relative data home, missing home")
            << QByteArray("nohome") << QByteArray("#rel/share")
            << QStringLiteral("nohome/.local/share/Trash");
    }
    void trashFolders() {
        QFETCH(QByteArray, home);
        QFETCH(QByteArray, data);
        QFETCH(QString, trash);
        test::TempTree tmp;
        for (const char* folder : {"home", "cwd", "d"})
            tmp.folder(folder);
        tmp.file("d/a b%.txt", 4);
        tmp.file("d/other", 4);
        const QByteArray root = QFile::encodeName(tmp.root()) + '/';
        const ScopedEnv homeEnv("HOME", root + home);
        const ScopedEnv dataEnv("XDG_DATA_HOME", data.startsWith('#') ? data.mid(1)
                                                 : data.isNull()      ? QByteArray()
                                                                      : root + data);
        const QString cwd = QDir::currentPath();
        QVERIFY(QDir::setCurrent(tmp.root() + "/cwd"));
        platform::HostDevice device(tmp.root());
        const auto first = device.removeFile(u"\\d\\a b%.txt", IdentityOf(tmp.host("d/a b%.txt")),
                                             RemoveMode::Trash);
        tmp.file("d/a b%.txt", 2);
        const auto second = device.removeFile(u"\\d\\a b%.txt", IdentityOf(tmp.host("d/a b%.txt")),
                                              RemoveMode::Trash);
        QVERIFY(QDir::setCurrent(cwd));
        QCOMPARE(first, RemoveResult::Removed);
        QCOMPARE(second, RemoveResult::Removed);
        QCOMPARE(tmp.entries("cwd"), QStringList());
        QCOMPARE(tmp.entries("d"), QStringList{"other"});
        const QString at = tmp.root() + '/' + trash;
        QCOMPARE(Entries(at + "/files"), QStringList({"a b%.txt", "a b%.txt.2"}));
        QCOMPARE(QFileInfo(at + "/files/a b%.txt.2").size(), 2);
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(at).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, 0700u);
        QFile info(at + "/info/a b%.txt.trashinfo");
        QVERIFY(info.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = info.readAll().split('\n');
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], QByteArray("[Trash Info]"));
        QCOMPARE(lines[1], "Path=" + root.toPercentEncoding("/") + "d/a%20b%25.txt");
        QVERIFY(
            QDateTime::fromString(QString::fromLatin1(lines[2].mid(13)), Qt::ISODate).isValid() &&
            lines[2].startsWith("DeletionDate="));
    }

    // When the trash cannot be made nothing moves, and the box can say why. Once it can be,
    // what it says is what happened: a name it could not record exactly still goes, recorded
    // by its bytes; a dangling link goes as itself; a file that cannot be moved fails as a
    // delete would, with its reason.
    void trashSaysWhy() {
        test::TempTree tmp;
        for (const char* name : {"blocker", "f", "bad\xff", "immutable"})
            tmp.file(name, 1);
        QCOMPARE(::symlink("nowhere", tmp.host("dangling").c_str()), 0);
        platform::HostDevice device(tmp.root());
        {
            const ScopedEnv data("XDG_DATA_HOME", QFile::encodeName(tmp.root() + "/blocker/share"));
            const auto result =
                device.removeFile(u"\\f", IdentityOf(tmp.host("f")), RemoveMode::Trash);
            QCOMPARE(int(result.status), int(RemoveStatus::NoTrash));
            QCOMPARE(result.error, ENOTDIR);
            const std::filesystem::directory_iterator all(tmp.root().toStdString());
            QCOMPARE(std::distance(all, {}), 5);
        }
        const ScopedEnv data("XDG_DATA_HOME", QFile::encodeName(tmp.root() + "/share"));
        QCOMPARE(device.removeFile(u'\\' + platform::DecodeHostName("bad\xff"),
                                   IdentityOf(tmp.host("bad\xff")), RemoveMode::Trash),
                 RemoveResult::Removed);
        QVERIFY(InodeOf(tmp.host("share/Trash/files/bad\xff")) != 0);
        QCOMPARE(device.removeFile(u"\\dangling", IdentityOf(tmp.host("dangling"), false),
                                   RemoveMode::Trash),
                 RemoveResult::Removed);
        QVERIFY(QFileInfo(tmp.root() + "/share/Trash/files/dangling").isSymLink());
        const int fd = ::open(tmp.host("immutable").c_str(), O_RDONLY);
        int flags = 0;
        const bool set = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                         ::ioctl(fd, FS_IOC_SETFLAGS, &(flags |= FS_IMMUTABLE_FL)) == 0;
        if (set) {
            const auto result = device.removeFile(u"\\immutable", IdentityOf(tmp.host("immutable")),
                                                  RemoveMode::Trash);
            flags &= ~FS_IMMUTABLE_FL;
            ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
            QCOMPARE(int(result.status), int(RemoveStatus::Failed));
            QCOMPARE(result.error, EPERM);
            QVERIFY(InodeOf(tmp.host("immutable")) != 0);
            // Records for the bad name and the link; none for the immutable file.
            const std::filesystem::directory_iterator info(tmp.host("share/Trash/info"));
            QCOMPARE(std::distance(info, {}), 2);
        }
        ::close(fd);
        if (!set)
            QSKIP("this file system or user cannot make a file immutable");
    }

    // Shortcuts are read only as themselves: never through a link, never a folder.
    void shortcutReads() {
        test::TempTree tmp;
        tmp.folder("d.lnk");
        tmp.file("s.lnk", 300);
        QCOMPARE(::symlink("s.lnk", tmp.host("l.lnk").c_str()), 0);
        platform::HostDevice device(tmp.root());
        QVERIFY(!device.readFileStart(u"\\l.lnk", 260) && !device.readFileStart(u"\\d.lnk", 260));
        QVERIFY(device.findFile(u"\\s.lnk")->attributes & platform::kAttributeArchive);
    }
};

QTEST_MAIN(TestFileDelete)
#include "tst_file_delete.moc"

// The object store on real folders: databases and counts, listing that touches nothing,
// deep stores, deletes that check identity and refuse what is held, under a swap race.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QtTest>
#include <filesystem>

#include "platform/object_store.h"
#include "support/race.h"
#include "support/sqlite_files.h"
#include "support/temp_tree.h"

using namespace dovrane::platform;
using namespace dovrane::test;

namespace {

QStringList FilesIn(const TempTree& tree) {
    const std::string root = tree.root().toStdString();
    QStringList names;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root))
        names.append(QString::fromStdString(std::filesystem::relative(e.path(), root).string()));
    names.sort();
    return names;
}

// Every file's bytes and times, to show that nothing was written, touched or chown'ed.
QStringList Snapshot(const TempTree& tree) {
    QStringList out;
    for (const QString& name : FilesIn(tree)) {
        struct stat st {};
        ::lstat(tree.host(name.toStdString()).c_str(), &st);
        QFile f(tree.root() + u'/' + name);  // a pipe is never opened: it would wait
        const QByteArray bytes =
            S_ISREG(st.st_mode) && f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        out << QString::asprintf("%s %lld %lld.%ld %lld.%ld ", qPrintable(name), qint64(st.st_size),
                                 qint64(st.st_mtim.tv_sec), st.st_mtim.tv_nsec,
                                 qint64(st.st_ctim.tv_sec), st.st_ctim.tv_nsec) +
                   QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex();
    }
    return out;
}

// The database `name` as a listing of the whole tree gives it (none: an empty one).
DatabaseInfo Listed(const TempTree& tree, const QString& name) {
    for (const DatabaseInfo& db : FindDatabases({tree.root()}, tree.root()).databases)
        if (db.name == name)
            return db;
    return {};
}

// A child that runs `sql` on a WAL database and dies: its frames stay in the -wal.
bool WriteAndVanish(const std::string& path, const char* sql) {
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(MakeDatabase(path, sql, true) ? 0 : 1);
    int status = 0;
    return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

constexpr char kHundredRows[] =
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i < 100) "
    "INSERT INTO t SELECT i FROM n";

}  // namespace

class TestObjectStore : public QObject {
    Q_OBJECT

private slots:
    // Counting writes nothing: no -wal, -shm or -journal appears beside the database.
    void countsRecords() {
        // 70,000 rows, where a 16-bit count would show 4464; tables, an index, no rowid, a
        // sequence, a quoted name.
        for (const auto& [sql, records] :
             {std::pair("CREATE TABLE t(x); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT "
                        "i+1 FROM n WHERE i < 70000) INSERT INTO t SELECT i FROM n",
                        quint64(70000)),
              {"CREATE TABLE a(x); CREATE TABLE b(k PRIMARY KEY, v) WITHOUT ROWID;"
               "CREATE TABLE c(id INTEGER PRIMARY KEY AUTOINCREMENT, v);"
               "CREATE INDEX ia ON a(x); INSERT INTO a VALUES (1),(2),(3);"
               "INSERT INTO b VALUES (1,1),(2,2); INSERT INTO c(v) VALUES (9);"
               R"(CREATE TABLE "we""ird"(x); INSERT INTO "we""ird" VALUES (1))",
               7}}) {
            TempTree t;
            const std::string path = t.host("db.sqlite");
            QVERIFY(MakeDatabase(path, sql));
            const QStringList before = Snapshot(t);
            QCOMPARE(CountDatabaseRecords(QByteArray(path.c_str())), std::optional(records));
            QCOMPARE(Snapshot(t), before);
        }
    }

    // Frames nobody checkpointed, a reader on an old snapshot, a hot journal, pipes as -shm,
    // -wal and database: the listing sees what a new reader would and leaves every byte.
    void listingTouchesNothing() {
        TempTree t;
        const std::string vanished = t.host("vanished.db"), old = t.host("old.db");
        for (const std::string& path : {vanished, old})
            QVERIFY(MakeDatabase(path,
                                 "PRAGMA journal_mode=WAL; CREATE TABLE t(x); "
                                 "INSERT INTO t VALUES (1),(2),(3),(4),(5)"));
        QVERIFY(WriteAndVanish(vanished, kHundredRows));
        const HeldDatabase reader(old, "BEGIN; SELECT count(*) FROM t");
        QVERIFY(reader.ok());
        QVERIFY(MakeDatabase(old, kHundredRows));  // another connection commits meanwhile
        for (const char* name : {"crashed.db", "piped.db", "piped2.db"})
            QVERIFY(MakeDatabase(t.host(name), "CREATE TABLE t(x); INSERT INTO t VALUES (1)"));
        // A writer dead mid-transaction leaves a hot journal: no count without a rollback.
        QVERIFY(WriteAndVanish(t.host("crashed.db"),
                               "PRAGMA cache_size=1; BEGIN; INSERT INTO t SELECT randomblob(900) "
                               "FROM (WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM "
                               "n WHERE i < 500) SELECT i FROM n)"));
        QVERIFY(QFileInfo(QString::fromStdString(t.host("crashed.db-journal"))).size() > 0);
        for (const char* fifo : {"piped.db-shm", "piped2.db-wal", "fifo.db"})
            QCOMPARE(::mkfifo(t.host(fifo).c_str(), 0644), 0);
        QVERIFY(QFileInfo(QString::fromStdString(vanished + "-wal")).size() > 0);
        const QStringList before = Snapshot(t);
        const DatabaseListing listing = FindDatabases({t.root()}, t.root());
        QCOMPARE(Snapshot(t), before);
        QStringList seen;
        for (const DatabaseInfo& db : listing.databases)
            seen << db.name + u'=' + (db.records ? QString::number(*db.records) : "-");
        seen.sort();
        QCOMPARE(seen, QStringList({"crashed.db=-", "old.db=105", "piped.db=1", "piped2.db=1",
                                    "vanished.db=105"}));
        // The size is what a delete frees: the database with its companions.
        const QString base = QString::fromStdString(vanished);
        QCOMPARE(Listed(t, "vanished.db").size,
                 quint64(QFileInfo(base).size() + QFileInfo(base + "-wal").size() +
                         QFileInfo(base + "-shm").size()));
    }

    // 20,000 nested folders: no crash, no descriptor or stack exhausted, the limit reported.
    // In memory where the host has a tmpfs: on a loaded disk they take a minute.
    void deepStore() {
        QTemporaryDir dir(QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                              ? QStringLiteral("/dev/shm/dovrane-deep-XXXXXX")
                              : QString());
        QVERIFY(dir.isValid());
        const QByteArray root = QFile::encodeName(dir.path());
        constexpr int kLevels = 20000;
        int fd = Descend(::open(root.constData(), O_RDONLY | O_DIRECTORY), "d", 3);
        QVERIFY(MakeDatabase(root.toStdString() + "/d/d/d/y.db", "CREATE TABLE t(x)"));
        fd = Descend(fd, "d", kLevels - 3);
        QVERIFY(fd >= 0);
        WriteBytes(InFolder(fd, "deep.db"),
                   QByteArray(kSqliteHeader, sizeof kSqliteHeader).repeated(64));
        const DatabaseListing listing = FindDatabases({dir.path()}, dir.path());
        QVERIFY(listing.depthLimited);
        QCOMPARE(listing.databases.size(), size_t(1));
        QCOMPARE(listing.databases[0].name, QStringLiteral("d/d/d/y.db"));
        QCOMPARE(listing.databases[0].devicePath, QStringLiteral("\\d\\d\\d\\y.db"));
        // Taken down from the bottom, one ".." at a time.
        ::unlinkat(fd, "deep.db", 0);
        for (int level = 0; level < kLevels && fd >= 0; ++level) {
            const int up = ::openat(fd, "..", O_RDONLY | O_DIRECTORY);
            ::close(fd);
            fd = up;
            if (level == kLevels - 4)
                ::unlinkat(fd, "y.db", 0);
            QCOMPARE(::unlinkat(fd, "d", AT_REMOVEDIR), 0);
        }
        ::close(fd);
    }

    // Held, open, replaced: never deleted. A deleted one takes its companions along.
    void heldOpenReplacedDeleted() {
        TempTree t, other;  // the WAL database apart, so that only a.db's files are in t
        const QByteArray path(t.host("a.db").c_str()), wal(other.host("wal.db").c_str());
        QVERIFY(MakeDatabase(path.toStdString(), "CREATE TABLE t(x)"));
        QVERIFY(MakeDatabase(wal.toStdString(), "PRAGMA journal_mode=WAL; CREATE TABLE t(x)"));
        const DatabaseInfo a = Listed(t, "a.db"), w = Listed(other, "wal.db");
        {
            const HeldDatabase writer(path.toStdString(),
                                      "BEGIN EXCLUSIVE; INSERT INTO t VALUES (2)");
            QVERIFY(writer.ok() && IsDatabaseHeld(path));
            QCOMPARE(CountDatabaseRecords(path), std::optional<quint64>());
            // A WAL reader holds only its -shm.
            const HeldDatabase reader(wal.toStdString(), "BEGIN; SELECT * FROM t");
            QVERIFY(reader.ok() && IsDatabaseHeld(wal));
            QCOMPARE(CountDatabaseRecords(wal), std::optional<quint64>(0));
            QCOMPARE(DeleteDatabase(w.location, w.oid).result, DeleteDatabaseResult::Held);
        }
        {
            // Open with no transaction: no lock at all, and still in use.
            const HeldDatabase idle(path.toStdString(), "SELECT count(*) FROM t");
            QVERIFY(idle.ok() && IsDatabaseHeld(path));
            const DatabaseDeletion refused = DeleteDatabase(a.location, a.oid);
            QCOMPARE(refused.result, DeleteDatabaseResult::Held);
            QCOMPARE(refused.error, EBUSY);
            QVERIFY(QFile::exists(path));
        }
        QVERIFY(::rename(path.constData(), (path + ".keep").constData()) == 0);
        QVERIFY(MakeDatabase(path.toStdString(), "CREATE TABLE u(x)"));
        for (const char* companion : {"-wal", "-shm", "-journal"})
            WriteBytes(path.toStdString() + companion, "x");
        t.folder("a.db-other");
        QCOMPARE(DeleteDatabase(a.location, a.oid).result, DeleteDatabaseResult::Changed);
        QCOMPARE(FilesIn(t), QStringList({"a.db", "a.db-journal", "a.db-other", "a.db-shm",
                                          "a.db-wal", "a.db.keep"}));
        // Outside the device root a database has no device path.
        for (const DatabaseInfo& d : FindDatabases({t.root()}, t.root() + "/a.db-other").databases)
            QVERIFY(d.devicePath.isEmpty());
        QVERIFY(::rename((path + ".keep").constData(), path.constData()) == 0);
        QCOMPARE(DeleteDatabase(a.location, a.oid).result, DeleteDatabaseResult::Deleted);
        QCOMPARE(FilesIn(t), QStringList({"a.db-other"}));
        QCOMPARE(DeleteDatabase(a.location, a.oid).result, DeleteDatabaseResult::Changed);
    }

    // A store folder swapped with a link to one outside while deletes run: outside stays.
    void raceDeleteStaysInTheStore() {
        TempTree t;
        for (const char* folder : {"store", "store/sub", "outside"})
            t.folder(folder);
        const QByteArray header(kSqliteHeader, 16);
        WriteBytes(t.host("outside/a.db"), header);
        WriteBytes(t.host("outside/a.db-wal"), "w");
        QVERIFY(::symlink(t.host("outside").c_str(), t.host("store/link").c_str()) == 0);
        const int sub = ::open(t.host("store/sub").c_str(), O_RDONLY | O_DIRECTORY);
        struct stat folder {};
        QVERIFY(sub >= 0 && ::fstat(sub, &folder) == 0);
        struct stat store {};
        QVERIFY(::stat(t.host("store").c_str(), &store) == 0);
        const QStringList outside = Snapshot(t).filter(QRegularExpression("^outside"));
        const DatabaseLocation where{QFile::encodeName(t.root() + "/store"),
                                     {quint64(store.st_dev), quint64(store.st_ino)},
                                     "sub/a.db",
                                     {quint64(folder.st_dev), quint64(folder.st_ino)}};
        const auto race = [&](int& deleted) {
            struct stat st {};
            if (::fstatat(sub, "a.db", &st, 0) != 0) {
                const int fd = ::openat(sub, "a.db", O_CREAT | O_EXCL | O_WRONLY, 0600);
                if (fd < 0 || ::write(fd, header.constData(), 16) != 16 || ::fstat(fd, &st) != 0)
                    return;
                ::close(fd);
                ::close(::openat(sub, "a.db-wal", O_CREAT | O_WRONLY, 0600));
            }
            deleted += DeleteDatabase(where, {quint64(st.st_dev), quint64(st.st_ino)}).result ==
                       DeleteDatabaseResult::Deleted;
        };
        const int deleted = WhileSwapping(t.host("store/sub"), t.host("store/link"), race).done;
        ::close(sub);
        QVERIFY(deleted > 0);
        QCOMPARE(Snapshot(t).filter(QRegularExpression("^outside")), outside);
    }
};

QTEST_GUILESS_MAIN(TestObjectStore)
#include "tst_object_store.moc"

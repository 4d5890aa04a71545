// The object store on real folders: which files are databases, their counts, locks, and
// deletes that check identity and take the companions along.

#include <sys/stat.h>

#include <QtTest>
#include <filesystem>

#include "platform/object_store.h"
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

FileId IdOf(const QByteArray& path) {
    struct stat st {};
    ::stat(path.constData(), &st);
    return {quint64(st.st_dev), quint64(st.st_ino)};
}

}  // namespace

class TestObjectStore : public QObject {
    Q_OBJECT

private slots:
    void countsRecords_data() {
        QTest::addColumn<QByteArray>("sql");
        QTest::addColumn<qint64>("records");
        // 70,000 rows: a 16-bit count would show 4464.
        QTest::newRow("beyond 16 bits")
            << QByteArray(
                   "CREATE TABLE t(x); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT "
                   "i+1 FROM n WHERE i < 70000) INSERT INTO t SELECT i FROM n")
            << qint64(70000);
        QTest::newRow("tables, index, no rowid, sequence, quoted name")
            << QByteArray(
                   "CREATE TABLE a(x); CREATE TABLE b(k PRIMARY KEY, v) WITHOUT ROWID;"
                   "CREATE TABLE c(id INTEGER PRIMARY KEY AUTOINCREMENT, v);"
                   "CREATE INDEX ia ON a(x); INSERT INTO a VALUES (1),(2),(3);"
                   "INSERT INTO b VALUES (1,1),(2,2); INSERT INTO c(v) VALUES (9);"
                   R"(CREATE TABLE "we""ird"(x); INSERT INTO "we""ird" VALUES (1))")
            << qint64(7);
    }

    // Counting writes nothing: no -wal, -shm or -journal appears beside the database.
    void countsRecords() {
        QFETCH(QByteArray, sql);
        QFETCH(qint64, records);
        TempTree t;
        const std::string path = t.host("db.sqlite");
        QVERIFY(MakeDatabase(path, sql.constData()));
        const QStringList before = FilesIn(t);
        const auto counted = CountDatabaseRecords(QByteArray(path.c_str()));
        QCOMPARE(counted, std::optional<quint64>(records));
        QCOMPARE(FilesIn(t), before);
    }

    // Held, a database is counted if that can be done without waiting, and not deleted. A
    // replaced one is not deleted either; a deleted one takes its companions along.
    void heldReplacedDeleted() {
        TempTree t, other;  // the WAL database apart, so that only a.db's files are in t
        const QByteArray path(t.host("a.db").c_str()), wal(other.host("wal.db").c_str());
        QVERIFY(MakeDatabase(path.toStdString(), "CREATE TABLE t(x)"));
        QVERIFY(MakeDatabase(wal.toStdString(), "PRAGMA journal_mode=WAL; CREATE TABLE t(x)"));
        const FileId oid = IdOf(path);
        {
            const HeldDatabase writer(path.toStdString(),
                                      "BEGIN EXCLUSIVE; INSERT INTO t VALUES (2)");
            QVERIFY(writer.ok() && IsDatabaseHeld(path));
            QCOMPARE(CountDatabaseRecords(path), std::optional<quint64>());
            // A WAL reader holds only its -shm.
            const HeldDatabase reader(wal.toStdString(), "BEGIN; SELECT * FROM t");
            QVERIFY(reader.ok() && IsDatabaseHeld(wal));
            QCOMPARE(CountDatabaseRecords(wal), std::optional<quint64>(0));
            QCOMPARE(DeleteDatabase(wal, IdOf(wal)), DeleteDatabaseResult::Held);
        }
        QVERIFY(!IsDatabaseHeld(path));
        QVERIFY(::rename(path.constData(), (path + ".keep").constData()) == 0);
        QVERIFY(MakeDatabase(path.toStdString(), "CREATE TABLE u(x)"));
        for (const char* companion : {"-wal", "-shm", "-journal"})
            WriteBytes(path.toStdString() + companion, "x");
        t.folder("a.db-other");
        QCOMPARE(DeleteDatabase(path, oid), DeleteDatabaseResult::Changed);
        QCOMPARE(FilesIn(t), QStringList({"a.db", "a.db-journal", "a.db-other", "a.db-shm",
                                          "a.db-wal", "a.db.keep"}));
        // Outside the device root a database has no device path.
        for (const DatabaseInfo& d : FindDatabases({t.root()}, t.root() + "/a.db-other"))
            QVERIFY(d.devicePath.isEmpty());
        QVERIFY(::rename((path + ".keep").constData(), path.constData()) == 0);
        QCOMPARE(DeleteDatabase(path, oid), DeleteDatabaseResult::Deleted);
        QCOMPARE(FilesIn(t), QStringList({"a.db-other"}));
        QCOMPARE(DeleteDatabase(path, oid), DeleteDatabaseResult::Changed);  // gone since
    }
};

QTEST_GUILESS_MAIN(TestObjectStore)
#include "tst_object_store.moc"

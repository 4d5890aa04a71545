// The history on disk: where it lives, commits that name only whole files, programs adding
// at once, what a crash leaves, files removed by hand, deltas' bases and an older index.

#include <sqlite3.h>

#include <QtTest>
#include <set>
#include <thread>

#include "platform/history_store.h"

using dovrane::platform::HistoryStore;
using dovrane::platform::SnapshotRecord;

namespace {

// Writes `bytes` as a snapshot of `root` at `time`, a delta against `baseId` when not 0.
std::optional<SnapshotRecord> Add(HistoryStore& store, const QString& root, qint64 time,
                                  const QByteArray& bytes = "scan", qint64 baseId = 0) {
    const QString partial = store.partialPath();
    QFile f(partial);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return std::nullopt;
    f.close();
    SnapshotRecord r;
    r.deviceRoot = root;
    r.host = QStringLiteral("box");
    r.time = time;
    r.totalBytes = (quint64{1} << 63) + 5;  // beyond SQLite's signed integers
    r.entries = 7;
    r.digest = "digest";
    r.baseId = baseId;
    QString error;
    return store.commit(partial, r, &error);
}

}  // namespace

class TestHistoryStore : public QObject {
    Q_OBJECT
    std::optional<QTemporaryDir> m_dir;
    std::optional<HistoryStore> m_store;  // open, in "history" of a fresh m_dir for each test

private slots:
    void init() {
        m_store.reset();  // before its folder goes
        m_dir.emplace();
        m_store.emplace(m_dir->path() + "/history");
        QString error;
        QVERIFY2(m_store->open(&error), qPrintable(error));
    }

    void folderFollowsTheEnvironment_data() {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("expected");
        QTest::newRow("XDG_STATE_HOME") << "/tmp/st"
                                        << "/tmp/st/dovrane-storage-analyzer/history";
        QTest::newRow("unset") << ""
                               << "HOME/.local/state/dovrane-storage-analyzer/history";
        QTest::newRow("relative is ignored")
            << "st"
            << "HOME/.local/state/dovrane-storage-analyzer/history";
    }
    void folderFollowsTheEnvironment() {
        QFETCH(QString, state);
        QFETCH(QString, expected);
        const QByteArray oldState = qgetenv("XDG_STATE_HOME");
        qputenv("XDG_STATE_HOME", state.toUtf8());
        const QString folder = HistoryStore::DefaultFolder();
        qputenv("XDG_STATE_HOME", oldState);
        QCOMPARE(folder, expected.replace("HOME", QDir::homePath()));
    }

    void commitsListNewestFirst() {
        HistoryStore& store = *m_store;
        QVERIFY(Add(store, "/home", 1000));
        QVERIFY(Add(store, "/home", 3000));
        QVERIFY(Add(store, "/srv", 2000));
        QStringList notes;
        const auto home = store.list("/home", &notes);
        QCOMPARE(home.size(), size_t{2});
        QCOMPARE(home[0].time, qint64{3000});
        QCOMPARE(home[1].time, qint64{1000});
        QCOMPARE(home[0].totalBytes, (quint64{1} << 63) + 5);
        QCOMPARE(home[0].entries, quint64{7});
        QCOMPARE(home[0].fileBytes, quint64{4});
        QCOMPARE(home[0].digest, QByteArray("digest"));
        QVERIFY(home[0].fileName.startsWith("19700101T005000Z-"));
        QVERIFY(home[0].fileName.endsWith(".json.zst"));
        QCOMPARE(store.list({}, &notes).size(), size_t{3});
        QVERIFY(notes.isEmpty());
    }

    // Two programs adding at once: each file is whole and each is named once.
    void addingAtOnce() {
        const QString folder = m_store->folder();
        constexpr int kEach = 15;
        std::vector<std::thread> programs;
        std::atomic<int> failures{0};
        for (int p = 0; p < 2; ++p)
            programs.emplace_back([&, p] {
                HistoryStore store(folder);
                QString error;
                if (!store.open(&error)) {
                    ++failures;
                    return;
                }
                for (int i = 0; i < kEach; ++i)
                    if (!Add(store, "/home", 1000 + i, QByteArray(100 + p, 'x')))
                        ++failures;
            });
        for (std::thread& t : programs)
            t.join();
        QCOMPARE(failures.load(), 0);
        const auto all = m_store->list("/home", nullptr);
        QCOMPARE(all.size(), size_t{2 * kEach});
        std::set<QString> names;
        for (const SnapshotRecord& r : all) {
            names.insert(r.fileName);
            QCOMPARE(QFileInfo(m_store->pathOf(r)).size(), qint64(r.fileBytes));
        }
        QCOMPARE(names.size(), all.size());
    }

    // A crash before the rename leaves a partial file; one after it, an unnamed file. Neither
    // is listed; both go once old enough. A snapshot removed by hand is dropped from the
    // index, said once. The other snapshot stays.
    void leftoversAndRemovedByHand() {
        HistoryStore& store = *m_store;
        const auto kept = Add(store, "/home", 1000), gone = Add(store, "/home", 2000);
        QVERIFY(kept && gone && QFile::remove(store.pathOf(*gone)));
        QFile partial(store.partialPath()),
            unnamed(store.folder() + "/19700101T010000Z-1-2.json.zst");
        QVERIFY(partial.open(QIODevice::WriteOnly) && unnamed.open(QIODevice::WriteOnly));
        partial.write("half a sc");
        partial.close();
        unnamed.close();
        QStringList notes;
        QCOMPARE(store.list("/home", &notes).size(), size_t{1});
        QCOMPARE(notes, QStringList("history: snapshot " + gone->fileName +
                                    " is gone; dropped from the index"));
        notes.clear();
        QCOMPARE(store.list("/home", &notes).size(), size_t{1});
        QVERIFY(notes.isEmpty());
        store.removeStrays(3600);  // too young: may be another program's
        QVERIFY(partial.exists() && unnamed.exists());
        store.removeStrays(0);
        QVERIFY(!partial.exists() && !unnamed.exists());
        QVERIFY(QFile::exists(store.pathOf(*kept)));
    }

    // A full snapshot taken out while a delta needs it stays, unlisted, until the delta goes.
    // One removed by hand takes its delta along; the others stay. A delta whose base left
    // meanwhile is refused.
    void basesOfDeltas() {
        HistoryStore& store = *m_store;
        const auto full = Add(store, "/home", 1000), other = Add(store, "/home", 1500);
        const auto delta = Add(store, "/home", 2000, "d", full.value().id),
                   lost = Add(store, "/home", 3000, "l", other.value().id);
        QVERIFY(delta && lost && store.remove({*full}, nullptr) &&
                QFile::remove(store.pathOf(*other)));
        QStringList notes;
        QCOMPARE(store.list("/home", &notes, true).size(), size_t{2});
        QCOMPARE(store.list("/home", &notes).size(), size_t{1});
        QCOMPARE(notes, QStringList({"history: snapshot " + other->fileName +
                                         " is gone; dropped from the index",
                                     "history: snapshot " + lost->fileName +
                                         " lost its base; dropped from the index"}));
        QVERIFY(!QFile::exists(store.pathOf(*lost)));
        QVERIFY(store.remove({*delta}, nullptr) && !QFile::exists(store.pathOf(*full)));
        QVERIFY(!Add(store, "/home", 4000, "d", full->id) && store.list({}, nullptr, true).empty());
    }

    // An index of version 1 opens with its snapshots as full ones; an older program can no
    // longer take any out.
    void indexOfVersionOne() {
        sqlite3* db = nullptr;
        const QString folder = m_dir->path() + "/old";
        QVERIFY(QDir().mkpath(folder) && QFile(folder + "/a").open(QIODevice::WriteOnly));
        QCOMPARE(sqlite3_open(qPrintable(folder + "/history.sqlite"), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db,
                              "CREATE TABLE snapshots (id INTEGER PRIMARY KEY, device_root, host, "
                              "time, total_bytes, entries, file_name, format_version, digest, "
                              "file_bytes); INSERT INTO snapshots VALUES (1, '/', 'box', 9, 5, 1, "
                              "'a', 1, '', 4)",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        HistoryStore store(folder);
        QString error;
        QVERIFY2(store.open(&error), qPrintable(error));
        const auto old = store.list("/", nullptr);
        QVERIFY(old.size() == 1 && old[0].totalBytes == 5 && Add(store, "/", 20, "d", old[0].id));
        QVERIFY(sqlite3_exec(db, "DELETE FROM snapshots", nullptr, nullptr, nullptr) != SQLITE_OK);
        sqlite3_close(db);
    }

    void unwritableFolder() {
        QFile blocker(m_dir->path() + "/file");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        HistoryStore store(blocker.fileName() + "/history");
        QString error;
        QVERIFY(!store.open(&error));
        QCOMPARE(error, "cannot make the history folder " + blocker.fileName() + "/history");
    }
};

QTEST_GUILESS_MAIN(TestHistoryStore)
#include "tst_history_store.moc"

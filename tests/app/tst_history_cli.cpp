// The history as a user's scripts meet it, through the program itself: a snapshot, a
// week's changes and the growth report of them to the byte; two programs snapshotting at
// once; one killed mid-write; a corrupt and a missing snapshot file. Every run keeps its
// history in a temporary state folder.

#include <signal.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "support/growth_oracle.h"
#include "support/program_run.h"

using dovrane::test::ProgramRun;
using dovrane::test::TempTree;

class TestHistoryCli : public QObject {
    Q_OBJECT

    QTemporaryDir m_state;

    QString historyFolder() const { return m_state.path() + "/dovrane-storage-analyzer/history"; }
    ProgramRun run(const QStringList& arguments) const {
        return dovrane::test::RunProgram(QStringLiteral(DOVRANE_PROGRAM), arguments,
                                         {"XDG_STATE_HOME=" + m_state.path()});
    }
    // Started with the test's history, for runs that overlap or are killed.
    void start(QProcess& process, const QStringList& arguments) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_STATE_HOME", m_state.path());
        process.setProcessEnvironment(env);
        process.start(DOVRANE_PROGRAM, arguments);
    }
    // Every file but the index, partial ones too.
    QStringList snapshotFiles() const {
        QStringList files = QDir(historyFolder()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
        files.removeIf([](const QString& f) { return f.startsWith("history.sqlite"); });
        return files;
    }

private slots:
    void init() { QDir(historyFolder()).removeRecursively(); }

    void weekOfChanges() {
        TempTree t;
        const auto before = dovrane::test::MakeWeekOldTree(t);
        ProgramRun kept = run({"--snapshot", t.root()});
        QVERIFY2(kept.exitCode == 0, kept.err.constData());
        QVERIFY(kept.err.isEmpty());
        const auto after = dovrane::test::ChangeTree(t, before);

        const ProgramRun json =
            run({"--report", "growth", "--since", "last", "--format", "json", t.root()});
        QVERIFY2(json.exitCode == 0, json.err.constData());
        const QJsonObject report = QJsonDocument::fromJson(json.out).object();
        auto expected = dovrane::test::ExpectedRootRows(before, after);
        const QJsonArray rows = report["rows"].toArray();
        QCOMPARE(size_t(rows.size()), expected.size());
        for (const QJsonValue& v : rows) {
            const QJsonObject row = v.toObject();
            const dovrane::test::GrowthRow& r = expected[row["name"].toString()];
            QCOMPARE(row["then_bytes"].toInteger(), qint64(r.then));
            QCOMPARE(row["now_bytes"].toInteger(), qint64(r.now));
            QCOMPARE(row["change_bytes"].toInteger(), qint64(r.now) - qint64(r.then));
            QCOMPARE(row["new_files"].toInteger(), qint64(r.added));
            QCOMPARE(row["removed_files"].toInteger(), qint64(r.removed));
        }
        QStringList grown;
        for (const QJsonValue& v : report["files"].toArray()) {
            const QJsonObject f = v.toObject();
            const QString folder = f["folder"].toString();
            grown << QStringLiteral("%1\\%2 %3 %4")
                         .arg(folder == "\\" ? QString() : folder, f["name"].toString())
                         .arg(f["then_bytes"].toInteger())
                         .arg(f["now_bytes"].toInteger());
        }
        grown.sort();
        QCOMPARE(grown, dovrane::test::ExpectedGrownFiles(before, after));

        // The text gives the same figures, row for row in the same order.
        const ProgramRun text = run({"--report", "growth", "--since", "last", t.root()});
        QCOMPARE(text.exitCode, 0);
        const QStringList lines = QString::fromUtf8(text.out).split('\n');
        for (qsizetype i = 0; i < rows.size(); ++i) {
            const QJsonObject row = rows[i].toObject();
            const QStringList cells = lines[3 + i].split("  ", Qt::SkipEmptyParts);
            QCOMPARE(cells.first().trimmed(), row["name"].toString());
            QCOMPARE(cells.at(cells.size() - 2).trimmed().toLongLong(),
                     row["new_files"].toInteger());
            QCOMPARE(cells.last().trimmed().toLongLong(), row["removed_files"].toInteger());
        }
    }

    void twoAtOnce() {
        TempTree a, b;
        a.file("one", 10);
        b.file("two", 20);
        QProcess first, second;
        start(first, {"--snapshot", a.root()});
        start(second, {"--snapshot", b.root()});
        QVERIFY(first.waitForFinished(30000) && second.waitForFinished(30000));
        QCOMPARE(first.exitCode(), 0);
        QCOMPARE(second.exitCode(), 0);
        for (const TempTree* t : {&a, &b}) {
            const ProgramRun list = run({"--list-history", t->root()});
            QCOMPARE(list.exitCode, 0);
            QCOMPARE(list.out.count('\n'), 2);  // the heading and one snapshot
        }
        QCOMPARE(snapshotFiles().size(), 2);
    }

    // Killed while its file is being written: the history still lists and reads the
    // snapshot before it.
    void killedMidWrite() {
        TempTree t;
        t.file("kept", 7);
        QCOMPARE(run({"--snapshot", t.root()}).exitCode, 0);
        for (int i = 0; i < 200; ++i) {
            const std::string folder = "f" + std::to_string(i);
            t.folder(folder);
            t.file(folder + "/x", 1);
        }
        QProcess slow;
        start(slow, {"--snapshot", "--pace-ms", "20", "--threads", "1", t.root()});
        QVERIFY(slow.waitForStarted());
        // Until its file exists beside the one kept.
        QTRY_VERIFY_WITH_TIMEOUT(snapshotFiles().size() > 1, 5000);
        ::kill(static_cast<pid_t>(slow.processId()), SIGKILL);
        slow.waitForFinished();
        const ProgramRun list = run({"--list-history", t.root()});
        QCOMPARE(list.exitCode, 0);
        QCOMPARE(list.out.count('\n'), 2);
        const ProgramRun growth = run({"--report", "growth", "--since", "last", t.root()});
        QVERIFY2(growth.exitCode == 0, growth.err.constData());
        QVERIFY(growth.out.contains("\nf0 "));
    }

    void corruptAndMissing() {
        TempTree t;
        t.file("a", 1);
        QCOMPARE(run({"--snapshot", "--history-limit", "1G", t.root()}).exitCode, 0);
        QTest::qSleep(1100);  // a later second: a snapshot of its own, not the same one
        t.file("b", 2);
        QCOMPARE(run({"--snapshot", t.root()}).exitCode, 0);
        QStringList files = snapshotFiles();
        QCOMPARE(files.size(), 2);
        // The newer one corrupt: reported by name, skipped for the older.
        QFile newer(historyFolder() + '/' + files.last());
        QVERIFY(newer.open(QIODevice::WriteOnly | QIODevice::Truncate));
        newer.write("[1,2,{\"progname\":");
        newer.close();
        const ProgramRun growth =
            run({"--report", "growth", "--since", "last", "--format", "json", t.root()});
        QCOMPARE(growth.exitCode, 0);
        QVERIFY2(growth.err.startsWith("dovrane-storage-analyzer: history: snapshot " +
                                       files.last().toUtf8() + " cannot be read ("),
                 growth.err.constData());
        const QJsonObject files0 =
            QJsonDocument::fromJson(growth.out).object()["rows"].toArray()[0].toObject();
        QCOMPARE(files0["then_bytes"].toInteger(), 1);
        QCOMPARE(files0["now_bytes"].toInteger(), 3);
        // The older one removed by hand: dropped with a note, once.
        QVERIFY(QFile::remove(historyFolder() + '/' + files.first()));
        ProgramRun list = run({"--list-history", t.root()});
        QCOMPARE(list.exitCode, 0);
        QCOMPARE(list.err, "dovrane-storage-analyzer: history: snapshot " + files.first().toUtf8() +
                               " is gone; dropped from the index\n");
        list = run({"--list-history", t.root()});
        QVERIFY(list.err.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestHistoryCli)
#include "tst_history_cli.moc"

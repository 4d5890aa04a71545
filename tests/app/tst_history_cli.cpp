// The history as a user's scripts meet it, through the program itself: snapshots kept by
// --snapshot, listed by --list-history, and a growth report over them when the newer one
// is corrupt. Every run keeps
// its history in a temporary state folder.

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include "support/program_run.h"
#include "support/temp_tree.h"

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

private slots:
    // The newer snapshot corrupt: reported by name, and the report compares with the older.
    void corruptSnapshotIsSkipped() {
        TempTree t;
        t.file("a", 1);
        QCOMPARE(run({"--snapshot", "--history-limit", "1G", t.root()}).exitCode, 0);
        QTest::qSleep(1100);  // a later second: a snapshot of its own, not the same one
        t.file("b", 2);
        const ProgramRun kept = run({"--snapshot", t.root()});
        QVERIFY2(kept.exitCode == 0 && kept.err.isEmpty(), kept.err.constData());
        QStringList files = QDir(historyFolder()).entryList(QDir::Files, QDir::Name);
        files.removeIf([](const QString& f) { return f.startsWith("history.sqlite"); });
        QCOMPARE(files.size(), 2);
        const ProgramRun list = run({"--list-history", t.root()});
        QCOMPARE(list.exitCode, 0);
        QVERIFY2(list.out.startsWith("Time ") && list.out.count('\n') == 3, list.out.constData());
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
        const QJsonObject row =
            QJsonDocument::fromJson(growth.out).object()["rows"].toArray()[0].toObject();
        QCOMPARE(row["then_bytes"].toInteger(), 1);
        QCOMPARE(row["now_bytes"].toInteger(), 3);
    }
};

QTEST_GUILESS_MAIN(TestHistoryCli)
#include "tst_history_cli.moc"

// The first view's scan begins before the window library loads: a scan that no window
// takes over (the library fails to load) is stopped and joined before the program ends,
// with one line on stderr; a result that arrives before its view exists waits for it.

#include <unistd.h>

#include <QDir>
#include <QTemporaryFile>
#include <QtTest>
#include <atomic>

#include "app/program.h"
#include "engine/scan_job.h"
#include "platform/program_part.h"
#include "support/temp_tree.h"

namespace {

int ThreadCount() {
    return static_cast<int>(QDir(QStringLiteral("/proc/self/task"))
                                .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                                .size());
}

// What the program wrote on file descriptor 2 while `run` ran.
QByteArray Stderr(const std::function<void()>& run) {
    QTemporaryFile file;
    if (!file.open())
        return "no temporary file";
    std::fflush(stderr);
    const int saved = ::dup(2);
    ::dup2(file.handle(), 2);
    run();
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    file.seek(0);
    return file.readAll();
}

}  // namespace

class TestEarlyScan : public QObject {
    Q_OBJECT

private slots:
    void windowThatFailsToLoadLeavesNoScan_data() {
        QTest::addColumn<QString>("view");
        QTest::addColumn<bool>("scanBegun");
        QTest::newRow("folder") << QStringLiteral("folder") << true;
        QTest::newRow("overview: nothing to begin") << QStringLiteral("overview") << false;
    }
    void windowThatFailsToLoadLeavesNoScan() {
        QFETCH(QString, view);
        QFETCH(bool, scanBegun);
        const dovrane::test::TempTree tree;
        // Paced, so the walk is still going when the window part is asked for.
        for (int i = 0; i < 40; ++i)
            tree.folder("f" + std::to_string(i));
        const int before = ThreadCount();
        int during = 0;
        dovrane::platform::SetWindowPartHook([&](const QStringList&, const char* symbol) {
            during = ThreadCount();
            return dovrane::platform::LoadedPart{
                .entry = nullptr,
                .error = QString::fromLatin1(symbol) + QStringLiteral(": no such library")};
        });
        QList<QByteArray> args = {"dovrane-storage-analyzer",
                                  "--view",
                                  view.toUtf8(),
                                  "--pace-ms",
                                  "20",
                                  "--screenshot",
                                  QFile::encodeName(tree.root() + QStringLiteral("/shot.png")),
                                  QFile::encodeName(tree.root())};
        std::vector<char*> argv;
        for (QByteArray& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        int status = -1;
        const QByteArray err = Stderr([&] {
            status = dovrane::app::RunProgram(static_cast<int>(args.size()), argv.data(),
                                              {QStringLiteral("nowhere.so")});
        });
        dovrane::platform::SetWindowPartHook({});
        QCOMPARE(status, 1);
        QCOMPARE(err, QByteArray("dovrane-storage-analyzer: cannot load the window: "
                                 "dovrane_run_window: no such library\n"));
        QCOMPARE(during > before, scanBegun);
        QCOMPARE(ThreadCount(), before);
        QVERIFY(!QFileInfo::exists(tree.root() + QStringLiteral("/shot.png")));
    }

    // The job's wake-up came while nobody could take the result: the claim must bring it.
    void resultFinishedBeforeTheClaimComesAfterIt() {
        const int before = ThreadCount();
        dovrane::engine::EarlyScan<int> early(
            [](const dovrane::engine::WalkControl&) -> std::optional<int> { return 5; }, {});
        QTRY_COMPARE(ThreadCount(), before);  // the work ended and posted its wake-up
        QCoreApplication::processEvents();
        std::unique_ptr<dovrane::engine::ScanJob> job;
        int got = 0, calls = 0;
        job = early.claim([&](int result) {
            got = result;
            ++calls;
        });
        QVERIFY(job->isRunning());  // until the result is handed back
        QCOMPARE(calls, 0);
        QTRY_COMPARE(calls, 1);
        QCOMPARE(got, 5);
        QVERIFY(!job->isRunning());
        QCoreApplication::processEvents();
        QCOMPARE(calls, 1);
    }
};

QTEST_GUILESS_MAIN(TestEarlyScan)
#include "tst_early_scan.moc"

// The scan job: a result comes back once, on the owner's thread, after the job stopped
// running; a stopped or destroyed job hands nothing back, and a result queued before a
// stop never reaches the next run.

#include <QtTest>
#include <atomic>
#include <memory>
#include <optional>
#include <thread>

#include "engine/scan_job.h"

using dovrane::engine::ScanJob;
using dovrane::engine::WalkControl;

namespace {

// Work that runs until the job stops it, then returns a result all the same: the job,
// not the work, decides that a stopped run hands nothing back.
std::optional<int> UntilStopped(const WalkControl& control) {
    while (!control.stopped())
        std::this_thread::yield();
    return 7;
}

}  // namespace

class TestScanJob : public QObject {
    Q_OBJECT

private slots:
    void resultComesBackOnTheOwnersThread() {
        ScanJob job;
        std::thread::id ranOn;
        int got = 0, calls = 0;
        bool runningInFinished = true;
        job.start(
            [](const WalkControl& control) -> std::optional<std::unique_ptr<int>> {
                control.progress->folders = 3;
                return std::make_unique<int>(42);
            },
            [&](std::unique_ptr<int> result) {
                ranOn = std::this_thread::get_id();
                got = *result;
                runningInFinished = job.isRunning();
                ++calls;
            });
        QVERIFY(job.isRunning());
        QTRY_COMPARE(calls, 1);
        QCOMPARE(got, 42);
        QCOMPARE(ranOn, std::this_thread::get_id());
        QVERIFY(!runningInFinished);
        QCOMPARE(job.progress()->folders.load(), quint64{3});
    }

    void stoppedWorkHandsNothingBack() {
        // Stopped or destroyed: both return only once the work saw the stop, and nothing is
        // left running.
        for (const bool destroy : {false, true}) {
            int calls = 0;
            auto job = std::make_unique<ScanJob>();
            job->start(UntilStopped, [&](int) { ++calls; });
            destroy ? job.reset() : job->stop();
            QCoreApplication::processEvents();
            QCOMPARE(std::pair(destroy, calls), std::pair(destroy, 0));
            QVERIFY(destroy || !job->isRunning());
        }
    }

    void aResultQueuedBeforeAStopIsDropped() {
        ScanJob job;
        QList<int> got;
        std::atomic<bool> done{false};
        job.start(
            [&done](const WalkControl&) {
                done = true;
                return std::optional<int>(1);
            },
            [&](int v) { got << v; });
        // Its result is queued by the time the thread ends, which stop() waits for; most
        // runs get that far before the stop.
        while (!done)
            std::this_thread::yield();
        for (int i = 0; i < 100; ++i)
            std::this_thread::yield();
        job.stop();
        // The next run waits for the stop: had the first result been taken for its own,
        // its hand-over would join a thread that never ends.
        job.start(UntilStopped, [&](int v) { got << v; });
        QCoreApplication::processEvents();
        QCOMPARE(got, QList<int>{});
        QVERIFY(job.isRunning());
        job.stop();
    }
};

QTEST_GUILESS_MAIN(TestScanJob)
#include "tst_scan_job.moc"

#pragma once
// One piece of background work (a walk, a search) on a thread of its own, with a stop, a
// progress the user-interface thread may read at any time, and its result handed back on
// the thread that made the job. Owned by a view or dialog as a member; its destructor
// stops the work and joins the thread, so a window that closes mid-scan leaves nothing
// running behind it.
//
// The work sees only what it captured and its WalkControl: it builds a result of its
// own and writes nothing of its owner. `finished` gets that result on the owner's thread,
// by a queued call to a receiver the job owns: a job destroyed (or stopped) before the
// call arrives drops it, so no call ever reaches a window that has gone.
//
// A dialog's search, for instance:
//
//     engine::ScanJob m_job;  // a member, after everything `finished` touches
//     ...
//     m_job.start(
//         [device, start](const engine::WalkControl& control) -> std::optional<Found> {
//             Found found;
//             if (!found.search.SearchFiles(*device, start, true, control))
//                 return std::nullopt;                           // stopped
//             return found;  // control.scanning stops further steps too
//         },
//         [this](Found found) { m_found = std::move(found); ShowSearching(false); },
//         {.pace = pace, .threads = threads});
//     ... m_job.progress()->currentFolder() on a timer; m_job.stop() in done().

#include <QObject>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "engine/walk_sink.h"

namespace dovrane::engine {

class ScanJob {
public:
    struct Options {
        std::chrono::milliseconds pace{0};  // the walk's pause on entering each folder
        int threads = 0;                    // readers; 0: DefaultWalkThreads()
    };

    // Results come back on the thread that makes the job; the job is destroyed there too.
    ScanJob();
    ~ScanJob();
    ScanJob(const ScanJob&) = delete;
    ScanJob& operator=(const ScanJob&) = delete;

    // Starts `work` on the job's thread; no work may be running. `work` returns its result,
    // or nothing when it was stopped (or failed and has nothing to show); with a result,
    // `finished(result)` runs on the owner's thread once the job is no longer running.
    template <typename Work, typename Finished>
    void start(Work work, Finished finished, Options options = {}) {
        launch(
            [work = std::move(work),
             finished = std::move(finished)](const WalkControl& control) mutable -> Delivery {
                auto result = work(control);
                if (!result)
                    return {};
                // Shared: a Delivery is copyable, a result (a tree, a table) need not be.
                auto held = std::make_shared<decltype(result)>(std::move(result));
                return [finished, held] { finished(std::move(**held)); };
            },
            options);
    }

    // Asks the work to stop and waits for its thread; a result not yet handed back is
    // dropped. Nothing when no work runs.
    void stop();

    // From start until `finished` has been called, or stop.
    bool isRunning() const { return m_running.load(); }
    // The running (or last) work's progress; null before the first start.
    ScanProgress* progress() const { return m_progress.get(); }
    // Works started since the job was made.
    int startCount() const { return m_starts; }

    // While held, a finished work's result waits in the job, which still counts as running,
    // until release() hands it back: for work started before its owner exists.
    void hold() { m_held = true; }
    void release();

private:
    using Delivery = std::function<void()>;
    // Takes the handed-over result when a posted wake-up arrives on the owner's thread.
    class Receiver : public QObject {
    public:
        explicit Receiver(ScanJob* job) : m_job(job) {}
        bool event(QEvent* event) override;

    private:
        ScanJob* m_job;
    };
    void launch(std::function<Delivery(const WalkControl&)> run, Options options);
    void deliver();
    // Posts `event` (made under the hand-over lock when made off the owner's thread).
    void wake(QEvent* event);
    void join();

    std::atomic<bool> m_running{false};
    std::unique_ptr<ScanProgress> m_progress;
    // Bumped by each start and stop: a result queued by an earlier run is recognised
    // and dropped.
    quint64 m_generation = 0;
    int m_starts = 0;
    bool m_held = false;  // read and written on the owner's thread only
    // The result crosses threads under this lock, not inside the posted event: the hand-over
    // is then one a race checker sees, whatever the event queue does underneath.
    std::mutex m_handMutex;
    Delivery m_handed;
    quint64 m_handedGeneration = 0;
    Receiver m_receiver{this};  // lives on the owner's thread; wake-ups are posted to it
    std::thread m_thread;
};

// A scan begun before whoever shows its result is built (the first view's, started while
// the window library still loads): its result waits until claim() names where it goes.
// Destroyed unclaimed, it stops the work and joins its thread like any job.
template <typename Result>
class EarlyScan {
public:
    template <typename Work>
    EarlyScan(Work work, ScanJob::Options options) {
        m_job->start(
            std::move(work),
            [finished = m_finished](Result result) { (*finished)(std::move(result)); }, options);
        m_job->hold();
    }

    // Once: the running job, whose result goes to `finished` on the owner's thread.
    std::unique_ptr<ScanJob> claim(std::function<void(Result)> finished) {
        *m_finished = std::move(finished);
        m_job->release();
        return std::move(m_job);
    }
    std::chrono::steady_clock::time_point began() const { return m_began; }
    // Waits, at most `bound`, until the walk's readers are started (or the work has ended
    // or was claimed).
    void waitForReaders(std::chrono::milliseconds bound) const {
        const auto until = std::chrono::steady_clock::now() + bound;
        while (m_job && m_job->isRunning() && std::chrono::steady_clock::now() < until) {
            const ScanProgress* progress = m_job->progress();
            if (progress && progress->readersStarted.load())
                return;
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
    }

private:
    std::chrono::steady_clock::time_point m_began = std::chrono::steady_clock::now();
    // Shared with the job's hand-over, which runs only once released, so after claim().
    std::shared_ptr<std::function<void(Result)>> m_finished =
        std::make_shared<std::function<void(Result)>>();
    std::unique_ptr<ScanJob> m_job = std::make_unique<ScanJob>();
};

}  // namespace dovrane::engine

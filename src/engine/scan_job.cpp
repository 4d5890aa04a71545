#include "engine/scan_job.h"

#include "engine/walk.h"

namespace dovrane::engine {

ScanJob::ScanJob() = default;

ScanJob::~ScanJob() {
    stop();
}

void ScanJob::launch(std::function<Delivery(const WalkControl&)> run, Options options) {
    join();  // a thread that has handed its result over is ending anyway
    ++m_generation;
    ++m_starts;
    m_progress = std::make_unique<ScanProgress>();
    m_running = true;
    const WalkControl control{
        .scanning = &m_running,
        .progress = m_progress.get(),
        .pace = options.pace,
        .threads = options.threads > 0 ? options.threads : DefaultWalkThreads()};
    m_thread = std::thread([this, control, run = std::move(run), generation = m_generation] {
        Delivery deliver = run(control);
        if (!deliver || !m_running.load())
            return;  // stopped: the owner wants nothing back
        // The receiver outlives this thread (the job joins it first), and a call queued to
        // it is dropped with it.
        QMetaObject::invokeMethod(
            &m_receiver,
            [this, deliver = std::move(deliver), generation] {
                if (generation != m_generation)
                    return;  // stopped, maybe started anew, since this was queued
                join();
                m_running = false;
                deliver();
            },
            Qt::QueuedConnection);
    });
}

void ScanJob::stop() {
    m_running = false;
    ++m_generation;
    join();
}

void ScanJob::join() {
    if (m_thread.joinable())
        m_thread.join();
}

}  // namespace dovrane::engine

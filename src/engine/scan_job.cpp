#include "engine/scan_job.h"

#include <QCoreApplication>
#include <QEvent>

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
        QEvent* event = nullptr;
        {
            const std::lock_guard lock(m_handMutex);
            m_handed = std::move(deliver);
            m_handedGeneration = generation;
            event = new QEvent(QEvent::User);
        }
        wake(event);
    });
}

void ScanJob::wake(QEvent* event) {
    // The receiver outlives the job's thread (the job joins it first), and an event posted
    // to it is dropped with it. Posted before the application object exists, it waits in
    // the thread's queue for the first event loop.
    QCoreApplication::postEvent(&m_receiver, event);
}

void ScanJob::release() {
    m_held = false;
    bool handed = false;
    {
        const std::lock_guard lock(m_handMutex);
        handed = m_handed != nullptr;
    }
    if (handed)
        wake(new QEvent(QEvent::User));  // its first wake-up found the job held
}

bool ScanJob::Receiver::event(QEvent* event) {
    // The wake-up was made under the hand-over lock; taking it orders the look at the event
    // after its making for a race checker too.
    std::unique_lock lock(m_job->m_handMutex);
    const bool wake = event->type() == QEvent::User;
    lock.unlock();
    if (!wake)
        return QObject::event(event);
    m_job->deliver();
    return true;
}

void ScanJob::deliver() {
    if (m_held)
        return;  // release() wakes the receiver again
    Delivery handed;
    {
        const std::lock_guard lock(m_handMutex);
        if (!m_handed || m_handedGeneration != m_generation)
            return;  // stopped, maybe started anew, since this was posted
        handed = std::move(m_handed);
        m_handed = nullptr;
    }
    join();
    m_running = false;
    handed();
}

void ScanJob::stop() {
    m_running = false;
    ++m_generation;
    join();
    const std::lock_guard lock(m_handMutex);
    m_handed = nullptr;
}

void ScanJob::join() {
    if (m_thread.joinable())
        m_thread.join();
}

}  // namespace dovrane::engine

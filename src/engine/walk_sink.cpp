#include "engine/walk_sink.h"

namespace dovrane::engine {

QString ScanProgress::currentFolder() const {
    std::lock_guard lock(m_mutex);
    return m_folder;
}

void ScanProgress::publish(QString path) {
    std::lock_guard lock(m_mutex);
    m_folder = std::move(path);
    m_wanted.store(false, std::memory_order_relaxed);
}

}  // namespace dovrane::engine

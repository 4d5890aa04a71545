#include "engine/walk_replay.h"

#include <bit>

namespace dovrane::engine {
namespace {

// Fibonacci hashing: the top bits of the product spread inodes that differ in any bit.
size_t SlotOf(const platform::FileId& id, int shift) {
    const quint64 key = (id.inode ^ (id.volume * 0xC2B2AE3D27D4EB4Full)) * 0x9E3779B97F4A7C15ull;
    return static_cast<size_t>(key >> shift);
}

bool IsEmpty(const platform::FileId& slot) {
    return slot.volume == 0 && slot.inode == 0;
}

}  // namespace

bool FirstLinks::insert(const platform::FileId& id) {
    if (IsEmpty(id)) {
        const bool first = !m_zeroSeen;
        m_zeroSeen = true;
        return first;
    }
    // At most half full: probes stay short.
    if (2 * (m_count + 1) > m_slots.size())
        grow();
    const size_t mask = m_slots.size() - 1;
    for (size_t i = SlotOf(id, m_shift);; i = (i + 1) & mask) {
        platform::FileId& slot = m_slots[i];
        if (slot == id)
            return false;
        if (IsEmpty(slot)) {
            slot = id;
            ++m_count;
            return true;
        }
    }
}

void FirstLinks::grow() {
    std::vector<platform::FileId> old = std::move(m_slots);
    const size_t size = old.empty() ? 1024 : 2 * old.size();
    m_slots.assign(size, platform::FileId{});
    m_shift = 64 - std::countr_zero(size);
    const size_t mask = size - 1;
    for (const platform::FileId& id : old) {
        if (IsEmpty(id))
            continue;
        size_t i = SlotOf(id, m_shift);
        while (!IsEmpty(m_slots[i]))
            i = (i + 1) & mask;
        m_slots[i] = id;
    }
}

}  // namespace dovrane::engine

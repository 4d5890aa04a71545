#include "engine/name_pool.h"

#include <cstring>
#include <stdexcept>

namespace dovrane::engine {

quint32 NamePool::reserve(quint32 bytes) {
    if (m_used + bytes > kBlockSize) {
        if (m_blocks.size() >= (1u << (32 - kBlockBits)))
            throw std::length_error("name pool full");
        // Never cleared: every byte handed out is written before it is read.
        m_blocks.push_back(std::make_unique_for_overwrite<char[]>(kBlockSize));
        m_used = 0;
    }
    const quint32 offset = static_cast<quint32>((m_blocks.size() - 1) << kBlockBits) + m_used;
    m_used += bytes;
    return offset;
}

quint32 NamePool::add(std::string_view name) {
    if (name.size() > 0xFFFF)
        throw std::length_error("name too long");
    const quint32 offset = reserve(static_cast<quint32>(name.size()));
    if (!name.empty())
        std::memcpy(m_blocks.back().get() + (offset & (kBlockSize - 1)), name.data(), name.size());
    return offset;
}

quint32 NamePool::addCounted(std::string_view name) {
    if (name.size() > 0xFFFF)
        throw std::length_error("name too long");
    const bool isShort = name.size() < kLongName;
    const quint32 offset = reserve(static_cast<quint32>(name.size()) + (isShort ? 1 : 3));
    char* p = m_blocks.back().get() + (offset & (kBlockSize - 1));
    if (isShort) {
        *p++ = static_cast<char>(name.size());
    } else {
        *p++ = static_cast<char>(kLongName);
        *p++ = static_cast<char>(name.size() & 0xFF);
        *p++ = static_cast<char>(name.size() >> 8);
    }
    if (!name.empty())
        std::memcpy(p, name.data(), name.size());
    return offset;
}

}  // namespace dovrane::engine

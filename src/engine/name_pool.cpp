#include "engine/name_pool.h"

#include <cstring>
#include <stdexcept>
#include <string>

namespace dovrane::engine {

quint32 NamePool::add(std::string_view name) {
    if (name.size() > 0xFFFF)
        throw std::length_error("name too long");
    if (m_used + name.size() > kBlockSize) {
        if (m_blocks.size() >= (1u << (32 - kBlockBits)))
            throw std::length_error("name pool full");
        m_blocks.push_back(std::make_unique<char[]>(kBlockSize));
        m_used = 0;
    }
    const quint32 offset = static_cast<quint32>((m_blocks.size() - 1) << kBlockBits) + m_used;
    if (!name.empty())
        std::memcpy(m_blocks.back().get() + m_used, name.data(), name.size());
    m_used += static_cast<quint32>(name.size());
    return offset;
}

quint32 NamePool::addCounted(std::string_view name) {
    if (name.size() > 0xFFFF)
        throw std::length_error("name too long");
    const char length[2] = {static_cast<char>(name.size() & 0xFF),
                            static_cast<char>(name.size() >> 8)};
    // Prefix and name must share a block: reserve both at once.
    std::string joined(length, 2);
    joined.append(name);
    return add(joined);
}

}  // namespace dovrane::engine

#include "engine/name_pool.h"

#include <cstring>
#include <stdexcept>

namespace dovrane::engine {

void NamePool::addBlock() {
    if (m_blocks.size() >= (1u << (32 - kBlockBits)))
        throw std::length_error("name pool full");
    // Never cleared: every byte handed out is written before it is read.
    m_blocks.push_back(std::make_unique_for_overwrite<char[]>(kBlockSize));
    m_used = 0;
}

quint32 NamePool::add(std::string_view name) {
    if (name.size() > 0xFFFF)
        throw std::length_error("name too long");
    const quint32 offset = reserve(static_cast<quint32>(name.size()));
    if (!name.empty())
        std::memcpy(m_blocks.back().get() + (offset & (kBlockSize - 1)), name.data(), name.size());
    return offset;
}

}  // namespace dovrane::engine

#pragma once
// Host names stored once, back to back in large blocks. Stored bytes never move, so
// records keep plain pointers or 32-bit offsets into the pool instead of a string each.

#include <QtGlobal>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace dovrane::engine {

class NamePool {
public:
    NamePool() = default;
    NamePool(const NamePool&) = delete;
    NamePool& operator=(const NamePool&) = delete;
    NamePool(NamePool&&) = default;
    NamePool& operator=(NamePool&&) = default;

    // Offset of the stored copy; names of up to 64 KiB.
    quint32 add(std::string_view name);
    // A name stored with its length in front, so that a record needs only the offset: one
    // byte for names shorter than 255 bytes (every name on most file systems), else 0xFF
    // and two bytes. Inline: a scan stores a name a file.
    quint32 addCounted(std::string_view name) {
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
    std::string_view counted(quint32 offset) const { return Counted(data(offset)); }
    // The name a counted record at `record` holds: one stored by addCounted, or one written
    // alike (a literal whose first byte is its length below 255).
    static std::string_view Counted(const char* record) {
        const auto* p = reinterpret_cast<const unsigned char*>(record);
        if (p[0] != kLongName)
            return {reinterpret_cast<const char*>(p + 1), p[0]};
        return {reinterpret_cast<const char*>(p + 3), static_cast<size_t>(p[1] | (p[2] << 8))};
    }
    // The stored copy's address; stable for the pool's life.
    const char* data(quint32 offset) const {
        return m_blocks[offset >> kBlockBits].get() + (offset & (kBlockSize - 1));
    }

private:
    // Room for `bytes` in one block; the offset of its start.
    quint32 reserve(quint32 bytes) {
        if (m_used + bytes > kBlockSize)
            addBlock();
        const quint32 offset = static_cast<quint32>((m_blocks.size() - 1) << kBlockBits) + m_used;
        m_used += bytes;
        return offset;
    }
    void addBlock();

    static constexpr unsigned char kLongName = 0xFF;
    static constexpr int kBlockBits = 20;
    static constexpr quint32 kBlockSize = 1u << kBlockBits;
    std::vector<std::unique_ptr<char[]>> m_blocks;
    quint32 m_used = kBlockSize;  // in the last block; full before the first add
};

}  // namespace dovrane::engine

#pragma once
// Host names stored once, back to back in large blocks. Stored bytes never move, so
// records keep plain pointers or 32-bit offsets into the pool instead of a string each.

#include <QtGlobal>
#include <memory>
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
    // and two bytes.
    quint32 addCounted(std::string_view name);
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
    quint32 reserve(quint32 bytes);

    static constexpr unsigned char kLongName = 0xFF;
    static constexpr int kBlockBits = 20;
    static constexpr quint32 kBlockSize = 1u << kBlockBits;
    std::vector<std::unique_ptr<char[]>> m_blocks;
    quint32 m_used = kBlockSize;  // in the last block; full before the first add
};

}  // namespace dovrane::engine

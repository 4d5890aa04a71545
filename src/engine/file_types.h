#pragma once
// Every file of the device grouped by type (the text after the last dot), with sums, the
// order the types were first met, by size and by name, and "Other" for the chart.
//
// The table owns every record (one FileList for all types); a FileTypeStat holds indexes
// into it. Later links of a hard-linked file are listed under their type but add nothing.

#include <QHash>
#include <QString>
#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/file_list.h"
#include "engine/walk.h"

namespace dovrane::platform {
class Device;
}

namespace dovrane::engine {

// "Generic" without a dot; else everything after the last dot, case kept ("" after a
// trailing dot).
QString FileTypeOf(QStringView fileName);

// One order of a group's records, built the first time anyone reads it: a scan that only
// draws the pie never pays for the orders of every file. Safe to read from several threads
// at once: the first reader builds it, the others wait for the whole order. A copy is the
// built order.
class FileOrder {
public:
    // Makes the order; called once, by the first reader.
    using Build = std::function<std::vector<quint32>()>;

    FileOrder() = default;
    FileOrder(const FileOrder& other) : m_order(other.get()) {}
    FileOrder& operator=(const FileOrder& other);
    FileOrder& operator=(std::vector<quint32> order);

    // From now on the order is what `build` makes when the order is first read.
    void defer(Build build);

    const std::vector<quint32>& get() const;
    // The built order for its one owner to change (a File List drops deleted files); only
    // once no other thread reads it.
    std::vector<quint32>& edit() {
        get();
        return m_order;
    }
    operator const std::vector<quint32>&() const { return get(); }
    size_t size() const { return get().size(); }
    bool empty() const { return get().empty(); }
    quint32 operator[](size_t i) const { return get()[i]; }
    auto begin() const { return get().begin(); }
    auto end() const { return get().end(); }
    friend bool operator==(const FileOrder& a, const std::vector<quint32>& b) {
        return a.get() == b;
    }

private:
    mutable std::mutex m_mutex;
    mutable std::atomic<bool> m_built{true};
    mutable std::vector<quint32> m_order;
    mutable Build m_build;
};

// By size, largest first, equal sizes in source order; by name without regard to case,
// equal names in the reverse of their source order.
std::vector<quint32> FilesBySize(const FileList& list, const std::vector<quint32>& files);
std::vector<quint32> FilesByName(const FileList& list, const std::vector<quint32>& files);

struct FileTypeStat {
    QString name;
    quint64 totalSize = 0;  // counted members, all 64 bits
    quint64 fileCount = 0;  // members, later links of a file included
    // Records in the order met: a type scan builds them when first read, as the others.
    FileOrder files;
    FileOrder filesBySize;  // built when first read, once the scan is complete
    FileOrder filesByName;

    quint32 totalSizeHigh() const { return static_cast<quint32>(totalSize >> 32); }
    quint32 totalSizeLow() const { return static_cast<quint32>(totalSize); }

    // Both orders from `files` of `list` when first read.
    void DeferOrders(const FileList& list);
};

// FilesByName without the files whose name, without regard to case, is the only one of
// its kind.
std::vector<quint32> DuplicatesByName(const FileList& list, const std::vector<quint32>& files);

class FileTypeTable {
public:
    // Walks the whole device; returns false when stopped (the table is then partial).
    bool AggregateFileTypes(platform::Device& device, const WalkControl& control);
    // Grand total and "Other" for `numberOfSlices`; again after the setting changes.
    void ComputeFileTypeTotals(int numberOfSlices);

    const FileList& list() const { return m_list; }
    // In the order each type's first file was met.
    const std::vector<std::unique_ptr<FileTypeStat>>& fileTypes() const { return m_types; }
    const std::vector<FileTypeStat*>& fileTypesBySize() const { return m_bySize; }
    const std::vector<FileTypeStat*>& fileTypesByName() const { return m_byName; }
    // Exact, with case; null when no file has that type.
    const FileTypeStat* FindFileType(const QString& name) const;

    quint64 totalSize = 0;
    quint64 otherSize = 0;

private:
    // Index in m_types of the type of a file named `hostName`, made when first met.
    quint32 typeFor(std::string_view hostName);
    // The members of type `index`, in the order met; for its one first reader.
    std::vector<quint32> membersOf(quint32 index);
    friend class TypeCollector;

    FileList m_list;
    std::vector<std::unique_ptr<FileTypeStat>> m_types;
    std::vector<FileTypeStat*> m_bySize;
    std::vector<FileTypeStat*> m_byName;
    QHash<QString, FileTypeStat*> m_index;
    // The walk's look-up, by the host bytes after the dot, without a string per file.
    struct ViewHash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
    };
    std::unordered_map<std::string, quint32, ViewHash, std::equal_to<>> m_byHostType;
    // The types met lately: the files of a folder come in a few types, often in turns,
    // which one last type misses. A type of up to 7 bytes is kept as one word, its bytes
    // and its length, so that a file's type is found by comparing one number; a longer one
    // by its length and end bytes, then all its bytes. Views are into m_byHostType's keys,
    // whose nodes never move.
    struct RecentType {
        quint64 key = 0;  // 0: empty; no type packs to 0
        std::string_view hostType;
        quint32 index = 0;
    };
    std::array<RecentType, 256> m_recent{};
    // Each type's members, sorted out of the records in one pass when the first is read:
    // a scan keeps no list per type, four bytes a file, that only a File List needs.
    std::once_flag m_membersOnce;
    std::vector<std::vector<quint32>> m_members;
};

}  // namespace dovrane::engine

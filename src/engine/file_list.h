#pragma once
// Files met by a walk, kept compactly: a record is 24 bytes, its name lives once in the
// list's pool, and its folder is an index into a table of folders that are themselves a
// name and a parent, so no path string is kept per file or per folder.

#include <QString>
#include <memory>
#include <optional>
#include <string_view>
#include <type_traits>
#include <vector>

#include "engine/name_pool.h"
#include "platform/find_data.h"

namespace dovrane::platform {
class Device;
}

namespace dovrane::engine {

class FileRecord {
public:
    // No initialisers: blocks of records are left untouched until filled, so the unused
    // end of the last block costs no memory.
    quint64 size;   // apparent size, all 64 bits
    quint64 inode;  // with the folder's volume: the identity a delete re-checks

    quint32 sizeHigh() const { return static_cast<quint32>(size >> 32); }
    quint32 sizeLow() const { return static_cast<quint32>(size); }
    // False for later links of a hard-linked file: listed, but adds nothing to sums.
    bool counted() const { return m_folder & kCounted; }
    // A regular file, not a link, pipe or device.
    bool regular() const { return m_folder & kRegular; }

private:
    friend class FileList;
    static constexpr quint32 kCounted = 1u << 31, kRegular = 1u << 30;
    quint32 m_name;    // counted name in the list's pool
    quint32 m_folder;  // folder index, and the two flags above
};
static_assert(sizeof(FileRecord) == 24 && std::is_trivially_default_constructible_v<FileRecord>);

// Owns the records, their names and the folder table. Records are referred to by index.
class FileList {
public:
    // A folder whose path is given whole ("" for the root in walks, "\" in listings).
    quint32 addFolder(const QString& path, quint64 volume);
    // A folder inside `parent`.
    quint32 addFolder(quint32 parent, std::string_view hostName, quint64 volume);
    // A folder registered before its volume was known: a walk meets a folder's sub-folders
    // before its own files in whatever order the listing gives.
    void setFolderVolume(quint32 folder, quint64 volume) { m_folders[folder].volume = volume; }
    quint32 add(quint32 folder, std::string_view hostName, const platform::FindData& entry,
                bool counted);

    size_t size() const { return m_size; }
    const FileRecord& operator[](size_t i) const {
        return m_blocks[i >> kBlockBits][i & (kBlockSize - 1)];
    }

    QString name(const FileRecord& r) const;
    std::string_view hostName(const FileRecord& r) const { return m_names.counted(r.m_name); }
    // Asks for a record's name ahead of its use: a listing in size order reads names from
    // all over the pool, and waiting for each in turn costs more than writing it.
    void prefetchName(const FileRecord& r) const { __builtin_prefetch(m_names.data(r.m_name)); }
    // The folder as the walk wrote it.
    QString folder(const FileRecord& r) const;
    quint64 volume(const FileRecord& r) const { return m_folders[folderIndex(r)].volume; }
    // folder + "\" + name, with no second backslash after a folder that is "\".
    QString fullPath(const FileRecord& r) const;

    // The folder table, for writers that walk a record's folder chain themselves and keep
    // what they make of each folder: a record's folder, a folder's parent (none for one
    // given whole), its name inside the parent, or its whole path.
    quint32 folderOf(const FileRecord& r) const { return folderIndex(r); }
    std::optional<quint32> parentFolder(quint32 folder) const {
        const quint32 p = m_folders[folder].parent;
        return p == kWhole ? std::nullopt : std::optional<quint32>(p);
    }
    std::string_view folderHostName(quint32 folder) const {
        return m_names.counted(m_folders[folder].name);
    }
    const QString& folderWholePath(quint32 folder) const {
        return m_wholePaths[m_folders[folder].name];
    }
    size_t folderCount() const { return m_folders.size(); }

private:
    static quint32 folderIndex(const FileRecord& r) {
        return r.m_folder & ~(FileRecord::kCounted | FileRecord::kRegular);
    }
    static constexpr quint32 kWhole = 0xFFFFFFFF;  // a folder given by its whole path
    struct Folder {
        quint32 parent;  // kWhole: `name` indexes m_wholePaths
        quint32 name;    // counted name in the pool
        quint64 volume;
    };
    NamePool m_names;
    std::vector<Folder> m_folders;
    std::vector<QString> m_wholePaths;
    // Records in fixed blocks: growing never copies them, so a million files never
    // need room for two million while a vector reallocates.
    static constexpr int kBlockBits = 16;
    static constexpr size_t kBlockSize = size_t{1} << kBlockBits;
    std::vector<std::unique_ptr<FileRecord[]>> m_blocks;
    size_t m_size = 0;
};

// The files lying directly in the folder at `devicePath` ("\" for the root), in
// enumeration order, with `folder` recorded as given. A folder that cannot be read
// gives an empty list.
FileList ListFolderFiles(platform::Device& device, const QString& devicePath);

// The path of the folder that `devicePath` names, each component picked among the folders
// of its parent by PickByName (spelled so, else the first in enumeration order equal
// without regard to case), as the device spells it: "\" for the root. Empty when some
// component names no folder.
std::optional<QString> ResolveFolderPath(platform::Device& device, QStringView devicePath);

}  // namespace dovrane::engine

#pragma once
// Files met by a walk, kept compactly: a record is 32 bytes, its name lives once in the
// list's pool and its folder once in the list's folder table.

#include <QString>
#include <optional>
#include <string_view>
#include <vector>

#include "engine/name_pool.h"
#include "platform/find_data.h"

namespace dovrane::platform {
class Device;
}

namespace dovrane::engine {

struct FileRecord {
    quint64 size = 0;   // apparent size, all 64 bits
    quint64 inode = 0;  // with the folder's volume: the identity a delete re-checks
    quint32 nameOffset = 0;
    quint32 folder = 0;  // index into the list's folder table
    quint16 nameLength = 0;
    bool counted = true;  // false for later links of a hard-linked file: adds nothing to sums
    bool regular = true;  // a regular file, not a link, pipe or device

    quint32 sizeHigh() const { return static_cast<quint32>(size >> 32); }
    quint32 sizeLow() const { return static_cast<quint32>(size); }
};
static_assert(sizeof(FileRecord) == 32);

// Owns the records, their names and the folder table. Records are referred to by index.
class FileList {
public:
    // A folder path as walked ("" for the root in walks, "\" in folder listings).
    quint32 addFolder(const QString& path, quint64 volume);
    quint32 add(quint32 folder, std::string_view hostName, const platform::FindData& entry,
                bool counted);

    size_t size() const { return m_records.size(); }
    const FileRecord& operator[](size_t i) const { return m_records[i]; }
    const std::vector<FileRecord>& records() const { return m_records; }

    QString name(const FileRecord& r) const;
    std::string_view hostName(const FileRecord& r) const {
        return m_names.at(r.nameOffset, r.nameLength);
    }
    const QString& folder(const FileRecord& r) const { return m_folders[r.folder].path; }
    quint64 volume(const FileRecord& r) const { return m_folders[r.folder].volume; }
    // folder + "\" + name, with no second backslash after a folder that is "\".
    QString fullPath(const FileRecord& r) const;

private:
    struct Folder {
        QString path;
        quint64 volume;
    };
    NamePool m_names;
    std::vector<Folder> m_folders;
    std::vector<FileRecord> m_records;
};

// The files lying directly in the folder at `devicePath` ("\" for the root), in
// enumeration order, with `folder` recorded as given. A folder that cannot be read
// gives an empty list.
FileList ListFolderFiles(platform::Device& device, const QString& devicePath);

// The path of the folder that `devicePath` names, each component matched without regard
// to case against the folders of its parent (the first in enumeration order wins), as the
// device spells it: "\" for the root. Empty when some component names no folder.
std::optional<QString> ResolveFolderPath(platform::Device& device, QStringView devicePath);

}  // namespace dovrane::engine

#pragma once
// What an enumeration reports for one entry: the device's find data, with 64-bit sizes.

#include <QtGlobal>
#include <atomic>
#include <string>
#include <string_view>
#include <vector>

namespace dovrane::platform {

enum FileAttribute : quint32 {
    kAttributeReadOnly = 0x01,
    kAttributeHidden = 0x02,
    kAttributeDirectory = 0x10,
    kAttributeArchive = 0x20,
    kAttributeTemporary = 0x100,  // on a root folder: a storage card
};

// Nanoseconds since 1970-01-01 UTC.
using FileTime = qint64;

// Identity of a host file: what a delete re-checks before removing anything.
struct FileId {
    quint64 volume = 0;
    quint64 inode = 0;
    friend bool operator==(const FileId&, const FileId&) = default;
};

// What a walk needs of an entry, and no more: a walk's listings pass from the thread that
// reads them to the one that feeds the sink, and every byte of them crosses between cores.
struct FindData {
    quint32 nameOffset = 0;  // into Listing::names
    quint32 nameLength = 0;
    quint32 attributes = 0;
    quint32 links = 1;  // hard links; more than one makes sums count the file once
    quint64 size = 0;   // apparent size, all 64 bits
    FileId id;

    bool isFolder() const { return attributes & kAttributeDirectory; }
    quint32 sizeHigh() const { return static_cast<quint32>(size >> 32); }
    quint32 sizeLow() const { return static_cast<quint32>(size); }
};

// One entry looked up by its path: its find data and its times.
struct FileDetails : FindData {
    FileTime creationTime = 0;
    FileTime lastAccessTime = 0;
    FileTime lastWriteTime = 0;
};

// What became of a folder a walk came to. Folders not read whole count as empty, or with
// what was read of them; only Unreadable is an error, the others are the walk's choice.
enum class FolderState : quint8 {
    Read,        // read to the end
    Unreadable,  // could not be opened, or its read failed part way
    Pseudo,      // a pseudo file system (proc, sysfs...): not entered
    Network,     // a network file system the walk was not asked to enter
    Loop,        // one of its own ancestors, mounted inside itself: not entered again
};

// What only an export asks of an entry, beside its find data: kept apart so that walks
// that do not export carry none of it.
struct EntryDetail {
    quint64 blocks = 0;      // 512-byte blocks allocated
    FileTime lastWrite = 0;  // modification time
};

// The entries of one folder in enumeration order; names are host bytes stored back to back.
struct Listing {
    std::vector<FindData> entries;
    std::string names;
    std::vector<EntryDetail> details;  // one per entry for ReadDetail::Export, else empty
    FolderState state = FolderState::Read;
    // While set, a read ends early once it turns false: a stopped walk wants no more of a
    // folder of a hundred thousand entries. What was read stays.
    const std::atomic<bool>* going = nullptr;

    std::string_view nameOf(const FindData& e) const {
        return std::string_view(names).substr(e.nameOffset, e.nameLength);
    }
    // Appends an entry whose name is `name`; the caller fills the other fields.
    FindData& add(std::string_view name) {
        FindData& e = entries.emplace_back();
        e.nameOffset = static_cast<quint32>(names.size());
        e.nameLength = static_cast<quint32>(name.size());
        names.append(name);
        return e;
    }
    void clear() {
        entries.clear();
        names.clear();
        details.clear();
        state = FolderState::Read;
    }
};

}  // namespace dovrane::platform

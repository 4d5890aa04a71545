#pragma once
// The device the analyzer looks at: one small interface with two implementations, the
// host tree below a device root (HostDevice) and an in-memory TestDevice. Everything
// above the platform layer reaches files only through it.

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/find_data.h"

namespace dovrane::platform {

// Program memory: the host's RAM.
struct MemoryFigures {
    quint64 totalPhys = 0;
    quint64 availPhys = 0;
};

// A volume's size and its free bytes (all of them, not only those the caller may use).
struct DiskSpace {
    quint64 totalBytes = 0;
    quint64 freeBytes = 0;
};

// How much a read tells about sub-folders. A walk needs only that they are folders, and
// on most file systems the listing itself says so: no stat call per sub-folder.
enum class ReadDetail {
    Full,     // every entry stat'ed: attributes, times, identity
    ForWalk,  // sub-folders carry only the directory and hidden bits
    // Sub-folders as for ForWalk; entries the listing names as something else (files,
    // links) may be left out, so a folder of many files costs no stat call per file.
    FoldersOnly,
    // As Full, with each entry's blocks and modification time in Listing::details.
    Export,
};

// What a delete or a move to the trash expects to find at a path: the file a scan met.
// Only regular files and symbolic links are ever removed.
struct FileIdentity {
    FileId id;
    bool regular = true;  // false: a symbolic link
};

enum class RemoveMode { Delete, Trash };
enum class RemoveResult {
    Removed,
    Failed,   // missing, replaced, a folder, in a read-only folder...: nothing was removed
    NoTrash,  // the file's file system has no trash: nothing was moved
};

// An open folder. Owned by whoever opened it; valid only with the device that made it.
class Folder {
public:
    virtual ~Folder() = default;
};

class Device {
public:
    virtual ~Device() = default;

    // Opens the folder at a device path ("\" or "" is the root). Null when the path names
    // no folder, the folder cannot be read, or it must not be entered.
    virtual std::unique_ptr<Folder> openFolder(QStringView devicePath) = 0;

    // Opens the sub-folder `hostName` listed in `parent`. Null when it cannot be read, has
    // vanished, or lies on a file system the walk does not enter: it then counts as empty.
    virtual std::unique_ptr<Folder> openChild(Folder& parent, std::string_view hostName) = 0;

    // Why openChild gave no folder for `hostName` in `parent`: one it could not read, or one
    // it must not enter. Asked only after a failed openChild, so it may cost a stat call.
    virtual FolderState whyNotOpened(Folder& /*parent*/, std::string_view /*hostName*/) {
        return FolderState::Unreadable;
    }

    // Appends the folder's entries in enumeration order, without "." and "..". Entries that
    // vanish between listing and stat are left out; a read that fails part way keeps what
    // it read and sets the listing's state to Unreadable.
    // Different folders may be opened and read from several threads at once.
    virtual void read(Folder& folder, Listing& out, ReadDetail detail = ReadDetail::Full) = 0;

    // Lets a folder give up its host resources until it is next used; deep walks call this
    // so that depth never runs out of descriptors.
    virtual void park(Folder& /*folder*/) {}

    // Blocks the calling thread has had read from storage so far; page-cache hits add
    // nothing. A walk reads with more threads while this grows. 0 where nobody counts.
    virtual quint64 blocksReadByThisThread() const { return 0; }

    // Empty when the figures cannot be had.
    virtual std::optional<MemoryFigures> globalMemoryStatus() = 0;
    // The volume holding the nearest existing folder on `devicePath`; empty on failure.
    virtual std::optional<DiskSpace> diskFreeSpace(QStringView devicePath) = 0;

    // The find data and times of the entry at `devicePath`, a link taken as itself; empty
    // when the path names nothing. The name fields are not filled.
    virtual std::optional<FileDetails> findFile(QStringView /*devicePath*/) { return {}; }
    // Up to `maxBytes` from the start of the file; empty when it cannot be opened.
    virtual std::optional<QByteArray> readFileStart(QStringView /*devicePath*/,
                                                    qint64 /*maxBytes*/) {
        return {};
    }
    // Removes the file at `devicePath` only while it is still `expected`, never through a
    // link and never a folder.
    virtual RemoveResult removeFile(QStringView /*devicePath*/, const FileIdentity& /*expected*/,
                                    RemoveMode /*mode*/) {
        return RemoveResult::Failed;
    }
    // Where the desktop finds the file; empty for a device without a host tree.
    virtual QString hostPath(QStringView /*devicePath*/) const { return {}; }
};

}  // namespace dovrane::platform

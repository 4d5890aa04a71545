#pragma once
// Removing one entry of an open folder without a window between check and act: the entry
// is first renamed to a unique name of its own folder, checked there, and only then
// unlinked or moved on; an entry that turns out not to be the expected one goes back
// under its name. Platform-internal; callers hold the folder's descriptor.

#include <sys/stat.h>

#include <QtGlobal>
#include <optional>
#include <string>

namespace dovrane::platform {

// What a removal expects under a name: device, inode and type (S_IFREG or S_IFLNK).
struct EntryId {
    quint64 device = 0;
    quint64 inode = 0;
    mode_t type = S_IFREG;

    bool matches(const struct stat& st) const {
        return (st.st_mode & S_IFMT) == type && static_cast<quint64>(st.st_dev) == device &&
               static_cast<quint64>(st.st_ino) == inode;
    }
};

// The entry `name` of the folder `dirFd`, a link taken as itself; empty (errno set) when
// it is not there.
std::optional<struct stat> StatEntryAt(int dirFd, const std::string& name);

// Unlinks `name` of `dirFd` (toFd < 0) or moves it to `toName` of `toFd`, never replacing
// anything there, only while it is `expected`. 0, or the errno: ESTALE when the entry was
// not the expected one (it is then back under its name).
int RemoveEntryAt(int dirFd, const std::string& name, const EntryId& expected, int toFd = -1,
                  const std::string& toName = {});

}  // namespace dovrane::platform

#include "platform/entry_removal.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/random.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace dovrane::platform {
namespace {

// A name nobody else picks: the process, a counter and random bits. Starting with a dot,
// it stays out of most listings for the instant it exists.
std::string UniqueName() {
    static std::atomic<unsigned> counter{0};
    quint64 random = 0;
    if (::getrandom(&random, sizeof random, GRND_NONBLOCK) != sizeof random)
        random = static_cast<quint64>(::getpid()) * 2654435761u;
    char name[80];
    ::snprintf(name, sizeof name, ".dovrane-%d-%u-%016llx", static_cast<int>(::getpid()),
               counter.fetch_add(1), static_cast<unsigned long long>(random));
    return name;
}

// Renames without ever replacing: a name taken in the meantime makes it fail with EEXIST.
int RenameNoReplace(int fromFd, const std::string& from, int toFd, const std::string& to) {
    return ::renameat2(fromFd, from.c_str(), toFd, to.c_str(), RENAME_NOREPLACE) == 0 ? 0 : errno;
}

}  // namespace

std::optional<struct stat> StatEntryAt(int dirFd, const std::string& name) {
    struct stat st {};
    if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    return st;
}

int RemoveEntryAt(int dirFd, const std::string& name, const EntryId& expected, int toFd,
                  const std::string& toName) {
    const auto before = StatEntryAt(dirFd, name);
    if (!before)
        return errno;
    if (!expected.matches(*before))
        return ESTALE;
    std::string held;
    int error = EEXIST;
    for (int attempt = 0; attempt < 8 && error == EEXIST; ++attempt) {
        held = UniqueName();
        error = RenameNoReplace(dirFd, name, dirFd, held);
    }
    if (error == EINVAL) {
        // A file system without exclusive renames: the check above is the last one.
        if (toFd < 0)
            return ::unlinkat(dirFd, name.c_str(), 0) == 0 ? 0 : errno;
        return RenameNoReplace(dirFd, name, toFd, toName);
    }
    if (error != 0)
        return error;
    // The name may have been swapped since the check: what now lies under the unique name
    // is what would go, and only this process knows that name.
    const auto now = StatEntryAt(dirFd, held);
    if (!now || !expected.matches(*now)) {
        const int why = now ? ESTALE : errno;
        RenameNoReplace(dirFd, held, dirFd, name);
        return why;
    }
    if (toFd < 0)
        error = ::unlinkat(dirFd, held.c_str(), 0) == 0 ? 0 : errno;
    else
        error = RenameNoReplace(dirFd, held, toFd, toName);
    if (error != 0)
        RenameNoReplace(dirFd, held, dirFd, name);
    return error;
}

}  // namespace dovrane::platform

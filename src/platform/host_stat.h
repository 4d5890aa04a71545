#pragma once
// How a host stat becomes find data: one mapping for the host device's listings and for its
// look-up of a single path.

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <string_view>

#include "platform/find_data.h"

namespace dovrane::platform {

// Blocks the calling thread has made the disk read since it began: what the cache answered
// is not counted.
inline quint64 BlocksReadByThisThread() {
    struct rusage usage {};
    return ::getrusage(RUSAGE_THREAD, &usage) == 0 ? static_cast<quint64>(usage.ru_inblock) : 0;
}

// What a listing asks of each entry; a look-up adds the times.
constexpr unsigned kStatxForEntry = STATX_TYPE | STATX_MODE | STATX_NLINK | STATX_INO | STATX_SIZE;

// Identity, links, size and attributes of the entry `name` as `sx` describes it, on the
// volume `dev` (sx's own device, made by the caller). Folders get no size; names starting
// with a dot are hidden.
inline void FillFromStatx(FindData& e, const struct statx& sx, std::string_view name, dev_t dev) {
    e.id = FileId{static_cast<quint64>(dev), sx.stx_ino};
    e.links = sx.stx_nlink;
    if (name.starts_with('.'))
        e.attributes |= kAttributeHidden;
    if (!(sx.stx_mode & S_IWUSR))
        e.attributes |= kAttributeReadOnly;
    if (S_ISDIR(sx.stx_mode)) {
        e.attributes |= kAttributeDirectory;
    } else {
        e.size = sx.stx_size;
        if (S_ISREG(sx.stx_mode))
            e.attributes |= kAttributeArchive;
    }
}

inline void FillFromStatx(FindData& e, const struct statx& sx, std::string_view name) {
    FillFromStatx(e, sx, name, makedev(sx.stx_dev_major, sx.stx_dev_minor));
}

// The creation time a look-up shows: the birth time where the file system keeps one, else
// the change time. A birth time of 0 is kept by none: file systems written by image tools
// report it for every file, and "01/01/1970" would tell the user something false.
inline const statx_timestamp& CreationStamp(const struct statx& sx) {
    const bool born =
        (sx.stx_mask & STATX_BTIME) != 0 && (sx.stx_btime.tv_sec != 0 || sx.stx_btime.tv_nsec != 0);
    return born ? sx.stx_btime : sx.stx_ctime;
}

}  // namespace dovrane::platform

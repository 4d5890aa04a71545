#pragma once
// How a host stat becomes find data: one mapping for the host device's listings and for its
// look-up of a single path.

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <string_view>

#include "platform/find_data.h"

namespace dovrane::platform {

// What a listing asks of each entry; a look-up adds the times.
constexpr unsigned kStatxForEntry = STATX_TYPE | STATX_MODE | STATX_NLINK | STATX_INO | STATX_SIZE;

// Identity, links, size and attributes of the entry `name` as `sx` describes it. Folders
// get no size; names starting with a dot are hidden.
inline void FillFromStatx(FindData& e, const struct statx& sx, std::string_view name) {
    e.id = FileId{static_cast<quint64>(makedev(sx.stx_dev_major, sx.stx_dev_minor)), sx.stx_ino};
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

}  // namespace dovrane::platform

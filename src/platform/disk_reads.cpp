#include "platform/disk_reads.h"

#include <sys/resource.h>

namespace dovrane::platform {

quint64 ThreadBlocksRead() {
    struct rusage usage {};
    if (::getrusage(RUSAGE_THREAD, &usage) != 0)
        return 0;
    return static_cast<quint64>(usage.ru_inblock);
}

}  // namespace dovrane::platform

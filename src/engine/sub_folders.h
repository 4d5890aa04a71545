#pragma once
// The sub-folders of one folder, read afresh each time: what the Explorer's tree shows
// when a folder opens. Files are never kept, so a folder of 200,000 files costs only the
// listing, and no stat call per file where the file system says what each entry is.

#include <QStringList>
#include <optional>

namespace dovrane::platform {
class Device;
}

namespace dovrane::engine {

// The device names of the folder's sub-folders, ordered by name without regard to case
// (equal names keep their enumeration order); empty when it has none. Nothing when the
// folder cannot be opened: a vanished or unreadable folder is not an empty one.
std::optional<QStringList> ReadSubFolders(platform::Device& device, QStringView devicePath);

}  // namespace dovrane::engine

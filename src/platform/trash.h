#pragma once
// The freedesktop trash, reached by descriptor: the home trash for files of the home file
// system, $topdir/.Trash/$uid or $topdir/.Trash-$uid for other mounts. Nothing moves when
// no trash on the file's own mount can be used: a trash never costs a copy, and a missing
// data folder never turns the current folder into a trash.

#include <QByteArray>
#include <string>

#include "platform/device.h"
#include "platform/entry_removal.h"

namespace dovrane::platform {

// Moves the entry `name` of the open folder `dirFd`, while it is `expected`, to the trash
// of its mount, its record written first. `hostPath`: the entry's absolute host path, as
// the record keeps it for restoring.
RemoveResult MoveToTrashAt(int dirFd, const std::string& name, const EntryId& expected,
                           const QByteArray& hostPath);

}  // namespace dovrane::platform

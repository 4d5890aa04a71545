#pragma once
// Device paths: absolute, backslash-separated, "\" is the device root.

#include <QString>
#include <QStringList>

namespace dovrane::platform {

// The path's components, empty ones dropped: "\usr\\share\" gives {"usr", "share"}.
QStringList SplitDevicePath(QStringView devicePath);

// `folder` + "\" + `name`, without doubling the separator after the root.
QString JoinDevicePath(QStringView folder, QStringView name);

}  // namespace dovrane::platform

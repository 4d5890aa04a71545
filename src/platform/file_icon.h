#pragma once
// The desktop's small icon for a file, found by its name alone (the file is not read):
// the MIME type's icon from the icon theme, else the desktop's file icon, else a plain
// page drawn here, so a dialog always has a picture.

#include <QIcon>
#include <QString>

namespace dovrane::platform {

QIcon FileIconForName(const QString& fileName);
// The MIME type's description ("PNG image"), empty when the desktop does not know it.
QString FileTypeDescription(const QString& fileName);

}  // namespace dovrane::platform

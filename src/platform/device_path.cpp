#include "platform/device_path.h"

namespace dovrane::platform {

QStringList SplitDevicePath(QStringView devicePath) {
    QStringList parts;
    for (const QStringView part : devicePath.split(u'\\', Qt::SkipEmptyParts))
        parts.append(part.toString());
    return parts;
}

QString JoinDevicePath(QStringView folder, QStringView name) {
    QString path;
    path.reserve(folder.size() + 1 + name.size());
    path.append(folder);
    if (!path.endsWith(u'\\'))
        path.append(u'\\');
    path.append(name);
    return path;
}

}  // namespace dovrane::platform

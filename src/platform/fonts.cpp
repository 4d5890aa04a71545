#include "platform/fonts.h"

#include <QDir>
#include <QFont>
#include <QFontDatabase>

namespace dovrane::platform {

bool LoadTahoma(const QString& folder) {
    const QDir dir(folder);
    const bool regular =
        QFontDatabase::addApplicationFont(dir.filePath(QStringLiteral("tahoma.ttf"))) >= 0;
    // The bold face is optional: weight 600 is then synthesised from the regular one.
    QFontDatabase::addApplicationFont(dir.filePath(QStringLiteral("tahomabd.ttf")));
    if (!regular && !QFontDatabase::hasFamily(QStringLiteral("Tahoma")))
        QFont::insertSubstitution(QStringLiteral("Tahoma"),
                                  QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
    return regular;
}

}  // namespace dovrane::platform

#pragma once
// The "Tahoma" face every window of the handheld design is drawn in. Debian's fonts-wine
// ships one outside fontconfig's path; without it "Tahoma" falls back to the system sans.

#include <QString>

namespace dovrane::platform {

inline const QString kWineFontFolder = QStringLiteral("/usr/share/wine/fonts");

// Adds tahoma.ttf and tahomabd.ttf from `folder` to the application's fonts (a
// QGuiApplication must exist). True when the regular face was loaded; otherwise "Tahoma"
// is mapped to the system's general font.
bool LoadTahoma(const QString& folder = kWineFontFolder);

}  // namespace dovrane::platform

#pragma once
// Pictures of the window as PNG files, made for speed: a script that draws many of them
// waits for each, and a 4K picture took Qt's writer a seventh of a second.

#include <QByteArray>
#include <QImage>
#include <QString>

namespace dovrane::platform {

// `image` as an 8-bit PNG: RGB, or RGBA when it has an alpha channel. Empty for a null
// image.
QByteArray EncodePng(const QImage& image);

// Writes EncodePng(image) to `path`, replacing what is there. Empty when written, else why
// not: the system's reason ("No space left on device"), or that there was nothing to draw.
QString WritePng(const QImage& image, const QString& path);

}  // namespace dovrane::platform

#pragma once
// The Explorer's six 16 x 15 images, painted as one strip on a pure green mask colour,
// the way the handheld's image list takes its bitmap. Each picture is made of whole
// pixels of the 16 x 15 grid, so a strip at scale 2 is the same picture, sharp.

#include <QIcon>
#include <QImage>
#include <QList>

namespace dovrane::views {

// Indexes into the strip.
enum TreeImage {
    kImageOpenFolder = 0,
    kImageClosedFolder = 1,
    kImageProgram = 2,
    kImageNetwork = 3,
    kImageDocument = 4,
    kImageDevice = 5,
    kTreeImageCount = 6,
};
constexpr int kTreeImageWidth = 16;
constexpr int kTreeImageHeight = 15;
constexpr QRgb kTreeImageMask = 0xFF00FF00;  // pure green: transparent

// The strip, (6 x 16 x scale) by (15 x scale) pixels, mask colour where nothing is drawn.
QImage TreeImageStrip(int scale);

// The six images with the mask made transparent, each at scales 1 and 2.
QList<QIcon> TreeImageList();

}  // namespace dovrane::views

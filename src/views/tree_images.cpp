#include "views/tree_images.h"

#include <QPainter>
#include <QPixmap>
#include <algorithm>

namespace dovrane::views {
namespace {

const QColor kOutline(0, 0, 0);
const QColor kFolderEdge(128, 96, 0);
const QColor kFolderBack(255, 214, 80);
const QColor kFolderLight(255, 240, 176);
const QColor kFolderFront(232, 184, 40);
const QColor kNavy(0, 0, 128);
const QColor kWhite(255, 255, 255);
const QColor kGrey(128, 128, 128);
const QColor kSilver(192, 192, 192);
const QColor kTeal(0, 128, 128);
const QColor kScreen(168, 208, 255);

// Drawing on the 16 x 15 grid of one image: every call covers whole grid pixels.
class Grid {
public:
    Grid(QPainter& painter, int index) : m_p(painter), m_x(index * kTreeImageWidth) {}
    void fill(int x, int y, int w, int h, const QColor& c) { m_p.fillRect(m_x + x, y, w, h, c); }
    // A one-pixel frame around (x, y, w, h), inside it.
    void frame(int x, int y, int w, int h, const QColor& c) {
        fill(x, y, w, 1, c);
        fill(x, y + h - 1, w, 1, c);
        fill(x, y, 1, h, c);
        fill(x + w - 1, y, 1, h, c);
    }
    void box(int x, int y, int w, int h, const QColor& inside, const QColor& edge) {
        fill(x, y, w, h, inside);
        frame(x, y, w, h, edge);
    }

private:
    QPainter& m_p;
    int m_x;
};

void ClosedFolder(Grid g) {
    g.box(1, 2, 6, 3, kFolderBack, kFolderEdge);  // the tab
    g.box(0, 4, 15, 10, kFolderBack, kFolderEdge);
    g.fill(1, 5, 13, 1, kFolderLight);
    g.fill(1, 3, 5, 1, kFolderLight);
}

void OpenFolder(Grid g) {
    g.box(1, 2, 6, 3, kFolderBack, kFolderEdge);
    g.box(0, 4, 13, 10, kFolderBack, kFolderEdge);
    g.fill(1, 3, 5, 1, kFolderLight);
    // The front flap leans back: one pixel further right on each row up.
    for (int row = 0; row < 6; ++row) {
        const int y = 13 - row;
        const int left = std::min(row, 4);
        g.fill(left, y, 12, 1, row == 5 ? kFolderEdge : kFolderFront);
        g.fill(left, y, 1, 1, kFolderEdge);
        g.fill(left + 11, y, 1, 1, kFolderEdge);
    }
    g.fill(4, 8, 12, 1, kFolderEdge);
    g.fill(0, 13, 12, 1, kFolderEdge);
}

void ProgramWindow(Grid g) {
    g.box(1, 2, 14, 12, kWhite, kOutline);
    g.fill(2, 3, 12, 2, kNavy);
    g.fill(11, 3, 2, 2, kSilver);  // the close box
    g.fill(3, 7, 8, 1, kGrey);
    g.fill(3, 9, 10, 1, kGrey);
    g.fill(3, 11, 6, 1, kGrey);
}

void Network(Grid g) {
    const auto station = [&](int x, int y) {
        g.box(x, y, 5, 4, kScreen, kOutline);
        g.fill(x + 1, y + 4, 3, 1, kTeal);
    };
    g.fill(7, 5, 1, 3, kOutline);
    g.fill(2, 8, 12, 1, kOutline);
    g.fill(2, 8, 1, 2, kOutline);
    g.fill(13, 8, 1, 2, kOutline);
    station(5, 0);
    station(0, 10);
    station(11, 10);
}

void Document(Grid g) {
    g.box(3, 1, 10, 13, kWhite, kOutline);
    // The folded corner.
    g.fill(10, 1, 3, 3, QColor::fromRgb(kTreeImageMask));
    g.fill(9, 1, 1, 4, kOutline);
    g.fill(9, 4, 4, 1, kOutline);
    g.fill(10, 2, 1, 1, kOutline);
    g.fill(11, 3, 1, 1, kOutline);
    for (const int y : {6, 8, 10})
        g.fill(5, y, 6, 1, kGrey);
    g.fill(5, 4, 3, 1, kGrey);
}

void Device(Grid g) {
    g.box(3, 0, 10, 15, kSilver, kOutline);
    g.box(4, 2, 8, 8, kScreen, kGrey);
    g.fill(5, 11, 2, 2, kNavy);
    g.fill(9, 11, 2, 2, kNavy);
    g.fill(7, 12, 2, 1, kGrey);
}

}  // namespace

QImage TreeImageStrip(int scale) {
    QImage strip(kTreeImageCount * kTreeImageWidth * scale, kTreeImageHeight * scale,
                 QImage::Format_RGB32);
    strip.fill(kTreeImageMask);
    QPainter painter(&strip);
    painter.scale(scale, scale);
    OpenFolder(Grid(painter, kImageOpenFolder));
    ClosedFolder(Grid(painter, kImageClosedFolder));
    ProgramWindow(Grid(painter, kImageProgram));
    Network(Grid(painter, kImageNetwork));
    Document(Grid(painter, kImageDocument));
    Device(Grid(painter, kImageDevice));
    return strip;
}

QList<QIcon> TreeImageList() {
    QList<QIcon> icons(kTreeImageCount);
    for (const int scale : {1, 2}) {
        QImage strip = TreeImageStrip(scale).convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < strip.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(strip.scanLine(y));
            for (int x = 0; x < strip.width(); ++x)
                if (line[x] == kTreeImageMask)
                    line[x] = 0;
        }
        for (int i = 0; i < kTreeImageCount; ++i) {
            QImage image = strip.copy(i * kTreeImageWidth * scale, 0, kTreeImageWidth * scale,
                                      kTreeImageHeight * scale);
            image.setDevicePixelRatio(scale);
            // Selected items show the same picture, not a tinted one.
            const QPixmap pixmap = QPixmap::fromImage(image);
            icons[i].addPixmap(pixmap, QIcon::Normal);
            icons[i].addPixmap(pixmap, QIcon::Selected);
        }
    }
    return icons;
}

}  // namespace dovrane::views

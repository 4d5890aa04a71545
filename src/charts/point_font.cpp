#include "charts/point_font.h"

#include <QGuiApplication>
#include <QScreen>
#include <cstdlib>

namespace dovrane::charts {

int PointFontHeight(double points, int logicalDpiY) {
    return -((static_cast<int>(points * 10) * logicalDpiY / 72) / 10);
}

QFont CreatePointFont(const QString& face, double points, bool bold, bool italic, bool strikeOut,
                      bool underline) {
    int dpi = 96;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            dpi = static_cast<int>(screen->logicalDotsPerInchY());
    QFont font(face);
    font.setPixelSize(std::abs(PointFontHeight(points, dpi)));
    font.setWeight(bold ? QFont::DemiBold : QFont::Normal);
    font.setItalic(italic);
    font.setStrikeOut(strikeOut);
    font.setUnderline(underline);
    return font;
}

}  // namespace dovrane::charts

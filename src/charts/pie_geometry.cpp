#include "charts/pie_geometry.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace dovrane::charts {
namespace {

// The products below stay far from overflow for any radius a window can hold, but are
// formed in 64 bits so that a huge radius cannot turn them into undefined behaviour.
int Div(qint64 numerator, qint64 denominator) {
    return static_cast<int>(numerator / denominator);
}

bool OnDisc(int x, int y, int size) {
    // Pixel centre (x + 0.5, y + 0.5) against the circle of diameter `size`, scaled by 2
    // so that everything stays in integers.
    const qint64 dx = 2 * static_cast<qint64>(x) + 1 - size;
    const qint64 dy = 2 * static_cast<qint64>(y) + 1 - size;
    return dx * dx + dy * dy <= static_cast<qint64>(size) * size;
}

// The pixels of row y whose centres lie on the disc: |2x + 1 - size| <= isqrt(size^2 -
// dy^2), solved for x; empty when the row misses the disc.
std::pair<int, int> DiscSpan(int y, int size) {
    const qint64 dy = 2 * static_cast<qint64>(y) + 1 - size;
    const qint64 room = static_cast<qint64>(size) * size - dy * dy;
    if (room < 0)
        return {0, 0};
    auto m = static_cast<qint64>(std::sqrt(static_cast<double>(room)));
    while (m * m > room)
        --m;
    while ((m + 1) * (m + 1) <= room)
        ++m;
    const qint64 low = size - 1 - m;  // >= -1, as m <= size
    return {static_cast<int>(low <= 0 ? 0 : (low + 1) / 2),
            static_cast<int>((size - 1 + m) / 2 + 1)};
}

}  // namespace

int Octant(int angle) {
    if (angle == 0)
        return 1;
    if (angle == 360)
        return 8;
    return angle / 45 + 1;
}

QPoint EdgePoint(int angle, int radius) {
    const int octant = Octant(angle);
    const int r = radius;
    const double R = r;
    const int d = (octant - 1) / 2 * 90;
    const double argument = kPi * (angle - d) * 0.005555555555555556;
    const double s = std::sin(argument);
    const double c = std::cos(argument);
    const int sm = static_cast<int>(R - R * s) - r;
    const int cm = static_cast<int>(R - R * c) - r;
    const int sp = static_cast<int>((s + 1.0) * R) - r;
    const int cp = static_cast<int>((c + 1.0) * R) - r;
    const qint64 r64 = r;
    switch (octant) {
        case 1:
            return {2 * r, r + Div(sm * r64, cp)};
        case 2:
            return {r - Div(cp * r64, sm), 0};
        case 3:
            return {r - Div(sm * r64, cm), 0};
        case 4:
            return {0, r - Div(cm * r64, sm)};
        case 5:
            return {0, r - Div(sp * r64, cm)};
        case 6:
            return {r + Div(cm * r64, sp), 2 * r};
        case 7:
            return {r + Div(sp * r64, cp), 2 * r};
        default:
            return {2 * r, r + Div(cp * r64, sp)};
    }
}

QPoint OctantCorner(int octant, int radius) {
    const int side = 2 * radius;
    switch (octant) {
        case 1:
            return {side, 0};
        case 3:
            return {0, 0};
        case 5:
            return {0, side};
        default:
            return {side, side};
    }
}

QPolygon SlicePolygon(int startAngle, int endAngle, int radius) {
    QPolygon polygon;
    if (startAngle == endAngle)
        return polygon;
    polygon << EdgePoint(startAngle, radius);
    const int last = Octant(endAngle);
    for (int k = Octant(startAngle); k < last; ++k)
        if (k % 2 == 1)
            polygon << OctantCorner(k, radius);
    polygon << EdgePoint(endAngle, radius) << QPoint(radius, radius);
    return polygon;
}

double HitTestAngle(int x, int y, int centerX, int centerY) {
    const auto degrees = [](int a, int b) {
        return std::atan2(static_cast<double>(a), static_cast<double>(b)) * 180.0 / kPi;
    };
    if (x > centerX && y <= centerY)
        return degrees(centerY - y, x - centerX);
    if (x <= centerX && y <= centerY)
        return degrees(centerX - x, centerY - y) + 90;
    if (x <= centerX)
        return degrees(y - centerY, centerX - x) + 180;
    return degrees(x - centerX, y - centerY) + 270;
}

int PointDistance(int x, int y, int centerX, int centerY) {
    const qint64 dx = x - centerX;
    const qint64 dy = y - centerY;
    return static_cast<int>(std::sqrt(static_cast<double>(dx * dx + dy * dy)));
}

DiscPixel DiscPixelAt(int x, int y, int size, int outline) {
    if (!OnDisc(x, y, size))
        return DiscPixel::Outside;
    for (int k = 1; k <= outline; ++k)
        if (!OnDisc(x - k, y, size) || !OnDisc(x + k, y, size) || !OnDisc(x, y - k, size) ||
            !OnDisc(x, y + k, size))
            return DiscPixel::Outline;
    return DiscPixel::Inside;
}

DiscRow DiscRowAt(int y, int size, int outline) {
    const auto [left, right] = DiscSpan(y, size);
    DiscRow row{left, right, left + outline, right - outline};
    // A row's span is an interval and the disc is convex, so the pixels with every vertical
    // neighbour within `outline` on the disc are those in all the neighbouring rows' spans.
    for (int k = 1; k <= outline && row.insideLeft < row.insideRight; ++k)
        for (const int neighbour : {y - k, y + k}) {
            const auto [l, r] = DiscSpan(neighbour, size);
            row.insideLeft = std::max(row.insideLeft, l);
            row.insideRight = std::min(row.insideRight, r);
        }
    return row;
}

}  // namespace dovrane::charts

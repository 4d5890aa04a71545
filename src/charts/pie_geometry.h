#pragma once
// The integer geometry of a pie: which octant an angle falls in, where its ray leaves the
// chart's square, the polygon a slice is filled with, the angle of a tapped point, and the
// pixels of the disc. Pure functions, in the chart's device-independent pixels, so that
// tests and painting share them.
//
// Angles are whole degrees, 0 at three o'clock, growing counter-clockwise. Inside a chart
// of radius r, (0, 0) is the top-left corner, (r, r) the centre, y grows downwards.

#include <QPoint>
#include <QPolygon>

namespace dovrane::charts {

// Deliberately ten decimals, not M_PI: the edge points and hit angles of the handheld's
// charts were computed with it, and several truncations land differently with full pi.
inline constexpr double kPi = 3.1415926535;

// 1 for 0, 8 for 360, else angle / 45 + 1. Angles outside 0..360 are not defined.
int Octant(int angle);

// Where the ray at `angle` meets the border of the 2r square (it may lie one pixel
// outside it: 225 gives x = -1 for r = 70). `radius` must be 2 or more.
QPoint EdgePoint(int angle, int radius);

// The corner of the square that odd octant k (1, 3, 5, 7) sweeps past.
QPoint OctantCorner(int octant, int radius);

// Start edge point, the corners passed, end edge point, then the centre. Empty when the
// slice is empty (start == end); it is never drawn then.
QPolygon SlicePolygon(int startAngle, int endAngle, int radius);

// The angle of point (x, y) seen from (centerX, centerY), in [0, 360), computed per
// quadrant with the constant above; the centre itself gives 90.
double HitTestAngle(int x, int y, int centerX, int centerY);

// trunc(sqrt(dx^2 + dy^2)): what the views compare with the radius before a hit test.
int PointDistance(int x, int y, int centerX, int centerY);

// One pixel of a disc filling a `size` x `size` square (size = 2r at scale 1): outside it,
// on its outline (`outline` pixels thick) or inside. A pixel is on the disc when its centre
// is within size / 2 of the square's centre, and on the outline when a pixel at most
// `outline` steps away along a row or column is not.
enum class DiscPixel { Outside, Outline, Inside };
DiscPixel DiscPixelAt(int x, int y, int size, int outline = 1);

// Row y of that disc as spans, so a desktop-sized pie is rasterised a row at a time rather
// than a pixel at a time: the disc's pixels [discLeft, discRight) and, within them, the
// inside ones [insideLeft, insideRight); the rest of the disc's span is outline. A span
// with left >= right is empty (every row outside the square gives empty spans).
struct DiscRow {
    int discLeft = 0, discRight = 0;
    int insideLeft = 0, insideRight = 0;
};
DiscRow DiscRowAt(int y, int size, int outline = 1);

}  // namespace dovrane::charts

#pragma once
// Fonts by face and point size, with the height the handheld design computes:
// -((int)(points * 10) * dpi / 72) / 10 pixels, both divisions truncating.

#include <QFont>
#include <QString>

namespace dovrane::charts {

// The pixel height (negative: an em height) for `points` at `logicalDpiY`.
int PointFontHeight(double points, int logicalDpiY);

// Weight 600 when bold (not 700), 400 otherwise; sized on the primary screen's logical
// DPI (96 without a screen).
QFont CreatePointFont(const QString& face, double points, bool bold = false, bool italic = false,
                      bool strikeOut = false, bool underline = false);

}  // namespace dovrane::charts

#pragma once
// COLORREF values (0x00BBGGRR, red in the low byte) as Qt colours.

#include <QColor>
#include <QRgb>

#include "engine/settings.h"

namespace dovrane::charts {

constexpr QRgb RgbFromColorRef(engine::ColorRef color) {
    return qRgb(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                static_cast<int>((color >> 16) & 0xFF));
}

inline QColor ColorFromRef(engine::ColorRef color) {
    return QColor::fromRgb(RgbFromColorRef(color));
}

}  // namespace dovrane::charts

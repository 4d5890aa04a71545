#pragma once
// The two text colours of the handheld design's windows, and how a control gets one.

#include <QColor>
#include <QPalette>
#include <QWidget>

#include "charts/color_ref.h"

namespace dovrane::dialogs {

inline const QColor kBlue = charts::ColorFromRef(0xFF0000);  // labels, headers, Cancel
inline const QColor kRed = charts::ColorFromRef(0x0000FF);   // "Processing", title band

// Text colour of a label or button, whatever role its style draws the text with.
inline void SetTextColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::ButtonText, color);
    palette.setColor(QPalette::Text, color);
    widget->setPalette(palette);
}

}  // namespace dovrane::dialogs

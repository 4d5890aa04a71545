#include "dialogs/dialog_units.h"

#include <QFontMetrics>
#include <QLabel>

namespace dovrane::dialogs {

DialogUnits::DialogUnits(const QFont& dialogFont) {
    const QFontMetrics metrics(dialogFont);
    const int alphabet = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_baseX = (alphabet / 26 + 1) / 2;  // the average of the 52 letters, rounded
    m_baseY = metrics.height();
}

void SetFittedText(QLabel* label, const QString& text, Qt::TextElideMode mode) {
    const QString shown = label->fontMetrics().elidedText(text, mode, label->width());
    label->setText(shown);
    label->setToolTip(shown == text ? QString() : text);
}

}  // namespace dovrane::dialogs

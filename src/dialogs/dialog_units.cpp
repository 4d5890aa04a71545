#include "dialogs/dialog_units.h"

#include <QFontMetrics>

namespace dovrane::dialogs {

DialogUnits::DialogUnits(const QFont& dialogFont) {
    const QFontMetrics metrics(dialogFont);
    const int alphabet = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_baseX = (alphabet / 26 + 1) / 2;  // the average of the 52 letters, rounded
    m_baseY = metrics.height();
}

}  // namespace dovrane::dialogs

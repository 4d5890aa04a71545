#pragma once
// Dialog units to pixels, the way the handheld's dialog manager maps a template: x by a
// quarter of the dialog font's average character width, y by an eighth of its height.

#include <QFont>
#include <QRect>
#include <QString>

class QLabel;

namespace dovrane::dialogs {

class DialogUnits {
public:
    explicit DialogUnits(const QFont& dialogFont);

    int baseX() const { return m_baseX; }
    int baseY() const { return m_baseY; }
    int x(int units) const { return units * m_baseX / 4; }
    int y(int units) const { return units * m_baseY / 8; }
    QRect map(int left, int top, int width, int height) const {
        return {x(left), y(top), x(width), y(height)};
    }

private:
    int m_baseX;
    int m_baseY;
};

// Shows `text` in `label` on one line, elided (`mode` says where) when the label is too
// narrow for it; the tooltip then has it whole, else none.
void SetFittedText(QLabel* label, const QString& text, Qt::TextElideMode mode);

}  // namespace dovrane::dialogs

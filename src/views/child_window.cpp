#include "views/child_window.h"

#include "dialogs/control_id.h"

namespace dovrane::views {

CChildWindow::CChildWindow() {
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, Qt::white);
    setPalette(background);
}

CChildWindow::~CChildWindow() = default;

bool CChildWindow::Create(QWidget* parent, const QRect& rect, int id) {
    setParent(parent);
    setWindowTitle(QString());
    dialogs::SetDlgCtrlID(this, id);
    setGeometry(rect);
    m_created = OnCreate();
    if (!m_created) {
        setParent(nullptr);
        return false;
    }
    show();
    return true;
}

}  // namespace dovrane::views

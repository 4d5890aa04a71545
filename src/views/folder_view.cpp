#include "views/folder_view.h"

namespace dovrane::views {

CFolderView::CFolderView() = default;
CFolderView::~CFolderView() = default;

void CFolderView::StartScan() {
    ++m_scanCount;
    m_shownPath = pendingPath;
    update();
}

void CFolderView::GoToPath(const QString& path) {
    m_shownPath = path;
    update();
}

void CFolderView::GoToParent() {
    const qsizetype slash = m_shownPath.lastIndexOf(u'\\');
    if (slash < 0 || m_shownPath == u"\\")
        return;  // at the root
    m_shownPath = slash == 0 ? QStringLiteral("\\") : m_shownPath.left(slash);
    update();
}

void CFolderView::ReapplySettings() {
    ++m_reapplyCount;
    update();
}

}  // namespace dovrane::views

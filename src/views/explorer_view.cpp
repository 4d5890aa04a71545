#include "views/explorer_view.h"

#include <QHeaderView>
#include <QTreeWidget>

#include "dialogs/control_id.h"

namespace dovrane::views {

constexpr int kIdTree = 101;

CExplorerView::CExplorerView() = default;
CExplorerView::~CExplorerView() = default;

bool CExplorerView::OnCreate() {
    m_tree = new QTreeWidget(this);
    dialogs::SetDlgCtrlID(m_tree, kIdTree);
    m_tree->setHeaderHidden(true);
    m_tree->setGeometry(rect());
    m_tree->addTopLevelItem(new QTreeWidgetItem(QStringList{QStringLiteral("\\")}));
    return true;
}

void CExplorerView::resizeEvent(QResizeEvent* event) {
    CChildWindow::resizeEvent(event);
    if (m_tree)
        m_tree->setGeometry(rect());
}

void CExplorerView::ExpandRoot() {
    if (m_tree && m_tree->topLevelItemCount() > 0)
        m_tree->topLevelItem(0)->setExpanded(true);
}

QString CExplorerView::GetSelectedPath() const {
    const QTreeWidgetItem* item = m_tree ? m_tree->currentItem() : nullptr;
    if (!item)
        return {};
    if (!item->parent())
        return item->text(0);
    QString path = item->text(0);
    for (const QTreeWidgetItem* parent = item->parent(); parent->parent();
         parent = parent->parent())
        path = parent->text(0) + u'\\' + path;
    return u'\\' + path;
}

}  // namespace dovrane::views

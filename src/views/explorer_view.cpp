#include "views/explorer_view.h"

#include <QHeaderView>
#include <QScopeGuard>
#include <QTreeWidget>
#include <algorithm>
#include <optional>

#include "dialogs/control_id.h"
#include "engine/sub_folders.h"
#include "engine/text.h"
#include "views/tree_images.h"

namespace dovrane::views {
namespace {

constexpr int kImageRole = Qt::UserRole;

}  // namespace

CExplorerView::CExplorerView() = default;
CExplorerView::~CExplorerView() = default;

bool CExplorerView::OnCreate() {
    m_tree = new QTreeWidget(this);
    dialogs::SetDlgCtrlID(m_tree, kIdTree);
    m_tree->setHeaderHidden(true);
    m_tree->setRootIsDecorated(true);
    m_tree->setUniformRowHeights(true);  // a folder of many sub-folders lays out at once
    m_tree->setIconSize(QSize(kTreeImageWidth, kTreeImageHeight));
    m_tree->setGeometry(rect());
    connect(m_tree, &QTreeWidget::itemExpanded, this, &CExplorerView::OnItemExpanded);
    connect(m_tree, &QTreeWidget::itemCollapsed, this, &CExplorerView::OnItemCollapsed);
    m_hImageList = TreeImageList();
    m_tree->addTopLevelItem(MakeItem(QStringLiteral("\\"), nullptr));
    return true;
}

void CExplorerView::resizeEvent(QResizeEvent* event) {
    CChildWindow::resizeEvent(event);
    if (m_tree)
        m_tree->setGeometry(rect());
}

int CExplorerView::ImageOf(const QTreeWidgetItem* item) {
    const QVariant image = item->data(0, kImageRole);
    return image.isValid() ? image.toInt() : -1;
}

void CExplorerView::SetImage(QTreeWidgetItem* item, int image) const {
    item->setData(0, kImageRole, image);
    item->setIcon(0, m_hImageList.value(image));
}

QTreeWidgetItem* CExplorerView::MakeItem(const QString& name, const QTreeWidgetItem* parent) const {
    auto* item = new QTreeWidgetItem(QStringList{name});
    // Every folder may have sub-folders until an expansion finds none.
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    SetImage(item, parent ? kImageClosedFolder : kImageDevice);
    return item;
}

void CExplorerView::ExpandRoot() {
    if (m_tree && m_tree->topLevelItemCount() > 0)
        m_tree->topLevelItem(0)->setExpanded(true);
}

QString CExplorerView::FolderPath(const QTreeWidgetItem* item) {
    // Gathered upwards and joined once: a path thousands of levels deep is built in time
    // linear in its length.
    QStringList names;
    for (; item && item->parent(); item = item->parent())
        names.append(item->text(0));
    if (names.isEmpty())
        return item ? item->text(0) : QString();
    std::reverse(names.begin(), names.end());
    return u'\\' + names.join(u'\\');
}

QString CExplorerView::GetSelectedPath() const {
    const QTreeWidgetItem* item = m_tree ? m_tree->currentItem() : nullptr;
    return item ? FolderPath(item) : QString();
}

void CExplorerView::OnItemExpanded(QTreeWidgetItem* item) {
    // SelectPath fills each folder before it expands it, and sets the images at the end:
    // rows added to, or an image changed on, a shown tree after an expansion lay the whole
    // tree out again, once a level.
    if (m_imagesLater) {
        m_imagesLater->append(item);
        return;
    }
    if (ImageOf(item) != kImageDevice)
        SetImage(item, kImageOpenFolder);
    FillChildren(item, nullptr);
}

void CExplorerView::FillChildren(QTreeWidgetItem* item, engine::FolderTrail* trail) {
    // Whatever the item held is dropped: the folder is read afresh.
    qDeleteAll(item->takeChildren());
    const auto names = trail && !trail->lost() ? trail->subFolders()
                       : device                ? engine::ReadSubFolders(*device, FolderPath(item))
                                               : std::nullopt;
    if (!names)
        return;  // unreadable or gone: the button stays, nothing is shown
    if (names->isEmpty()) {
        item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
        return;
    }
    QList<QTreeWidgetItem*> children;
    children.reserve(names->size());
    for (const QString& name : *names)
        children.append(MakeItem(name, item));
    item->addChildren(children);  // one insertion: the view lays out once
}

void CExplorerView::OnItemCollapsed(QTreeWidgetItem* item) {
    if (ImageOf(item) != kImageDevice)
        SetImage(item, kImageClosedFolder);
    // A selection inside the folder moves up to it before its items go.
    for (const QTreeWidgetItem* up = m_tree->currentItem(); up; up = up->parent())
        if (up->parent() == item) {
            m_tree->setCurrentItem(item);
            break;
        }
    qDeleteAll(item->takeChildren());
}

bool CExplorerView::SelectPath(QStringView devicePath) {
    if (!m_tree || m_tree->topLevelItemCount() == 0)
        return false;
    QTreeWidgetItem* item = m_tree->topLevelItem(0);
    std::optional<engine::FolderTrail> trail;
    if (device)
        trail.emplace(*device);
    QList<QTreeWidgetItem*> opened;
    m_imagesLater = &opened;
    const auto images = qScopeGuard([&] {
        m_imagesLater = nullptr;
        for (QTreeWidgetItem* folder : opened)
            if (ImageOf(folder) != kImageDevice)
                SetImage(folder, kImageOpenFolder);
    });
    for (const QStringView part : devicePath.split(u'\\', Qt::SkipEmptyParts)) {
        if (!item->isExpanded()) {
            FillChildren(item, trail ? &*trail : nullptr);  // the folder is open at its end
            item->setExpanded(true);
        }
        const auto next = engine::PickByName(static_cast<size_t>(item->childCount()), part,
                                             [item](size_t i) -> std::optional<QString> {
                                                 return item->child(static_cast<int>(i))->text(0);
                                             });
        if (!next && engine::BlankComponent(part))
            continue;
        if (!next)
            return false;
        item = item->child(static_cast<int>(*next));
        if (trail)
            trail->enter(item->text(0));
    }
    m_tree->setCurrentItem(item);
    m_tree->scrollToItem(item);
    return true;
}

}  // namespace dovrane::views

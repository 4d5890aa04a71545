#pragma once
// The Explorer View: the device's folders as a tree, whose selected folder is where the
// Folder View and the file searches begin. The tree holds folders only and is filled
// lazily: a folder's sub-folders are read each time it is expanded and dropped when it is
// collapsed, so the tree shows the device as it was at the moment of expanding.
//
// Items: the folder's device name as text (the root is "\"), image 5 for the root and
// 0 / 1 (open / closed folder) for the others; every folder shows an expand button until
// an expansion finds it without sub-folders. A folder that cannot be read keeps its button
// and shows nothing.

#include <QIcon>
#include <QList>
#include <QString>

#include "views/child_window.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace dovrane::platform {
class Device;
}

namespace dovrane::engine {
class FolderTrail;
}

namespace dovrane::views {

class CExplorerView : public CChildWindow {
    Q_OBJECT

public:
    static constexpr int kIdTree = 101;

    CExplorerView();
    ~CExplorerView() override;

    // What the tree reads; set by the main view before Create. Null: nothing is readable.
    platform::Device* device = nullptr;

    // The selected folder as a device path: "\" for the root, "\Windows\Fonts" below it;
    // empty when nothing is selected or the window does not exist.
    QString GetSelectedPath() const;

    // Expands the root item; the main view does this every time it shows the view.
    void ExpandRoot();

    // Expands the tree down to `devicePath` (each name matched as spelled, else without
    // regard to case), selects that folder and scrolls it into view, in time linear in the
    // path's depth. False when a folder on the way is not
    // there; the tree then stays expanded as far as it went and the selection is unchanged.
    bool SelectPath(QStringView devicePath);

    QTreeWidget* tree() const { return m_tree; }  // id 101; null before creation or on failure
    // The image index an item shows (TreeImage); -1 for none.
    static int ImageOf(const QTreeWidgetItem* item);

protected:
    bool OnCreate() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The folder's item under `parent` (null: the root); not inserted yet.
    QTreeWidgetItem* MakeItem(const QString& name, const QTreeWidgetItem* parent) const;
    void SetImage(QTreeWidgetItem* item, int image) const;
    // The item's device path, as the expansion reads it.
    static QString FolderPath(const QTreeWidgetItem* item);
    void OnItemExpanded(QTreeWidgetItem* item);
    void OnItemCollapsed(QTreeWidgetItem* item);
    // Reads the folder from the end of `trail` where one is given, else by its path.
    void FillChildren(QTreeWidgetItem* item, engine::FolderTrail* trail);

    QList<QIcon> m_hImageList;
    QTreeWidget* m_tree = nullptr;
    QList<QTreeWidgetItem*>* m_imagesLater = nullptr;  // set while SelectPath expands
};

}  // namespace dovrane::views

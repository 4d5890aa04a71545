#pragma once
// The Explorer View: the device's folders as a tree, whose selected folder is where the
// Folder View and the file searches begin. Until its own issue lands the tree holds the
// root item "\" only (code may add items below it); it is not filled from the device.

#include <QString>

#include "views/child_window.h"

class QTreeWidget;

namespace dovrane::views {

class CExplorerView : public CChildWindow {
    Q_OBJECT

public:
    CExplorerView();
    ~CExplorerView() override;

    // The selected folder as a device path: "\" for the root, "\Windows\Fonts" below it;
    // empty when nothing is selected or the window does not exist.
    QString GetSelectedPath() const;

    // Expands the root item; the main view does this every time it shows the view.
    void ExpandRoot();

    QTreeWidget* tree() const { return m_tree; }  // id 101; null before creation

protected:
    bool OnCreate() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QTreeWidget* m_tree = nullptr;
};

}  // namespace dovrane::views

#pragma once
// Folder Details: the entries of one folder of the Folder View's tree (its sub-folders
// and "In Folder") with Size, Fol % and Tot %, every entry listed (no "Other"). A row tap
// walks down (or, on "In Folder", opens Files in Folder), the small button walks up, and
// OK leaves m_pCurrent for the Folder View to show. The tree is read, never changed.
//
// File Types, in file_types_dlg.h, shows the type table the same way.

#include <QIcon>
#include <QString>
#include <span>
#include <vector>

#include "dialogs/analyzer_dialog.h"

class QLabel;
class QPushButton;

namespace dovrane::engine {
struct FolderNode;
}

namespace dovrane::platform {
class Device;
}

namespace dovrane::dialogs {

class CHoldListCtrl;

constexpr int kIdUpButton = 105;
constexpr int kIdCurrentFolder = 1001;

// The small yellow folder with the arrow up and back; grey when `pressed`.
QIcon UpFolderIcon(bool pressed);

class CFolderDetailsDlg : public CAnalyzerDialog {
    Q_OBJECT

public:
    // `device` (not owned, may be null) lists the files of "In Folder".
    explicit CFolderDetailsDlg(platform::Device* device, QWidget* parent = nullptr);
    ~CFolderDetailsDlg() override;

    // Set by the opener before the dialog is shown: the folder, the tree's root and the
    // Folder View's title; then fills.
    void SetFolder(const engine::FolderNode* current, const engine::FolderNode* root,
                   const QString& titlePath);

    const engine::FolderNode* m_pCurrent = nullptr;
    const engine::FolderNode* m_pRoot = nullptr;
    QString m_strTitlePath;
    int m_nSortColumn = 1;
    bool m_bNameForward = true;
    bool m_bSizeBackward = false;

    CHoldListCtrl* list() const { return m_list; }
    QLabel* currentFolderLabel() const { return m_currentFolderLabel; }
    QPushButton* upButton() const { return m_upButton; }

    void FillList();
    void OnColumnClick(int column);
    void OnRowClick(int row);
    void OnUp();

protected:
    bool OnInitDialog() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Place();
    void GoTo(const engine::FolderNode* folder);

    platform::Device* m_device;
    QPushButton* m_upButton;
    QPushButton* m_ok;
    QLabel* m_currentFolderLabel;
    CHoldListCtrl* m_list;
    std::vector<quint32> m_rows;                   // 0 .. entries - 1
    std::span<engine::FolderNode* const> m_shown;  // the order the rows index
};

}  // namespace dovrane::dialogs

#pragma once
// Folder Details: the entries of one folder of the Folder View's tree (its sub-folders
// and "In Folder") with Size, Fol % and Tot %, every entry listed (no "Other"). A row tap
// walks down (or, on "In Folder", opens Files in Folder), the small button walks up, and
// OK leaves m_pCurrent for the Folder View to show. The tree is read, never changed.
//
// Given a comparison (SetGrowth) it lists the comparison's entries instead, by change,
// with Then and Change beside Size; the taps walk the comparison's folders.
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
struct GrowthNode;
class Growth;
}  // namespace dovrane::engine

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
    // The same for a comparison: `since` heads the title ("Since 29/11/2026").
    void SetGrowth(const engine::Growth* growth, const engine::GrowthNode* current,
                   const QString& since);

    const engine::FolderNode* m_pCurrent = nullptr;
    const engine::FolderNode* m_pRoot = nullptr;
    const engine::Growth* m_pGrowth = nullptr;  // null: the plain tree's details
    const engine::GrowthNode* m_pGrowthCurrent = nullptr;
    QString m_strSince;
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
    void GoToGrowth(const engine::GrowthNode* folder);
    QString GrowthCell(const engine::GrowthNode* node, int column) const;

    platform::Device* m_device;
    QPushButton* m_upButton;
    QPushButton* m_ok;
    QLabel* m_currentFolderLabel;
    CHoldListCtrl* m_list;
    std::vector<quint32> m_rows;                   // 0 .. entries - 1
    std::span<engine::FolderNode* const> m_shown;  // the order the rows index
    std::span<const engine::GrowthNode* const> m_growthShown;
};

}  // namespace dovrane::dialogs

#pragma once
// The two lists of files behind the charts: File List (the files of one type, handed in
// by the File Type View or File Types) and, in folder_files_dlg.h, Files in Folder. Three
// columns, File 125 left, Size 70 right, Folder 300 left, under the frame's header;
// header taps sort ("File" A..Z then Z..A, "Size" largest first then smallest, each
// column keeping its own direction; "Folder" does nothing); the item menu and its
// operations are CFileOperations'.

#include <vector>

#include "dialogs/analyzer_dialog.h"

namespace dovrane::engine {
class FileList;
struct FileTypeStat;
}  // namespace dovrane::engine

namespace dovrane::platform {
class Device;
}

namespace dovrane::dialogs {

class CFileOperations;
class CHoldListCtrl;

// What both file lists share: the list, its columns, the fill and the sort flags.
class CFileListDialogBase : public CAnalyzerDialog {
    Q_OBJECT

public:
    CHoldListCtrl* list() const { return m_list; }
    CFileOperations* operations() const { return m_operations; }

    // Fills the list from the ordered arrays in the current column's direction, then turns
    // that direction round for the next fill. Nothing without a file set.
    void FillList();
    // A header tap: columns 0 and 1 sort, others do nothing.
    void OnColumnClick(int column);

    int m_nSortColumn = 1;
    bool m_bNameForward = true;
    bool m_bSizeBackward = false;

protected:
    CFileListDialogBase(int templateId, platform::Device* device, QWidget* parent);
    bool OnInitDialog() override;
    void resizeEvent(QResizeEvent* event) override;

    // The file set: records and their two orders; null when there is none.
    virtual const engine::FileList* Files() const = 0;
    virtual std::vector<quint32>* FilesByName() = 0;
    virtual std::vector<quint32>* FilesBySize() = 0;

    platform::Device* m_device;
    CHoldListCtrl* m_list;
    CFileOperations* m_operations;
};

class CFileListDlg : public CFileListDialogBase {
    Q_OBJECT

public:
    // The type's arrays are shown and, after a delete, shortened; the type and its list
    // are the File Type View's and outlive the dialog. `device` may be null.
    explicit CFileListDlg(platform::Device* device, QWidget* parent = nullptr);
    ~CFileListDlg() override;

    // Before the dialog is shown; null shows an empty list.
    void SetFileType(engine::FileTypeStat* type, const engine::FileList* files);
    engine::FileTypeStat* m_pTypeStat = nullptr;

protected:
    const engine::FileList* Files() const override { return m_pTypeStat ? m_pFiles : nullptr; }
    std::vector<quint32>* FilesByName() override;
    std::vector<quint32>* FilesBySize() override;

private:
    const engine::FileList* m_pFiles = nullptr;
};

}  // namespace dovrane::dialogs

#pragma once
// File Types: every type of the File Type View's table (also those the chart folds into
// "Other") with Size and Total %; a row tap opens that type's File List.

#include <vector>

#include "dialogs/analyzer_dialog.h"

namespace dovrane::engine {
class FileTypeTable;
struct FileTypeStat;
}  // namespace dovrane::engine

namespace dovrane::platform {
class Device;
}

namespace dovrane::dialogs {

class CHoldListCtrl;

class CFileTypesDlg : public CAnalyzerDialog {
    Q_OBJECT

public:
    explicit CFileTypesDlg(platform::Device* device, QWidget* parent = nullptr);
    ~CFileTypesDlg() override;

    // The table to show (not owned; the view's, alive while the dialog runs); then fills.
    // Null shows nothing.
    void SetTable(const engine::FileTypeTable* table);

    const engine::FileTypeTable* m_pTable = nullptr;
    int m_nSortColumn = 1;
    bool m_bNameForward = true;
    bool m_bSizeBackward = false;

    CHoldListCtrl* list() const { return m_list; }
    void FillList();
    void OnColumnClick(int column);
    void OnRowClick(int row);
    // The type a row shows.
    engine::FileTypeStat* TypeOfRow(int row) const;

protected:
    bool OnInitDialog() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    platform::Device* m_device;
    CHoldListCtrl* m_list;
    std::vector<quint32> m_rows;
    const std::vector<engine::FileTypeStat*>* m_shown = nullptr;
};

}  // namespace dovrane::dialogs

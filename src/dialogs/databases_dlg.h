#pragma once
// The Databases dialog: the object store's databases with size, records and last change,
// sorted by name, size or time at a header tap, and deleted on request. The records are
// listed once, when the dialog opens; every sort refills the list from the three orders.
//
// Ids: 1000 the list. Commands: 32793 "Delete".

#include <QStringList>
#include <vector>

#include "dialogs/analyzer_dialog.h"
#include "engine/database_list.h"

namespace dovrane::dialogs {

class CHoldListCtrl;

constexpr int kIdDeleteDatabase = 32793;

class CDatabasesDlg : public CAnalyzerDialog {
    Q_OBJECT

public:
    // `folders`: the object-store folders; `deviceRoot`: the host folder of the device.
    CDatabasesDlg(QStringList folders, QString deviceRoot, QWidget* parent = nullptr);
    ~CDatabasesDlg() override;

    // A header tap: columns 0, 1 and 3 sort; "Records" does nothing.
    void OnColumnClick(int column);
    // A tap-and-hold at `point` in the list's viewport: the menu with "Delete", grayed
    // unless exactly one row is selected; nothing unless the row there is selected.
    void OnListTapHold(QPoint point);
    void OnDelete();

    CHoldListCtrl* list() const { return m_list; }
    const std::vector<engine::DatabaseRecord>& databases() const { return m_databases; }
    // The record shown in `row`.
    const engine::DatabaseRecord& record(int row) const;

protected:
    bool OnInitDialog() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FillList();

    CHoldListCtrl* m_list = nullptr;
    QStringList m_folders;
    QString m_deviceRoot;
    std::vector<engine::DatabaseRecord> m_databases;  // enumeration order; owns the records
    engine::DatabaseOrders m_orders;                  // m_byName, m_bySize and m_byDate
    bool m_bNameForward = true;
    bool m_bSizeBackward = false;
    bool m_bDateBackward = false;
    int m_nSortColumn = 0;
};

}  // namespace dovrane::dialogs

#pragma once
// Compare With: the snapshots of this device root, newest first, each with its time, its
// total and how much the device has changed since (when the device's total is known). OK
// with a row chosen leaves its index for the opener, which turns the Folder View into a
// growth view against that snapshot. Owns nothing but its rows' texts.

#include <QDialog>
#include <optional>
#include <vector>

class QDialogButtonBox;
class QTreeWidget;

namespace dovrane::dialogs {

// One snapshot as the list shows it.
struct SnapshotChoice {
    qint64 time = 0;  // seconds since 1970-01-01 UTC; shown on this machine's clock
    quint64 totalBytes = 0;
};

class CCompareDlg : public QDialog {
    Q_OBJECT

public:
    // `nowBytes`: the device's total now; none leaves the Change column empty.
    CCompareDlg(const std::vector<SnapshotChoice>& snapshots, std::optional<quint64> nowBytes,
                QWidget* parent = nullptr);
    ~CCompareDlg() override;

    QTreeWidget* list() const { return m_list; }
    QDialogButtonBox* buttons() const { return m_buttons; }
    // The row chosen, or -1; the newest is chosen at first.
    int chosen() const;

private:
    QTreeWidget* m_list;
    QDialogButtonBox* m_buttons;
};

}  // namespace dovrane::dialogs

#pragma once
// A read-only table model whose cells come from a function: the lists of the search and
// database dialogs hold a million rows without one item object per cell.

#include <QAbstractTableModel>
#include <QStringList>
#include <functional>
#include <vector>

namespace dovrane::dialogs {

class CRowsModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    using CellText = std::function<QString(int row, int column)>;

    // One heading a column; `rightAligned[i]` for column i.
    CRowsModel(QStringList headings, std::vector<bool> rightAligned, QObject* parent = nullptr);

    // Shows `rows` rows whose cells `text` gives; the function must stay valid until the next
    // reset.
    void Reset(int rows, CellText text);
    // Takes row `row` out; the function's rows below it move up by one from now on.
    void RemoveRow(int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QStringList m_headings;
    std::vector<bool> m_rightAligned;
    int m_rows = 0;
    CellText m_text;
};

}  // namespace dovrane::dialogs

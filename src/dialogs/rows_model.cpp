#include "dialogs/rows_model.h"

namespace dovrane::dialogs {

CRowsModel::CRowsModel(QStringList headings, std::vector<bool> rightAligned, QObject* parent)
    : QAbstractTableModel(parent),
      m_headings(std::move(headings)),
      m_rightAligned(std::move(rightAligned)) {}

void CRowsModel::Reset(int rows, CellText text) {
    beginResetModel();
    m_rows = rows;
    m_text = std::move(text);
    endResetModel();
}

void CRowsModel::RemoveRow(int row) {
    if (row < 0 || row >= m_rows)
        return;
    beginRemoveRows({}, row, row);
    --m_rows;
    endRemoveRows();
}

int CRowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int CRowsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_headings.size());
}

QVariant CRowsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !m_text)
        return {};
    if (role == Qt::DisplayRole)
        return m_text(index.row(), index.column());
    if (role == Qt::TextAlignmentRole)
        return static_cast<int>(
            (m_rightAligned[static_cast<size_t>(index.column())] ? Qt::AlignRight : Qt::AlignLeft) |
            Qt::AlignVCenter);
    return {};
}

QVariant CRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= m_headings.size())
        return {};
    if (role == Qt::DisplayRole)
        return m_headings[section];
    if (role == Qt::TextAlignmentRole)
        return static_cast<int>(
            (m_rightAligned[static_cast<size_t>(section)] ? Qt::AlignRight : Qt::AlignLeft) |
            Qt::AlignVCenter);
    return {};
}

}  // namespace dovrane::dialogs

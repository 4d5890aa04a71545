#pragma once
// The report list of every list dialog: a table view over a model that holds no copy of
// the rows, only a pointer to one of the dialog's ordered arrays and the direction to
// walk it, so a refill after a header tap costs nothing at a million rows. Several rows
// may be selected. A press held for 500 ms, a right click and the context-menu key all
// emit tapHold with the point in the list's viewport coordinates.
//
// Grouped lists put a header row above each group: an item with kGroupHeaderItem set is
// that row (the rest of it is the group's number), drawn across the whole row. A header
// row names no file: it cannot be selected, and the selection queries never return it.
//
//   model->setColumns({{"File", Qt::AlignLeft, 125}, ...});
//   model->setCellText([&](quint32 item, int column) { return ...; });
//   model->setOrder(&bySize, /*backward=*/false);

#include <QAbstractTableModel>
#include <QPoint>
#include <QTableView>
#include <QTimer>
#include <functional>
#include <vector>

namespace dovrane::dialogs {

constexpr int kIdList = 1000;
constexpr int kLongPressMs = 500;

// The bit of an item that makes its row a group's header; records never reach it.
constexpr quint32 kGroupHeaderItem = 1u << 31;

struct ListColumn {
    QString heading;
    Qt::Alignment alignment = Qt::AlignLeft;
    int width = 60;  // pixels of the handheld's 240-pixel screen
};

class CHoldListModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    // The text of one cell of the row showing `item` (an element of the ordered array).
    using CellText = std::function<QString(quint32 item, int column)>;
    // The text of the header row of a group.
    using HeaderText = std::function<QString(quint32 group)>;

    explicit CHoldListModel(QObject* parent = nullptr);

    void setColumns(std::vector<ListColumn> columns);
    const std::vector<ListColumn>& columns() const { return m_columns; }
    void setCellText(CellText cellText);
    void setHeaderText(HeaderText headerText) { m_headerText = std::move(headerText); }
    bool grouped() const { return static_cast<bool>(m_headerText); }
    // Shows `order` (not owned; null shows no rows) first to last, or last to first.
    void setOrder(const std::vector<quint32>* order, bool backward);
    // After the dialog changed the shown array in place (rows taken out): rows again.
    void orderChanged();
    const std::vector<quint32>* order() const { return m_order; }
    bool backward() const { return m_backward; }

    // The item shown in `row`, which must be a row of the list.
    quint32 item(int row) const {
        const auto r = static_cast<size_t>(row);
        return (*m_order)[m_backward ? m_order->size() - 1 - r : r];
    }

    // Whether `row` (any number) is a group's header row.
    bool isHeader(int row) const {
        return grouped() && row >= 0 && row < rowCount() && (item(row) & kGroupHeaderItem);
    }
    // The header row's text, whole; empty for other rows.
    QString headerText(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<ListColumn> m_columns;
    CellText m_cellText;
    HeaderText m_headerText;
    const std::vector<quint32>* m_order = nullptr;
    bool m_backward = false;
};

class CHoldListCtrl : public QTableView {
    Q_OBJECT

public:
    // Object name kIdList; the model is the list's own.
    explicit CHoldListCtrl(QWidget* parent = nullptr);
    ~CHoldListCtrl() override;

    CHoldListModel* listModel() const { return m_model; }
    // Columns, headings, alignments and widths; the widths are applied to the header.
    void InsertColumns(std::vector<ListColumn> columns);
    // Each column as wide as its heading and the rows in view ask, as far as the list is
    // wide (the columns that ask least first), the last one taking the rest; done at every
    // fill and resize. A cell cut all the same is elided with "…" and tells its whole text
    // as a tooltip.
    void FitColumns();

    // Selected rows, top first; never a header row, as none of the queries below.
    std::vector<int> SelectedRows() const;
    int SelectedCount() const;
    // The selected row with the lowest index, or -1.
    int FirstSelectedRow() const;
    bool IsRowSelected(int row) const;
    void SelectRow(int row, bool selected = true);
    // Every row, in one selection range (instant at a million rows).
    void SelectAllRows();
    // The whole row in the viewport, all columns.
    QRect RowRect(int row) const;
    // The row under a point of the viewport, or -1.
    int HitTest(QPoint point) const;

signals:
    // WM_LIST_TAPHOLD: long press, right click or context-menu key, at `point` (viewport).
    void tapHold(QPoint point);
    void columnClicked(int column);
    void rowClicked(int row);
    void rowDoubleClicked(int row);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    CHoldListModel* m_model;
    QTimer m_longPress;
    QPoint m_pressPoint;
};

}  // namespace dovrane::dialogs

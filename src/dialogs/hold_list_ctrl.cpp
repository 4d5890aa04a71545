#include "dialogs/hold_list_ctrl.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <numeric>

#include "dialogs/control_id.h"

namespace dovrane::dialogs {
namespace {

// The background of a group's header row.
const QColor kHeaderRowBrush(0xE8, 0xE8, 0xE8);
// The room the style leaves left of a cell's text.
constexpr int kTextMargin = 4;

// Draws a header row's text across the whole row. Each cell draws all of it clipped to
// itself, so a repaint of any one cell shows its part of the text.
class GroupHeaderDelegate final : public QStyledItemDelegate {
public:
    GroupHeaderDelegate(CHoldListCtrl* list) : QStyledItemDelegate(list), m_list(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const CHoldListModel* model = m_list->listModel();
        if (!model->isHeader(index.row())) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        const QRect row = m_list->RowRect(index.row());
        painter->save();
        painter->setClipRect(option.rect);
        painter->fillRect(option.rect, kHeaderRowBrush);
        QFont bold = option.font;
        bold.setBold(true);
        painter->setFont(bold);
        painter->setPen(option.palette.color(QPalette::Text));
        const QRect text = row.adjusted(kTextMargin, 0, -kTextMargin, 0);
        painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                          QFontMetrics(bold).elidedText(model->headerText(index.row()),
                                                        Qt::ElideRight, text.width()));
        painter->restore();
    }

private:
    CHoldListCtrl* m_list;
};

}  // namespace

CHoldListModel::CHoldListModel(QObject* parent) : QAbstractTableModel(parent) {}

void CHoldListModel::setColumns(std::vector<ListColumn> columns) {
    beginResetModel();
    m_columns = std::move(columns);
    endResetModel();
}

void CHoldListModel::setCellText(CellText cellText) {
    m_cellText = std::move(cellText);
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void CHoldListModel::setOrder(const std::vector<quint32>* order, bool backward) {
    beginResetModel();
    m_order = order;
    m_backward = backward;
    endResetModel();
}

void CHoldListModel::orderChanged() {
    beginResetModel();
    endResetModel();
}

QString CHoldListModel::headerText(int row) const {
    return isHeader(row) ? m_headerText(item(row) & ~kGroupHeaderItem) : QString();
}

Qt::ItemFlags CHoldListModel::flags(const QModelIndex& index) const {
    if (isHeader(index.row()))
        return Qt::ItemIsEnabled;
    return QAbstractTableModel::flags(index);
}

int CHoldListModel::rowCount(const QModelIndex& parent) const {
    // A list of more than 2^31 rows shows its first 2^31 - 1.
    if (parent.isValid() || !m_order)
        return 0;
    return static_cast<int>(std::min<size_t>(m_order->size(), INT_MAX));
}

int CHoldListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant CHoldListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !m_order || index.row() >= rowCount())
        return {};
    const auto column = static_cast<size_t>(index.column());
    if (role == Qt::DisplayRole) {
        if (isHeader(index.row()))
            return index.column() == 0 ? headerText(index.row()) : QString();
        return m_cellText ? m_cellText(item(index.row()), index.column()) : QString();
    }
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(m_columns[column].alignment | Qt::AlignVCenter);
    return {};
}

QVariant CHoldListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 ||
        static_cast<size_t>(section) >= m_columns.size())
        return {};
    if (role == Qt::DisplayRole)
        return m_columns[static_cast<size_t>(section)].heading;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(m_columns[static_cast<size_t>(section)].alignment |
                                   Qt::AlignVCenter);
    return {};
}

CHoldListCtrl::CHoldListCtrl(QWidget* parent)
    : QTableView(parent), m_model(new CHoldListModel(this)) {
    SetDlgCtrlID(this, kIdList);
    setModel(m_model);
    setItemDelegate(new GroupHeaderDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    // Fixed row heights keep a million rows as cheap as ten: no per-row measuring.
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 2);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &CHoldListCtrl::columnClicked);
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (!m_model->isHeader(index.row()))
            emit rowClicked(index.row());
    });
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (!m_model->isHeader(index.row()))
            emit rowDoubleClicked(index.row());
    });
    connect(m_model, &QAbstractItemModel::modelReset, this, &CHoldListCtrl::FitColumns);
    m_longPress.setSingleShot(true);
    m_longPress.setInterval(kLongPressMs);
    connect(&m_longPress, &QTimer::timeout, this, [this] { emit tapHold(m_pressPoint); });
}

CHoldListCtrl::~CHoldListCtrl() = default;

void CHoldListCtrl::InsertColumns(std::vector<ListColumn> columns) {
    m_model->setColumns(std::move(columns));
    const auto& cols = m_model->columns();
    for (size_t i = 0; i < cols.size(); ++i)
        horizontalHeader()->resizeSection(static_cast<int>(i), cols[i].width);
}

void CHoldListCtrl::FitColumns() {
    const int count = m_model->columnCount();
    if (count == 0)
        return;
    // The cell's margins, and the heading's room for the sort arrow.
    constexpr int kPad = 12;
    const QFontMetrics cells(font());
    const QFontMetrics headings(horizontalHeader()->font());
    const int rows = m_model->rowCount();
    const int first = std::max(0, rowAt(0));
    const int shown = viewport()->height() / std::max(1, rowHeight(first)) + 1;
    const int last = std::min(rows, first + shown);
    std::vector<int> least(static_cast<size_t>(count)), wanted(least.size());
    int rest = viewport()->width();
    for (int c = 0; c < count; ++c) {
        const auto i = static_cast<size_t>(c);
        least[i] = headings.horizontalAdvance(m_model->columns()[i].heading) + kPad;
        wanted[i] = least[i];
        for (int r = first; r < last; ++r)
            if (!m_model->isHeader(r))  // drawn across the row, it asks no column for room
                wanted[i] = std::max(
                    wanted[i],
                    cells.horizontalAdvance(m_model->index(r, c).data().toString()) + kPad);
        rest -= least[i];
    }
    // The columns that ask least are served first, so that sizes and shares show whole and
    // only the long names and paths are cut.
    std::vector<size_t> byNeed(least.size());
    std::iota(byNeed.begin(), byNeed.end(), size_t{0});
    std::stable_sort(byNeed.begin(), byNeed.end(), [&](size_t a, size_t b) {
        return wanted[a] - least[a] < wanted[b] - least[b];
    });
    std::vector<int> widths(least);
    for (const size_t i : byNeed) {
        const int extra = std::clamp(wanted[i] - least[i], 0, std::max(0, rest));
        widths[i] += extra;
        rest -= extra;
    }
    widths.back() += std::max(0, rest);
    for (int c = 0; c < count; ++c)
        horizontalHeader()->resizeSection(c, widths[static_cast<size_t>(c)]);
}

void CHoldListCtrl::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    FitColumns();
}

bool CHoldListCtrl::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QTableView::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = indexAt(help->pos());
    const QString text = index.isValid() ? index.data().toString() : QString();
    const bool header = m_model->isHeader(index.row());
    const QRect cell = header ? RowRect(index.row()) : visualRect(index);
    QFont font = this->font();
    font.setBold(header);
    // Only a cell that is cut: its whole text.
    if (!text.isEmpty() && QFontMetrics(font).horizontalAdvance(text) + 6 > cell.width())
        QToolTip::showText(help->globalPos(), text, viewport(), cell);
    else
        QToolTip::hideText();
    return true;
}

std::vector<int> CHoldListCtrl::SelectedRows() const {
    std::vector<int> rows;
    // Ranges, not indexes: a million selected rows never become a million index objects
    // beyond the row numbers themselves.
    for (const QItemSelectionRange& range : selectionModel()->selection())
        for (int r = range.top(); r <= range.bottom(); ++r)
            if (!m_model->isHeader(r))
                rows.push_back(r);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

int CHoldListCtrl::SelectedCount() const {
    return static_cast<int>(SelectedRows().size());
}

int CHoldListCtrl::FirstSelectedRow() const {
    int first = -1;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        int top = range.top();
        while (top <= range.bottom() && m_model->isHeader(top))
            ++top;
        if (top <= range.bottom() && (first < 0 || top < first))
            first = top;
    }
    return first;
}

bool CHoldListCtrl::IsRowSelected(int row) const {
    return row >= 0 && !m_model->isHeader(row) && selectionModel()->isRowSelected(row, {});
}

void CHoldListCtrl::SelectRow(int row, bool selected) {
    if (row < 0 || row >= m_model->rowCount() || m_model->columnCount() == 0 ||
        m_model->isHeader(row))
        return;
    selectionModel()->select(m_model->index(row, 0), (selected ? QItemSelectionModel::Select
                                                               : QItemSelectionModel::Deselect) |
                                                         QItemSelectionModel::Rows);
}

void CHoldListCtrl::SelectAllRows() {
    const int rows = m_model->rowCount(), last = m_model->columnCount() - 1;
    if (rows == 0 || last < 0)
        return;
    // A range a group, between its header rows.
    QItemSelection selection;
    for (int top = 0; top < rows;) {
        while (top < rows && m_model->isHeader(top))
            ++top;
        int bottom = top;
        while (bottom + 1 < rows && !m_model->isHeader(bottom + 1))
            ++bottom;
        if (top < rows)
            selection.append(
                QItemSelectionRange(m_model->index(top, 0), m_model->index(bottom, last)));
        top = bottom + 1;
    }
    selectionModel()->select(selection, QItemSelectionModel::Select);
}

QRect CHoldListCtrl::RowRect(int row) const {
    const int last = m_model->columnCount() - 1;
    if (last < 0)
        return {};
    return visualRect(m_model->index(row, 0)).united(visualRect(m_model->index(row, last)));
}

int CHoldListCtrl::HitTest(QPoint point) const {
    const QModelIndex index = indexAt(point);
    return index.isValid() ? index.row() : -1;
}

void CHoldListCtrl::mousePressEvent(QMouseEvent* event) {
    QTableView::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) {
        m_pressPoint = event->position().toPoint();
        m_longPress.start();
    }
}

void CHoldListCtrl::mouseMoveEvent(QMouseEvent* event) {
    if (m_longPress.isActive() && (event->position().toPoint() - m_pressPoint).manhattanLength() >=
                                      QApplication::startDragDistance())
        m_longPress.stop();
    QTableView::mouseMoveEvent(event);
}

void CHoldListCtrl::mouseReleaseEvent(QMouseEvent* event) {
    m_longPress.stop();
    QTableView::mouseReleaseEvent(event);
}

void CHoldListCtrl::contextMenuEvent(QContextMenuEvent* event) {
    m_longPress.stop();
    // A mouse's event comes through the viewport, in its coordinates.
    QPoint point = event->pos();
    if (event->reason() != QContextMenuEvent::Mouse) {
        // From the keyboard: the middle of the current row, else of the first selected.
        int row = currentIndex().isValid() ? currentIndex().row() : FirstSelectedRow();
        if (row < 0)
            return;
        point = visualRect(m_model->index(row, 0)).center();
    }
    emit tapHold(point);
    event->accept();
}

}  // namespace dovrane::dialogs

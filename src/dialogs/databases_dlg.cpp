#include "dialogs/databases_dlg.h"

#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QTableView>

#include "dialogs/control_id.h"
#include "dialogs/rows_model.h"
#include "engine/text.h"
#include "platform/message_box.h"
#include "platform/object_store.h"
#include "platform/wait_cursor.h"

namespace dovrane::dialogs {
namespace {

const QString kSelectToDelete = QStringLiteral("Please select one or more items to delete.");
const QString kConfirmDelete = QStringLiteral(
    "The deleted database cannot be retrieved. Are you sure you want to delete the selected "
    "database?");
const QString kDeleted = QStringLiteral("The selected database was successfully deleted.");
const QString kCannotDelete = QStringLiteral(
    "Cannot delete the selected database. There has been a sharing violation.  The source "
    "file may be in use");

template <typename List>
void Walk(const List& list, bool backward, std::vector<quint32>& out) {
    out.assign(list.begin(), list.end());
    if (backward)
        std::reverse(out.begin(), out.end());
}

}  // namespace

CDatabasesDlg::CDatabasesDlg(QStringList folders, QString deviceRoot, QWidget* parent)
    : CAnalyzerDialog(2502, parent),
      m_folders(std::move(folders)),
      m_deviceRoot(std::move(deviceRoot)) {
    m_strTitle = QStringLiteral("Databases in Object Store");
    setWindowTitle(QStringLiteral("Databases"));
}

CDatabasesDlg::~CDatabasesDlg() = default;

bool CDatabasesDlg::OnInitDialog() {
    CreateCancelButton()->show();
    m_list = new QTableView(this);
    SetDlgCtrlID(m_list, kIdDatabaseList);
    m_model = new CRowsModel({QStringLiteral("Database"), QStringLiteral("Size"),
                              QStringLiteral("Records"), QStringLiteral("Last Modified")},
                             {false, true, true, false}, m_list);
    m_list->setModel(m_model);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setShowGrid(false);
    m_list->setWordWrap(false);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 2);
    m_list->horizontalHeader()->setSectionsClickable(true);
    m_list->horizontalHeader()->setHighlightSections(false);
    const int widths[] = {125, 60, 55, 150};
    for (int c = 0; c < 4; ++c)
        m_list->setColumnWidth(c, widths[c]);
    connect(m_list->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &CDatabasesDlg::OnColumnClick);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { OnListTapHold(m_list->viewport()->mapFrom(m_list, p)); });
    m_list->setGeometry(0, 24, width(), height() - 24);
    m_list->show();
    CAnalyzerDialog::OnInitDialog();

    const platform::WaitCursor wait;
    m_databases = engine::ListDatabases(m_folders, m_deviceRoot);
    m_orders = engine::OrderDatabases(m_databases);
    FillList();
    return true;
}

void CDatabasesDlg::resizeEvent(QResizeEvent* event) {
    CAnalyzerDialog::resizeEvent(event);
    if (m_list)
        m_list->setGeometry(0, 24, width(), height() - 24);
}

void CDatabasesDlg::FillList() {
    const platform::WaitCursor wait;
    switch (m_nSortColumn) {
        case 0:
            Walk(m_orders.byName, !m_bNameForward, m_rows);
            m_bNameForward = !m_bNameForward;
            break;
        case 1:
            Walk(m_orders.bySize, m_bSizeBackward, m_rows);
            m_bSizeBackward = !m_bSizeBackward;
            break;
        default:
            Walk(m_orders.byDate, m_bDateBackward, m_rows);
            m_bDateBackward = !m_bDateBackward;
            break;
    }
    m_model->Reset(static_cast<int>(m_rows.size()), [this](int row, int column) {
        const engine::DatabaseRecord& r = m_databases[m_rows[static_cast<size_t>(row)]];
        switch (column) {
            case 0:
                return r.name;
            case 1:
                return engine::SizeText(r.size);
            case 2:
                return engine::RecordsText(r.records);
            default:
                return engine::ModifiedText(r.modified);
        }
    });
}

void CDatabasesDlg::OnColumnClick(int column) {
    if (column != 0 && column != 1 && column != 3)
        return;
    m_nSortColumn = column;
    FillList();
}

std::vector<int> CDatabasesDlg::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& i : m_list->selectionModel()->selectedRows())
        rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::unique_ptr<QMenu> CDatabasesDlg::ContextMenu(const QPoint& point) {
    const std::vector<int> selected = SelectedRows();
    const int row = m_list->rowAt(point.y());
    if (selected.empty() || row < 0 || !std::binary_search(selected.begin(), selected.end(), row))
        return nullptr;
    auto menu = std::make_unique<QMenu>(this);
    QAction* del = menu->addAction(QStringLiteral("Delete"), this, &CDatabasesDlg::OnDelete);
    del->setData(kIdDeleteDatabase);
    del->setEnabled(selected.size() == 1);
    return menu;
}

void CDatabasesDlg::OnListTapHold(const QPoint& point) {
    if (const auto menu = ContextMenu(point))
        menu->exec(m_list->viewport()->mapToGlobal(point));
}

void CDatabasesDlg::OnDelete() {
    const std::vector<int> selected = SelectedRows();
    if (selected.empty()) {
        platform::ShowMessage(this, kSelectToDelete);
        return;
    }
    if (platform::ShowMessageBox({.parent = this,
                                  .text = kConfirmDelete,
                                  .buttons = platform::MessageBoxButtons::YesNo}) !=
        platform::MessageBoxResult::Yes)
        return;
    const int row = selected.front();
    const quint32 record = m_rows[static_cast<size_t>(row)];
    const engine::DatabaseRecord& r = m_databases[record];
    if (platform::DeleteDatabase(r.hostPath, r.oid) != platform::DeleteDatabaseResult::Deleted) {
        platform::ShowMessage(this, kCannotDelete);
        return;
    }
    m_rows.erase(m_rows.begin() + row);
    m_model->RemoveRow(row);
    for (auto* order : {&m_orders.byName, &m_orders.bySize, &m_orders.byDate})
        std::erase(*order, record);
    platform::ShowMessage(this, kDeleted);
}

}  // namespace dovrane::dialogs

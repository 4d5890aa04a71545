#include "dialogs/databases_dlg.h"

#include <QMenu>
#include <QPushButton>
#include <QShortcut>

#include "dialogs/control_id.h"
#include "dialogs/file_operations.h"
#include "dialogs/hold_list_ctrl.h"
#include "dialogs/modal.h"
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
    m_list = new CHoldListCtrl(this);
    m_list->InsertColumns({{QStringLiteral("Database"), Qt::AlignLeft, 125},
                           {QStringLiteral("Size"), Qt::AlignRight, 60},
                           {QStringLiteral("Records"), Qt::AlignRight, 55},
                           {QStringLiteral("Last Modified"), Qt::AlignLeft, 150}});
    m_list->listModel()->setCellText([this](quint32 item, int column) {
        const engine::DatabaseRecord& r = m_databases[item];
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
    connect(m_list, &CHoldListCtrl::columnClicked, this, &CDatabasesDlg::OnColumnClick);
    connect(m_list, &CHoldListCtrl::tapHold, this, &CDatabasesDlg::OnListTapHold);
    // A database has no trash: Delete and Shift+Delete both ask, then delete; one at a time,
    // as the menu allows.
    for (const QKeyCombination keys :
         {QKeyCombination(Qt::Key_Delete), QKeyCombination(Qt::SHIFT | Qt::Key_Delete)}) {
        auto* shortcut =
            new QShortcut(QKeySequence(keys), m_list, nullptr, nullptr, Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, this, [this] {
            if (m_list->SelectedCount() <= 1)
                OnDelete();
        });
    }
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
    CHoldListModel* model = m_list->listModel();
    switch (m_nSortColumn) {
        case 0:
            model->setOrder(&m_orders.byName, !m_bNameForward);
            m_bNameForward = !m_bNameForward;
            break;
        case 1:
            model->setOrder(&m_orders.bySize, m_bSizeBackward);
            m_bSizeBackward = !m_bSizeBackward;
            break;
        default:
            model->setOrder(&m_orders.byDate, m_bDateBackward);
            m_bDateBackward = !m_bDateBackward;
            break;
    }
}

const engine::DatabaseRecord& CDatabasesDlg::record(int row) const {
    return m_databases[m_list->listModel()->item(row)];
}

void CDatabasesDlg::OnColumnClick(int column) {
    if (column != 0 && column != 1 && column != 3)
        return;
    m_nSortColumn = column;
    FillList();
}

void CDatabasesDlg::OnListTapHold(QPoint point) {
    const int row = m_list->HitTest(point);
    if (m_list->FirstSelectedRow() < 0 || row < 0 || !m_list->IsRowSelected(row))
        return;
    QMenu menu(this);
    QAction* del = menu.addAction(QStringLiteral("Delete"));
    del->setObjectName(QString::number(kIdDeleteDatabase));
    del->setEnabled(m_list->SelectedCount() == 1);
    del->setShortcut(QKeySequence(Qt::Key_Delete));
    del->setShortcutVisibleInContextMenu(true);
    if (QAction* chosen = RunPopupMenu(menu, m_list->viewport()->mapToGlobal(point));
        chosen == del && del->isEnabled())
        OnDelete();
}

void CDatabasesDlg::OnDelete() {
    const int row = m_list->FirstSelectedRow();
    if (row < 0) {
        platform::ShowMessage(this, kSelectToDelete);
        return;
    }
    if (platform::ShowMessageBox({.parent = this,
                                  .text = kConfirmDelete,
                                  .buttons = platform::MessageBoxButtons::YesNo}) !=
        platform::MessageBoxResult::Yes)
        return;
    const quint32 item = m_list->listModel()->item(row);
    const engine::DatabaseRecord& r = m_databases[item];
    const platform::DatabaseDeletion deletion = platform::DeleteDatabase(r.location, r.oid);
    if (deletion.result != platform::DeleteDatabaseResult::Deleted) {
        platform::ShowMessage(this, WithReason(kCannotDelete, deletion.error));
        return;
    }
    // Out of the three orders, so no later sort shows it; the record stays in the array.
    for (auto* order : {&m_orders.byName, &m_orders.bySize, &m_orders.byDate})
        std::erase(*order, item);
    m_list->listModel()->orderChanged();
    platform::ShowMessage(this, kDeleted);
}

}  // namespace dovrane::dialogs

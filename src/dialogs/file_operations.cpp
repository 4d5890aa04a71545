#include "dialogs/file_operations.h"

#include <QCoreApplication>
#include <QMenu>
#include <QWidget>
#include <unordered_set>

#include "dialogs/control_id.h"
#include "dialogs/file_properties_dlg.h"
#include "dialogs/hold_list_ctrl.h"
#include "dialogs/modal.h"
#include "engine/file_list.h"
#include "engine/scan_import.h"
#include "platform/device.h"
#include "platform/message_box.h"
#include "platform/shell.h"
#include "platform/wait_cursor.h"

namespace dovrane::dialogs {
namespace {

// The handheld reads at most this much of a shortcut; a longer one is launched unchecked.
constexpr qint64 kShortcutBytes = 260;
// Boxes and paints keep coming while thousands of files go, without a box per success.
constexpr size_t kRowsPerBreath = 256;

}  // namespace

QString CannotDeleteText(const QString& devicePath) {
    return QStringLiteral(
               "Cannot delete %1:  There has been a sharing violation.  The source file may be "
               "in use")
        .arg(devicePath);
}

QString CannotTrashText(const QString& devicePath) {
    return QStringLiteral(
               "Cannot move %1 to the trash:  There has been a sharing violation.  The source "
               "file may be in use")
        .arg(devicePath);
}

QString NoTrashText(const QString& devicePath) {
    return QStringLiteral(
               "Cannot move %1 to the trash:  Its file system has no trash.  Nothing was moved.")
        .arg(devicePath);
}

QString ShortcutTarget(const QByteArray& content) {
    const QString text = QString::fromUtf8(content);
    const qsizetype hash = text.indexOf(u'#');
    if (hash <= 0)
        return {};
    // "%d": blanks, a sign, then digits as far as they go.
    const QString head = text.left(hash).trimmed();
    qsizetype digits = (head.startsWith(u'-') || head.startsWith(u'+')) ? 1 : 0;
    while (digits < head.size() && head[digits].isDigit())
        ++digits;
    bool ok = false;
    const qint64 length = head.left(digits).toLongLong(&ok);
    if (!ok)
        return {};
    const qsizetype start = hash + 2;
    const qsizetype end = std::min<qint64>(hash + length, text.size());
    return start < end ? text.mid(start, end - start) : QString();
}

CFileOperations::CFileOperations(QWidget* dialog, CHoldListCtrl* list, platform::Device* device)
    : QObject(dialog), m_dialog(dialog), m_list(list), m_device(device) {
    connect(list, &CHoldListCtrl::tapHold, this, &CFileOperations::OnContextMenu);
}

CFileOperations::~CFileOperations() = default;

const engine::FileRecord& CFileOperations::Record(int row) const {
    return (*m_files)[m_list->listModel()->item(row)];
}

QString CFileOperations::RowPath(int row) const {
    return m_files ? m_files->fullPath(Record(row)) : QString();
}

void CFileOperations::OnContextMenu(QPoint point) {
    if (m_list->FirstSelectedRow() < 0)
        return;
    const int row = m_list->HitTest(point);
    if (row < 0 || !m_list->IsRowSelected(row))
        return;
    QMenu menu(m_dialog);
    const auto add = [&](const QString& text, int id) {
        QAction* action = menu.addAction(text);
        action->setObjectName(QString::number(id));
        action->setData(id);
        return action;
    };
    QAction* open = add(QStringLiteral("Open"), kIdOpen);
    QAction* remove = add(QStringLiteral("Delete"), kIdDelete);
    QAction* trash = add(QStringLiteral("Move to Trash"), kIdMoveToTrash);
    QAction* properties = add(QStringLiteral("Properties"), kIdProperties);
    menu.addSeparator();
    add(QStringLiteral("Select All"), kIdSelectAll);
    if (m_list->SelectedCount() > 1) {
        open->setEnabled(false);
        properties->setEnabled(false);
    }
    if (ScanOnly()) {
        for (QAction* action : {open, remove, trash}) {
            action->setEnabled(false);
            action->setToolTip(QStringLiteral("An imported scan has no files to open or remove"));
        }
    }
    if (QAction* chosen = RunPopupMenu(menu, m_list->viewport()->mapToGlobal(point));
        chosen && chosen->isEnabled())
        OnCommand(chosen->data().toInt());
}

bool CFileOperations::ScanOnly() const {
    return dynamic_cast<const engine::ImportDevice*>(m_device) != nullptr;
}

void CFileOperations::OnCommand(int id) {
    if (ScanOnly() && (id == kIdOpen || id == kIdDelete || id == kIdMoveToTrash))
        return;
    switch (id) {
        case kIdOpen:
            OnOpen();
            break;
        case kIdDelete:
            OnDelete();
            break;
        case kIdMoveToTrash:
            OnMoveToTrash();
            break;
        case kIdProperties:
            OnProperties();
            break;
        case kIdSelectAll:
            OnSelectAll();
            break;
        default:
            break;
    }
}

void CFileOperations::OnOpen() {
    const int row = m_list->FirstSelectedRow();
    if (row < 0 || !m_files || !m_device)
        return;
    const QString path = RowPath(row);
    // The handheld's shortcut rule: the last three characters, with case.
    if (path.endsWith(QLatin1String("lnk"), Qt::CaseSensitive)) {
        const auto content = m_device->readFileStart(path, kShortcutBytes);
        if (!content) {
            platform::ShowMessage(m_dialog, QStringLiteral("Can't open shortcut."));
            return;
        }
        if (content->size() < kShortcutBytes) {
            // A target that cannot be read is refused like a folder: nothing is launched
            // on a guess.
            const QString target = ShortcutTarget(*content);
            const auto data = target.isEmpty() ? std::nullopt : m_device->findFile(target);
            if (!data || data->isFolder()) {
                platform::ShowMessage(m_dialog, QStringLiteral("Can't open shortcut folder"));
                return;
            }
        }
    }
    const QString hostPath = m_device->hostPath(path);
    if (!hostPath.isEmpty())
        platform::OpenFile(hostPath);  // a failed launch is silent
}

void CFileOperations::OnDelete() {
    RemoveSelected(false);
}

void CFileOperations::OnMoveToTrash() {
    RemoveSelected(true);
}

void CFileOperations::RemoveSelected(bool toTrash) {
    const std::vector<int> rows = m_list->SelectedRows();
    const auto n = static_cast<int>(rows.size());
    if (n == 0) {
        platform::ShowMessage(m_dialog, toTrash ? QStringLiteral("Please select one or more items "
                                                                 "to move to the trash.")
                                                : QStringLiteral("Please select one or more items "
                                                                 "to delete."));
        return;
    }
    QString question;
    if (toTrash)
        question = n == 1 ? QStringLiteral(
                                "Are you sure you want to move the selected file to "
                                "the trash? It can be restored from the trash.")
                          : QStringLiteral(
                                "Are you sure you want to move all the selected %1 "
                                "files to the trash? They can be restored from the "
                                "trash.")
                                .arg(n);
    else
        question = n == 1 ? QStringLiteral(
                                "Are you sure you want to delete the selected file? "
                                "The deleted file cannot be retrieved.")
                          : QStringLiteral(
                                "Are you sure you want to delete all the selected %1 "
                                "files? The deleted files cannot be retrieved.")
                                .arg(n);
    if (platform::ShowMessageBox({.parent = m_dialog,
                                  .text = question,
                                  .buttons = platform::MessageBoxButtons::YesNo,
                                  .icon = platform::MessageBoxIcon::Warning}) !=
        platform::MessageBoxResult::Yes)
        return;

    std::vector<quint32> removed;
    std::vector<quint32> kept;
    {
        platform::WaitCursor wait;
        for (size_t i = 0; i < rows.size(); ++i) {
            const quint32 item = m_list->listModel()->item(rows[i]);
            if (!m_files || !m_device) {
                kept.push_back(item);
                continue;
            }
            const engine::FileRecord& r = (*m_files)[item];
            const QString path = m_files->fullPath(r);
            const platform::FileIdentity identity{{m_files->volume(r), r.inode}, r.regular()};
            const auto result = m_device->removeFile(
                path, identity,
                toTrash ? platform::RemoveMode::Trash : platform::RemoveMode::Delete);
            if (result == platform::RemoveResult::Removed) {
                removed.push_back(item);
            } else {
                kept.push_back(item);
                platform::ShowMessage(m_dialog, result == platform::RemoveResult::NoTrash
                                                    ? NoTrashText(path)
                                                : toTrash ? CannotTrashText(path)
                                                          : CannotDeleteText(path));
            }
            if ((i + 1) % kRowsPerBreath == 0)
                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
    }
    if (!removed.empty()) {
        const int top = m_list->rowAt(0);
        if (removeItems)
            removeItems(removed);
        m_list->listModel()->orderChanged();
        // The rows that stayed are still selected; finding them again costs one pass.
        const std::unordered_set<quint32> stay(kept.begin(), kept.end());
        const int count = m_list->listModel()->rowCount();
        QItemSelection selection;
        for (int row = 0; row < count && !stay.empty(); ++row)
            if (stay.contains(m_list->listModel()->item(row)))
                selection.select(
                    m_list->listModel()->index(row, 0),
                    m_list->listModel()->index(row, m_list->listModel()->columnCount() - 1));
        m_list->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
        if (top > 0)
            m_list->scrollTo(m_list->listModel()->index(std::min(top, count - 1), 0),
                             QAbstractItemView::PositionAtTop);
    }
    m_list->setFocus();
}

void CFileOperations::OnProperties() {
    const int row = m_list->FirstSelectedRow();
    if (row < 0 || !m_files)
        return;
    const engine::FileRecord& r = Record(row);
    CFilePropertiesDlg dialog(nullptr, m_files->name(r), m_files->folder(r), m_device);
    RunModal(dialog);
}

void CFileOperations::OnSelectAll() {
    m_list->SelectAllRows();
    m_list->setFocus();
}

}  // namespace dovrane::dialogs

#pragma once
// What every file list does with its rows: the item menu (Open, Delete, Move to Trash,
// Properties, Select All), opening with the shortcut rule, deleting and trashing through
// the device's checked removal, File Properties, Select All. A row's item is the index of
// a record of one engine::FileList.
//
//   CFileOperations ops(dialog, list, device);
//   ops.setFiles(&fileList);
//   ops.removeItems = [&](const std::vector<quint32>& gone) { /* drop from each order */ };
//
// The list's tapHold opens the menu; the dialog needs to connect nothing else.

#include <QObject>
#include <QPoint>
#include <QString>
#include <functional>
#include <vector>

class QWidget;

namespace dovrane::engine {
class FileList;
class FileRecord;
}  // namespace dovrane::engine

namespace dovrane::platform {
class Device;
}

namespace dovrane::dialogs {

class CHoldListCtrl;

// Commands of the item menu (menu 136); the action's object name is the number.
constexpr int kIdOpen = 32901;
constexpr int kIdDelete = 32902;
constexpr int kIdProperties = 32903;
constexpr int kIdMoveToTrash = 32904;
constexpr int kIdSelectAll = 32905;

// Texts shown by the operations.
QString CannotDeleteText(const QString& devicePath);
QString CannotTrashText(const QString& devicePath);
QString NoTrashText(const QString& devicePath);

// A shortcut file's target as the device's shortcut text gives it: "L#" then L characters
// whose first and last (the quotes) are dropped. Empty when it names nothing.
QString ShortcutTarget(const QByteArray& content);

class CFileOperations : public QObject {
    Q_OBJECT

public:
    // Neither `dialog` (owner of boxes and menus) nor `list` is owned; `device` may be null
    // (every operation on the host then fails).
    CFileOperations(QWidget* dialog, CHoldListCtrl* list, platform::Device* device);
    ~CFileOperations() override;

    // The records the rows' items index; null: rows name no file.
    void setFiles(const engine::FileList* files) { m_files = files; }
    const engine::FileList* files() const { return m_files; }

    // Called once per Delete or Move to Trash with the items removed from the device,
    // before the list is refreshed: the dialog takes them out of every array it shows.
    std::function<void(const std::vector<quint32>& removed)> removeItems;

    // The menu for a tap-and-hold at `point` of the list's viewport: nothing unless the
    // row there is selected; Open and Properties grayed when several rows are.
    void OnContextMenu(QPoint point);
    // Runs one menu command; unknown ids do nothing.
    void OnCommand(int id);

    void OnOpen();
    void OnDelete();
    void OnMoveToTrash();
    void OnProperties();
    void OnSelectAll();

    // The device path of a row (folder, "\", name, no second "\" after the root).
    QString RowPath(int row) const;

private:
    // The device is an imported scan: nothing to open, delete or trash.
    bool ScanOnly() const;
    void RemoveSelected(bool toTrash);
    const engine::FileRecord& Record(int row) const;

    QWidget* m_dialog;
    CHoldListCtrl* m_list;
    platform::Device* m_device;
    const engine::FileList* m_files = nullptr;
};

}  // namespace dovrane::dialogs

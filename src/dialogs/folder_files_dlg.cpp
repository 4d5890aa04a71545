#include "dialogs/folder_files_dlg.h"

#include <numeric>

#include "engine/file_list.h"
#include "engine/folder_tree.h"
#include "engine/orders.h"
#include "platform/wait_cursor.h"

namespace dovrane::dialogs {

CFolderFilesDlg::CFolderFilesDlg(platform::Device* device, QWidget* parent)
    : CFileListDialogBase(2503, device, parent) {
    setWindowTitle(QStringLiteral("Files in Folder"));
}

CFolderFilesDlg::~CFolderFilesDlg() = default;

QString CFolderFilesDlg::DevicePathOf(const engine::FolderNode* folder) {
    return !folder || !folder->parent ? QStringLiteral("\\") : engine::BuildFolderPath(folder);
}

void CFolderFilesDlg::SetFolder(const engine::FolderNode* folder) {
    m_pFolder = folder;
    if (!folder)
        return;
    // Its start and its last folders say the most: a long path loses its middle.
    SetTitle(engine::BuildFolderPath(folder), Qt::ElideMiddle);
    {
        platform::WaitCursor wait;
        m_files = std::make_unique<engine::FileList>(
            m_device ? engine::ListFolderFiles(*m_device, DevicePathOf(folder))
                     : engine::FileList());
        std::vector<quint32> listed(m_files->size());
        std::iota(listed.begin(), listed.end(), quint32{0});
        const engine::FileList& files = *m_files;
        m_filesBySize = engine::OrderBySize(listed, [&](quint32 i) { return files[i].size; });
        m_filesByName =
            engine::OrderByName(listed, [&](quint32 i) { return files.name(files[i]); });
    }
    FillList();
}

}  // namespace dovrane::dialogs

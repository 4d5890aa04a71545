#pragma once
// Files in Folder: the files lying directly in one folder of the Folder View's tree,
// listed afresh from the device when the folder is set (not its sub-folders' files). The
// dialog owns the records it listed; its two orders refer to them.

#include <memory>
#include <vector>

#include "dialogs/file_list_dlg.h"

namespace dovrane::engine {
struct FolderNode;
}

namespace dovrane::dialogs {

class CFolderFilesDlg : public CFileListDialogBase {
    Q_OBJECT

public:
    explicit CFolderFilesDlg(platform::Device* device, QWidget* parent = nullptr);
    ~CFolderFilesDlg() override;

    // Lists the folder's files (none for null, or a folder that cannot be read) and fills.
    void SetFolder(const engine::FolderNode* folder);
    const engine::FolderNode* m_pFolder = nullptr;

    // The device path listed: "\" for the root.
    static QString DevicePathOf(const engine::FolderNode* folder);

protected:
    const engine::FileList* Files() const override { return m_files.get(); }
    std::vector<quint32>* FilesByName() override { return &m_filesByName; }
    std::vector<quint32>* FilesBySize() override { return &m_filesBySize; }

private:
    std::unique_ptr<engine::FileList> m_files;  // owns the records
    std::vector<quint32> m_filesByName;
    std::vector<quint32> m_filesBySize;
};

}  // namespace dovrane::dialogs

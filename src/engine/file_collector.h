#pragma once
// The walk sink shared by the file-type and the file searches: every file met becomes a
// record of one FileList, with its folder as walked ("" for the root, then "\Windows"...).

#include <QString>
#include <optional>
#include <vector>

#include "engine/file_list.h"
#include "engine/walk.h"

namespace dovrane::engine {

class FileCollector : public WalkSink {
public:
    // `startPath` as the walk records it: "" for the root.
    FileCollector(FileList& files, QString startPath);

    void enterFolder(std::string_view hostName, const platform::FindData& entry) override;
    void file(std::string_view hostName, const platform::FindData& entry, bool counted) override;
    void leaveFolder() override;

protected:
    // Called for each record just added.
    virtual void collected(quint32 record, std::string_view hostName, bool counted) = 0;

private:
    // Registers the open folders from the outermost unregistered one down.
    quint32 folderIndex();

    struct Open {
        std::string_view hostName;  // in the walk's listing, alive while the folder is open
        // That of the folder's first own file. A folder is registered as soon as a file lies
        // below it, often before its own first file: it takes its volume then.
        std::optional<quint64> volume;
        qint64 folder = -1;  // in the list's folder table, once a file lies at or below it
    };
    FileList& m_files;
    QString m_startPath;
    std::vector<Open> m_open;
};

}  // namespace dovrane::engine

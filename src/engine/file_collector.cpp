#include "engine/file_collector.h"

#include "platform/name_codec.h"

namespace dovrane::engine {

FileCollector::FileCollector(FileList& files, QString startPath) : m_files(files) {
    m_open.push_back({std::move(startPath), -1});
}

void FileCollector::enterFolder(std::string_view hostName, const platform::FindData&) {
    QString path = m_open.back().path + u'\\';
    platform::AppendDecodedHostName(path, hostName);
    m_open.push_back({std::move(path), -1});
}

void FileCollector::file(std::string_view hostName, const platform::FindData& entry, bool counted) {
    Open& open = m_open.back();
    // Folders without files take no room in the table.
    if (open.folder < 0)
        open.folder = m_files.addFolder(open.path, entry.id.volume);
    collected(m_files.add(static_cast<quint32>(open.folder), hostName, entry, counted), hostName,
              counted);
}

void FileCollector::leaveFolder() {
    m_open.pop_back();
}

}  // namespace dovrane::engine

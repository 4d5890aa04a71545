#include "engine/file_collector.h"

#include "platform/name_codec.h"

namespace dovrane::engine {

FileCollector::FileCollector(FileList& files, QString startPath)
    : m_files(files), m_startPath(std::move(startPath)) {
    m_open.push_back({});
}

void FileCollector::enterFolder(std::string_view hostName, const platform::FindData&) {
    m_open.push_back({hostName, std::nullopt, -1});
}

quint32 FileCollector::folderIndex() {
    if (m_open.back().folder >= 0)
        return static_cast<quint32>(m_open.back().folder);
    // Folders without files take no room: only the chain down to this file's folder.
    size_t first = m_open.size() - 1;
    while (first > 0 && m_open[first - 1].folder < 0)
        --first;
    for (size_t i = first; i < m_open.size(); ++i) {
        Open& o = m_open[i];
        const quint64 volume = o.volume.value_or(0);
        o.folder = i == 0 ? m_files.addFolder(m_startPath, volume)
                          : m_files.addFolder(static_cast<quint32>(m_open[i - 1].folder),
                                              o.hostName, volume);
    }
    return static_cast<quint32>(m_open.back().folder);
}

void FileCollector::file(std::string_view hostName, const platform::FindData& entry, bool counted) {
    Open& open = m_open.back();
    if (!open.volume) {
        open.volume = entry.id.volume;
        // Registered for a file below it: the volume a delete and a content read re-check
        // would otherwise stay unknown for every file of its own.
        if (open.folder >= 0)
            m_files.setFolderVolume(static_cast<quint32>(open.folder), entry.id.volume);
    }
    collected(m_files.add(folderIndex(), hostName, entry, counted), hostName, counted);
}

void FileCollector::leaveFolder() {
    m_open.pop_back();
}

}  // namespace dovrane::engine

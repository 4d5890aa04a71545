#include "engine/file_list.h"

#include "engine/sub_folders.h"
#include "engine/text.h"
#include "platform/device.h"
#include "platform/device_path.h"
#include "platform/name_codec.h"

namespace dovrane::engine {

quint32 FileList::addFolder(const QString& path, quint64 volume) {
    m_wholePaths.push_back(path);
    m_folders.push_back({kWhole, static_cast<quint32>(m_wholePaths.size() - 1), volume});
    return static_cast<quint32>(m_folders.size() - 1);
}

quint32 FileList::addFolder(quint32 parent, std::string_view hostName, quint64 volume) {
    m_folders.push_back({parent, m_names.addCounted(hostName), volume});
    return static_cast<quint32>(m_folders.size() - 1);
}

quint32 FileList::add(quint32 folder, std::string_view hostName, const platform::FindData& entry,
                      bool counted) {
    FileRecord r;
    r.size = entry.size;
    r.inode = entry.id.inode;
    r.m_name = m_names.addCounted(hostName);
    r.m_folder = folder | (counted ? FileRecord::kCounted : 0) |
                 ((entry.attributes & platform::kAttributeArchive) ? FileRecord::kRegular : 0);
    if (m_size == m_blocks.size() * kBlockSize)
        m_blocks.push_back(std::make_unique_for_overwrite<FileRecord[]>(kBlockSize));
    m_blocks[m_size >> kBlockBits][m_size & (kBlockSize - 1)] = r;
    return static_cast<quint32>(m_size++);
}

QString FileList::name(const FileRecord& r) const {
    return platform::DecodeHostName(hostName(r));
}

QString FileList::folder(const FileRecord& r) const {
    std::vector<quint32> chain;
    quint32 f = folderIndex(r);
    while (m_folders[f].parent != kWhole) {
        chain.push_back(f);
        f = m_folders[f].parent;
    }
    QString path = m_wholePaths[m_folders[f].name];
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        path.append(u'\\');
        platform::AppendDecodedHostName(path, m_names.counted(m_folders[*it].name));
    }
    return path;
}

QString FileList::fullPath(const FileRecord& r) const {
    const QString f = folder(r);
    return (f == u"\\" ? f : f + u'\\') + name(r);
}

FileList ListFolderFiles(platform::Device& device, const QString& devicePath) {
    FileList list;
    auto folder = device.openFolder(devicePath);
    if (!folder)
        return list;
    platform::Listing listing;
    device.read(*folder, listing);
    quint32 index = 0;
    bool haveFolder = false;
    for (const platform::FindData& e : listing.entries) {
        if (e.isFolder())
            continue;
        if (!haveFolder) {
            index = list.addFolder(devicePath, e.id.volume);
            haveFolder = true;
        }
        list.add(index, listing.nameOf(e), e, true);
    }
    return list;
}

}  // namespace dovrane::engine

namespace dovrane::engine {

std::optional<QString> ResolveFolderPath(platform::Device& device, QStringView devicePath) {
    QString resolved;
    auto folder = device.openFolder(u"\\");
    for (const QString& part : platform::SplitDevicePath(devicePath)) {
        // A folder that cannot be read is still a folder, but nothing lies below it.
        if (!folder)
            return std::nullopt;
        platform::Listing listing;
        device.read(*folder, listing, platform::ReadDetail::FoldersOnly);
        const auto pick =
            PickByName(listing.entries.size(), part, [&](size_t i) -> std::optional<QString> {
                const platform::FindData& e = listing.entries[i];
                if (!e.isFolder())
                    return std::nullopt;
                return platform::DecodeHostName(listing.nameOf(e));
            });
        if (!pick && BlankComponent(part))
            continue;
        if (!pick)
            return std::nullopt;
        const platform::FindData* match = &listing.entries[*pick];
        resolved += u'\\' + platform::DecodeHostName(listing.nameOf(*match));
        folder = device.openChild(*folder, listing.nameOf(*match));
    }
    return resolved.isEmpty() ? QStringLiteral("\\") : resolved;
}

}  // namespace dovrane::engine

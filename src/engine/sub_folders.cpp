#include "engine/sub_folders.h"

#include <algorithm>
#include <numeric>

#include "platform/device.h"
#include "platform/name_codec.h"

namespace dovrane::engine {
namespace {

QStringList SortedSubFolders(platform::Device& device, platform::Folder& folder) {
    platform::Listing listing;
    device.read(folder, listing, platform::ReadDetail::FoldersOnly);
    QStringList names;
    std::vector<QString> keys;
    for (const platform::FindData& e : listing.entries) {
        if (!e.isFolder())
            continue;
        names.append(platform::DecodeHostName(listing.nameOf(e)));
        keys.push_back(FoldCase(names.back()));
    }
    std::vector<qsizetype> order(keys.size());
    std::iota(order.begin(), order.end(), qsizetype{0});
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        return keys[static_cast<size_t>(a)] < keys[static_cast<size_t>(b)];
    });
    QStringList sorted;
    sorted.reserve(names.size());
    for (const qsizetype i : order)
        sorted.append(names[i]);
    return sorted;
}

}  // namespace

std::optional<QStringList> ReadSubFolders(platform::Device& device, QStringView devicePath) {
    const auto folder = device.openFolder(devicePath);
    if (!folder)
        return std::nullopt;
    return SortedSubFolders(device, *folder);
}

FolderTrail::FolderTrail(platform::Device& device) : m_device(device) {
    if (auto root = device.openFolder(u"\\"))
        m_folders.push_back(std::move(root));
}

FolderTrail::~FolderTrail() {
    lose();
}

void FolderTrail::lose() {
    // The deepest first: a folder may refer to the one it was opened from.
    while (!m_folders.empty())
        m_folders.pop_back();
}

void FolderTrail::enter(QStringView deviceName) {
    if (lost())
        return;
    const auto hostName = platform::EncodeDeviceName(deviceName);
    auto child = hostName ? m_device.openChild(*m_folders.back(), *hostName) : nullptr;
    if (!child) {
        lose();
        return;
    }
    // Only the folder reached last stays open: depth costs no descriptors.
    m_device.park(*m_folders.back());
    m_folders.push_back(std::move(child));
}

std::optional<QStringList> FolderTrail::subFolders() {
    if (lost())
        return std::nullopt;
    return SortedSubFolders(m_device, *m_folders.back());
}

}  // namespace dovrane::engine

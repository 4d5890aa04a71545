#include "engine/sub_folders.h"

#include <algorithm>
#include <numeric>
#include <vector>

#include "engine/text.h"
#include "platform/device.h"
#include "platform/name_codec.h"

namespace dovrane::engine {

std::optional<QStringList> ReadSubFolders(platform::Device& device, QStringView devicePath) {
    const auto folder = device.openFolder(devicePath);
    if (!folder)
        return std::nullopt;
    platform::Listing listing;
    device.read(*folder, listing, platform::ReadDetail::FoldersOnly);
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

}  // namespace dovrane::engine

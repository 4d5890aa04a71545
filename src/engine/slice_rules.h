#pragma once
// How a pie is cut and what its made-up entries are called, for every chart and report:
// the first slices are the largest entries, the rest fold into "Other". Header only, with
// nothing below it but Qt Core, so that any layer may ask without pulling in a scan.

#include <QString>
#include <cstddef>

namespace dovrane::engine {

inline const QString kInFolderName = QStringLiteral("\"In Folder\"");
inline const QString kOtherName = QStringLiteral("\"Other\"");
// The root as headers and progress texts show it.
inline const QString kRootDisplayPath = QStringLiteral("\\Pocket PC");

// Slices below 1 are taken as 1, so "Other" never starts before the first entry.
inline int SliceLimit(int numberOfSlices) {
    return numberOfSlices < 1 ? 1 : numberOfSlices;
}

// Entries that get a slice of their own out of `count`: all while they fit, else one
// fewer than the slices, the last slice being "Other".
inline size_t NamedSliceCount(size_t count, int numberOfSlices) {
    const auto n = static_cast<size_t>(SliceLimit(numberOfSlices));
    return count > n ? n - 1 : count;
}

// The "Other" total of entries in size order: all those without a slice of their own.
template <typename BySize, typename SizeOf>
quint64 OtherTotal(const BySize& bySize, int numberOfSlices, SizeOf sizeOf) {
    quint64 total = 0;
    for (size_t i = NamedSliceCount(bySize.size(), numberOfSlices); i < bySize.size(); ++i)
        total += sizeOf(bySize[i]);
    return total;
}

}  // namespace dovrane::engine

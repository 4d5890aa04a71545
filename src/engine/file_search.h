#pragma once
// The largest and the duplicate files below one folder.

#include <QString>

#include "engine/file_types.h"

namespace dovrane::engine {

// One file of the largest-first order: its size and its record, whose index is the order
// the walk met it in. Twelve bytes, sorted without a look back into the records.
struct SizeRank {
    quint32 high, low;
    quint32 record;
};

class FileSearch {
public:
    // Walks `startFolder` ("" or "\" for the whole device). For duplicates, keeps in the
    // name order only the files whose name (without regard to case) occurs more than once.
    // Returns false when stopped.
    bool SearchFiles(platform::Device& device, const QString& startFolder, bool largest,
                     const WalkControl& control);

    // "\Pocket PC" for the whole device, else the spaced start folder.
    static QString HeaderText(const QString& startFolder);

    const FileList& list() const { return m_list; }
    const FileTypeStat& allFiles() const { return m_allFiles; }
    // The rows as listed: every file largest first, or the duplicates in name order.
    const std::vector<quint32>& results() const {
        return m_largest ? m_allFiles.filesBySize : m_allFiles.filesByName;
    }
    // The largest first, equal sizes in the order met, as results() lists them: for a
    // listing of millions that keeps no other order.
    std::vector<SizeRank> largestFirst() const;

private:
    FileList m_list;
    FileTypeStat m_allFiles{
        .name = QStringLiteral("All"), .files = {}, .filesBySize = {}, .filesByName = {}};
    bool m_largest = true;
};

}  // namespace dovrane::engine

#include "engine/file_search.h"

#include <algorithm>
#include <numeric>

#include "engine/file_collector.h"
#include "engine/slice_rules.h"
#include "engine/text.h"

namespace dovrane::engine {
namespace {

// Every file met goes into the sums of `all`; records are made in the order met, so
// that order is their indexes and needs no list of its own.
class AllFilesCollector final : public FileCollector {
public:
    AllFilesCollector(FileList& list, FileTypeStat& all, QString start)
        : FileCollector(list, std::move(start)), m_list(list), m_all(all) {}

protected:
    void collected(quint32 record, std::string_view, bool counted) override {
        ++m_all.fileCount;
        if (counted)
            m_all.totalSize += m_list[record].size;
    }

private:
    FileList& m_list;
    FileTypeStat& m_all;
};

bool IsWholeDevice(const QString& folder) {
    return folder.isEmpty() || folder == u"\\";
}

}  // namespace

QString FileSearch::HeaderText(const QString& startFolder) {
    return IsWholeDevice(startFolder) ? kRootDisplayPath : SpacePath(startFolder);
}

bool FileSearch::SearchFiles(platform::Device& device, const QString& startFolder, bool largest,
                             const WalkControl& control) {
    m_largest = largest;
    // The root is walked as "", so that folders read "\Windows", not "\\Windows".
    const QString start = IsWholeDevice(startFolder) ? QString() : startFolder;
    AllFilesCollector collector(m_list, m_allFiles, start);
    if (!WalkTree(device, start, collector, control))
        return false;
    m_allFiles.files.defer([count = m_list.size()] {
        std::vector<quint32> met(count);
        std::iota(met.begin(), met.end(), 0u);
        return met;
    });
    // Each listing needs one order; the other is built only if someone asks for it.
    m_allFiles.DeferOrders(m_list);
    if (!largest)
        m_allFiles.filesByName = DuplicatesByName(m_list, m_allFiles.files);
    return true;
}

std::vector<SizeRank> FileSearch::largestFirst() const {
    std::vector<SizeRank> order(m_list.size());
    for (size_t i = 0; i < order.size(); ++i) {
        const FileRecord& r = m_list[i];
        order[i] = {r.sizeHigh(), r.sizeLow(), static_cast<quint32>(i)};
    }
    std::sort(order.begin(), order.end(), [](const SizeRank& a, const SizeRank& b) {
        if (a.high != b.high)
            return a.high > b.high;
        if (a.low != b.low)
            return a.low > b.low;
        return a.record < b.record;
    });
    return order;
}

}  // namespace dovrane::engine

#include "engine/file_search.h"

#include "engine/file_collector.h"
#include "engine/slice_rules.h"
#include "engine/text.h"

namespace dovrane::engine {
namespace {

// Every file met goes to `met`, in order, and into the sums of `all`.
class AllFilesCollector final : public FileCollector {
public:
    AllFilesCollector(FileList& list, FileTypeStat& all, std::vector<quint32>& met, QString start)
        : FileCollector(list, std::move(start)), m_list(list), m_all(all), m_met(met) {}

protected:
    void collected(quint32 record, std::string_view, bool counted) override {
        m_met.push_back(record);
        ++m_all.fileCount;
        if (counted)
            m_all.totalSize += m_list[record].size;
    }

private:
    FileList& m_list;
    FileTypeStat& m_all;
    std::vector<quint32>& m_met;
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
    std::vector<quint32> met;
    AllFilesCollector collector(m_list, m_allFiles, met, start);
    if (!WalkTree(device, start, collector, control))
        return false;
    m_allFiles.files = std::move(met);
    // Each listing needs one order; the other is built only if someone asks for it.
    m_allFiles.DeferOrders(m_list);
    if (!largest) {
        std::vector<quint32> byName = m_allFiles.filesByName;
        KeepDuplicates(m_list, byName);
        m_allFiles.filesByName = std::move(byName);
    }
    return true;
}

}  // namespace dovrane::engine

#pragma once
// The Largest Files / Duplicate Files dialog: every file below a folder largest first, or
// those whose name occurs more than once grouped by name, or (beyond the handheld) those
// whose bytes are identical grouped by content. The search runs on a thread of its own
// while "Processing" and the folder being walked show; the list is filled once, after.
//
// Threads. The search runs as a scan job into a result of its own, which the job hands
// back on the user-interface thread; it writes nothing of the dialog. The progress (the
// walk's, and the bytes read for identical content) is atomics, read on a timer. Closing
// the dialog stops the job and joins its thread.
//
// Duplicate and identical files come in groups, each under a header row: the shared name,
// or the count, size and waste of the copies. A header tap sorts the files within each
// group; identical groups then go largest waste first, duplicate groups stay in name order
// (one name says nothing of the bytes, so no waste is claimed for them).
//
// Ids: 101 "Processing", 102 the progress label, 1000 the list.

#include <QString>
#include <QTimer>
#include <array>
#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <vector>

#include "dialogs/analyzer_dialog.h"
#include "engine/file_search.h"
#include "engine/identical_files.h"
#include "engine/scan_job.h"
#include "engine/search_scan.h"
#include "engine/walk.h"

class QLabel;

namespace dovrane::platform {
class Device;
}

namespace dovrane::dialogs {

class CHoldListCtrl;
class CFileOperations;

constexpr int kIdSearchProcessing = 101;
constexpr int kIdSearchProgress = 102;

enum class SearchMode {
    Largest,     // every file, largest first
    Duplicates,  // files whose name occurs more than once, by name
    Identical,   // files whose bytes are identical, by content
};

// How the search walks: the pause on entering each folder, and its readers (0: the
// default).
struct SearchPace {
    std::chrono::milliseconds pace{0};
    int threads = 0;
};

class CLargestFilesDlg : public CAnalyzerDialog {
    Q_OBJECT

public:
    // `device` outlives the dialog; null finds nothing. With `early`, the dialog takes that
    // running search over when it opens, should it be the one the dialog would start.
    CLargestFilesDlg(platform::Device* device, SearchMode mode, SearchPace pace = {},
                     QWidget* parent = nullptr,
                     std::shared_ptr<engine::EarlyFileSearch> early = {});
    // Stops a running search and waits for its thread.
    ~CLargestFilesDlg() override;

    SearchMode mode() const { return m_mode; }

    // The start folder before the search ends, the text under the header after it.
    QString startFolder() const;
    void setStartFolder(const QString& folder);

    bool IsSearching() const { return m_job->isRunning(); }
    CHoldListCtrl* list() const { return m_list; }
    CFileOperations* operations() const { return m_operations; }
    const engine::FileList& files() const { return m_search->list(); }
    // The record of each row, top to bottom (deleted rows taken out).
    const std::vector<quint32>& rows() const { return m_rows; }
    // The groups of the identical-content search, once it has ended.
    const std::optional<engine::IdenticalResult>& identical() const { return m_identical; }

    // A group of the duplicate or identical lists.
    struct Group {
        QString name;                // Duplicate Files: the name as the first file spells it
        quint64 size = 0;            // Identical Files: the bytes of one copy
        std::vector<quint32> found;  // records in the engine's order, deleted ones taken out
        std::vector<quint32> files;  // records as shown
        quint64 wastedBytes() const { return files.empty() ? 0 : size * (files.size() - 1); }
    };
    const std::vector<Group>& groups() const { return m_groups; }
    // The bytes all identical groups waste, as the list stands.
    quint64 WastedBytes() const;

    // The header text of a mode.
    static QString TitleOf(bool largest, bool sameContent);
    // The header row of an identical group: "3 files of 2.0 MB, 3.9 MB wasted".
    static QString IdenticalGroupText(size_t count, quint64 size);
    // The header strip of Identical Files once the waste is known.
    static QString IdenticalTitle(quint64 wasted);

signals:
    // The list has been filled: the search is over.
    void searchEnded();

protected:
    bool OnInitDialog() override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void done(int result) override;

private:
    void ShowSearching(bool on);
    void StartSearch();
    void StopSearch();
    void FillLargest();
    void FillDuplicates();
    void FillIdentical();
    void Fill(std::vector<quint32> rows);
    // The groups' header rows and files into the rows, groups left empty left out.
    void FillGroups();
    std::vector<quint32> GroupRows() const;
    void SortGroups(int column);
    void RemoveFromGroups(const std::vector<quint32>& gone);
    void OnProgressTimer();
    void PlaceControls();

    CHoldListCtrl* m_list = nullptr;
    CFileOperations* m_operations = nullptr;
    QLabel* m_processingLabel = nullptr;
    QLabel* m_progressLabel = nullptr;
    QString m_startFolder;

    std::vector<quint32> m_rows;
    std::vector<Group> m_groups;
    // Per column: the next tap shows its order reversed (A to Z, largest first, A to Z).
    std::array<bool, 3> m_reversed{};
    platform::Device* m_device;
    const SearchMode m_mode;
    const bool m_largest;      // SearchMode::Largest
    const bool m_sameContent;  // SearchMode::Identical
    const SearchPace m_pace;
    std::unique_ptr<engine::FileSearch> m_search = std::make_unique<engine::FileSearch>();
    std::optional<engine::IdenticalResult> m_identical;
    // Reading files for identical content: shared with the search's work.
    std::shared_ptr<engine::ContentState> m_content = std::make_shared<engine::ContentState>();
    std::shared_ptr<engine::EarlyFileSearch> m_early;  // until the search starts
    QTimer m_progressTimer;
    // Last: stopped and joined before anything above goes. Never null; a search begun
    // before the dialog replaces it.
    std::unique_ptr<engine::ScanJob> m_job = std::make_unique<engine::ScanJob>();
};

}  // namespace dovrane::dialogs

#pragma once
// The main view: a white area with a title band, one of the four child views below it,
// and the commands that switch, refresh and feed them. It owns the children and the
// current settings, which it hands to the chart views and to Preferences.
//
//   0 .. 23   the title band, the current view's title in red bold Tahoma 8.5
//   23        a line across the width
//   26 .. H   the child view on screen

#include <QFont>
#include <QTimer>
#include <QWidget>
#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "app/cmd_target.h"
#include "engine/scan_job.h"
#include "engine/settings.h"
#include "views/explorer_view.h"
#include "views/file_type_view.h"
#include "views/folder_view.h"
#include "views/main_view_link.h"
#include "views/overview_view.h"

namespace dovrane::platform {
class Device;
class Profile;
}  // namespace dovrane::platform

namespace dovrane::app {

// What the main view is made with; the pointers outlive it.
struct MainViewSetup {
    engine::Settings settings;             // read once at start-up
    platform::Device* device = nullptr;    // what the views scan
    platform::Profile* profile = nullptr;  // where Preferences saves; null: nowhere
    std::chrono::milliseconds pace{0};     // the walks' pause on entering each folder
    // --timing: told the view's name and the time from a scan's start to its pie on screen.
    std::function<void(const QString& view, std::chrono::steady_clock::duration)> pieShown;
    // The host folder the device stands for, as the history names it; empty: the window
    // keeps no history.
    QString historyRoot{};
    // Scans begun before the window was built, taken over by their views' first scan.
    std::shared_ptr<engine::EarlyFolderScan> folderScan{};
    std::shared_ptr<engine::EarlyFileTypeScan> fileTypeScan{};
};

class CDovraneStorageAnalyzerView : public QWidget,
                                    public CCmdTarget,
                                    public views::MainViewCommands {
    Q_OBJECT

public:
    // Values of m_nCurrentView.
    enum View { kOverview = 0, kExplorerView = 1, kFolderView = 2, kFileTypeView = 3 };
    static constexpr int kTitleBandHeight = 23;
    static constexpr int kChildTop = 26;

    explicit CDovraneStorageAnalyzerView(const MainViewSetup& setup, QWidget* parent = nullptr);
    ~CDovraneStorageAnalyzerView() override;

    // The first update: the Explorer View is made (its root expanded) before anything is
    // seen, then `firstView` is shown (the Overview unless the command line chose one).
    void OnInitialUpdate(View firstView = kOverview);

    bool OnCmdMsg(int id) override;
    bool OnUpdateCmdUI(int id, CCmdUI& ui) const override;

    // One handler per command.
    void OnViewOverview();
    void OnViewExplorer();
    void OnViewFolder() override;
    void OnViewFileType();
    void OnRefresh();
    void OnParentFolder();
    void OnHelp();
    void OnLargestFiles();
    void OnDuplicateFiles();
    void OnIdenticalFiles();
    void OnDatabases();
    void OnPreferences();
    void OnKeepHistory();
    // The snapshots of the device root to choose from, then the growth since the one
    // chosen: by type in the File Type View when it is shown, else by folder in the Folder
    // View. In a growth view, back to the plain view.
    void OnCompareWith();

    // File > Save Scan As... once the file is chosen: the device's scan written to `file`
    // on a thread of its own, its progress told through statusMessage. Nothing while a
    // save runs; a failed write is named in one message box.
    void SaveScanTo(const QString& file);
    bool isSaving() const { return m_saveJob.isRunning(); }

    // After Preferences closes with OK, with the settings it saved: the chart views whose
    // windows exist lay their pies out again, under the wait cursor, without a rescan.
    void ApplyPreferences(const engine::Settings& settings);

    int currentView() const { return m_nCurrentView; }
    static QString ViewTitle(int view);
    const engine::Settings& settings() const { return m_settings; }

    views::COverviewView& overview() { return m_overview; }
    views::CExplorerView& explorer() { return m_explorer; }
    views::CFolderView& folderView() { return m_folderView; }
    platform::Device* device() const { return m_device; }
    views::CFileTypeView& fileTypeView() { return m_fileTypeView; }
    // The child on screen.
    views::CChildWindow& currentChild();

signals:
    // After every view command, whoever ran it: ticks and pressed buttons follow.
    void currentViewChanged(int view);
    // For the frame's status line: `text` for `timeoutMs` (0: until replaced; an empty
    // text clears it).
    void statusMessage(const QString& text, int timeoutMs);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // In the order of the View codes.
    std::array<views::CChildWindow*, 4> Children();
    QRect ChildRect() const;
    // Creates `child` if it has no window yet; shows the failure text when that fails.
    bool CreateChild(views::CChildWindow& child, const QString& failureText);
    // Steps shared by the view commands once the child is on screen.
    void MakeCurrent(View view);
    // After a Folder View scan of the whole device: a snapshot, on a thread of its own,
    // once the pie is on screen (or a moment later, should the view not be painted).
    void KeepSnapshot();
    void ShowSaveProgress();
    // Compare With... works on the File Type View when it is shown, else the Folder View.
    bool ByType() const;
    const views::CChartView& CompareTarget() const;
    void SaveEnded(const QString& error);

    QFont m_font;
    views::COverviewView m_overview;
    views::CExplorerView m_explorer;
    views::CFolderView m_folderView;
    views::CFileTypeView m_fileTypeView;
    int m_nCurrentView = kOverview;
    engine::Settings m_settings;  // its sliceColors are the handheld's m_sliceColors
    platform::Device* m_device;
    platform::Profile* m_profile;  // for Preferences, which saves the settings itself
    std::chrono::milliseconds m_pace;
    QString m_historyRoot;
    bool m_keepHistory = true;  // the Tools menu's "Keep History", kept in the profile
    std::atomic<bool> m_snapshotGoing{true};  // cleared to stop a snapshot at close
    std::atomic<bool> m_snapshotRunning{false};
    std::thread m_snapshot;
    QTimer m_snapshotLater;  // keeps the snapshot of a scan whose pie is not painted
    QString m_saveName;      // the file being saved, as the status line names it
    QTimer m_saveTimer;
    // Last: it goes first, so a save stops (and its partial file goes) before the rest.
    engine::ScanJob m_saveJob;
};

}  // namespace dovrane::app

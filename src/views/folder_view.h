#pragma once
// The Folder View: a pie of the sub-folders of one folder and of the files lying directly
// in it, with its legend, walked through by taps: a slice or legend row opens that
// sub-folder, Parent Folder goes up. It owns the folder tree of its last scan.
//
//   0 .. 30      the folder's spaced path, blue, centred, word-wrapped
//   27 .. 167    the pie, radius 70, centred across the width ("Empty Folder" there when
//                the folder has no entries); while scanning the disc of radius 30 instead
//   153 .. 171   "Details..." at the right; "Legend:" at 157; the legend from 172 down
// That is the design's 240 x 294; a larger view grows the pie (PlanLayout), and a title of
// three or four lines moves it down (longer ones lose their middle to "…").
//
// A rescan drops the old tree at once: while it runs there is no folder to show, so the
// legend has no rows, taps open nothing and a folder asked for (GoToPath) waits as the
// pending path until the new tree is in place.
//
// Compared with an earlier scan (StartCompare), it is a growth view until Refresh or
// EndCompare: the slices are the entries that grew, sized by the bytes they added, the
// legend says "+1.2 GB" beside each name and "Freed 1.2 GB" below when something shrank,
// and taps walk the comparison's folders. The plain tree stays meanwhile, for EndCompare.

#include <QString>
#include <memory>

#include "charts/folder_legend.h"
#include "engine/chart_scans.h"
#include "engine/folder_tree.h"
#include "engine/growth.h"
#include "views/chart_view.h"
#include "views/growth_view.h"

namespace dovrane::views {

class CFolderView : public CChartView,
                    public GrowthLegendOwner<charts::FolderLegendOwner, engine::GrowthNode> {
    Q_OBJECT

public:
    // With `early`, the first StartScan takes over that running scan instead of
    // starting one.
    explicit CFolderView(ChartViewSetup setup, std::shared_ptr<engine::EarlyFolderScan> early = {});
    ~CFolderView() override;

    // The folder to show when the running scan ends; empty for the root.
    QString pendingPath;
    // Told on the user-interface thread when a scan of the whole device has ended.
    std::function<void()> scanCompleted;

    // Scans the whole device anew into a new tree: after creation and for Refresh. Does
    // nothing while a scan runs.
    void StartScan() override;
    // Shows the folder at that path (each name as spelled, else without regard to case) if
    // the tree has it (a path it lacks changes nothing); while a scan runs, it becomes the
    // pending path instead.
    void GoToPath(const QString& path);
    // Shows the parent of the shown folder; nothing at the root or while scanning.
    void GoToParent();
    // Makes `node` (of this view's tree) the shown folder: header, pie, legend. Null, or
    // a scan running, changes nothing.
    void ShowFolder(const engine::FolderNode* node);
    // Entry `index` of the shown folder by size: a sub-folder opens, "In Folder" asks for
    // the list of the folder's own files, "Other" and anything while scanning do nothing.
    void OpenEntry(int index) override;
    // "Other" over the whole tree and the pie again with the settings' new slice count and
    // colours, without a rescan: after Preferences closes with OK.
    void ReapplySettings() override;

    // Null before the first scan ends, while a scan runs, and when the pending path of a
    // scan named no folder.
    const engine::FolderNode* currentFolder() const { return current; }
    const engine::FolderNode* rootFolder() const { return tree ? tree->root() : nullptr; }
    QString HeaderText() const override { return titlePath; }
    // For an imported scan: what its root is called in the header (which scan it is).
    void setScanName(const QString& name) { scanName = name; }

    int legendNumberOfSlices() const override { return NumberOfSlices(); }
    void legendRowTapped(int index) override { OpenEntry(index); }

    // The dialogs behind the chart, modal (the main view connects the signals below to
    // them): the files of `folder` of this view's tree, and Folder Details, whose OK shows
    // the folder it was showing.
    void OpenFilesInFolder(const engine::FolderNode* folder);
    void OpenFolderDetails();

    // Compares `then` (the scan file of an earlier scan of this device, made at `thenTime`,
    // seconds since 1970) with the device on the scan thread, then shows the growth of the
    // root, or a box saying why the file could not be read. Nothing while a scan runs.
    void StartCompare(const QString& then, qint64 thenTime);
    // Back to the plain view of the last scan; nothing unless a growth view is shown.
    void EndCompare();
    // A growth view is shown, or its comparison runs.
    bool isComparing() const { return compare.active(); }
    const engine::Growth* growthResult() const { return compare.growth(); }
    const engine::GrowthNode* currentGrowthFolder() const { return growthCurrent; }
    // Makes `node` (of the comparison shown) the growth folder shown.
    void ShowGrowthFolder(const engine::GrowthNode* node);
    // After the title changed: the pie moves with it, the legend and the view are redrawn.
    void ShowTitled();

signals:
    // "In Folder" tapped for `folder`, and "Details..." pressed.
    void filesInFolderRequested(const engine::FolderNode* folder);
    void detailsRequested();

protected:
    const engine::FolderNode* legendFolder() const override { return current; }

    ChartPlan Plan() const override;
    QString ProgressText(const QString& devicePath) const override;
    charts::LegendOwner* legendOwner() override { return this; }
    bool inGrowth() const override { return compare.growth() != nullptr; }
    const engine::GrowthPie<engine::GrowthNode>* shownGrowth() const override {
        return growthCurrent ? &growthSlices : nullptr;
    }
    void LayOutChart() override;
    void PaintChart(QPainter& painter, const ChartViewLayout& layout) override;
    void ScanEnded() override;
    void OnDetails() override;

private:
    void DropGrowth();
    // Whether entry `index` of `count` is one a tap opens: not "Other", not past the end.
    bool IsNamedEntry(int index, size_t count) const;

    QString titlePath;
    QString scanName;
    std::unique_ptr<engine::FolderTree> tree;            // holds `root`; null before the first scan
    std::shared_ptr<engine::EarlyFolderScan> firstScan;  // until the first StartScan
    const engine::FolderNode* current = nullptr;
    GrowthCompare compare;
    const engine::GrowthNode* growthCurrent = nullptr;
    engine::GrowthSlices growthSlices;  // of growthCurrent
};

}  // namespace dovrane::views

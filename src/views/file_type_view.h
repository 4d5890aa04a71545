#pragma once
// The File Type View: a pie of the space each file type takes, the largest types named
// and the rest folded into "Other", with its legend. It owns the file-type table of its
// last scan.
//
//   0 .. 15      "Storage Distribution by File Type", blue, centred
//   15 .. 155    the pie, radius 70, centred across the width; while scanning the disc of
//                radius 30 at 75 .. 135 instead
//   146 .. 164   "Details..." at the right; "Legend:" at 150; the legend from 165 down
//
// A rescan drops the old table at once: while it runs the legend has no rows and taps
// open nothing.
//
// Compared with an earlier scan (StartCompare), it is a growth view by type until Refresh
// or EndCompare: "Since 29/11/2026" for the title, the slices the types that grew, sized by
// the bytes they added, "+1.2 GB" beside each name and "Freed 1.2 GB" below when something
// shrank; taps open nothing. The plain table stays meanwhile, for EndCompare.

#include <memory>

#include "charts/file_type_legend.h"
#include "engine/chart_scans.h"
#include "engine/file_types.h"
#include "views/chart_view.h"
#include "views/growth_view.h"

namespace dovrane::views {

class CFileTypeView : public CChartView,
                      public GrowthLegendOwner<charts::FileTypeLegendOwner, engine::GrowthType> {
    Q_OBJECT

public:
    static inline const QString kTitle = QStringLiteral("Storage Distribution by File Type");

    // With `early`, the first StartScan takes over that running scan instead of
    // starting one.
    explicit CFileTypeView(ChartViewSetup setup,
                           std::shared_ptr<engine::EarlyFileTypeScan> early = {});
    ~CFileTypeView() override;

    // Scans the whole device anew into a new table: after creation and for Refresh. Does
    // nothing while a scan runs.
    void StartScan() override;
    // Totals, "Other", slices and legend again with the settings' new slice count and
    // colours, then repaints legend and view: after Preferences closes with OK.
    void ReapplySettings() override;
    // Type `index` by size: its file list is asked for; "Other", an index without a type
    // and anything while scanning do nothing.
    void OpenEntry(int index) override;

    // Null before the first scan ends and while a scan runs.
    const engine::FileTypeTable* fileTypes() const { return table.get(); }

    // Compares `then` (the scan file of an earlier scan of this device, made at `thenTime`,
    // seconds since 1970) with the device by type on the scan thread, then shows the
    // growth, or a box saying why the file could not be read. Nothing while a scan runs.
    void StartCompare(const QString& then, qint64 thenTime);
    // Back to the plain view of the last scan; nothing unless a growth view is shown.
    void EndCompare();
    // A growth view is shown, or its comparison runs.
    bool isComparing() const { return compare.active(); }
    // The title drawn: kTitle, or the growth view's "Since ...".
    QString HeaderText() const override;

    int legendNumberOfSlices() const override { return NumberOfSlices(); }
    void legendRowTapped(int index) override { OpenEntry(index); }

    // The dialogs behind the chart, modal (the main view connects the signals below to
    // them): the File List of `type` of this view's table, and File Types. A delete in
    // them takes the files out of the type's orders; the totals stay until Refresh.
    void OpenFileList(const engine::FileTypeStat* type);
    void OpenFileTypes();

signals:
    // A slice or row tapped for `type`, and "Details..." pressed.
    void fileListRequested(const engine::FileTypeStat* type);
    void detailsRequested();

protected:
    const engine::FileTypeTable* legendTable() const override { return table.get(); }

    ChartPlan Plan() const override;
    QString ProgressText(const QString& devicePath) const override { return devicePath; }
    charts::LegendOwner* legendOwner() override { return this; }
    bool inGrowth() const override { return compare.growth() != nullptr; }
    const engine::GrowthPie<engine::GrowthType>* shownGrowth() const override {
        return &growthSlices;
    }
    void LayOutChart() override;
    void OnDetails() override;
    void ScanEnded() override;

private:
    // Totals and "Other" for the current slice count, then the slices and the legend.
    void BuildFileTypeSlices();

    // The pie, the legend and the title again for the growth shown.
    void ShowGrowth();

    std::unique_ptr<engine::FileTypeTable> table;          // null before the first scan ends
    std::shared_ptr<engine::EarlyFileTypeScan> firstScan;  // until the first StartScan
    GrowthCompare compare;
    engine::GrowthPie<engine::GrowthType> growthSlices;
};

}  // namespace dovrane::views

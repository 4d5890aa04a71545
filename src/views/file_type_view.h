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

#include <memory>

#include "charts/file_type_legend.h"
#include "engine/chart_scans.h"
#include "engine/file_types.h"
#include "views/chart_view.h"

namespace dovrane::views {

class CFileTypeView : public CChartView, public charts::FileTypeLegendOwner {
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
    QString HeaderText() const override { return kTitle; }
    QString ProgressText(const QString& devicePath) const override { return devicePath; }
    charts::LegendOwner* legendOwner() override { return this; }
    void LayOutChart() override;
    void OnDetails() override;

private:
    // Totals and "Other" for the current slice count, then the slices and the legend.
    void BuildFileTypeSlices();

    std::unique_ptr<engine::FileTypeTable> table;          // null before the first scan ends
    std::shared_ptr<engine::EarlyFileTypeScan> firstScan;  // until the first StartScan
};

}  // namespace dovrane::views

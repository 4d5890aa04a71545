#pragma once
// One function per report kind; RunReport dispatches by name.

#include "app/json_writer.h"
#include "app/reports.h"
#include "charts/pie_layout.h"
#include "engine/walk.h"

namespace dovrane::app {

struct ReportContext {
    const Options& options;
    platform::Device& device;
    engine::Settings settings;
    engine::WalkControl control;
    quint64 unreadable = 0;  // folders the report's walks could not read
    // For a report that writes as it goes; one that does not returns its bytes instead.
    ReportOutput output;
};

// "slices": the chart's slices in order, each named after its entry ("\"Other\"" for the
// remainder), with its colour as a COLORREF.
void WriteSlices(JsonWriter& json, const std::vector<charts::SliceSpec>& chart,
                 const QStringList& entryNames, const engine::Settings& settings);

ReportResult FoldersReport(const ReportContext& context);
ReportResult TypesReport(const ReportContext& context);
ReportResult LargestReport(const ReportContext& context);
ReportResult DuplicatesReport(const ReportContext& context);
ReportResult FilesReport(const ReportContext& context);
ReportResult TypeFilesReport(const ReportContext& context);
ReportResult OverviewReport(const ReportContext& context);
// --object-store's folders, or the default ones.
QStringList ObjectStoreFolders(const Options& options);

ReportResult GrowthReport(const ReportContext& context);
ReportResult IdenticalReport(const ReportContext& context);
ReportResult DatabasesReport(const ReportContext& context);

}  // namespace dovrane::app

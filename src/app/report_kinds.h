#pragma once
// One function per report kind; RunReport dispatches by name.

#include "app/reports.h"
#include "engine/walk.h"

namespace dovrane::app {

struct ReportContext {
    const Options& options;
    platform::Device& device;
    engine::Settings settings;
    engine::WalkControl control;
};

ReportResult FoldersReport(const ReportContext& context);
ReportResult TypesReport(const ReportContext& context);
ReportResult LargestReport(const ReportContext& context);
ReportResult DuplicatesReport(const ReportContext& context);
ReportResult FilesReport(const ReportContext& context);
ReportResult TypeFilesReport(const ReportContext& context);
ReportResult OverviewReport(const ReportContext& context);

}  // namespace dovrane::app

#include "views/file_type_view.h"

#include "charts/pie_layout.h"
#include "dialogs/file_list_dlg.h"
#include "dialogs/file_types_dlg.h"
#include "dialogs/modal.h"
#include "engine/folder_tree.h"

namespace dovrane::views {

using engine::FileTypeTable;

CFileTypeView::CFileTypeView(ChartViewSetup setup, std::shared_ptr<engine::EarlyFileTypeScan> early)
    : CChartView(charts::LegendKind::FileType, std::move(setup)), firstScan(std::move(early)) {}

CFileTypeView::~CFileTypeView() = default;

ChartPlan CFileTypeView::Plan() const {
    return {.headerBand = 15,
            .chartTop = 15,
            .labelTop = -5,
            .labelBottom = 10,
            .legendTop = 10,
            .detailsTop = -9,
            .detailsBottom = 9,
            .discBelowCenter = 20};
}

void CFileTypeView::StartScan() {
    if (IsBusy())
        return;
    if (compare.drop())
        ShowGrowth();  // the plain title, before the scan shows its disc under it
    table.reset();     // nothing may read the old table once the scan has begun
    LayOutChart();
    const auto finished = [this](std::unique_ptr<FileTypeTable> scanned) {
        table = std::move(scanned);
        BuildFileTypeSlices();
    };
    if (const auto early = std::exchange(firstScan, nullptr))
        AdoptScan(*early, finished);
    else
        BeginScan(engine::FileTypeScan{.device = device()}, finished);
}

void CFileTypeView::StartCompare(const QString& then, qint64 thenTime) {
    if (IsBusy() || then.isEmpty())
        return;
    growthSlices = {};
    BeginScan(compare.begin(then, device(), thenTime, true),
              [this](GrowthCompare::Compared compared) {
                  compare.take(std::move(compared));
                  compare.ended();
                  ShowGrowth();
              });
}

void CFileTypeView::ScanEnded() {
    if (compare.reportFailure(this) && !table)
        StartScan();  // compared before the view had a scan of its own
}

void CFileTypeView::EndCompare() {
    if (IsBusy() || !compare.drop())
        return;
    if (!table) {
        StartScan();  // compared before the view had a scan of its own
        return;
    }
    ShowGrowth();
}

void CFileTypeView::ShowGrowth() {
    growthSlices = compare.growth()
                       ? engine::GrowthTypeSlicesOf(*compare.growth(), NumberOfSlices())
                       : engine::GrowthPie<engine::GrowthType>{};
    if (!LayOutControls())  // the title may take another height
        LayOutChart();
    if (legendList()) {
        legendList()->UpdateScroll();
        legendList()->viewport()->update();
    }
    update();
}

QString CFileTypeView::HeaderText() const {
    return compare.growth() ? compare.since() : kTitle;
}

void CFileTypeView::BuildFileTypeSlices() {
    if (table)
        table->ComputeFileTypeTotals(NumberOfSlices());
    LayOutChart();
    if (legendList())
        legendList()->UpdateScroll();
}

void CFileTypeView::LayOutChart() {
    if (compare.growth()) {
        LayOutGrowthPie(pie(), growthSlices, NumberOfSlices(), Config());
        return;
    }
    if (!table || table->fileTypesBySize().empty()) {
        // No files: the bare circle, as the chart was made.
        pie().Create(pie().radius(), chartCenter().x(), chartCenter().y(),
                     pie().devicePixelRatio());
        return;
    }
    std::vector<quint64> sizes;
    sizes.reserve(table->fileTypesBySize().size());
    for (const engine::FileTypeStat* type : table->fileTypesBySize())
        sizes.push_back(type->totalSize);
    charts::AddSlices(
        pie(), charts::LayOutChart(sizes, table->totalSize, table->otherSize, NumberOfSlices()),
        Config().sliceColors);
}

void CFileTypeView::ReapplySettings() {
    if (compare.growth() && !IsBusy())
        ShowGrowth();  // the slices again with the new count
    if (IsBusy() || !table)
        return;  // a running scan takes the new count when it hands its table over
    BuildFileTypeSlices();
    if (legendList())
        legendList()->viewport()->repaint();
    repaint();
}

void CFileTypeView::OpenEntry(int index) {
    if (IsBusy() || !table || compare.growth())
        return;
    const auto& bySize = table->fileTypesBySize();
    const bool other = index == engine::SliceLimit(NumberOfSlices()) - 1 && table->otherSize != 0;
    if (other || index < 0 || index >= static_cast<int>(bySize.size()))
        return;
    emit fileListRequested(bySize[static_cast<size_t>(index)]);
}

void CFileTypeView::OpenFileList(const engine::FileTypeStat* type) {
    if (!table || IsBusy())
        return;
    // The table hands out its types for changing; this finds the one asked for.
    for (engine::FileTypeStat* t : table->fileTypesBySize()) {
        if (t == type) {
            dialogs::CFileListDlg dialog(device());
            dialog.SetFileType(t, &table->list());
            dialogs::RunModal(dialog);
            return;
        }
    }
}

void CFileTypeView::OpenFileTypes() {
    if (!table || IsBusy())
        return;
    dialogs::CFileTypesDlg dialog(device());
    dialog.SetTable(table.get());
    dialogs::RunModal(dialog);
}

void CFileTypeView::OnDetails() {
    emit detailsRequested();
}

}  // namespace dovrane::views

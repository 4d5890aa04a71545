#include "views/folder_view.h"

#include <QPainter>

#include "charts/pie_layout.h"
#include "dialogs/colors.h"
#include "dialogs/folder_details_dlg.h"
#include "dialogs/folder_files_dlg.h"
#include "dialogs/modal.h"
#include "engine/text.h"

namespace dovrane::views {

using engine::FolderNode;
using engine::FolderTree;

CFolderView::CFolderView() : CChartView(charts::LegendKind::Folder) {}

CFolderView::~CFolderView() = default;

ChartPlan CFolderView::Plan() const {
    return {.headerBand = 30,
            .chartTop = 27,
            .labelTop = -10,
            .labelBottom = 10,
            .legendTop = 5,
            .detailsTop = -14,
            .detailsBottom = 4,
            .discBelowCenter = 0};
}

QString CFolderView::ProgressText(const QString& devicePath) const {
    // The walk names the root by the empty path; the view shows it as every header does.
    return engine::SpacePath(devicePath.isEmpty() ? engine::kRootDisplayPath : devicePath);
}

void CFolderView::StartScan() {
    if (scanning)
        return;
    // The old tree goes now: nothing may point into it once the scan has begun.
    current = nullptr;
    titlePath.clear();
    tree.reset();
    LayOutChart();  // no pie of the old tree either, should no folder be shown after
    const int slices = NumberOfSlices();
    // The scan fills a tree of its own; only the finished one becomes the view's.
    auto scanned = std::make_shared<std::unique_ptr<FolderTree>>(std::make_unique<FolderTree>());
    platform::Device* scannedDevice = device;
    BeginScan(
        [scanned, scannedDevice, slices](const engine::WalkControl& control) {
            return !scannedDevice || engine::ScanFolder(*scannedDevice, **scanned, slices, control);
        },
        [this, scanned, slices] {
            tree = std::move(*scanned);
            // Preferences may have changed the slice count while the walk ran.
            if (NumberOfSlices() != slices)
                engine::RecomputeOtherTree(tree->root(), NumberOfSlices());
            if (scanCompleted)
                scanCompleted();
        });
}

void CFolderView::ScanEnded() {
    if (!pendingPath.isEmpty()) {
        GoToPath(pendingPath);
        pendingPath.clear();
    } else {
        ShowFolder(rootFolder());
    }
}

void CFolderView::ShowFolder(const FolderNode* node) {
    if (node == nullptr || scanning)
        return;
    current = node;
    titlePath = node->parent || scanName.isEmpty()
                    ? engine::SpacePath(engine::BuildFolderPath(node))
                    : scanName;
    if (!LayOutControls())  // a title of another height moves the pie
        LayOutChart();
    if (legend) {
        legend->UpdateScroll();
        legend->viewport()->update();
    }
    update();
}

void CFolderView::LayOutChart() {
    if (current == nullptr) {
        chart.Clear();
        return;
    }
    std::vector<quint64> sizes;
    sizes.reserve(current->childrenBySize().size());
    for (const FolderNode* child : current->childrenBySize())
        sizes.push_back(child->totalSize);
    charts::AddSlices(
        chart,
        charts::LayOutFolderChart(sizes, current->totalSize, current->otherSize, NumberOfSlices()),
        Config().sliceColors);
}

void CFolderView::GoToPath(const QString& path) {
    if (scanning) {
        pendingPath = path;  // the tree is still growing: look it up once it is done
        return;
    }
    if (tree)
        ShowFolder(engine::FindFolderByPath(tree->root(), path));
}

void CFolderView::GoToParent() {
    if (current != nullptr)
        ShowFolder(current->parent);
}

void CFolderView::OpenEntry(int index) {
    if (scanning || current == nullptr)
        return;
    const auto entries = current->childrenBySize();
    const int count = static_cast<int>(entries.size());
    const int n = engine::SliceLimit(NumberOfSlices());
    if (index < 0 || index >= count || (count > n && index == n - 1))
        return;  // "Other", or no entry at all
    const FolderNode* entry = entries[static_cast<size_t>(index)];
    if (entry->isInFolder())
        emit filesInFolderRequested(current);
    else
        ShowFolder(entry);
}

void CFolderView::ReapplySettings() {
    if (scanning || !tree)
        return;  // a running scan takes the new count when it hands its tree over
    engine::RecomputeOtherTree(tree->root(), NumberOfSlices());
    if (current != nullptr)
        ShowFolder(current);
}

void CFolderView::OnDetails() {
    emit detailsRequested();
}

void CFolderView::OpenFilesInFolder(const FolderNode* folder) {
    if (!folder || scanning)
        return;
    dialogs::CFolderFilesDlg dialog(device);
    dialog.SetFolder(folder);
    dialogs::RunModal(dialog);
}

void CFolderView::OpenFolderDetails() {
    if (!current || scanning)
        return;
    dialogs::CFolderDetailsDlg dialog(device);
    dialog.SetFolder(current, tree->root(), titlePath);
    if (dialogs::RunModal(dialog) == QDialog::Accepted && dialog.m_pCurrent)
        ShowFolder(dialog.m_pCurrent);
}

void CFolderView::PaintChart(QPainter& painter, const ChartViewLayout& layout) {
    if (chart.sliceCount() > 0) {
        chart.Paint(painter, layout.chartTopLeft);
        return;
    }
    painter.setFont(font);
    painter.setPen(dialogs::kRed);
    painter.drawText(QRect(layout.chartTopLeft, QSize(2 * layout.radius, 2 * layout.radius)),
                     Qt::AlignCenter | Qt::TextSingleLine, QStringLiteral("Empty Folder"));
    painter.setPen(Qt::black);
}

}  // namespace dovrane::views

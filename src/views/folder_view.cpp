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

CFolderView::CFolderView(ChartViewSetup setup, std::shared_ptr<engine::EarlyFolderScan> early)
    : CChartView(charts::LegendKind::Folder, std::move(setup)), firstScan(std::move(early)) {}

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
    if (IsBusy())
        return;
    // The old tree goes now: nothing may point into it once the scan has begun.
    DropGrowth();
    current = nullptr;
    titlePath.clear();
    tree.reset();
    LayOutChart();  // no pie of the old tree either, should no folder be shown after
    // The scan fills a tree of its own; only the finished one becomes the view's.
    const auto finished = [this](engine::ScannedFolders scanned) {
        tree = std::move(scanned.tree);
        // Preferences may have changed the slice count while the walk ran.
        if (NumberOfSlices() != scanned.numberOfSlices)
            engine::RecomputeOtherTree(tree->root(), NumberOfSlices());
        if (scanCompleted)
            scanCompleted();
    };
    if (const auto early = std::exchange(firstScan, nullptr))
        AdoptScan(*early, finished);
    else
        BeginScan(engine::FolderScan{.device = device(), .numberOfSlices = NumberOfSlices()},
                  finished);
}

void CFolderView::ScanEnded() {
    if (compare.ended()) {
        ShowGrowthFolder(compare.growth()->root());
        return;
    }
    if (compare.reportFailure(this) && !tree) {
        StartScan();  // compared before the view had a scan of its own
        return;
    }
    if (!pendingPath.isEmpty()) {
        GoToPath(pendingPath);
        pendingPath.clear();
    } else {
        ShowFolder(rootFolder());
    }
}

void CFolderView::ShowFolder(const FolderNode* node) {
    if (node == nullptr || IsBusy() || compare.growth())
        return;
    current = node;
    titlePath = node->parent || scanName.isEmpty()
                    ? engine::SpacePath(engine::BuildFolderPath(node))
                    : scanName;
    ShowTitled();
}

void CFolderView::ShowTitled() {
    if (!LayOutControls())  // a title of another height moves the pie
        LayOutChart();
    if (legendList()) {
        legendList()->UpdateScroll();
        legendList()->viewport()->update();
    }
    update();
}

void CFolderView::LayOutChart() {
    if (compare.growth()) {
        if (growthCurrent == nullptr)
            pie().Clear();
        else
            LayOutGrowthPie(pie(), growthSlices, NumberOfSlices(), Config());
        return;
    }
    if (current == nullptr) {
        pie().Clear();
        return;
    }
    std::vector<quint64> sizes;
    sizes.reserve(current->childrenBySize().size());
    for (const FolderNode* child : current->childrenBySize())
        sizes.push_back(child->totalSize);
    charts::AddSlices(
        pie(),
        charts::LayOutFolderChart(sizes, current->totalSize, current->otherSize, NumberOfSlices()),
        Config().sliceColors);
}

void CFolderView::GoToPath(const QString& path) {
    if (IsBusy()) {
        pendingPath = path;  // the tree is still growing: look it up once it is done
        return;
    }
    if (tree)
        ShowFolder(engine::FindFolderByPath(tree->root(), path));
}

void CFolderView::GoToParent() {
    if (compare.growth()) {
        if (growthCurrent != nullptr && growthCurrent->parent != nullptr)
            ShowGrowthFolder(growthCurrent->parent);
        return;
    }
    if (current != nullptr)
        ShowFolder(current->parent);
}

bool CFolderView::IsNamedEntry(int index, size_t count) const {
    const int n = engine::SliceLimit(NumberOfSlices());
    const int c = static_cast<int>(count);
    return index >= 0 && index < c && !(c > n && index == n - 1);  // not "Other", not none
}

void CFolderView::OpenEntry(int index) {
    if (IsBusy())
        return;
    if (compare.growth()) {
        if (growthCurrent == nullptr || !IsNamedEntry(index, growthSlices.grown.size()))
            return;
        // The files that came directly in a folder have no folder of their own to show.
        const engine::GrowthNode* entry = growthSlices.grown[static_cast<size_t>(index)];
        if (entry->kind() == engine::GrowthNode::Kind::Folder)
            ShowGrowthFolder(entry);
        return;
    }
    if (current == nullptr)
        return;
    const auto entries = current->childrenBySize();
    if (!IsNamedEntry(index, entries.size()))
        return;
    const FolderNode* entry = entries[static_cast<size_t>(index)];
    if (entry->isInFolder())
        emit filesInFolderRequested(current);
    else
        ShowFolder(entry);
}

void CFolderView::ReapplySettings() {
    if (compare.growth() && !IsBusy())
        ShowGrowthFolder(growthCurrent);  // the slices again with the new count
    if (IsBusy() || !tree)
        return;  // a running scan takes the new count when it hands its tree over
    engine::RecomputeOtherTree(tree->root(), NumberOfSlices());
    if (current != nullptr && !compare.growth())
        ShowFolder(current);
}

void CFolderView::OnDetails() {
    emit detailsRequested();
}

void CFolderView::OpenFilesInFolder(const FolderNode* folder) {
    if (!folder || IsBusy())
        return;
    dialogs::CFolderFilesDlg dialog(device());
    dialog.SetFolder(folder);
    dialogs::RunModal(dialog);
}

void CFolderView::OpenFolderDetails() {
    if (IsBusy())
        return;
    if (compare.growth()) {
        if (!growthCurrent)
            return;
        dialogs::CFolderDetailsDlg dialog(device());
        dialog.SetGrowth(compare.growth(), growthCurrent, compare.since());
        if (dialogs::RunModal(dialog) == QDialog::Accepted && dialog.m_pGrowthCurrent)
            ShowGrowthFolder(dialog.m_pGrowthCurrent);
        return;
    }
    if (!current)
        return;
    dialogs::CFolderDetailsDlg dialog(device());
    dialog.SetFolder(current, tree->root(), titlePath);
    if (dialogs::RunModal(dialog) == QDialog::Accepted && dialog.m_pCurrent)
        ShowFolder(dialog.m_pCurrent);
}

void CFolderView::PaintChart(QPainter& painter, const ChartViewLayout& layout) {
    if (pie().sliceCount() > 0) {
        pie().Paint(painter, layout.chartTopLeft);
        return;
    }
    painter.setFont(titleFont());
    painter.setPen(dialogs::kRed);
    painter.drawText(
        QRect(layout.chartTopLeft, QSize(2 * layout.radius, 2 * layout.radius)),
        Qt::AlignCenter | Qt::TextSingleLine,
        compare.growth() ? QStringLiteral("Nothing Grew") : QStringLiteral("Empty Folder"));
    painter.setPen(Qt::black);
}

void CFolderView::StartCompare(const QString& then, qint64 thenTime) {
    if (IsBusy() || then.isEmpty())
        return;
    growthCurrent = nullptr;
    growthSlices = {};
    BeginScan(compare.begin(then, device(), thenTime, false),
              [this](GrowthCompare::Compared compared) { compare.take(std::move(compared)); });
}

void CFolderView::EndCompare() {
    if (IsBusy() || !compare.growth())
        return;
    DropGrowth();
    if (!tree) {
        StartScan();  // compared before the view had a scan of its own
        return;
    }
    ShowFolder(current != nullptr ? current : rootFolder());
}

void CFolderView::DropGrowth() {
    growthCurrent = nullptr;
    growthSlices = {};
    compare.drop();
}

void CFolderView::ShowGrowthFolder(const engine::GrowthNode* node) {
    if (node == nullptr || IsBusy() || !compare.growth())
        return;
    growthCurrent = node;
    growthSlices = engine::GrowthSlicesOf(*compare.growth(), node, NumberOfSlices());
    titlePath = engine::GrowthHeader(compare.since(), node);
    ShowTitled();
}

}  // namespace dovrane::views

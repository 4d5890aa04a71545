#include "views/growth_view.h"

#include <QDateTime>
#include <utility>

#include "charts/pie_layout.h"
#include "engine/scan_import.h"
#include "engine/text.h"
#include "platform/message_box.h"

namespace dovrane::views {

QString SinceText(qint64 seconds) {
    return QStringLiteral("Since ") +
           QDateTime::fromSecsSinceEpoch(seconds).toString(QStringLiteral("dd/MM/yyyy"));
}

GrowthCompare::Result GrowthCompare::Compare(const QString& then, platform::Device* now,
                                             bool byType, const engine::WalkControl& control) {
    if (!now)
        return Compared{};  // without a device there is nothing to compare
    Compared compared{std::make_unique<engine::Growth>(), {}};
    engine::GrowthRequest request;
    request.fileRows = 0;  // the views show folders or types, never the file list
    request.byType = byType;
    // Only the earlier scan's index is kept, never the scan itself.
    const auto thenFeed = [&](engine::WalkSink& sink) {
        return engine::StreamScanFile(then, sink, control, &compared.error);
    };
    if (engine::CompareScans(thenFeed, engine::DeviceFeed(*now, control), request,
                             *compared.growth))
        return compared;
    if (compared.error.isEmpty() || control.stopped())
        return std::nullopt;
    compared.growth.reset();
    return compared;
}

bool GrowthCompare::drop() {
    const bool was = active();
    m_growth.reset();
    m_running = false;
    return was;
}

bool GrowthCompare::reportFailure(QWidget* parent) {
    if (m_failure.isEmpty())
        return false;
    platform::ShowMessage(parent, std::exchange(m_failure, {}));
    return true;
}

bool GrowthCompare::ended() {
    const bool was = m_running;
    m_running = false;
    return was && m_growth != nullptr;
}

template <typename Row>
void LayOutGrowthPie(charts::CPieChart& pie, const engine::GrowthPie<Row>& slices,
                     int numberOfSlices, const engine::Settings& settings) {
    charts::AddSlices(
        pie,
        charts::LayOutFolderChart(slices.added, slices.addedTotal, slices.other, numberOfSlices),
        settings.sliceColors);
}
template void LayOutGrowthPie(charts::CPieChart&, const engine::GrowthPie<engine::GrowthNode>&, int,
                              const engine::Settings&);
template void LayOutGrowthPie(charts::CPieChart&, const engine::GrowthPie<engine::GrowthType>&, int,
                              const engine::Settings&);

namespace {

QString RowText(const QString& name, quint64 added) {
    return name + QStringLiteral(" +") + engine::SizeText(added);
}

}  // namespace

QString GrowthRowText(const engine::GrowthPie<engine::GrowthNode>& slices, int index) {
    const auto i = static_cast<size_t>(index);
    return RowText(slices.grown[i]->name(), slices.added[i]);
}

QString GrowthRowText(const engine::GrowthPie<engine::GrowthType>& slices, int index) {
    const auto i = static_cast<size_t>(index);
    return RowText(slices.grown[i]->name, slices.added[i]);
}

QString FreedText(quint64 freed) {
    return freed != 0 ? QStringLiteral("Freed ") + engine::SizeText(freed) : QString();
}

}  // namespace dovrane::views

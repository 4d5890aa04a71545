#pragma once
// What the Folder View and the File Type View share as growth views: the comparison with
// an earlier scan's file (read and run on the view's own scan job, owned by the view once
// it is back; a file that cannot be read is said in a box), the "Since 29/11/2026" of its
// header, and the pie and legend texts of what grew. A view keeps its plain result
// meanwhile, to go back to it without a rescan.

#include <QString>
#include <memory>
#include <optional>

#include "charts/pie_chart.h"
#include "engine/growth.h"
#include "engine/settings.h"
#include "engine/walk_sink.h"

class QWidget;

namespace dovrane::platform {
class Device;
}

namespace dovrane::views {

// "Since 29/11/2026": the day of `seconds` on this machine's calendar.
QString SinceText(qint64 seconds);

class GrowthCompare {
public:
    // What the job hands back: the comparison, or why the earlier scan could not be read.
    struct Compared {
        std::unique_ptr<engine::Growth> growth;
        QString error;
    };
    using Result = std::optional<Compared>;

    // The state of a comparison begun with the earlier scan kept in the scan file `then`,
    // made at `thenTime`; returns the work for the view's scan job: `then` read as it
    // streams, then compared with `now`, by file type when asked.
    auto begin(QString then, platform::Device* now, qint64 thenTime, bool byType) {
        drop();
        m_since = SinceText(thenTime);
        m_running = true;
        return [then = std::move(then), now, byType](const engine::WalkControl& control) {
            return Compare(then, now, byType, control);
        };
    }
    // The job's result, on the user-interface thread.
    void take(Compared compared) {
        m_growth = std::move(compared.growth);
        m_failure = std::move(compared.error);
    }
    // Back to no comparison; true when one was shown or running.
    bool drop();
    // Once the job has ended: whether it left a comparison to show (else it was stopped, or
    // failed).
    bool ended();
    // Once the job has ended: the box saying why the comparison failed, if it did; whether
    // there was one.
    bool reportFailure(QWidget* parent);

    const engine::Growth* growth() const { return m_growth.get(); }
    bool active() const { return m_growth != nullptr || m_running; }
    const QString& since() const { return m_since; }

private:
    static Result Compare(const QString& then, platform::Device* now, bool byType,
                          const engine::WalkControl& control);

    std::unique_ptr<engine::Growth> m_growth;  // null in the plain view
    QString m_since;
    QString m_failure;
    bool m_running = false;
};

// A growth pie's slices into `pie`, by the folder chart's rules.
template <typename Row>
void LayOutGrowthPie(charts::CPieChart& pie, const engine::GrowthPie<Row>& slices,
                     int numberOfSlices, const engine::Settings& settings);

// The legend row of entry `index` of a growth pie: "docs +2.5 MB".
QString GrowthRowText(const engine::GrowthPie<engine::GrowthNode>& slices, int index);
QString GrowthRowText(const engine::GrowthPie<engine::GrowthType>& slices, int index);
// The legend's note under the rows: "Freed 3.0 KB", or nothing when nothing shrank.
QString FreedText(quint64 freed);

// The legend of a view that is sometimes a growth view: the growth pie's rows while it is
// one, else those of `PlainOwner` (the folder or file-type legend's side).
template <typename PlainOwner, typename Row>
class GrowthLegendOwner : public PlainOwner {
public:
    bool legendHasData() const override {
        return inGrowth() ? shownGrowth() != nullptr : PlainOwner::legendHasData();
    }
    int legendEntryCount() const override {
        const auto* growth = growthShown();
        return growth ? static_cast<int>(growth->grown.size()) : PlainOwner::legendEntryCount();
    }
    QString legendEntryName(int index) const override {
        const auto* growth = growthShown();
        return growth ? GrowthRowText(*growth, index) : PlainOwner::legendEntryName(index);
    }
    bool legendHasOther() const override {
        const auto* growth = growthShown();
        return growth ? growth->other != 0 : PlainOwner::legendHasOther();
    }
    QString legendNote() const override {
        const auto* growth = growthShown();
        return growth ? FreedText(growth->freed) : QString();
    }

protected:
    // A growth view is shown, and its pie (null while it has none).
    virtual bool inGrowth() const = 0;
    virtual const engine::GrowthPie<Row>* shownGrowth() const = 0;

private:
    const engine::GrowthPie<Row>* growthShown() const {
        return inGrowth() ? shownGrowth() : nullptr;
    }
};

}  // namespace dovrane::views

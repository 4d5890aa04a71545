#pragma once
// What the Folder View and the File Type View share: a pie with a legend under it and a
// "Details..." button, and a scan of the whole device on a thread of its own while the
// view shows "Processing", the folder being walked and the spinning disc.
//
// Threads. The scan runs as the view's ScanJob: the walk fills a result object made for
// that scan and touches nothing of the view; the finished result comes back on the
// user-interface thread, which alone reads the view's data, lays out charts and touches
// widgets. A scan that was stopped (the view is going) hands nothing back, and the job
// joins its thread when the view goes. The disc is stepped by a 40 ms timer on the
// user-interface thread, which also copies the walk's current folder into the progress
// label.
//
// Ids of the child controls (their object names): 101 "Processing", 102 the progress
// label, 103 the legend, 104 "Details...".

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

#include "charts/legend_list.h"
#include "charts/pie_chart.h"
#include "engine/scan_job.h"
#include "engine/settings.h"
#include "engine/walk.h"
#include "views/child_window.h"

class QLabel;
class QPushButton;

namespace dovrane::platform {
class Device;
}

namespace dovrane::views {

constexpr int kIdProcessing = 101;
constexpr int kIdProgress = 102;
constexpr int kIdLegend = 103;
constexpr int kIdDetails = 104;

// Where a chart view puts its parts for a client area of w x h.
struct ChartViewLayout {
    QRect header;       // the title, centred and word-wrapped
    QRect legendLabel;  // "Legend:"
    QPoint chartTopLeft;
    QPoint discTopLeft;
    QPoint chartCenter;  // of both charts, for the tap test
    QRect legend;
    QRect details;
    int radius = 70;
    int spinRadius = 30;
};

// A chart view's design, as offsets: the header band, the pie's top, and where "Legend:",
// the legend and "Details..." sit relative to the pie's bottom edge (tops and bottoms).
struct ChartPlan {
    int headerBand;
    int chartTop;
    int labelTop, labelBottom;
    int legendTop;
    int detailsTop, detailsBottom;
    int discBelowCenter;  // how far the disc's centre sits below the pie's
};

// The client area the design was drawn for; up to it every figure is the design's.
constexpr int kDesignWidth = 240;
constexpr int kDesignHeight = 294;

// The plan laid out in w x h, with the header `headerExtra` pixels taller than its band.
// Up to the design size: the design. Beyond it the pie takes the largest circle that
// leaves the legend at least its design height (and a third of the room), stacked under
// the pie in a tall window; in a wide one the legend becomes a column beside the pie.
ChartViewLayout PlanLayout(const ChartPlan& plan, int w, int h, int headerExtra);

// Win32's (left, top, right, bottom), right and bottom outside; never negative in size.
QRect WinRect(int left, int top, int right, int bottom);

// What a chart view is made with; each outlives the view. Without settings the factory
// ones apply; without a device a scan finds nothing.
struct ChartViewSetup {
    const engine::Settings* settings = nullptr;
    platform::Device* device = nullptr;
    std::chrono::milliseconds pace{0};  // the walk's pause on entering each folder
    // Called at the first paint of each scan's pie with the time since the scan began
    // (--timing); unset, nothing is measured.
    std::function<void(std::chrono::steady_clock::duration)> pieShown;
};

class CChartView : public CChildWindow {
    Q_OBJECT

public:
    // The header's text: for the Folder View the spaced display path of the shown folder
    // (empty without one), "Since ..." while it compares.
    virtual QString HeaderText() const = 0;
    // The design's radii; a larger view draws larger ones (its layout's).
    static constexpr int chartRadius = 70;
    static constexpr int spinRadius = 30;
    static constexpr std::chrono::milliseconds kSpinInterval{40};

    // Stops a running scan and waits for its thread.
    ~CChartView() override;

    bool IsBusy() const override { return m_job->isRunning(); }
    // Scans started since the view was made (a Refresh during a scan starts none).
    int scanCount() const { return m_job->startCount(); }

    // Scans the whole device anew: after creation and for Refresh; nothing while a scan
    // runs.
    virtual void StartScan() = 0;
    // The pie and legend again with the settings' new slice count and colours, without a
    // rescan: after Preferences closes with OK.
    virtual void ReapplySettings() = 0;
    // Acts on entry `index` of the chart: a tapped slice or legend row.
    virtual void OpenEntry(int index) = 0;

    const charts::CPieChart& pieChart() const { return m_chart; }
    const charts::CPieChart& spinningDisc() const { return m_spinChart; }
    charts::CLegendList* legendList() const { return m_legend; }
    ChartViewLayout currentLayout() const { return Layout(width(), height()); }
    // The header as drawn: the whole text, or its middle elided with "…" where the whole
    // would push the pie down by more than two lines or does not fit the width.
    const QString& shownHeader() const { return m_header; }
    // The slice the arrow keys have reached and Enter taps, ringed while the focus came by
    // the keyboard.
    int focusSlice() const;

signals:
    // A scan's pie has just been painted for the first time.
    void piePainted();

protected:
    CChartView(charts::LegendKind legendKind, ChartViewSetup setup);

    const engine::Settings& Config() const;
    int NumberOfSlices() const { return Config().numberOfSlices; }
    platform::Device* device() const { return m_device; }

    // Starts the scan job and shows the scan state; no scan may be running. `walk` runs on
    // the job's thread with the view's pace and must touch nothing of the view: it returns
    // its result, or nothing when stopped. `finished(result)` then runs on the
    // user-interface thread, followed by SetScanState(false).
    template <typename Walk, typename Finished>
    void BeginScan(Walk walk, Finished finished) {
        m_job->start(std::move(walk), Ending(std::move(finished)), {.pace = m_pace});
        scanBegun(std::chrono::steady_clock::now());
    }
    // As BeginScan, for a scan that began before the view was made: its job becomes the
    // view's. No scan of the view's own may be running.
    template <typename Result, typename Finished>
    void AdoptScan(engine::EarlyScan<Result>& early, Finished finished) {
        m_job = early.claim(Ending(std::move(finished)));
        scanBegun(early.began());
    }
    // On: the disc turns, the labels show, the button hides. Off (the job no longer runs):
    // the reverse, then ScanEnded() and a repaint of legend and view.
    void SetScanState(bool on);
    virtual void ScanEnded() {}

    ChartViewLayout Layout(int w, int h) const { return PlanLayout(Plan(), w, h, m_headerExtra); }
    virtual ChartPlan Plan() const = 0;
    // After the header text changed: the header is fitted again and, should the pie have
    // moved, the charts are made anew and laid out. Returns whether that happened.
    bool LayOutControls();
    // The progress label's text for the device path of the folder being walked.
    virtual QString ProgressText(const QString& devicePath) const = 0;
    virtual charts::LegendOwner* legendOwner() = 0;
    // Lays `chart` out again from the view's data (after the chart was made anew).
    virtual void LayOutChart() = 0;
    // The chart area when no scan runs; by default the chart image.
    virtual void PaintChart(QPainter& painter, const ChartViewLayout& layout);
    // Command 104.
    virtual void OnDetails() = 0;

    bool OnCreate() override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

    // The pie to lay out, its centre, and the font of the header and chart texts.
    charts::CPieChart& pie() { return m_chart; }
    QPoint chartCenter() const { return m_chartCenter; }
    const QFont& titleFont() const { return m_font; }

private:
    // What runs when a scan's result arrives: `finished`, then the scan state ends.
    template <typename Finished>
    auto Ending(Finished finished) {
        return [this, finished = std::move(finished)](auto result) {
            finished(std::move(result));
            SetScanState(false);
        };
    }
    void scanBegun(std::chrono::steady_clock::time_point began);
    void fitHeader();
    void paintFocusRing(QPainter& painter, const ChartViewLayout& layout) const;
    void LayOutSpin();
    void stepSpin();
    void stopScan();
    void showProgress();

    const engine::Settings* m_settings;
    platform::Device* m_device;
    std::chrono::milliseconds m_pace;
    std::function<void(std::chrono::steady_clock::duration)> m_pieShown;
    charts::LegendKind m_legendKind;
    bool m_headerDirty = true;  // the header must be drawn although a scan runs
    QFont m_font;
    QLabel* m_processingLabel = nullptr;
    QLabel* m_progressLabel = nullptr;
    charts::CLegendList* m_legend = nullptr;
    QPushButton* m_detailsButton = nullptr;
    QPoint m_chartCenter;
    charts::CPieChart m_chart;
    charts::CPieChart m_spinChart;
    QTimer m_spinTimer;
    std::chrono::steady_clock::time_point m_scanBegan;
    bool m_pieTimed = true;  // the last scan's pie has been painted
    QString m_header;
    int m_headerExtra = 0;  // pixels the header takes below its band
    int m_focusSlice = 0;
    // Last: it goes first, before anything its result reaches. Never null; an adopted scan
    // replaces it.
    std::unique_ptr<engine::ScanJob> m_job = std::make_unique<engine::ScanJob>();
};

}  // namespace dovrane::views

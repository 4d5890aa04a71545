#include "views/chart_view.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <cmath>

#include "charts/point_font.h"
#include "dialogs/colors.h"
#include "dialogs/control_id.h"

namespace dovrane::views {
namespace {

const engine::Settings kFactorySettings;

QLabel* MakeLabel(QWidget* parent, const QString& text, int id, const QColor& color) {
    auto* label = new QLabel(text, parent);
    dialogs::SetDlgCtrlID(label, id);
    dialogs::SetTextColor(label, color);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    // Opaque like a static control, so that the labels cover the title under them.
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, Qt::white);
    label->setPalette(palette);
    label->hide();
    return label;
}

}  // namespace

QRect WinRect(int left, int top, int right, int bottom) {
    return QRect(left, top, std::max(0, right - left), std::max(0, bottom - top));
}

CChartView::CChartView(charts::LegendKind legendKind) : m_legendKind(legendKind) {
    m_spinTimer.setInterval(kSpinInterval);
    connect(&m_spinTimer, &QTimer::timeout, this, &CChartView::OnSpinStep);
}

CChartView::~CChartView() {
    StopScan();
}

const engine::Settings& CChartView::Config() const {
    return settings ? *settings : kFactorySettings;
}

bool CChartView::OnCreate() {
    processingLabel = MakeLabel(this, QStringLiteral("Processing"), kIdProcessing, dialogs::kRed);
    progressLabel = MakeLabel(this, QStringLiteral("XX"), kIdProgress, dialogs::kBlue);
    legend = new charts::CLegendList(m_legendKind, legendOwner(), &Config().sliceColors, this);
    dialogs::SetDlgCtrlID(legend, kIdLegend);
    font = charts::CreatePointFont(QStringLiteral("Tahoma"), 8.5, true);
    detailsButton = new QPushButton(QStringLiteral("Details..."), this);
    dialogs::SetDlgCtrlID(detailsButton, kIdDetails);
    dialogs::SetTextColor(detailsButton, dialogs::kBlue);
    detailsButton->setFont(font);
    detailsButton->setFocusPolicy(Qt::NoFocus);
    connect(detailsButton, &QPushButton::clicked, this, [this] { OnDetails(); });
    LayOutControls();
    return true;
}

void CChartView::LayOutControls() {
    const int w = width();
    const ChartViewLayout layout = Layout(w, height());
    processingLabel->setGeometry(WinRect(0, 0, w, 15));
    progressLabel->setGeometry(WinRect(0, 15, w, 60));
    legend->setGeometry(layout.legend);
    detailsButton->setGeometry(layout.details);
    if (chart.isCreated() && layout.chartCenter == chartCenter)
        return;
    chartCenter = layout.chartCenter;
    const qreal ratio = devicePixelRatioF();
    chart.Create(chartRadius, chartCenter.x(), chartCenter.y(), ratio);
    spinChart.Create(spinRadius, chartCenter.x(), chartCenter.y(), ratio);
    if (!scanning)
        LayOutChart();
}

void CChartView::resizeEvent(QResizeEvent* event) {
    CChildWindow::resizeEvent(event);
    if (processingLabel)  // made: the layout follows the size
        LayOutControls();
}

void CChartView::BeginScan(Walk walk, std::function<void()> finished) {
    if (m_scanThread.joinable())
        m_scanThread.join();  // a thread that has handed its result over is ending anyway
    ++m_scanCount;
    m_scanBegan = std::chrono::steady_clock::now();
    m_pieTimed = false;
    m_progress = std::make_unique<engine::ScanProgress>();
    SetScanState(true);
    const engine::WalkControl control{.scanning = &scanning,
                                      .progress = m_progress.get(),
                                      .pace = pace,
                                      .threads = engine::DefaultWalkThreads()};
    m_scanThread =
        std::thread([this, control, walk = std::move(walk), finished = std::move(finished)] {
            if (!walk(control) && !scanning)
                return;  // stopped: the view is going and wants nothing back
            QMetaObject::invokeMethod(
                this,
                [this, finished] {
                    m_scanThread.join();
                    finished();
                    SetScanState(false);
                },
                Qt::QueuedConnection);
        });
}

void CChartView::StopScan() {
    scanning = false;
    if (m_scanThread.joinable())
        m_scanThread.join();
    m_spinTimer.stop();
}

void CChartView::SetScanState(bool on) {
    if (on) {
        scanning = true;
        headerDirty = true;
        spinChart.StartSpin();
        m_spinTimer.start();
        if (processingLabel) {
            ShowProgress();
            processingLabel->show();
            progressLabel->show();
            detailsButton->hide();
            legend->UpdateScroll();  // no rows, and no scroll range, while data is replaced
            legend->viewport()->update();
        }
        update();
        return;
    }
    m_spinTimer.stop();
    if (processingLabel) {
        processingLabel->hide();
        progressLabel->hide();
        detailsButton->show();
    }
    scanning = false;
    ScanEnded();
    if (legend)
        legend->viewport()->update();
    update();
    emit busyEnded();
}

void CChartView::ShowProgress() {
    const QString text = ProgressText(m_progress ? m_progress->currentFolder() : QString());
    if (progressLabel->text() != text)
        progressLabel->setText(text);
}

void CChartView::OnSpinStep() {
    spinChart.StepSpin();
    if (m_progress && progressLabel) {
        ShowProgress();
        // The walk publishes its folder once asked: one path string per frame, not per
        // folder.
        m_progress->requestFolder();
    }
    update(QRect(currentLayout().discTopLeft, QSize(2 * spinRadius, 2 * spinRadius)));
}

void CChartView::PaintChart(QPainter& painter, const ChartViewLayout& layout) {
    chart.Paint(painter, layout.chartTopLeft);
}

void CChartView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const ChartViewLayout layout = Layout(width(), height());
    const QRect disc(layout.discTopLeft, QSize(2 * spinRadius, 2 * spinRadius));
    // The disc's frames repaint only its square; anything more (a first frame, an exposed
    // or resized window) needs the header under it too.
    if (!scanning || headerDirty || !disc.contains(event->rect())) {
        painter.fillRect(rect(), Qt::white);
        painter.setFont(font);
        painter.setPen(dialogs::kBlue);
        painter.drawText(layout.header, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                         HeaderText());
        painter.drawText(layout.legendLabel, Qt::AlignLeft | Qt::AlignTop,
                         QStringLiteral("Legend:"));
        painter.setPen(Qt::black);
        headerDirty = false;
    }
    // Images follow the ratio of whatever is painted on: the screen, or a grab.
    const qreal ratio = painter.device()->devicePixelRatioF();
    if (scanning) {
        spinChart.SetDevicePixelRatio(ratio);
        spinChart.Paint(painter, layout.discTopLeft);
    } else {
        chart.SetDevicePixelRatio(ratio);
        PaintChart(painter, layout);
        if (!m_pieTimed) {
            m_pieTimed = true;
            if (pieShown)
                pieShown(std::chrono::steady_clock::now() - m_scanBegan);
        }
    }
}

void CChartView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && !scanning && chart.sliceCount() > 0) {
        const int x = static_cast<int>(std::floor(event->position().x()));
        const int y = static_cast<int>(std::floor(event->position().y()));
        const int dx = x - chartCenter.x(), dy = y - chartCenter.y();
        const int distance = static_cast<int>(std::sqrt(static_cast<double>(dx * dx + dy * dy)));
        if (distance < chartRadius)
            OpenEntry(chart.HitTest(x, y));
    }
    CChildWindow::mousePressEvent(event);
}

}  // namespace dovrane::views

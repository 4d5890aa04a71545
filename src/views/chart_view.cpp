#include "views/chart_view.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
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

ChartViewLayout PlanLayout(const ChartPlan& plan, int w, int h, int headerExtra) {
    constexpr int r0 = CChartView::chartRadius;
    const int top = plan.chartTop + headerExtra;
    const int designLegend = kDesignHeight - 2 - (plan.chartTop + 2 * r0 + plan.legendTop);
    const int legendRoom = std::max(designLegend, (h - top) / 3);
    const int stacked = std::min((w - 10) / 2, (h - 2 - legendRoom - top - plan.legendTop) / 2);
    const int column = std::max(200, w / 3);
    const int besideRadius = std::min((h - top - 5) / 2, (w - column - 50) / 2);
    const bool beside = besideRadius > std::max(r0, stacked);
    const int r = std::max(r0, beside ? besideRadius : stacked);
    // The disc keeps the design's proportion to the pie.
    const int s = CChartView::spinRadius * r / r0;
    ChartViewLayout layout;
    layout.radius = r;
    layout.spinRadius = s;
    layout.header = WinRect(0, 0, w, plan.headerBand + headerExtra);
    if (beside) {
        const int chartY = top + std::max(0, (h - 5 - top - 2 * r) / 2);
        const int left = 2 * r + 40;
        layout.chartTopLeft = {10, chartY};
        layout.legendLabel = WinRect(left, top, w, top + 20);
        layout.legend = WinRect(left, top + 20, w - 5, h - 2);
        layout.details = WinRect(w - 65, top - 1, w - 5, top + 17);
    } else {
        const int bottom = top + 2 * r;
        layout.chartTopLeft = {(w - 2 * r) / 2, top};
        layout.legendLabel = WinRect(5, bottom + plan.labelTop, w, bottom + plan.labelBottom);
        layout.legend = WinRect(5, bottom + plan.legendTop, w - 5, h - 2);
        layout.details =
            WinRect(w - 65, bottom + plan.detailsTop, w - 5, bottom + plan.detailsBottom);
    }
    layout.chartCenter = layout.chartTopLeft + QPoint(r, r);
    const int discCenterX = beside ? layout.chartCenter.x() : s + (w - 2 * s) / 2;
    layout.discTopLeft = {discCenterX - s, layout.chartCenter.y() + plan.discBelowCenter - s};
    return layout;
}

CChartView::CChartView(charts::LegendKind legendKind, ChartViewSetup setup)
    : m_settings(setup.settings),
      m_device(setup.device),
      m_pace(setup.pace),
      m_pieShown(std::move(setup.pieShown)),
      m_legendKind(legendKind) {
    // Tab reaches the pie, whose slices the arrow keys then walk; a tap needs no focus.
    setFocusPolicy(Qt::TabFocus);
    m_spinTimer.setInterval(kSpinInterval);
    connect(&m_spinTimer, &QTimer::timeout, this, &CChartView::stepSpin);
}

CChartView::~CChartView() {
    stopScan();
}

const engine::Settings& CChartView::Config() const {
    return m_settings ? *m_settings : kFactorySettings;
}

bool CChartView::OnCreate() {
    m_processingLabel = MakeLabel(this, QStringLiteral("Processing"), kIdProcessing, dialogs::kRed);
    m_progressLabel = MakeLabel(this, QStringLiteral("XX"), kIdProgress, dialogs::kBlue);
    m_legend = new charts::CLegendList(m_legendKind, legendOwner(), &Config().sliceColors, this);
    dialogs::SetDlgCtrlID(m_legend, kIdLegend);
    m_font = charts::CreatePointFont(QStringLiteral("Tahoma"), 8.5, true);
    m_detailsButton = new QPushButton(QStringLiteral("Details..."), this);
    dialogs::SetDlgCtrlID(m_detailsButton, kIdDetails);
    dialogs::SetTextColor(m_detailsButton, dialogs::kBlue);
    m_detailsButton->setFont(m_font);
    m_detailsButton->setFocusPolicy(Qt::TabFocus);
    connect(m_detailsButton, &QPushButton::clicked, this, [this] { OnDetails(); });
    LayOutControls();
    return true;
}

void CChartView::fitHeader() {
    const QString text = HeaderText();
    const QFontMetrics metrics(m_font);
    const int w = width();
    const int band = Plan().headerBand;
    const int most = band + 2 * metrics.lineSpacing();
    const auto box = [&](const QString& shown) {
        return metrics.boundingRect(QRect(0, 0, w, 1 << 20),
                                    Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, shown);
    };
    const auto fits = [&](const QRect& b) { return b.width() <= w && b.height() <= most; };
    // Middle elision keeps the path's start and its last folders, which say the most.
    const auto elided = [&](int cut) {
        const int kept = static_cast<int>(text.size()) - cut;
        return text.left((kept + 1) / 2) + QChar(0x2026) + text.right(kept / 2);
    };
    QString shown = text;
    if (!fits(box(text))) {
        int low = 1, high = static_cast<int>(text.size());  // the cut that fits is in (low, high]
        while (low < high) {
            const int mid = (low + high) / 2;
            if (fits(box(elided(mid))))
                high = mid;
            else
                low = mid + 1;
        }
        shown = elided(high);
    }
    m_header = shown;
    m_headerExtra = text.isEmpty() ? 0 : std::max(0, box(shown).height() - band);
}

bool CChartView::LayOutControls() {
    if (!m_processingLabel)
        return false;  // not made yet
    fitHeader();
    const int w = width();
    const ChartViewLayout layout = Layout(w, height());
    m_processingLabel->setGeometry(WinRect(0, 0, w, 15));
    m_progressLabel->setGeometry(WinRect(0, 15, w, 60));
    m_legend->setGeometry(layout.legend);
    m_detailsButton->setGeometry(layout.details);
    if (m_chart.isCreated() && layout.chartCenter == m_chartCenter &&
        layout.radius == m_chart.radius())
        return false;
    m_chartCenter = layout.chartCenter;
    const qreal ratio = devicePixelRatioF();
    m_chart.Create(layout.radius, m_chartCenter.x(), m_chartCenter.y(), ratio);
    if (IsBusy()) {
        LayOutSpin();
        m_spinChart.StartSpin();
    } else {
        LayOutChart();
    }
    update();
    return true;
}

void CChartView::LayOutSpin() {
    // Made only while a scan runs: at a desktop window's size the disc costs as much as the
    // pie, and a resize of an idle view should not pay for both.
    if (!m_processingLabel)
        return;  // not laid out yet: the first layout makes it
    const int radius = currentLayout().spinRadius;
    if (m_spinChart.isCreated() && m_spinChart.radius() == radius &&
        QPoint(m_spinChart.centerX(), m_spinChart.centerY()) == m_chartCenter)
        return;
    m_spinChart.Create(radius, m_chartCenter.x(), m_chartCenter.y(), devicePixelRatioF());
}

void CChartView::resizeEvent(QResizeEvent* event) {
    CChildWindow::resizeEvent(event);
    LayOutControls();  // the data stays: only the pie is drawn again, at its new size
}

void CChartView::scanBegun(std::chrono::steady_clock::time_point began) {
    m_scanBegan = began;
    m_pieTimed = false;
    SetScanState(true);
}

void CChartView::stopScan() {
    m_job->stop();
    m_spinTimer.stop();
}

void CChartView::SetScanState(bool on) {
    if (on) {
        m_headerDirty = true;
        LayOutSpin();
        m_spinChart.StartSpin();
        m_spinTimer.start();
        if (m_processingLabel) {
            showProgress();
            m_processingLabel->show();
            m_progressLabel->show();
            m_detailsButton->hide();
            m_legend->UpdateScroll();  // no rows, and no scroll range, while data is replaced
            m_legend->viewport()->update();
        }
        update();
        return;
    }
    m_spinTimer.stop();
    if (m_processingLabel) {
        m_processingLabel->hide();
        m_progressLabel->hide();
        m_detailsButton->show();
    }
    ScanEnded();
    if (m_legend)
        m_legend->viewport()->update();
    update();
    emit busyEnded();
}

void CChartView::showProgress() {
    const engine::ScanProgress* progress = m_job->progress();
    const QString text = ProgressText(progress ? progress->currentFolder() : QString());
    if (m_progressLabel->text() != text)
        m_progressLabel->setText(text);
}

void CChartView::stepSpin() {
    m_spinChart.StepSpin();
    if (m_job->progress() && m_progressLabel) {
        showProgress();
        // The walk publishes its folder once asked: one path string per frame, not per
        // folder.
        m_job->progress()->requestFolder();
    }
    const ChartViewLayout layout = currentLayout();
    update(QRect(layout.discTopLeft, QSize(2 * layout.spinRadius, 2 * layout.spinRadius)));
}

void CChartView::PaintChart(QPainter& painter, const ChartViewLayout& layout) {
    m_chart.Paint(painter, layout.chartTopLeft);
}

void CChartView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const ChartViewLayout layout = Layout(width(), height());
    const QRect disc(layout.discTopLeft, QSize(2 * layout.spinRadius, 2 * layout.spinRadius));
    // The disc's frames repaint only its square; anything more (a first frame, an exposed
    // or resized window) needs the header under it too.
    if (!IsBusy() || m_headerDirty || !disc.contains(event->rect())) {
        painter.fillRect(rect(), Qt::white);
        painter.setFont(m_font);
        painter.setPen(dialogs::kBlue);
        painter.drawText(layout.header, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                         m_header);
        painter.drawText(layout.legendLabel, Qt::AlignLeft | Qt::AlignTop,
                         QStringLiteral("Legend:"));
        painter.setPen(Qt::black);
        m_headerDirty = false;
    }
    // Images follow the ratio of whatever is painted on: the screen, or a grab.
    const qreal ratio = painter.device()->devicePixelRatioF();
    if (IsBusy()) {
        m_spinChart.SetDevicePixelRatio(ratio);
        m_spinChart.Paint(painter, layout.discTopLeft);
    } else {
        m_chart.SetDevicePixelRatio(ratio);
        PaintChart(painter, layout);
        paintFocusRing(painter, layout);
        if (!m_pieTimed) {
            m_pieTimed = true;
            if (m_pieShown)
                m_pieShown(std::chrono::steady_clock::now() - m_scanBegan);
            emit piePainted();
        }
    }
}

int CChartView::focusSlice() const {
    return std::clamp(m_focusSlice, 0, std::max(0, m_chart.sliceCount() - 1));
}

void CChartView::keyPressEvent(QKeyEvent* event) {
    const int count = IsBusy() ? 0 : m_chart.sliceCount();
    if (count == 0) {
        CChildWindow::keyPressEvent(event);
        return;
    }
    int step = 0;
    switch (event->key()) {
        case Qt::Key_Right:
        case Qt::Key_Down:
            step = 1;
            break;
        case Qt::Key_Left:
        case Qt::Key_Up:
            step = -1;
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            OpenEntry(focusSlice());  // as a tap on the slice
            return;
        default:
            CChildWindow::keyPressEvent(event);
            return;
    }
    // Empty slices (start = end) have nothing to point at: they are passed over.
    int slice = focusSlice();
    for (int i = 0; i < count; ++i) {
        slice = (slice + step + count) % count;
        const charts::PieSlice& s = m_chart.slices()[static_cast<size_t>(slice)];
        if (s.startAngle != s.endAngle)
            break;
    }
    m_focusSlice = slice;
    update();
}

void CChartView::focusInEvent(QFocusEvent* event) {
    CChildWindow::focusInEvent(event);
    update();
}

void CChartView::focusOutEvent(QFocusEvent* event) {
    CChildWindow::focusOutEvent(event);
    update();
}

void CChartView::paintFocusRing(QPainter& painter, const ChartViewLayout& layout) const {
    if (!hasFocus() || !window()->testAttribute(Qt::WA_KeyboardFocusChange) ||
        m_chart.sliceCount() == 0)
        return;
    const charts::PieSlice& s = m_chart.slices()[static_cast<size_t>(focusSlice())];
    const int r = layout.radius;
    const QRectF box = QRectF(layout.chartTopLeft, QSizeF(2 * r, 2 * r)).adjusted(3, 3, -3, -3);
    QPainterPath outline(box.center());
    outline.arcTo(box, s.startAngle, s.endAngle - s.startAngle);
    outline.closeSubpath();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, 3));
    painter.drawPath(outline);
    painter.setPen(QPen(Qt::black, 2, Qt::DotLine));
    painter.drawPath(outline);
    painter.restore();
}

void CChartView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && !IsBusy() && m_chart.sliceCount() > 0) {
        const int x = static_cast<int>(std::floor(event->position().x()));
        const int y = static_cast<int>(std::floor(event->position().y()));
        const int dx = x - m_chartCenter.x(), dy = y - m_chartCenter.y();
        const int distance = static_cast<int>(std::sqrt(static_cast<double>(dx * dx + dy * dy)));
        if (distance < m_chart.radius())
            OpenEntry(m_chart.HitTest(x, y));
    }
    CChildWindow::mousePressEvent(event);
}

}  // namespace dovrane::views

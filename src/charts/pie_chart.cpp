#include "charts/pie_chart.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "charts/color_ref.h"
#include "charts/pie_geometry.h"

namespace dovrane::charts {
namespace {

constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kMaskRgb = RgbFromColorRef(CPieChart::kMaskColor);

bool IsOneToOne(qreal devicePixelRatio) {
    return std::abs(devicePixelRatio - 1.0) < 1e-9;
}

// TransparentImage of two equal squares, within `area` (image pixels): every pixel of
// `source` that is not `transparent` replaces the pixel of `target`.
void TransparentCopy(QImage& target, const QImage& source, QRgb transparent, QRect area) {
    area &= source.rect();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        auto* to = reinterpret_cast<QRgb*>(target.scanLine(y));
        for (int x = area.left(); x <= area.right(); ++x)
            if (from[x] != transparent)
                to[x] = from[x];
    }
}

// The image pixels a polygon drawn with a one-pixel pen may touch, with a pixel to spare
// for the pen's half-pixel shift.
QRect TouchedPixels(const QPolygon& polygon, qreal ratio) {
    const QRectF logical = QRectF(polygon.boundingRect()).adjusted(-2, -2, 2, 2);
    return QRect(QPoint(static_cast<int>(std::floor(logical.left() * ratio)),
                        static_cast<int>(std::floor(logical.top() * ratio))),
                 QPoint(static_cast<int>(std::ceil(logical.right() * ratio)),
                        static_cast<int>(std::ceil(logical.bottom() * ratio))));
}

}  // namespace

void CPieChart::Create(int radius, int centerX, int centerY, qreal devicePixelRatio) {
    m_radius = std::max(radius, 2);
    m_centerX = centerX;
    m_centerY = centerY;
    m_devicePixelRatio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    m_slices.clear();
    m_circleOnImage = true;
    MakeImages();
}

void CPieChart::SetDevicePixelRatio(qreal devicePixelRatio) {
    if (!isCreated() || devicePixelRatio <= 0 || devicePixelRatio == m_devicePixelRatio)
        return;
    m_devicePixelRatio = devicePixelRatio;
    MakeImages();
    for (const PieSlice& slice : m_slices)
        DrawSlice(slice);
}

void CPieChart::MakeImages() {
    const int side = std::max(1, qRound(2 * m_radius * m_devicePixelRatio));
    const int outline = std::max(1, qRound(m_devicePixelRatio));
    m_mask = QImage(side, side, QImage::Format_RGB32);
    m_image = QImage(side, side, QImage::Format_RGB32);
    // The image is the mask with its transparent inside left white: the outlined circle.
    for (int y = 0; y < side; ++y) {
        auto* mask = reinterpret_cast<QRgb*>(m_mask.scanLine(y));
        auto* image = reinterpret_cast<QRgb*>(m_image.scanLine(y));
        const auto paint = [&](int from, int to, QRgb maskRgb, QRgb imageRgb) {
            std::fill(mask + from, mask + to, maskRgb);
            std::fill(image + from, image + to, m_circleOnImage ? imageRgb : kWhite);
        };
        const DiscRow row = DiscRowAt(y, side, outline);
        if (row.discLeft >= row.discRight) {
            paint(0, side, kWhite, kWhite);
            continue;
        }
        const int innerLeft = std::clamp(row.insideLeft, row.discLeft, row.discRight);
        const int innerRight = std::clamp(row.insideRight, innerLeft, row.discRight);
        paint(0, row.discLeft, kWhite, kWhite);
        paint(row.discLeft, innerLeft, kBlack, kBlack);
        paint(innerLeft, innerRight, kMaskRgb, kWhite);
        paint(innerRight, row.discRight, kBlack, kBlack);
        paint(row.discRight, side, kWhite, kWhite);
    }
    m_mask.setDevicePixelRatio(m_devicePixelRatio);
    m_maskOnImage = m_circleOnImage;
    m_image.setDevicePixelRatio(m_devicePixelRatio);
}

void CPieChart::Clear() {
    if (isCreated())
        m_image.fill(kWhite);
    m_circleOnImage = false;
    m_maskOnImage = false;
    m_slices.clear();
}

void CPieChart::AddSlice(int startAngle, int endAngle, engine::ColorRef color) {
    m_slices.push_back({startAngle, endAngle, color});
    if (isCreated())
        DrawSlice(m_slices.back());
}

void CPieChart::DrawSlice(const PieSlice& slice) {
    const QPolygon polygon = SlicePolygon(slice.startAngle, slice.endAngle, m_radius);
    if (polygon.isEmpty())
        return;
    {
        // The image carries its ratio, so the painter works in device-independent pixels.
        QPainter painter(&m_image);
        painter.setRenderHint(QPainter::Antialiasing, false);
        if (IsOneToOne(m_devicePixelRatio)) {
            painter.setPen(QPen(Qt::black, 0));
        } else {
            painter.translate(0.5, 0.5);
            painter.setPen(QPen(Qt::black, 1));
        }
        painter.setBrush(ColorFromRef(slice.color));
        painter.drawPolygon(polygon, Qt::OddEvenFill);
    }
    TransparentCopy(m_image, m_mask, kMaskRgb,
                    m_maskOnImage ? TouchedPixels(polygon, m_devicePixelRatio) : m_image.rect());
    m_maskOnImage = true;
}

int CPieChart::HitTest(int x, int y) const {
    const double angle = HitTestAngle(x, y, m_centerX, m_centerY);
    for (size_t i = 0; i < m_slices.size(); ++i)
        if (m_slices[i].startAngle <= angle && angle <= m_slices[i].endAngle)
            return static_cast<int>(i);
    return 0;
}

void CPieChart::StartSpin() {
    Clear();
    m_spinAngle = 0;
    const bool oldPhase = m_spinPhase;
    m_spinPhase = !m_spinPhase;
    AddSlice(0, 360, kSpinColors[oldPhase ? 1 : 0]);
}

void CPieChart::StepSpin() {
    Clear();
    if (m_spinAngle != 360) {
        m_spinAngle += kSpinStep;
        AddSlice(0, m_spinAngle, kSpinColors[m_spinPhase ? 1 : 0]);
        AddSlice(m_spinAngle, 360, kSpinColors[m_spinPhase ? 0 : 1]);
    } else {
        m_spinAngle = 0;
        const bool oldPhase = m_spinPhase;
        m_spinPhase = !m_spinPhase;
        AddSlice(0, 360, kSpinColors[oldPhase ? 1 : 0]);
    }
}

void CPieChart::Paint(QPainter& painter, QPoint topLeft) const {
    if (isCreated())
        painter.drawImage(topLeft, m_image);
}

void CPieChart::Paint(QPainter& painter) const {
    Paint(painter, topLeft());
}

void CPieChart::Paint(QPaintDevice& device, QPoint topLeft) const {
    QPainter painter(&device);
    Paint(painter, topLeft);
}

void AddSlices(CPieChart& chart, const std::vector<SliceSpec>& slices,
               const engine::SliceColors& colors) {
    chart.Clear();
    for (const SliceSpec& slice : slices)
        chart.AddSlice(slice.startAngle, slice.endAngle,
                       colors[static_cast<size_t>(slice.colorIndex % engine::kSliceColorCount)]);
}

}  // namespace dovrane::charts

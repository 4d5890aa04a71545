#pragma once
// A pie chart rendered into an off-screen image as its slices are added, so that painting
// is one image copy; it also maps a tapped point to a slice and drives the red-and-black
// busy disc.
//
// Every slice is drawn at AddSlice time: its polygon (edge point, corners, edge point,
// centre; see pie_geometry.h) is filled with the slice colour and outlined in black, then
// the mask is copied over the image with red as the transparent colour, which turns every
// pixel outside the disc white again and restores the black circle. There is no redraw from
// the slice list: the image shows the slices added since the last Clear, in order.
//
// High-DPI: geometry (radius, centre, edge points, hit tests) stays in device-independent
// pixels; the images are rendered at 2r * devicePixelRatio device pixels and carry that
// ratio, so QPainter::drawImage shows them at 2r x 2r and sharp. At ratio 1 the polygon is
// drawn with a cosmetic one-pixel pen, which puts the outline on the very pixels the integer
// points name (Win32 Polygon's convention) and fills the inside with its top-left rule;
// above 1 it is drawn with a pen one device-independent pixel wide along the pixel centres,
// so the picture is the 1x picture with smooth steps. The disc is rasterised exactly (a
// pixel belongs to it when its centre does) with an outline round(ratio) pixels thick.
// Known deviation from Win32: slanted slice borders may sit one pixel to one side where
// Qt's line stepping rounds a half-way point differently from GDI's.
//
// Not thread-safe: one thread at a time (the view's timer and paints are on one thread).

#include <QImage>
#include <QPoint>
#include <vector>

#include "charts/pie_layout.h"
#include "engine/settings.h"

class QPainter;
class QPaintDevice;

namespace dovrane::charts {

struct PieSlice {
    int startAngle = 0;  // 0 to 360
    int endAngle = 0;    // startAngle to 360; equal to it: an empty slice, kept but not drawn
    engine::ColorRef color = 0;
    friend bool operator==(const PieSlice&, const PieSlice&) = default;
};

class CPieChart {
public:
    static constexpr engine::ColorRef kMaskColor = 0x0000FF;  // the mask's transparent red
    static constexpr int kSpinStep = 20;
    static constexpr engine::ColorRef kSpinColors[2] = {0x0000FF, 0x000000};  // red, black

    CPieChart() = default;

    // Makes both images, 2r x 2r, with the circle outlined on white; keeps the centre (the
    // owner's coordinates, for HitTest). radius >= 2. Called again, it starts afresh.
    void Create(int radius, int centerX, int centerY, qreal devicePixelRatio = 1.0);
    // Re-renders the images for another screen; the picture stays the same.
    void SetDevicePixelRatio(qreal devicePixelRatio);

    // A white image (no circle) and no slices.
    void Clear();
    // Appends the slice and draws it. Before Create it is only listed.
    void AddSlice(int startAngle, int endAngle, engine::ColorRef color);
    // Index of the first slice whose range holds the angle of (x, y), in the owner's
    // coordinates; 0 when none does (also without slices). The caller has checked that the
    // point lies in the circle.
    int HitTest(int x, int y) const;

    // The busy disc: all of one colour, then 20 degrees more of the other at each step,
    // counter-clockwise from three o'clock; the colours swap after each full turn.
    void StartSpin();
    void StepSpin();

    // One copy of the finished image with its top-left corner at `topLeft` (the owner's
    // coordinates); Paint(painter) puts it around the centre given to Create.
    void Paint(QPainter& painter, QPoint topLeft) const;
    void Paint(QPainter& painter) const;
    void Paint(QPaintDevice& device, QPoint topLeft) const;

    bool isCreated() const { return !m_image.isNull(); }
    int radius() const { return m_radius; }
    int centerX() const { return m_centerX; }
    int centerY() const { return m_centerY; }
    QPoint topLeft() const { return {m_centerX - m_radius, m_centerY - m_radius}; }
    qreal devicePixelRatio() const { return m_devicePixelRatio; }
    const std::vector<PieSlice>& slices() const { return m_slices; }
    int sliceCount() const { return static_cast<int>(m_slices.size()); }
    // In device pixels, carrying devicePixelRatio(); null before Create.
    const QImage& image() const { return m_image; }
    const QImage& mask() const { return m_mask; }
    int spinAngle() const { return m_spinAngle; }
    bool spinPhase() const { return m_spinPhase; }

private:
    void MakeImages();
    void DrawSlice(const PieSlice& slice);

    QImage m_image;
    QImage m_mask;
    int m_centerX = 0;
    int m_centerY = 0;
    int m_radius = 0;
    qreal m_devicePixelRatio = 1.0;
    bool m_circleOnImage = false;  // true from Create to the first Clear
    // The image shows the mask's outline and outside: a slice then only needs them back
    // where it was drawn.
    bool m_maskOnImage = false;
    std::vector<PieSlice> m_slices;
    int m_spinAngle = 0;
    bool m_spinPhase = false;
};

// Clears the chart and adds the laid-out slices with their colour table entries.
void AddSlices(CPieChart& chart, const std::vector<SliceSpec>& slices,
               const engine::SliceColors& colors);

}  // namespace dovrane::charts

// The pie's integer geometry, slice layout, image and hit tests; the legend beside it.

#include <QImage>
#include <QScrollBar>
#include <QTest>
#include <cmath>
#include <numeric>

#include "charts/color_ref.h"
#include "charts/legend_list.h"
#include "charts/pie_chart.h"
#include "charts/pie_geometry.h"
#include "charts/pie_layout.h"

using namespace dovrane;
using namespace dovrane::charts;
using Sizes = std::vector<quint64>;
using Slices = std::vector<SliceSpec>;
Q_DECLARE_METATYPE(Sizes)
Q_DECLARE_METATYPE(Slices)

namespace {

quint64 Sum(const Sizes& sizes, size_t from = 0) {
    return std::accumulate(sizes.begin() + static_cast<std::ptrdiff_t>(from), sizes.end(),
                           quint64{0});
}

constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kBlack = qRgb(0, 0, 0);

// Sixteen distinct colours, none of them white, black or the mask's red.
engine::SliceColors TestColors() {
    engine::SliceColors colors{};
    for (size_t i = 0; i < colors.size(); ++i)
        colors[i] = static_cast<engine::ColorRef>(0x102030 + 0x0B0C00 * i);
    return colors;
}

// The colour at `angle` degrees and `fraction` of the radius from the centre.
QRgb PixelAt(const CPieChart& chart, double angle, double fraction) {
    const double a = angle * M_PI / 180.0, r = chart.radius(), ratio = chart.devicePixelRatio();
    return chart.image().pixel(int(std::lround(r + fraction * r * std::cos(a)) * ratio),
                               int(std::lround(r - fraction * r * std::sin(a)) * ratio));
}

// Every pixel outside the disc white, the outline black, the inside as `inside` says.
template <typename Inside>
void VerifyDisc(const CPieChart& chart, Inside inside) {
    const QImage& image = chart.image();
    const int outline = std::max(1, qRound(chart.devicePixelRatio()));
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const DiscPixel kind = DiscPixelAt(x, y, image.width(), outline);
            const QRgb expected = kind == DiscPixel::Outside   ? kWhite
                                  : kind == DiscPixel::Outline ? kBlack
                                                               : inside(x, y);
            QVERIFY2(image.pixel(x, y) == expected,
                     qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
        }
}

struct Owner : LegendOwner {
    bool hasData = true, other = false;
    int entries = 5;
    QList<int> taps;

    bool legendHasData() const override { return hasData; }
    int legendEntryCount() const override { return entries; }
    QString legendEntryName(int index) const override {
        return QStringLiteral("Entry %1").arg(index);
    }
    bool legendHasOther() const override { return other; }
    int legendNumberOfSlices() const override { return 16; }
    void legendRowTapped(int index) override { taps << index; }
};

// A legend whose client area is 200 x 100 (inside its one-pixel border), shown.
struct Fixture {
    Owner owner;
    engine::SliceColors colors = TestColors();
    CLegendList legend;
    Fixture(int entries, bool other, LegendKind kind = LegendKind::Folder)
        : legend(kind, &owner, &colors) {
        owner.entries = entries;
        owner.other = other;
        legend.resize(202, 102);
        legend.show();
        legend.UpdateScroll();
    }
    QImage grab() { return legend.viewport()->grab().toImage(); }
    QRgb color(int k) const { return RgbFromColorRef(colors[static_cast<size_t>(k % 16)]); }
};

}  // namespace

class TestCharts : public QObject {
    Q_OBJECT

private slots:
    void edgePointsAndPolygons() {
        const std::pair<int, QPoint> at70[] = {{45, {138, 0}}, {225, {-1, 140}}, {300, {109, 140}},
                                               {0, {140, 70}}, {360, {140, 70}}, {90, {70, 0}}};
        for (const auto& [angle, point] : at70)
            QCOMPARE(EdgePoint(angle, 70), point);
        const QPoint c(70, 70);
        // The whole disc passes all four corners, 350 to 360 none, 30 to 60 the top right one.
        QCOMPARE(SlicePolygon(0, 360, 70),
                 QPolygon({{140, 70}, {140, 0}, {0, 0}, {0, 140}, {140, 140}, {140, 70}, c}));
        QCOMPARE(SlicePolygon(350, 360, 70), QPolygon({EdgePoint(350, 70), {140, 70}, c}));
        QCOMPARE(SlicePolygon(30, 60, 70), QPolygon({{140, 30}, {140, 0}, {110, 0}, c}));
        QCOMPARE(SlicePolygon(60, 200, 70), QPolygon({{110, 0}, {0, 0}, {0, 94}, c}));
        QCOMPARE(SlicePolygon(30, 30, 70), QPolygon());
    }

    void discPixels() {
        using enum DiscPixel;
        // Pixel, outline thickness, kind.
        const std::tuple<QPoint, int, DiscPixel> pixels[] = {
            {{0, 0}, 1, Outside},  {{0, 70}, 1, Outline}, {{139, 69}, 1, Outline},
            {{1, 70}, 1, Inside},  {{1, 70}, 2, Outline}, {{140, 70}, 1, Outside},
            {{62, 0}, 1, Outline}, {{61, 0}, 1, Outside}};
        for (const auto& [pixel, outline, kind] : pixels)
            QCOMPARE(std::pair(pixel, DiscPixelAt(pixel.x(), pixel.y(), 140, outline)),
                     std::pair(pixel, kind));
    }

    void layOut() {
        // The truncation loss goes to the last slice; N = 5 with 7 entries: four named and
        // Other, but no Other when the last three are empty; sizes beyond 4 GiB.
        const std::tuple<Sizes, int, Slices> layouts[] = {
            {{50, 30, 20, 0}, 16, {{0, 180, 0}, {180, 288, 1}, {288, 360, 2}, {360, 360, 3}}},
            {{3, 2, 2}, 16, {{0, 154, 0}, {154, 256, 1}, {256, 360, 2}}},
            {{70, 60, 50, 40, 30, 20, 10},
             5,
             {{0, 90, 0}, {90, 167, 1}, {167, 231, 2}, {231, 282, 3}, {282, 360, 4, true}}},
            {{40, 30, 20, 10, 0, 0, 0},
             5,
             {{0, 144, 0}, {144, 252, 1}, {252, 324, 2}, {324, 360, 3}}},
            {{3ull << 32, 1ull << 32}, 16, {{0, 270, 0}, {270, 360, 1}}}};
        for (const auto& [sizes, slices, expected] : layouts) {
            const size_t named = sizes.size() > size_t(slices) ? slices - 1 : sizes.size();
            QCOMPARE(LayOutChart(sizes, Sum(sizes), Sum(sizes, named), slices), expected);
        }
    }

    void otherColourAndEqualSlices() {
        const Slices wide = LayOutChart(Sizes(40, 1), 40, 20, 21);
        QCOMPARE(wide[16].colorIndex, 0);  // colours repeat every 16
        QCOMPARE(wide.back().colorIndex, 20 % 16);
        // A folder of total 0: equal slices, at most N - 1 of them.
        const Slices empty = LayOutFolderChart(Sizes(7, 0), 0, 0, 16);
        QCOMPARE(empty[0], (SliceSpec{0, 51, 0}));
        QCOMPARE(empty[6], (SliceSpec{306, 357, 6}));
        QVERIFY(LayOutFolderChart({}, 0, 0, 16).empty());
        QCOMPARE(LayOutFolderChart(Sizes(30, 0), 0, 0, 16).size(), size_t{15});
    }

    void outlinedCircleAndEdgeSlices() {
        CPieChart chart;
        chart.Create(70, 100, 120);
        VerifyDisc(chart, [](int, int) { return kWhite; });
        QCOMPARE(chart.mask().pixel(70, 70), RgbFromColorRef(CPieChart::kMaskColor));
        // The whole disc: all colour but the closing border, the radius to three o'clock.
        chart.AddSlice(0, 360, 0x00FF00);
        VerifyDisc(chart,
                   [](int x, int y) { return y == 70 && x >= 70 ? kBlack : qRgb(0, 255, 0); });
        // An empty slice counts but leaves the image as it was.
        const QImage before = chart.image().copy();
        chart.AddSlice(30, 30, 0xFF0000);
        QCOMPARE(chart.sliceCount(), 2);
        QCOMPARE(chart.image(), before);
        chart.Clear();
        QCOMPARE(chart.image().pixel(0, 70), kWhite);  // Clear leaves no circle
    }

    void laidOutChart() {
        // An empty fourth entry at ratios 1 and 1.5, or Other taking the rest at ratio 2.
        const Sizes closing{50, 30, 20, 0}, folded{300, 200, 150, 100, 80, 70, 60, 40};
        for (const auto& [sizes, other, slices, ratio] : {std::tuple(closing, quint64(0), 16, 1.0),
                                                          {folded, 250, 5, 2.0},
                                                          {closing, 0, 16, 1.5}}) {
            const auto layout = LayOutChart(sizes, Sum(sizes), other, slices);
            const engine::SliceColors colors = TestColors();
            CPieChart chart;
            chart.Create(70, 100, 120, ratio);
            AddSlices(chart, layout, colors);
            QCOMPARE(chart.image().size(), QSize(140, 140) * ratio);
            for (size_t i = 0; i < layout.size(); ++i) {
                const SliceSpec& slice = layout[i];
                if (slice.startAngle == slice.endAngle)
                    continue;
                QCOMPARE(PixelAt(chart, (slice.startAngle + slice.endAngle) / 2.0, 0.7),
                         RgbFromColorRef(colors[size_t(slice.colorIndex)]));
            }
            VerifyDisc(chart, [&](int x, int y) {
                const QRgb pixel = chart.image().pixel(x, y);
                return pixel == kWhite ? kBlack : pixel;  // no white inside: the table has none
            });
            // The same image when the ratio changes after drawing.
            CPieChart moved;
            moved.Create(70, 100, 120, 1.0);
            AddSlices(moved, layout, colors);
            moved.SetDevicePixelRatio(ratio);
            QCOMPARE(moved.image(), chart.image());
        }
    }

    void hitTest() {
        // The centre counts as 90, straight right as 0; an angle no slice covers gives 0.
        const QList<QPoint> halves{{0, 90}, {90, 360}}, thirds{{0, 90}, {90, 180}, {180, 360}};
        const QList<QPoint> uncovered{{10, 20}, {100, 200}};
        QList<int> hits;
        for (const auto& [slices, x, y] : {std::tuple(halves, 100, 120),
                                           {halves, 100, 60},
                                           {halves, 160, 120},
                                           {thirds, 40, 120},
                                           {thirds, 60, 100},
                                           {thirds, 130, 150},
                                           {uncovered, 130, 150},
                                           {{}, 130, 150}}) {
            CPieChart chart;
            chart.Create(70, 100, 120);
            for (const QPoint& slice : slices)
                chart.AddSlice(slice.x(), slice.y(), 0xFF0000);
            hits << chart.HitTest(x, y);
        }
        QCOMPARE(hits, (QList<int>{0, 0, 0, 2, 1, 2, 0, 0}));
    }

    void rowBoxes() {
        // The last column of the box outline: 24 for folders, 23 for file types.
        for (const auto& [kind, right] :
             {std::pair(LegendKind::Folder, 24), {LegendKind::FileType, 23}}) {
            Fixture f(5, false, kind);
            const QImage image = f.grab();
            for (int k = 0; k < 5; ++k) {
                const int y = 17 * k;
                QCOMPARE(
                    (QList<QRgb>{image.pixel(4, y + 2), image.pixel(right, y + 16),
                                 image.pixel(right + 1, y + 9), image.pixel(4, y + 1),
                                 image.pixel(4, y + 17), image.pixel(5, y + 3),
                                 image.pixel(right - 1, y + 15)}),
                    (QList<QRgb>{kBlack, kBlack, kWhite, kWhite, kWhite, f.color(k), f.color(k)}));
            }
            QCOMPARE(image.pixel(5, 17 * 5 + 3), kWhite);  // no sixth row
        }
    }

    void scrollRangeFollowsRowsAndSize() {
        // Entries, Other, the scroll range: 15 names and Other take 16 rows as 20 names do.
        const std::tuple<int, bool, int> ranges[] = {
            {5, false, 0}, {6, false, 2}, {20, true, 272 - 100}, {20, false, 272 - 100}};
        for (const auto& [entries, other, scrollMax] : ranges) {
            Fixture f(entries, other);
            QCOMPARE(std::pair(entries, f.legend.scrollMax()), std::pair(entries, scrollMax));
            QCOMPARE(f.legend.verticalScrollBar()->isVisible(), scrollMax > 0);
        }
    }

    void scrollRequests() {
        using A = QAbstractSlider::SliderAction;
        // From, action, to: steps stop at both ends; dragging to the bottom is no request.
        const std::tuple<int, A, int> requests[] = {
            {0, A::SliderSingleStepAdd, 17},    {167, A::SliderSingleStepAdd, 172},
            {172, A::SliderSingleStepAdd, 172}, {10, A::SliderSingleStepSub, 0},
            {0, A::SliderPageStepAdd, 100},     {100, A::SliderPageStepAdd, 172},
            {50, A::SliderPageStepSub, 0},      {50, A::SliderToMaximum, 50}};
        for (const auto& [from, action, to] : requests) {
            Fixture f(20, true);
            f.legend.verticalScrollBar()->setValue(from);
            f.legend.verticalScrollBar()->triggerAction(action);
            QCOMPARE(std::pair(from, f.legend.scrollPosition()), std::pair(from, to));
        }
    }

    void taps() {
        // Entries, scroll position and y of a tap, and the rows tapped.
        QList<QList<int>> rows;
        for (const auto& [entries, scroll, y] :
             {std::tuple(5, 0, 20), {5, 0, 84}, {5, 0, 90}, {20, 34, 5}, {20, 172, 99}}) {
            Fixture f(entries, entries > 16);
            f.legend.verticalScrollBar()->setValue(scroll);
            QTest::mouseClick(f.legend.viewport(), Qt::LeftButton, {}, QPoint(100, y));
            rows << f.owner.taps;
        }
        QCOMPARE(rows, (QList<QList<int>>{{1}, {4}, {}, {2}, {15}}));
        Fixture f(5, false);  // a double tap acts once
        QTest::mouseClick(f.legend.viewport(), Qt::LeftButton, {}, QPoint(100, 20));
        QTest::mouseDClick(f.legend.viewport(), Qt::LeftButton, {}, QPoint(100, 20));
        QCOMPARE(f.owner.taps, QList<int>{1});
    }

    void withoutDataWhiteAndDeaf() {
        Fixture f(20, true);
        f.owner.hasData = false;
        f.legend.viewport()->update();
        const QImage image = f.grab();
        QCOMPARE(image.pixel(5, 3), kWhite);
        QTest::mouseClick(f.legend.viewport(), Qt::LeftButton, {}, QPoint(100, 20));
        QVERIFY(f.owner.taps.isEmpty());
    }
};

QTEST_MAIN(TestCharts)
#include "tst_charts.moc"

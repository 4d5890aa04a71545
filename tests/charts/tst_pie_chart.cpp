#include <QImage>
#include <QTest>
#include <cmath>

#include "charts/color_ref.h"
#include "charts/pie_chart.h"
#include "charts/pie_geometry.h"
#include "charts/pie_layout.h"

using namespace dovrane;
using namespace dovrane::charts;

namespace {

constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kBlack = qRgb(0, 0, 0);

// Sixteen distinct colours, none of them white, black or the mask's red.
engine::SliceColors TestColors() {
    engine::SliceColors colors{};
    for (int i = 0; i < engine::kSliceColorCount; ++i)
        colors[static_cast<size_t>(i)] = static_cast<engine::ColorRef>(
            0x102030 + 0x0B0000 * static_cast<unsigned>(i) + 0x000C00 * static_cast<unsigned>(i));
    return colors;
}

// The point at `angle` degrees and `fraction` of the radius from the centre, in the chart's
// device-independent pixels.
QPoint PointAt(const CPieChart& chart, double angle, double fraction) {
    const double a = angle * M_PI / 180.0;
    const double r = chart.radius();
    return QPoint(static_cast<int>(std::lround(r + fraction * r * std::cos(a))),
                  static_cast<int>(std::lround(r - fraction * r * std::sin(a))));
}

QRgb PixelAt(const CPieChart& chart, QPoint point) {
    const qreal ratio = chart.devicePixelRatio();
    return chart.image().pixel(static_cast<int>(point.x() * ratio),
                               static_cast<int>(point.y() * ratio));
}

// Every pixel outside the disc white, the outline black, the inside as `inside` says.
template <typename Inside>
void VerifyDisc(const CPieChart& chart, Inside inside) {
    const QImage& image = chart.image();
    const int outline = std::max(1, qRound(chart.devicePixelRatio()));
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            switch (DiscPixelAt(x, y, image.width(), outline)) {
                case DiscPixel::Outside:
                    QVERIFY2(pixel == kWhite, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
                    break;
                case DiscPixel::Outline:
                    QVERIFY2(pixel == kBlack, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
                    break;
                case DiscPixel::Inside:
                    QVERIFY2(pixel == inside(x, y),
                             qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
                    break;
            }
        }
}

}  // namespace

class PieChartTest : public QObject {
    Q_OBJECT

private slots:
    void createdChartIsAnOutlinedCircle() {
        CPieChart chart;
        chart.Create(70, 100, 120);
        QCOMPARE(chart.image().size(), QSize(140, 140));
        VerifyDisc(chart, [](int, int) { return kWhite; });
        QCOMPARE(chart.mask().pixel(70, 70), RgbFromColorRef(CPieChart::kMaskColor));
        chart.Clear();
        QCOMPARE(chart.image().pixel(0, 70), kWhite);  // Clear leaves no circle
    }

    void wholeDiscSlice() {
        CPieChart chart;
        chart.Create(70, 70, 70);
        chart.AddSlice(0, 360, 0x00FF00);
        // All colour but the slice's closing border, the radius to three o'clock.
        VerifyDisc(chart,
                   [](int x, int y) { return y == 70 && x >= 70 ? kBlack : qRgb(0, 255, 0); });
    }

    void emptySliceLeavesImageUnchanged() {
        CPieChart chart;
        chart.Create(70, 70, 70);
        chart.AddSlice(0, 90, 0xFF0000);
        const QImage before = chart.image().copy();
        chart.AddSlice(30, 30, 0x00FF00);
        QCOMPARE(chart.sliceCount(), 2);
        QCOMPARE(chart.image(), before);
    }

    void laidOutChart_data() {
        QTest::addColumn<std::vector<quint64>>("sizes");
        QTest::addColumn<quint64>("other");
        QTest::addColumn<int>("slices");
        QTest::addColumn<qreal>("ratio");
        const std::vector<quint64> closing{50, 30, 20, 0};
        const std::vector<quint64> folded{300, 200, 150, 100, 80, 70, 60, 40};
        QTest::newRow("empty fourth entry") << closing << quint64(0) << 16 << 1.0;
        QTest::newRow("other takes the rest") << folded << quint64(250) << 5 << 1.0;
        QTest::newRow("ratio 2") << folded << quint64(250) << 5 << 2.0;
        QTest::newRow("ratio 1.5") << closing << quint64(0) << 16 << 1.5;
    }
    void laidOutChart() {
        QFETCH(std::vector<quint64>, sizes);
        QFETCH(quint64, other);
        QFETCH(int, slices);
        QFETCH(qreal, ratio);
        quint64 total = 0;
        for (quint64 size : sizes)
            total += size;
        const auto layout = LayOutChart(sizes, total, other, slices);
        const engine::SliceColors colors = TestColors();
        CPieChart chart;
        chart.Create(70, 100, 120, ratio);
        AddSlices(chart, layout, colors);
        QCOMPARE(chart.image().size(), QSize(140, 140) * ratio);
        QCOMPARE(chart.image().devicePixelRatio(), ratio);
        for (size_t i = 0; i < layout.size(); ++i) {
            const SliceSpec& slice = layout[i];
            if (slice.startAngle == slice.endAngle)
                continue;
            const QPoint point = PointAt(chart, (slice.startAngle + slice.endAngle) / 2.0, 0.7);
            QCOMPARE(PixelAt(chart, point),
                     RgbFromColorRef(colors[static_cast<size_t>(slice.colorIndex)]));
            QCOMPARE(chart.HitTest(point.x() + 30, point.y() + 50), static_cast<int>(i));
        }
        const QRgb white = kWhite, black = kBlack;
        VerifyDisc(chart, [&](int x, int y) {
            const QRgb pixel = chart.image().pixel(x, y);
            return pixel == white ? black : pixel;  // no white inside: the table has none
        });
    }

    void sameImageAfterChangingRatio() {
        const engine::SliceColors colors = TestColors();
        const auto layout = LayOutChart({5, 4, 3, 2, 1}, 15, 0, 16);
        CPieChart moved, fresh;
        moved.Create(70, 70, 70, 1.0);
        fresh.Create(70, 70, 70, 2.0);
        AddSlices(moved, layout, colors);
        AddSlices(fresh, layout, colors);
        moved.SetDevicePixelRatio(2.0);
        QCOMPARE(moved.image(), fresh.image());
    }

    void hitTest_data() {
        QTest::addColumn<QList<QPoint>>("slices");  // start and end angles
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<int>("index");
        const QList<QPoint> halves{{0, 90}, {90, 360}};
        const QList<QPoint> thirds{{0, 90}, {90, 180}, {180, 360}};
        QTest::newRow("centre is 90: the earlier slice") << halves << QPoint(100, 120) << 0;
        QTest::newRow("straight up, on the border") << halves << QPoint(100, 60) << 0;
        QTest::newRow("straight right, angle 0") << halves << QPoint(160, 120) << 0;
        QTest::newRow("straight left is past 180") << thirds << QPoint(40, 120) << 2;
        QTest::newRow("upper left") << thirds << QPoint(60, 100) << 1;
        QTest::newRow("lower right") << thirds << QPoint(130, 150) << 2;
        QTest::newRow("uncovered angle")
            << QList<QPoint>{{10, 20}, {100, 200}} << QPoint(130, 150) << 0;
        QTest::newRow("no slices") << QList<QPoint>{} << QPoint(130, 150) << 0;
    }
    void hitTest() {
        QFETCH(QList<QPoint>, slices);
        QFETCH(QPoint, point);
        QFETCH(int, index);
        CPieChart chart;
        chart.Create(70, 100, 120);
        for (const QPoint& slice : slices)
            chart.AddSlice(slice.x(), slice.y(), 0xFF0000);
        QCOMPARE(chart.HitTest(point.x(), point.y()), index);
    }

    void spin_data() {
        QTest::addColumn<int>("steps");
        QTest::addColumn<QString>("colors");  // at 10, 170 and 350 degrees: red or black
        QTest::addColumn<int>("angle");
        QTest::addColumn<bool>("phase");
        QTest::newRow("started") << 0 << "rrr" << 0 << true;
        QTest::newRow("1") << 1 << "brr" << 20 << true;
        QTest::newRow("9") << 9 << "bbr" << 180 << true;
        QTest::newRow("18") << 18 << "bbb" << 360 << true;
        QTest::newRow("19") << 19 << "bbb" << 0 << false;
        QTest::newRow("20") << 20 << "rbb" << 20 << false;
        QTest::newRow("37") << 37 << "rrr" << 360 << false;
        QTest::newRow("38") << 38 << "rrr" << 0 << true;
    }
    void spin() {
        QFETCH(int, steps);
        QFETCH(QString, colors);
        QFETCH(int, angle);
        QFETCH(bool, phase);
        CPieChart chart;
        chart.Create(30, 100, 120);
        chart.StartSpin();
        for (int i = 0; i < steps; ++i)
            chart.StepSpin();
        QCOMPARE(chart.spinAngle(), angle);
        QCOMPARE(chart.spinPhase(), phase);
        QString seen;
        for (int sample : {10, 170, 350}) {
            const QRgb pixel = PixelAt(chart, PointAt(chart, sample, 0.6));
            seen += pixel == qRgb(255, 0, 0) ? 'r' : pixel == kBlack ? 'b' : '?';
        }
        QCOMPARE(seen, colors);
    }

    void paintCopiesTheImage() {
        CPieChart chart;
        chart.Create(70, 100, 120);
        chart.AddSlice(0, 120, 0xFF0000);
        QImage target(240, 240, QImage::Format_RGB32);
        target.fill(Qt::gray);
        chart.Paint(target, QPoint(30, 50));
        QCOMPARE(target.pixel(29, 120), QColor(Qt::gray).rgb());
        QCOMPARE(target.copy(30, 50, 140, 140), chart.image());
    }
};

QTEST_MAIN(PieChartTest)
#include "tst_pie_chart.moc"

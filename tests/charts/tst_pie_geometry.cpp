#include <QTest>
#include <cmath>

#include "charts/pie_geometry.h"

using namespace dovrane::charts;

class PieGeometryTest : public QObject {
    Q_OBJECT

private slots:
    void edgePoint_data() {
        QTest::addColumn<int>("angle");
        QTest::addColumn<int>("radius");
        QTest::addColumn<QPoint>("point");
        QTest::newRow("30") << 30 << 70 << QPoint(140, 30);
        QTest::newRow("45") << 45 << 70 << QPoint(138, 0);
        QTest::newRow("60") << 60 << 70 << QPoint(110, 0);
        QTest::newRow("200") << 200 << 70 << QPoint(0, 94);
        QTest::newRow("225 one pixel outside") << 225 << 70 << QPoint(-1, 140);
        QTest::newRow("300") << 300 << 70 << QPoint(109, 140);
        QTest::newRow("0") << 0 << 70 << QPoint(140, 70);
        QTest::newRow("360") << 360 << 70 << QPoint(140, 70);
        QTest::newRow("90") << 90 << 70 << QPoint(70, 0);
        QTest::newRow("180") << 180 << 30 << QPoint(0, 30);
        QTest::newRow("270") << 270 << 30 << QPoint(30, 60);
    }
    void edgePoint() {
        QFETCH(int, angle);
        QFETCH(int, radius);
        QFETCH(QPoint, point);
        QCOMPARE(EdgePoint(angle, radius), point);
    }

    void slicePolygon_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<QPolygon>("polygon");
        const QPoint c(70, 70);
        QTest::newRow("whole disc: all four corners")
            << 0 << 360
            << QPolygon({{140, 70}, {140, 0}, {0, 0}, {0, 140}, {140, 140}, {140, 70}, c});
        QTest::newRow("350 to 360: no corner")
            << 350 << 360 << QPolygon({EdgePoint(350, 70), {140, 70}, c});
        QTest::newRow("30 to 60 passes the top right corner")
            << 30 << 60 << QPolygon({{140, 30}, {140, 0}, {110, 0}, c});
        QTest::newRow("60 to 200: an even octant adds no corner")
            << 60 << 200 << QPolygon({{110, 0}, {0, 0}, {0, 94}, c});
        QTest::newRow("empty") << 30 << 30 << QPolygon();
    }
    void slicePolygon() {
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(QPolygon, polygon);
        QCOMPARE(SlicePolygon(start, end, 70), polygon);
    }

    void hitTestAngle_data() {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<double>("angle");
        const double quarter = std::atan2(1.0, 0.0) * 180.0 / kPi;
        QTest::newRow("centre") << QPoint(100, 100) << 90.0;
        QTest::newRow("right") << QPoint(110, 100) << 0.0;
        QTest::newRow("up") << QPoint(100, 90) << 90.0;
        QTest::newRow("left") << QPoint(90, 100) << 90.0 + quarter;
        QTest::newRow("down") << QPoint(100, 110) << 180.0 + quarter;
        QTest::newRow("lower right") << QPoint(110, 110) << 270.0 + quarter / 2;
    }
    void hitTestAngle() {
        QFETCH(QPoint, point);
        QFETCH(double, angle);
        QCOMPARE(HitTestAngle(point.x(), point.y(), 100, 100), angle);
    }

    // Why a tap straight left belongs to the slice that starts at 180, not to the one that
    // ends there: with the ten-decimal pi a quarter turn is a hair more than 90 degrees.
    void quarterTurnsLandPastTheBorder() {
        QVERIFY(HitTestAngle(90, 100, 100, 100) > 180.0);
        QVERIFY(HitTestAngle(100, 110, 100, 100) > 270.0);
        QVERIFY(HitTestAngle(100, 90, 100, 100) == 90.0);
        QVERIFY(HitTestAngle(100, 100, 100, 100) == 90.0);
    }

    void disc_data() {
        QTest::addColumn<QPoint>("pixel");
        QTest::addColumn<int>("outline");
        QTest::addColumn<int>("kind");
        const auto kind = [](DiscPixel p) { return static_cast<int>(p); };
        QTest::newRow("corner") << QPoint(0, 0) << 1 << kind(DiscPixel::Outside);
        QTest::newRow("left middle") << QPoint(0, 70) << 1 << kind(DiscPixel::Outline);
        QTest::newRow("right middle") << QPoint(139, 69) << 1 << kind(DiscPixel::Outline);
        QTest::newRow("next to the left") << QPoint(1, 70) << 1 << kind(DiscPixel::Inside);
        QTest::newRow("two thick") << QPoint(1, 70) << 2 << kind(DiscPixel::Outline);
        QTest::newRow("beyond the square") << QPoint(140, 70) << 1 << kind(DiscPixel::Outside);
        QTest::newRow("top row ends") << QPoint(62, 0) << 1 << kind(DiscPixel::Outline);
        QTest::newRow("top row beyond") << QPoint(61, 0) << 1 << kind(DiscPixel::Outside);
    }
    void disc() {
        QFETCH(QPoint, pixel);
        QFETCH(int, outline);
        QFETCH(int, kind);
        QCOMPARE(static_cast<int>(DiscPixelAt(pixel.x(), pixel.y(), 140, outline)), kind);
    }
};

QTEST_GUILESS_MAIN(PieGeometryTest)
#include "tst_pie_geometry.moc"

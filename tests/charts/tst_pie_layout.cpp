#include <QtTest>

#include "charts/pie_layout.h"

using dovrane::charts::LayOutChart;
using dovrane::charts::LayOutFolderChart;
using dovrane::charts::SliceSpec;

using Sizes = std::vector<quint64>;
using Slices = std::vector<SliceSpec>;
Q_DECLARE_METATYPE(Sizes)
Q_DECLARE_METATYPE(Slices)

namespace {

quint64 Sum(const Sizes& sizes, size_t from = 0) {
    quint64 total = 0;
    for (size_t i = from; i < sizes.size(); ++i)
        total += sizes[i];
    return total;
}

}  // namespace

class TestPieLayout : public QObject {
    Q_OBJECT
private slots:
    void layOut_data() {
        QTest::addColumn<Sizes>("sizes");
        QTest::addColumn<int>("slices");
        QTest::addColumn<Slices>("expected");
        QTest::newRow("empty entry after the third takes the remainder")
            << Sizes{50, 30, 20, 0} << 16
            << Slices{{0, 180, 0}, {180, 288, 1}, {288, 360, 2}, {360, 360, 3}};
        QTest::newRow("truncation loss goes to the last slice")
            << Sizes{1, 1, 1} << 16 << Slices{{0, 120, 0}, {120, 240, 1}, {240, 360, 2}};
        QTest::newRow("thirds of 7")
            << Sizes{3, 2, 2} << 16 << Slices{{0, 154, 0}, {154, 256, 1}, {256, 360, 2}};
        QTest::newRow("N = 5 with 7 entries: four named and Other")
            << Sizes{70, 60, 50, 40, 30, 20, 10} << 5
            << Slices{{0, 90, 0}, {90, 167, 1}, {167, 231, 2}, {231, 282, 3}, {282, 360, 4, true}};
        QTest::newRow("N = 5, the last three empty: no Other")
            << Sizes{40, 30, 20, 10, 0, 0, 0} << 5
            << Slices{{0, 144, 0}, {144, 252, 1}, {252, 324, 2}, {324, 360, 3}};
        QTest::newRow("beyond 4 GiB")
            << Sizes{3ull << 32, 1ull << 32} << 16 << Slices{{0, 270, 0}, {270, 360, 1}};
    }
    void layOut() {
        QFETCH(Sizes, sizes);
        QFETCH(int, slices);
        QFETCH(Slices, expected);
        const size_t named = sizes.size() > static_cast<size_t>(slices) ? slices - 1 : sizes.size();
        const quint64 other = sizes.size() > static_cast<size_t>(slices) ? Sum(sizes, named) : 0;
        QCOMPARE(LayOutChart(sizes, Sum(sizes), other, slices), expected);
    }

    void otherTakesTheColourAfterTheNamedSlices() {
        Sizes sizes(20, 1);
        const Slices s = LayOutChart(sizes, 20, 5, 16);
        QCOMPARE(s.size(), size_t{16});
        QCOMPARE(s.back().colorIndex, 15);
        QVERIFY(s.back().other);
        QCOMPARE(s.back().endAngle, 360);
        const Slices wide = LayOutChart(Sizes(40, 1), 40, 20, 21);
        QCOMPARE(wide[16].colorIndex, 0);  // colours repeat every 16
        QCOMPARE(wide.back().colorIndex, 20 % 16);
    }

    void emptyFolderGetsEqualSlices() {
        const Slices s = LayOutFolderChart(Sizes(7, 0), 0, 0, 16);
        QCOMPARE(s.size(), size_t{7});
        QCOMPARE(s[0], (SliceSpec{0, 51, 0}));
        QCOMPARE(s[6], (SliceSpec{306, 357, 6}));  // the last 3 degrees stay empty
        QVERIFY(LayOutFolderChart({}, 0, 0, 16).empty());
        QCOMPARE(LayOutFolderChart(Sizes(30, 0), 0, 0, 16).size(), size_t{15});
    }
};

QTEST_GUILESS_MAIN(TestPieLayout)
#include "tst_pie_layout.moc"

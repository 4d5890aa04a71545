// The File Type View on an in-memory device: its scan on a thread, the pie and legend of
// the types, taps that ask for a type's files, and the rules while a scan runs.

#include <QTest>
#include <memory>

#include "views/file_type_view.h"
#include "views/view_host.h"

using namespace dovrane;
using namespace dovrane::test;
using views::CFileTypeView;

namespace {

constexpr QPoint kCenter{120, 85};  // the pie's centre at width 240

// Types t0, t1, ... of falling sizes; the last `empty` of them hold only empty files.
void AddTypes(platform::TestDevice& device, int count, int empty = 0) {
    for (int i = 0; i < count; ++i)
        device.addFile(QStringLiteral("\\f%1.t%1").arg(i),
                       i >= count - empty ? 0 : 100 - static_cast<quint64>(i));
}

// Records the type of each file list asked for.
struct Requests : QStringList {
    explicit Requests(CFileTypeView& view) {
        QObject::connect(&view, &CFileTypeView::fileListRequested, &view,
                         [this](const engine::FileTypeStat* type) { append(type->name); });
    }
};

}  // namespace

class TestFileTypeView : public QObject {
    Q_OBJECT

private slots:
    void pieAndLegend() {
        ViewHost host;
        host.device.addFile(u"\\a.txt", 500).addFile(u"\\B\\b.jpg", 300).addFile(u"\\c", 200);
        CFileTypeView view;
        host.Open(view);
        QTRY_VERIFY(!view.IsBusy());
        VerifyIdleState(view);
        QCOMPARE(PixelAt(view, Polar(kCenter, 90, 50)), Rgb(0x0000FF));
        QCOMPARE(PixelAt(view, Polar(kCenter, 234, 50)), Rgb(0x008000));
        QCOMPARE(PixelAt(view, Polar(kCenter, 324, 50)), Rgb(0x00FFFF));
        QVERIFY(Shows(view, QRect(0, 0, 240, 15), Rgb(0xFF0000)));  // the blue title
        QCOMPARE(Details(view)->geometry(), QRect(175, 146, 60, 18));
        QCOMPARE(view.legendList()->geometry(), QRect(5, 165, 230, 127));
        const charts::LegendOwner& owner = view;
        QCOMPARE((QStringList{owner.legendEntryName(0), owner.legendEntryName(1),
                              owner.legendEntryName(2)}),
                 (QStringList{"txt", "jpg", "Generic"}));
        QCOMPARE(view.fileTypes()->totalSize, quint64(1000));
    }

    void taps_data() {
        QTest::addColumn<int>("types");
        QTest::addColumn<int>("emptyTypes");
        QTest::addColumn<int>("slice");  // tapped at its middle; -1: no tap on the pie
        QTest::addColumn<int>("row");    // tapped legend row; -1: none
        QTest::addColumn<QStringList>("opened");
        QTest::newRow("first slice, third row") << 3 << 0 << 0 << 2 << QStringList{"t0", "t2"};
        QTest::newRow("below the rows") << 3 << 0 << -1 << 3 << QStringList{};
        QTest::newRow("exactly N: slice and row N-1")
            << 5 << 0 << 4 << 4 << QStringList{"t4", "t4"};
        QTest::newRow("more than N: Other") << 7 << 0 << 4 << 4 << QStringList{};
        QTest::newRow("more than N, Other empty: row N-1 is a type")
            << 7 << 3 << -1 << 4 << QStringList{"t4"};
    }

    void taps() {
        QFETCH(int, types);
        QFETCH(int, emptyTypes);
        QFETCH(int, slice);
        QFETCH(int, row);
        QFETCH(QStringList, opened);
        ViewHost host;
        host.settings.numberOfSlices = 5;
        AddTypes(host.device, types, emptyTypes);
        CFileTypeView view;
        Requests requests(view);
        host.Open(view);
        QTRY_VERIFY(!view.IsBusy());
        if (slice >= 0) {
            const charts::PieSlice& s = view.pieChart().slices()[static_cast<size_t>(slice)];
            QTest::mouseClick(&view, Qt::LeftButton, {},
                              Polar(kCenter, (s.startAngle + s.endAngle) / 2.0, 50));
        }
        QTest::mouseClick(&view, Qt::LeftButton, {}, Polar(kCenter, 90, 71));  // outside
        if (row >= 0)
            QTest::mouseClick(view.legendList()->viewport(), Qt::LeftButton, {},
                              QPoint(50, 17 * row + 8));
        QCOMPARE(requests, opened);
    }

    void noFiles() {
        ViewHost host;
        host.device.addFolder(u"\\Empty");
        CFileTypeView view;
        Requests requests(view);
        host.Open(view);
        QTRY_VERIFY(!view.IsBusy());
        QCOMPARE(view.pieChart().sliceCount(), 0);
        charts::CPieChart circle;  // the bare circle, as made
        circle.Create(70, 120, 85, view.pieChart().devicePixelRatio());
        QCOMPARE(view.pieChart().image(), circle.image());
        QVERIFY(!view.legendHasData());
        QTest::mouseClick(&view, Qt::LeftButton, {}, kCenter);
        QVERIFY(requests.isEmpty());
    }

    void reappliesANewSliceCountWithoutARescan() {
        ViewHost host;
        AddTypes(host.device, 8);
        CFileTypeView view;
        host.Open(view);
        QTRY_VERIFY(!view.IsBusy());
        QCOMPARE(view.pieChart().sliceCount(), 8);
        QVERIFY(!view.legendHasOther());
        host.settings.numberOfSlices = 5;
        host.settings.sliceColors[4] = 0x00FF00;
        view.ReapplySettings();
        const auto& slices = view.pieChart().slices();
        QCOMPARE(int(slices.size()), 5);
        QCOMPARE(view.fileTypes()->otherSize, quint64(96 + 95 + 94 + 93));
        QCOMPARE(PixelAt(view, Polar(kCenter, (slices[4].startAngle + 360) / 2.0, 50)),
                 Rgb(0x00FF00));
        QCOMPARE(charts::LegendRowCount(view), 5);
        QCOMPARE(view.scanCount(), 1);
    }

    void whileAScanRuns() {
        ViewHost host;
        for (int i = 0; i < 1000; ++i)  // 20 s at least at 20 ms a folder
            host.device.addFile(QStringLiteral("\\d%1\\f.txt").arg(i), 10);
        auto view = std::make_unique<CFileTypeView>();
        Requests requests(*view);
        host.Open(*view, std::chrono::milliseconds(20));
        VerifyScanState(*view);
        view->StartScan();
        QCOMPARE(view->scanCount(), 1);
        QTest::mouseClick(view.get(), Qt::LeftButton, {}, kCenter);
        QTest::mouseClick(view->legendList()->viewport(), Qt::LeftButton, {}, QPoint(50, 8));
        QVERIFY(requests.isEmpty() && view->fileTypes() == nullptr);
        // The path as walked, and the disc turning a little lower than the pie would sit.
        QTRY_VERIFY(Label(*view, views::kIdProgress)->text().startsWith(u"\\d"));
        const QRect disc(90, 75, 60, 60);
        QTRY_VERIFY(Shows(*view, disc, Rgb(0x000000)) && Shows(*view, disc, Rgb(0x0000FF)));
        QCOMPARE(PixelAt(*view, Polar(kCenter, 200, 60)), Rgb(0xFFFFFF));
        VerifyScanState(*view);
        view.reset();  // stops the walk and waits for its thread
    }
};

QTEST_MAIN(TestFileTypeView)
#include "tst_file_type_view.moc"

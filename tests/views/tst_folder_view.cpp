// The Folder View on an in-memory device: its scan on a thread, the pie and legend of the
// folder shown, taps that walk the tree, and the rules while a scan runs.

#include <QTest>
#include <memory>

#include "views/folder_view.h"
#include "views/view_host.h"

using namespace dovrane;
using namespace dovrane::test;
using views::CFolderView;

namespace {

constexpr QPoint kCenter{120, 97};  // the pie's centre at width 240

// \A 500 bytes, \B 300, 200 in the root itself: slices 0-180, 180-288, 288-360.
void AddThreeEntries(platform::TestDevice& device) {
    device.addFile(u"\\A\\x.bin", 500).addFile(u"\\B\\y.bin", 300).addFile(u"\\c.txt", 200);
}

// Sub-folders d0, d1, ... of falling sizes (none at all: empty ones).
void AddFolders(platform::TestDevice& device, int count, quint64 firstSize) {
    for (int i = 0; i < count; ++i) {
        const QString folder = QStringLiteral("\\d%1").arg(i);
        if (firstSize == 0)
            device.addFolder(folder);
        else
            device.addFile(folder + QStringLiteral("\\f"), firstSize - static_cast<quint64>(i));
    }
}

double MidAngle(const charts::PieSlice& slice) {
    return (slice.startAngle + slice.endAngle) / 2.0;
}

}  // namespace

class TestFolderView : public QObject {
    Q_OBJECT

private slots:
    void rootPieAndLegend() {
        ViewHost host;
        AddThreeEntries(host.device);
        CFolderView view;
        host.Open(view);
        QTRY_VERIFY(!view.IsBusy());
        VerifyIdleState(view);
        QCOMPARE(view.headerText(), QStringLiteral(" \\Pocket PC"));
        QCOMPARE(view.currentFolder(), view.rootFolder());
        // Colour entries 0, 1 and 2 at the middle of each slice; white outside the circle.
        QCOMPARE(PixelAt(view, Polar(kCenter, 90, 50)), Rgb(0x0000FF));
        QCOMPARE(PixelAt(view, Polar(kCenter, 234, 50)), Rgb(0x008000));
        QCOMPARE(PixelAt(view, Polar(kCenter, 324, 50)), Rgb(0x00FFFF));
        QCOMPARE(PixelAt(view, Polar(kCenter, 45, 75)), Rgb(0xFFFFFF));
        QCOMPARE(Details(view)->geometry(), QRect(175, 153, 60, 18));
        QCOMPARE(view.legendList()->geometry(), QRect(5, 172, 230, 120));
        const charts::LegendOwner& owner = view;
        QCOMPARE(owner.legendEntryCount(), 3);
        QCOMPARE((QStringList{owner.legendEntryName(0), owner.legendEntryName(1),
                              owner.legendEntryName(2)}),
                 (QStringList{"A", "B", "\"In Folder\""}));
        QVERIFY(!owner.legendHasOther());
    }

    void taps_data() {
        QTest::addColumn<bool>("onLegend");
        QTest::addColumn<double>("where");  // the slice's angle, or the legend row
        QTest::addColumn<int>("radius");
        QTest::addColumn<QString>("header");
        QTest::addColumn<int>("fileLists");  // "In Folder" asks for the folder's files
        const QString root = QStringLiteral(" \\Pocket PC");
        QTest::newRow("slice A") << false << 90.0 << 40 << " \\A" << 0;
        QTest::newRow("slice B") << false << 234.0 << 69 << " \\B" << 0;
        QTest::newRow("In Folder slice") << false << 324.0 << 20 << root << 1;
        QTest::newRow("outside the circle") << false << 90.0 << 71 << root << 0;
        QTest::newRow("centre: 90 degrees") << false << 0.0 << 0 << " \\A" << 0;
        QTest::newRow("row 0") << true << 0.0 << 0 << " \\A" << 0;
        QTest::newRow("row 1") << true << 1.0 << 0 << " \\B" << 0;
        QTest::newRow("In Folder row") << true << 2.0 << 0 << root << 1;
        QTest::newRow("below the rows") << true << 3.0 << 0 << root << 0;
    }

    void taps() {
        QFETCH(bool, onLegend);
        QFETCH(double, where);
        QFETCH(int, radius);
        QFETCH(QString, header);
        QFETCH(int, fileLists);
        ViewHost host;
        AddThreeEntries(host.device);
        CFolderView view;
        QList<const engine::FolderNode*> requested;
        connect(&view, &CFolderView::filesInFolderRequested, this,
                [&](const engine::FolderNode* folder) { requested.append(folder); });
        host.Open(view);
        QTRY_VERIFY(!view.IsBusy());
        if (onLegend)
            QTest::mouseClick(view.legendList()->viewport(), Qt::LeftButton, {},
                              QPoint(50, 17 * static_cast<int>(where) + 8));
        else
            QTest::mouseClick(&view, Qt::LeftButton, {}, Polar(kCenter, where, radius));
        QCOMPARE(view.headerText(), header);
        QCOMPARE(requested.size(), fileLists);
        if (fileLists > 0)
            QCOMPARE(requested[0], view.rootFolder());
    }

    void theNthEntryAndOther_data() {
        QTest::addColumn<int>("folders");
        QTest::addColumn<QString>("header");  // after a tap on slice and row N-1, N = 5
        QTest::newRow("exactly N") << 5 << " \\d4";
        QTest::newRow("N + 1: the last is Other") << 6 << " \\Pocket PC";
    }

    void theNthEntryAndOther() {
        QFETCH(int, folders);
        QFETCH(QString, header);
        ViewHost host;
        host.settings.numberOfSlices = 5;
        AddFolders(host.device, folders, 100);
        CFolderView view;
        host.Open(view);
        QTRY_VERIFY(!view.IsBusy());
        QCOMPARE(view.pieChart().sliceCount(), 5);
        QTest::mouseClick(&view, Qt::LeftButton, {},
                          Polar(kCenter, MidAngle(view.pieChart().slices()[4]), 50));
        QCOMPARE(view.headerText(), header);
        view.GoToParent();
        QTest::mouseClick(view.legendList()->viewport(), Qt::LeftButton, {}, QPoint(50, 17 * 4));
        QCOMPARE(view.headerText(), header);
    }

    void walkingTheTree() {
        ViewHost host;
        host.device.addFile(u"\\Docs\\Work\\a.doc", 10);
        CFolderView view;
        host.Open(view);
        QTRY_VERIFY(!view.IsBusy());
        view.GoToParent();  // at the root: nothing
        QCOMPARE(view.currentFolder(), view.rootFolder());
        view.GoToPath(QStringLiteral("\\docs\\work"));  // folded by the caller
        QCOMPARE(view.headerText(), QStringLiteral(" \\Docs \\Work"));
        view.GoToPath(QStringLiteral("\\nowhere"));
        QCOMPARE(view.headerText(), QStringLiteral(" \\Docs \\Work"));
        view.GoToParent();
        view.GoToParent();
        view.GoToParent();
        QCOMPARE(view.headerText(), QStringLiteral(" \\Pocket PC"));
        // Refresh shows the root again, whatever was shown.
        view.GoToPath(QStringLiteral("\\docs"));
        view.StartScan();
        QTRY_VERIFY(!view.IsBusy());
        QCOMPARE(view.scanCount(), 2);
        QCOMPARE(view.headerText(), QStringLiteral(" \\Pocket PC"));
    }

    void equalSlicesWhenNothingHasBytes() {
        ViewHost host;
        AddFolders(host.device, 7, 0);
        CFolderView view;
        host.Open(view);
        QTRY_VERIFY(!view.IsBusy());
        const auto& slices = view.pieChart().slices();
        QCOMPARE(int(slices.size()), 7);
        QCOMPARE(slices[6].startAngle, 306);
        QCOMPARE(slices[6].endAngle, 357);
        QCOMPARE(PixelAt(view, Polar(kCenter, 25, 50)), Rgb(0x0000FF));
        QCOMPARE(PixelAt(view, Polar(kCenter, 331, 50)), Rgb(0xFF00FF));  // colour entry 6
        QCOMPARE(PixelAt(view, Polar(kCenter, 359.5, 60)), Rgb(0xFFFFFF));
    }

    void emptyFolder_data() {
        QTest::addColumn<QString>("pending");
        QTest::addColumn<QString>("header");
        QTest::newRow("nothing on the device") << QString() << " \\Pocket PC";
        QTest::newRow("a pending path that names no folder") << "\\gone"
                                                             << "";
    }

    void emptyFolder() {
        QFETCH(QString, pending);
        QFETCH(QString, header);
        ViewHost host;
        CFolderView view;
        view.pendingPath = pending;
        host.Open(view);
        QTRY_VERIFY(!view.IsBusy());
        QCOMPARE(view.headerText(), header);
        QCOMPARE(view.pieChart().sliceCount(), 0);
        QVERIFY(Shows(view, QRect(0, 90, 240, 15), Rgb(0x0000FF)));  // "Empty Folder" in red
        QCOMPARE(charts::LegendRowCount(view), 0);
        QTest::mouseClick(&view, Qt::LeftButton, {}, kCenter);
        QCOMPARE(view.headerText(), header);
    }

    void reappliesANewSliceCountWithoutARescan() {
        ViewHost host;
        AddFolders(host.device, 8, 100);
        CFolderView view;
        host.Open(view);
        QTRY_VERIFY(!view.IsBusy());
        QCOMPARE(view.pieChart().sliceCount(), 8);
        host.settings.numberOfSlices = 5;
        host.settings.sliceColors[4] = 0x00FF00;
        view.ReapplySettings();
        const auto& slices = view.pieChart().slices();
        QCOMPARE(int(slices.size()), 5);
        QCOMPARE(slices[4].endAngle, 360);
        QCOMPARE(PixelAt(view, Polar(kCenter, MidAngle(slices[4]), 50)), Rgb(0x00FF00));
        QCOMPARE(charts::LegendRowCount(view), 5);  // four folders and "Other"
        QVERIFY(view.legendHasOther());
        QCOMPARE(view.scanCount(), 1);
    }

    void whileAScanRuns() {
        ViewHost host;
        AddFolders(host.device, 1000, 100);  // 20 s at least at 20 ms a folder
        auto view = std::make_unique<CFolderView>();
        QList<const engine::FolderNode*> requested;
        connect(view.get(), &CFolderView::filesInFolderRequested, this,
                [&](const engine::FolderNode* folder) { requested.append(folder); });
        host.Open(*view, std::chrono::milliseconds(20));
        VerifyScanState(*view);
        // Refresh starts no second scan; a folder asked for waits; taps open nothing.
        view->StartScan();
        QCOMPARE(view->scanCount(), 1);
        view->GoToPath(QStringLiteral("\\d3"));
        QCOMPARE(view->pendingPath, QStringLiteral("\\d3"));
        QTest::mouseClick(view.get(), Qt::LeftButton, {}, kCenter);
        QTest::mouseClick(view->legendList()->viewport(), Qt::LeftButton, {}, QPoint(50, 8));
        QVERIFY(view->currentFolder() == nullptr && requested.isEmpty());
        // The walk moves on below the root, and the disc turns: red with black sweeping in.
        QTRY_VERIFY(Label(*view, views::kIdProgress)->text().startsWith(u" \\d"));
        const QRect disc(90, 67, 60, 60);
        QTRY_VERIFY(Shows(*view, disc, Rgb(0x000000)) && Shows(*view, disc, Rgb(0x0000FF)));
        QCOMPARE(PixelAt(*view, Polar(kCenter, 90, 50)), Rgb(0xFFFFFF));  // no pie
        VerifyScanState(*view);
        // Closing the window stops the walk and waits for its thread.
        view.reset();
    }
};

QTEST_MAIN(TestFolderView)
#include "tst_folder_view.moc"
